// itshf-standin-bench: the cost of one run of the ITS HF stand-in.
//
//     itshf-standin-bench [runs]          (default 100 runs per case)
//
// It installs the stand-in as voacapw.exe and rec533w.exe in a temporary
// itshfbc tree, writes a deck of 10 frequencies, and starts the program
// `runs` times as Tidewell does ("<bin_win>/voacapw.exe c:\itshfbc sound.dat
// sound.out"), printing the mean wall time per run.  It also prints the time
// of the model and the output text alone, in this process.  A benchmark, not a test: it checks
// nothing but that every run exited 0.

#include "Deck.h"
#include "Output.h"
#include "SampleDecks.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int RunOnce(const fs::path& program) {
#ifndef _WIN32
    std::string exe = program.string(), root = "c:\\itshfbc", deck = "sound.dat", out = "sound.out";
    char* argv[] = {exe.data(), root.data(), deck.data(), out.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#else
    const std::string command = "\"\"" + program.string() + "\" c:\\itshfbc sound.dat sound.out\"";
    return std::system(command.c_str());
#endif
}

void Case(const char* title, const fs::path& program, const fs::path& deckPath, const std::string& deck,
          int runs) {
    std::ofstream(deckPath, std::ios::binary | std::ios::trunc) << deck;
    int failures = 0;
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) failures += RunOnce(program) != 0;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::cout << title << ": " << ms / runs << " ms per run (" << runs << " runs"
              << (failures ? ", " + std::to_string(failures) + " FAILED" : std::string()) << ")\n";
}

void InProcess(const char* title, tw::itshf::Program program, const std::string& deck, int runs) {
    std::size_t bytes = 0;
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) bytes += tw::itshf::WriteOutput(program, tw::itshf::ParseDeck(deck)).size();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::cout << title << ": " << ms / runs << " ms per run in process (" << bytes / runs
              << " bytes of output)\n";
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const fs::path work = fs::temp_directory_path() /
                          ("itshf-standin-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
    const fs::path binWin = work / "itshfbc" / "bin_win";
    const fs::path runDir = work / "itshfbc" / "RUN";
    fs::create_directories(binWin);
    fs::create_directories(runDir);
    fs::copy_file(ITSHF_STANDIN_EXE, binWin / "voacapw.exe");
    fs::copy_file(ITSHF_STANDIN_EXE, binWin / "rec533w.exe");
#ifndef _WIN32
    unsetenv("ITSHF_STANDIN_FAIL");
#endif

    tw::itshf::DeckParams now;  // 2 hours, 10 frequencies, as for the current time
    tw::itshf::DeckParams day = now;
    day.firstHour = 0;
    day.hourCount = 24;       // as the 24-hour views ask
    const std::string voacapNow = tw::itshf::IcepacVoacapDeck(now);
    const std::string voacapDay = tw::itshf::IcepacVoacapDeck(day);
    const std::string rec533Now = tw::itshf::Rec533Deck(now);

    std::cout << "ITS HF stand-in benchmark: " << ITSHF_STANDIN_EXE << "\n";
    Case("voacapw.exe, 2 hours, 10 frequencies", binWin / "voacapw.exe", runDir / "sound.dat", voacapNow, runs);
    Case("voacapw.exe, 24 hours, 10 frequencies", binWin / "voacapw.exe", runDir / "sound.dat", voacapDay, runs);
    Case("rec533w.exe, 2 hours, 10 frequencies", binWin / "rec533w.exe", runDir / "sound.dat", rec533Now, runs);
    InProcess("VOACAP model and output, 2 hours", tw::itshf::Program::Voacap, voacapNow, runs);
    InProcess("VOACAP model and output, 24 hours", tw::itshf::Program::Voacap, voacapDay, runs);

    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
