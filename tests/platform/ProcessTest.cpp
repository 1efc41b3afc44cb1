#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <csignal>

#include "TempDir.h"
#include "platform/Process.h"

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

TEST_F(Process, AtTheLimitTheProcessAndItsChildrenAreKilled) {
    const std::string pidFile = dir / "child.pid";
    const ProcessStart start = runner->Start(Script("sleep 30 &\necho $! > \"$1\"\nwait"),
                                             {pidFile}, "");
    ASSERT_GT(start.pid, 0);
    const auto t0 = Clock::now();
    EXPECT_EQ(runner->Wait(start.pid, 1), ProcessEnd::Killed);
    const double elapsed = SecondsSince(t0);
    EXPECT_GE(elapsed, 0.95);
    EXPECT_LT(elapsed, 3.0);
    EXPECT_TRUE(ProcessGone(static_cast<long>(start.pid)));
    const std::string childPid = ReadBytes(pidFile);
    ASSERT_FALSE(childPid.empty());
    // The grandchild is gone too (perhaps still a zombie of the system's reaper).
    for (int i = 0; i < 100 && !ProcessGone(std::stol(childPid)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(ProcessGone(std::stol(childPid)));
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
