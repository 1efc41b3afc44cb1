#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TempDir.h"
#include "platform/Process.h"

#ifndef _WIN32

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <csignal>

namespace tw::platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using Clock = std::chrono::steady_clock;

class Process : public testing::Test {
protected:
    // Writes an executable /bin/sh script.
    std::string Script(const std::string& body) {
        const std::string path = dir / "p";
        test::WriteBytes(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    TempDir dir;
    std::unique_ptr<IProcessRunner> runner = MakeProcessRunner();
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Whether a process is gone (or only a zombie waiting for a reaper).
bool ProcessGone(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close == std::string::npos || line.substr(close + 2, 1) == "Z";
}

TEST_F(Process, OnlyExitCodeZeroIsSuccess) {
    for (const auto& [body, expected] :
         {std::pair{"exit 0", ProcessEnd::ExitedZero}, std::pair{"exit 1", ProcessEnd::Failed},
          std::pair{"kill -TERM $$", ProcessEnd::Failed}}) {
        SCOPED_TRACE(body);
        const ProcessStart start = runner->Start(Script(body), {}, "");
        ASSERT_GT(start.pid, 0) << start.error;
        const auto t0 = Clock::now();
        EXPECT_EQ(runner->Wait(start.pid, 30), expected);
        EXPECT_LT(SecondsSince(t0), 1.0);  // an ended process is seen at once
        // Waited for once: the system has forgotten it.
        EXPECT_EQ(runner->Wait(start.pid, 0), ProcessEnd::Unknown);
    }
}

// Arguments pass as they stand, without a shell; the program runs in the
// working folder with /dev/null as standard input (a program that reads the
// keyboard gets end of file at once instead of waiting), output and error.
TEST_F(Process, RunsWithTheArgumentsInTheWorkingFolderWithoutStandardInput) {
    std::filesystem::create_directory(dir / "RUN");
    const std::vector<std::string> args = {"c:\\itshfbc", "two words", "$(touch hacked)", "*",
                                           "a\"quote", ""};
    const std::string body =
        "std=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
        "echo \"$std\" > std.txt\n"
        "cat\n"
        "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > args.txt";
    // Our standard input, for the start, a pipe that stays open: a child that
    // kept it would wait.
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const int input = ::dup(0);
    ::dup2(fds[0], 0);
    const ProcessStart start = runner->Start(Script(body), args, dir / "RUN");
    ::dup2(input, 0);
    for (int fd : {input, fds[0]}) ::close(fd);
    ASSERT_GT(start.pid, 0);
    EXPECT_EQ(runner->Wait(start.pid, 1), ProcessEnd::ExitedZero);
    ::close(fds[1]);
    std::string expected;
    for (const std::string& a : args) expected += "[" + a + "]\n";
    EXPECT_EQ(ReadBytes(dir / "RUN/args.txt"), expected);
    EXPECT_EQ(ReadBytes(dir / "RUN/std.txt"), "/dev/null\n/dev/null\n/dev/null\n");
}

// Standard output and error go into the caller's file, made anew; a file that
// cannot be made fails the start.
TEST_F(Process, OutputAndErrorGoToTheFileAskedFor) {
    const std::string log = dir / "engine.log";
    std::ofstream(log) << "an older run's words, longer than this run's";
    const std::string script = Script("echo out\necho err >&2\nexit 2");
    for (const std::string& folder : {std::string(), dir.path()}) {
        const ProcessStart start = runner->Start(script, {}, folder, log);
        ASSERT_GT(start.pid, 0) << start.error;
        EXPECT_EQ(runner->Wait(start.pid, 5), ProcessEnd::Failed);
        EXPECT_EQ(ReadBytes(log), "out\nerr\n");
    }
    EXPECT_EQ(runner->Start(script, {}, "", dir / "missing/engine.log").error, ENOENT);
}

// What this program set for its own signals (SIGINT ignored, SIGTERM blocked
// for a signal descriptor) does not reach the child: each ends it.
TEST_F(Process, TheChildGetsTheDefaultSignalHandling) {
    struct sigaction ignore {}, before {};
    ignore.sa_handler = SIG_IGN;
    sigset_t term, mask;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ASSERT_EQ(::sigaction(SIGINT, &ignore, &before), 0);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &term, &mask), 0);
    const std::string script = Script("kill -\"$1\" $$\nexit 0");
    const ProcessStart starts[] = {runner->Start(script, {"INT"}, ""), runner->Start(script, {"TERM"}, "")};
    ::sigaction(SIGINT, &before, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    for (const ProcessStart& start : starts) {
        ASSERT_GT(start.pid, 0);
        EXPECT_EQ(runner->Wait(start.pid, 5), ProcessEnd::Failed);
    }
}

// At the limit the program is killed with what it started; a program that
// ends (waited for or polled) leaves nothing it started running in its group.
TEST_F(Process, WhatAProgramStartedEndsWithIt) {
    const std::tuple<const char*, double, bool, ProcessEnd> cases[] = {
        {"\nwait", 1, false, ProcessEnd::Killed}, {"", 30, false, ProcessEnd::ExitedZero},
        {"", 30, true, ProcessEnd::ExitedZero}};
    for (const auto& [rest, limit, poll, expected] : cases) {
        const ProcessStart start = runner->Start(Script(std::string("sleep 30 &\necho $! > \"$1\"") + rest),
                                                 {dir / "left"}, "");
        const auto t0 = Clock::now();
        std::optional<ProcessEnd> end = poll ? runner->Poll(start.pid) : runner->Wait(start.pid, limit);
        while (!end) end = runner->Poll(start.pid);
        EXPECT_EQ(end, expected);
        EXPECT_NEAR(SecondsSince(t0), expected == ProcessEnd::Killed ? 1.0 : 0.0, 1.0);
        EXPECT_TRUE(ProcessGone(static_cast<long>(start.pid)));
        // What it started is gone too (perhaps still a zombie of the system's reaper).
        const long left = std::stol(ReadBytes(dir / "left"));
        for (int i = 0; i < 100 && !ProcessGone(left); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(ProcessGone(left)) << rest << limit << poll;
    }
}

TEST_F(Process, KillEndsARunningProcess) {
    const ProcessStart start = runner->Start(Script("exec sleep 30"), {}, "");
    ASSERT_GT(start.pid, 0);
    EXPECT_FALSE(runner->Poll(start.pid).has_value());  // a poll neither waits nor kills
    EXPECT_FALSE(ProcessGone(static_cast<long>(start.pid)));
    runner->Kill(start.pid);
    EXPECT_TRUE(ProcessGone(static_cast<long>(start.pid)));
    EXPECT_EQ(runner->Poll(start.pid), ProcessEnd::Unknown);
}

TEST_F(Process, StartFailuresComeBackAsErrorCodes) {
    const std::string plain = dir / "plain.exe";
    test::WriteBytes(plain, "#!/bin/sh\nexit 0\n");  // not executable
    const struct {
        std::string program;
        std::string folder;
        int error;
    } cases[] = {{dir / "missing.exe", "", ENOENT},
                 {plain, "", EACCES},
                 {Script("exit 0"), dir / "no-such-folder", ENOENT},
                 {"", "", ENOENT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const ProcessStart start = runner->Start(c.program, {}, c.folder);
        EXPECT_EQ(start.pid, 0);
        EXPECT_EQ(start.error, c.error);
    }
}

}  // namespace
}  // namespace tw::platform

#endif  // _WIN32

#ifdef _WIN32

#include "platform/win32/Win32Api.h"

namespace tw::platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// tw-child.exe, built beside this test program.
std::string ChildProgram() { return test::ProgramBesideTests(TIDEWELL_CHILD_EXE); }

// Whether the process of this id has ended (or is gone).
bool ProcessGone(ProcessId pid) {
    HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!h) return true;
    const bool gone = ::WaitForSingleObject(h, 2000) == WAIT_OBJECT_0;
    ::CloseHandle(h);
    return gone;
}

class Process : public testing::Test {
protected:
    TempDir dir;
    const std::string child = ChildProgram();
    std::unique_ptr<IProcessRunner> runner = MakeProcessRunner();
};

// A crash (an access violation) fails the run at once, without an error
// dialog that would hold it until the time limit.
TEST_F(Process, OnlyExitCodeZeroIsSuccess) {
    const std::pair<std::vector<std::string>, ProcessEnd> cases[] = {
        {{"exit", "0"}, ProcessEnd::ExitedZero},
        {{"exit", "3"}, ProcessEnd::Failed},
        {{"crash"}, ProcessEnd::Failed}};
    for (const auto& [args, expected] : cases) {
        SCOPED_TRACE(args[0]);
        const ProcessStart start = runner->Start(child, args, "");
        ASSERT_GT(start.pid, 0) << start.error;
        const auto t0 = Clock::now();
        EXPECT_EQ(runner->Wait(start.pid, 30), expected);
        EXPECT_LT(SecondsSince(t0), 5.0);
        EXPECT_EQ(runner->Wait(start.pid, 0), ProcessEnd::Unknown);
    }
}

// Whatever error mode this program has, the child starts with the one that
// keeps the system's error dialogs away.
TEST_F(Process, TheChildStartsWithoutErrorDialogs) {
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine starts every process with error mode 0 (it hands neither the "
                        "parent's mode nor a job's on); its crash dialog is off in the test prefix";
    const UINT before = ::SetErrorMode(0);
    const ProcessStart start = runner->Start(child, {"errormode", dir / "mode.txt"}, "");
    ::SetErrorMode(before);
    ASSERT_GT(start.pid, 0) << start.error;
    ASSERT_EQ(runner->Wait(start.pid, 30), ProcessEnd::ExitedZero);
    const std::string text = ReadBytes(dir / "mode.txt");
    ASSERT_FALSE(text.empty());
    const auto mode = static_cast<unsigned>(std::stoul(text));
    EXPECT_EQ(mode & (SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX),
              static_cast<unsigned>(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX));
}

TEST_F(Process, RunsWithTheArgumentsInTheWorkingFolder) {
    std::filesystem::create_directory(dir / "RUN");
    const std::vector<std::string> args = {"c:\\itshfbc", "two words", "trailing\\", "a\"quote",
                                           "back\\\\\"slash", "%PATH%", ""};
    std::vector<std::string> all = {"args", dir / "args.txt"};
    all.insert(all.end(), args.begin(), args.end());
    const ProcessStart start = runner->Start(child, all, dir / "RUN");
    ASSERT_GT(start.pid, 0) << start.error;
    EXPECT_EQ(runner->Wait(start.pid, 30), ProcessEnd::ExitedZero);
    const std::string written = ReadBytes(dir / "args.txt");
    std::string expected;
    for (const std::string& a : args) expected += "[" + a + "]\n";
    ASSERT_NE(written.find('\n'), std::string::npos) << written;
    EXPECT_TRUE(std::filesystem::equivalent(written.substr(1, written.find('\n') - 2), dir / "RUN"));
    EXPECT_EQ(written.substr(written.find('\n') + 1), expected);
}

// Standard output and error go into the caller's file, made anew, whatever
// the working folder (also in a folder named outside the ANSI code page: the
// paths are UTF-8); a file that cannot be made fails the start.
TEST_F(Process, OutputAndErrorGoToTheFileAskedFor) {
    const std::string folder = dir / "\xD0\x9F\xD1\x83\xD1\x81\xD0\xBA";
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(folder)));
    const std::string log = folder + "/engine.log";
    test::WriteBytes(log, "an older run's words, longer than this run's");
    for (const std::string& working : {std::string(), folder}) {
        const ProcessStart start = runner->Start(child, {"print", "words"}, working, log);
        ASSERT_GT(start.pid, 0) << start.error;
        EXPECT_EQ(runner->Wait(start.pid, 30), ProcessEnd::Failed);
        EXPECT_EQ(ReadBytes(log), "words\r\nerror\r\n");  // the C runtime's text mode
    }
    EXPECT_EQ(runner->Start(child, {"print", "words"}, "", dir / "missing/engine.log").error,
              ERROR_PATH_NOT_FOUND);
}

