// tw-child: the program the Windows process tests start.  It ends in the way
// its first argument asks:
//   exit N          exit code N
//   sleep S         after S seconds, exit code 0
//   crash           an access violation
//   errormode FILE  writes this process's error mode (GetErrorMode) to FILE
//   args FILE ...   writes the working folder and each argument, one "[...]"
//                   line each, to FILE
//   print TEXT      writes TEXT to standard output and "error" to standard
//                   error, each on a line, then exit code 2
//   spawn FILE      starts "tw-child sleep 60", writes its process id to FILE,
//                   then sleeps 60 seconds
//   spawnexit FILE  the same, but ends at once with exit code 0

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 100;
    const std::string what = argv[1];
    if (what == "exit" && argc > 2) return std::atoi(argv[2]);
    if (what == "sleep" && argc > 2) {
        ::Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000u);
        return 0;
    }
    if (what == "crash") {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
        return 101;
    }
    if (what == "errormode" && argc > 2) {
        FILE* out = std::fopen(argv[2], "wb");
        if (!out) return 102;
        std::fprintf(out, "%u", ::GetErrorMode());
        std::fclose(out);
        return 0;
    }
    if (what == "args" && argc > 2) {
        FILE* out = std::fopen(argv[2], "wb");
        if (!out) return 102;
        char folder[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, folder);
        std::fprintf(out, "[%s]\n", folder);
        for (int i = 3; i < argc; ++i) std::fprintf(out, "[%s]\n", argv[i]);
        std::fclose(out);
        return 0;
    }
    if (what == "print" && argc > 2) {
        std::printf("%s\n", argv[2]);
        std::fflush(stdout);
        std::fprintf(stderr, "error\n");
        return 2;
    }
    if ((what == "spawn" || what == "spawnexit") && argc > 2) {
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string line = std::string("\"") + self + "\" sleep 60";
        STARTUPINFOA si {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi {};
        if (!::CreateProcessA(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return 103;
        FILE* out = std::fopen(argv[2], "wb");
        if (!out) return 104;
        std::fprintf(out, "%lu", static_cast<unsigned long>(pi.dwProcessId));
        std::fclose(out);
        if (what == "spawn") ::Sleep(60000);
        return 0;
    }
    return 100;
}
