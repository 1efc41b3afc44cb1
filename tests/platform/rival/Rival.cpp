// tw-rival: another program that writes a profile file the way the Windows
// profile functions do, for the profile tests: it reads the file whole, then
// empties it and writes it anew in place, in pieces of 256 bytes.
//
//   tw-rival FILE GAP STOP RESULT
//
// Its section [Rival] (a count and the keys Key1 to Key40) comes first; the
// rest of the file (what other programs wrote) is kept after it.  It writes
// again and again, GAP milliseconds apart (0: at once), until the file STOP
// exists (or a minute has passed), then writes "writes lost" into RESULT:
// how often it wrote, and how often a read found one of its keys missing
// (a missing file counts, a file it could not open for a moment does not).

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 5) return 100;
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    long writes = 0, lost = 0;
    while (!std::filesystem::exists(argv[3]) && std::chrono::steady_clock::now() < end) {
        std::ifstream in(argv[1], std::ios::binary);
        // A file another program holds without sharing (a move over it in
        // progress, on Windows) cannot be opened: the profile functions fail
        // such a write, and it is tried again.
        if (!in.is_open() && std::filesystem::exists(argv[1])) continue;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        std::string next = "[Rival]\r\nCount=" + std::to_string(writes) + "\r\n";
        bool missing = false;
        for (int k = 1; k <= 40; ++k) {
            const std::string line = "Key" + std::to_string(k) + "=the value of key " + std::to_string(k) + "\r\n";
            missing = missing || text.find("\n" + line) == std::string::npos;
            next += line;
        }
        lost += writes > 0 && missing;
        if (const std::size_t others = text.find("\r\n[", 1); others != std::string::npos)
            next += text.substr(others + 2);
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        for (std::size_t at = 0; at < next.size(); at += 256)
            out.write(next.data() + at, static_cast<std::streamsize>(std::min<std::size_t>(256, next.size() - at))).flush();
        out.close();
        ++writes;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    }
    std::ofstream(argv[4], std::ios::binary) << writes << " " << lost << "\n";
    return 0;
}