TEST_F(Process, AtTheLimitTheProcessAndItsChildrenAreKilled) {
    const std::string pidFile = dir / "child.pid";
    const ProcessStart start = runner->Start(child, {"spawn", pidFile}, "");
    ASSERT_GT(start.pid, 0);
    const auto t0 = Clock::now();
    EXPECT_EQ(runner->Wait(start.pid, 2), ProcessEnd::Killed);
    const double elapsed = SecondsSince(t0);
    EXPECT_GE(elapsed, 1.95);
    EXPECT_LT(elapsed, 5.0);
    EXPECT_TRUE(ProcessGone(start.pid));
    const std::string grandchild = ReadBytes(pidFile);
    ASSERT_FALSE(grandchild.empty());
    EXPECT_TRUE(ProcessGone(std::stoll(grandchild)));

    // A program that ends at once leaves nothing running either.
    const ProcessStart quick = runner->Start(child, {"spawnexit", pidFile}, "");
    ASSERT_GT(quick.pid, 0);
    EXPECT_EQ(runner->Wait(quick.pid, 30), ProcessEnd::ExitedZero);
    EXPECT_TRUE(ProcessGone(std::stoll(ReadBytes(pidFile))));
}

// Only the processes this runner started are waited for or killed: another
// program's process (perhaps one that now has the id of an ended child) is
// left alone.  A killed process is forgotten, never an exit with code 0.
TEST_F(Process, KillsAndWaitsOnlyForItsOwnProcesses) {
    STARTUPINFOA si {};
    si.cb = sizeof si;
    PROCESS_INFORMATION other {};
    std::string line = "\"" + child + "\" sleep 30";
    ASSERT_TRUE(::CreateProcessA(child.c_str(), line.data(), nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW, nullptr, nullptr, &si, &other));
    const auto otherPid = static_cast<ProcessId>(other.dwProcessId);
    runner->Kill(otherPid);
    EXPECT_EQ(runner->Wait(otherPid, 0), ProcessEnd::Unknown);
    EXPECT_EQ(runner->Poll(otherPid), ProcessEnd::Unknown);
    EXPECT_EQ(::WaitForSingleObject(other.hProcess, 200), static_cast<DWORD>(WAIT_TIMEOUT))
        << "another program's process was killed";
    ::TerminateProcess(other.hProcess, 1);
    ::CloseHandle(other.hThread);
    ::CloseHandle(other.hProcess);

    const ProcessStart start = runner->Start(child, {"sleep", "30"}, "");
    ASSERT_GT(start.pid, 0);
    EXPECT_FALSE(runner->Poll(start.pid).has_value());
    runner->Kill(start.pid);
    EXPECT_TRUE(ProcessGone(start.pid));
    EXPECT_EQ(runner->Wait(start.pid, 1), ProcessEnd::Unknown);
}

TEST_F(Process, StartFailuresComeBackAsErrorCodes) {
    const struct {
        std::string program;
        std::string folder;
        int error;
    } cases[] = {{dir / "missing.exe", "", ERROR_FILE_NOT_FOUND},
                 {child, dir / "no-such-folder", ERROR_DIRECTORY}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program + " in " + c.folder);
        const ProcessStart start = runner->Start(c.program, {"exit", "0"}, c.folder);
        EXPECT_EQ(start.pid, 0);
        EXPECT_EQ(start.error, c.error);
    }
}

}  // namespace
}  // namespace tw::platform

#endif  // _WIN32
