// tw-rival: another program that writes a profile file the way the Windows
// profile functions do, for the profile tests: it reads the file whole, then
// empties it and writes it anew in place, in small pieces.
//
//   tw-rival FILE GAP STOP RESULT
//
// Its section [Rival] (a count and 40 keys) comes first; the rest of the file
// (what other programs wrote) is kept after it.  It writes again and again,
// GAP milliseconds apart (0: at once), until the file STOP exists (or 60
// seconds have passed), then writes "writes lost" into RESULT: how often it
// wrote, and how often a read found one of its keys missing.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

constexpr int kKeys = 40;

std::string KeyLine(int k) {
    return "Key" + std::to_string(k) + "=the value of key " + std::to_string(k) + "\r\n";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) return 100;
    const std::string file = argv[1];
    const int gap = std::atoi(argv[2]);
    const std::string stop = argv[3];
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    long writes = 0;
    long lost = 0;
    while (!std::filesystem::exists(stop) && std::chrono::steady_clock::now() < end) {
        const std::string text = ReadAll(file);
        if (writes > 0) {
            for (int k = 1; k <= kKeys; ++k) {
                if (text.find("\n" + KeyLine(k)) == std::string::npos) {
                    ++lost;
                    break;
                }
            }
        }
        // Everything after our section.
        const std::size_t others = text.find("\r\n[", 1);
        std::string next = "[Rival]\r\nCount=" + std::to_string(writes) + "\r\n";
        for (int k = 1; k <= kKeys; ++k) next += KeyLine(k);
        if (others != std::string::npos) next += text.substr(others + 2);
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            for (std::size_t at = 0; at < next.size(); at += 256) {
                out.write(next.data() + at, static_cast<std::streamsize>(std::min<std::size_t>(256, next.size() - at)));
                out.flush();
            }
        }
        ++writes;
        if (gap > 0) std::this_thread::sleep_for(std::chrono::milliseconds(gap));
    }
    std::ofstream(argv[4], std::ios::binary) << writes << " " << lost << "\n";
    return 0;
}
