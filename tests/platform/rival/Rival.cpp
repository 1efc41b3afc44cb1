// tw-rival: another program that writes a profile file beside the profile
// tests, as AirMail and the Windows profile functions do: it reads the file
// whole, then writes its own text anew, again and again.
//
//   tw-rival FILE STOP RESULT [piece=N] [pause=US] [stall=MS] [gap=US] [atomic]
//
// Its text is an Airmail.ini of 67 lines: its own sections ([Settings],
// [Stations], [Hardware], [Mail], [Propagation] with SSN=87, [Rival] with a
// count of its writes), then what it found from "[Position Report]" on (what
// other programs wrote; a block of its own when there is none).  It writes
// in place, in pieces of N bytes (default: the whole text at once) with US
// microseconds between them; a piece never ends right after a line end, as
// almost no cut of a writer of fixed pieces does.  With stall, its third
// write stands still MS milliseconds after 700 bytes.  With atomic, it
// writes a temporary file whole and moves it over the file.  Between two
// writes it waits gap microseconds; it goes on until the file STOP exists
// (or a minute has passed), then reads once more and writes "writes lost"
// into RESULT: how often it wrote, and how often a read found one of its
// lines missing (a missing file counts).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
    if (argc < 4) return 100;
    std::map<std::string, long> option;
    for (int i = 4; i < argc; ++i) {
        const std::string text = argv[i];
        const std::size_t equals = text.find('=');
        option[text.substr(0, equals)] = equals == std::string::npos ? 1 : std::atol(text.c_str() + equals + 1);
    }
    const std::size_t piece = static_cast<std::size_t>(option["piece"]);
    std::vector<std::string> own;
    for (const char* section : {"Settings", "Stations", "Hardware", "Mail"}) {
        own.push_back(std::string("[") + section + "]");
        for (int k = 1; k <= 13; ++k)
            own.push_back(section + std::to_string(k) + "=the value of key " + std::to_string(k));
    }
    own.insert(own.end(), {"[Propagation]", "Latitude=37\xB0" "45.00'N",
                           "Longitude=025\xB0" "40.00'W", "SSN=87", "[Rival]"});
    const std::string report =
        "[Position Report]\r\nLatitude=37\xB0" "41.20'N\r\nLongitude=025\xB0" "33.80'W\r\n"
        "Current Latitude=37\xB0" "44.50'N\r\nCurrent Longitude=025\xB0" "40.20'W\r\n";

    const char* file = argv[1];
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    const auto wait = [](long us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); };
    long writes = 0, lost = 0;
    for (bool last = false; !last; wait(option["gap"])) {
        last = std::filesystem::exists(argv[2]) || std::chrono::steady_clock::now() > end;
        std::ifstream in(file, std::ios::binary);
        // A file another program holds without sharing (a move over it in
        // progress, on Windows) cannot be opened: tried again.
        if (!in.is_open() && std::filesystem::exists(file)) continue;
        const std::string text = "\n" + std::string(std::istreambuf_iterator<char>(in), {});
        in.close();
        std::string next;
        bool missing = text.find("\nCount=") == std::string::npos;
        for (const std::string& line : own) {
            next += line + "\r\n";
            missing = missing || text.find("\n" + line + "\r\n") == std::string::npos;
        }
        lost += writes > 0 && missing;
        if (last) break;
        const std::size_t others = text.find("\n[Position Report]");
        next += "Count=" + std::to_string(writes) + "\r\n" +
                (others == std::string::npos ? report : text.substr(others + 1));

        if (option.count("atomic")) {
            const std::string temp = std::string(file) + ".rival";
            std::ofstream(temp, std::ios::binary) << next;
#ifdef _WIN32
            if (!::MoveFileExA(temp.c_str(), file, MOVEFILE_REPLACE_EXISTING)) continue;
#else
            if (std::rename(temp.c_str(), file) != 0) continue;
#endif
        } else {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            if (!out.is_open()) continue;
            const bool stalling = option["stall"] > 0 && writes == 2;
            for (std::size_t from = 0, cut = 0; from < next.size(); from = cut) {
                const std::size_t stop = stalling && from < 700 ? 700 : next.size();
                cut = std::min(piece > 0 ? from + piece : next.size(), stop);
                cut += cut < next.size() && next[cut - 1] == '\n';  // (never two in a row)
                out.write(next.data() + from, static_cast<std::streamsize>(cut - from)).flush();
                if (cut < next.size())
                    wait(cut >= 700 && stop == 700 ? option["stall"] * 1000 : option["pause"]);
            }
        }
        ++writes;
    }
    std::ofstream(argv[3], std::ios::binary) << writes << " " << lost << "\n";
    return 0;
}
