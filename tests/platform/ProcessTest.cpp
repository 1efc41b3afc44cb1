#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "platform/Process.h"

namespace tw::platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using Clock = std::chrono::steady_clock;

// Writes an executable /bin/sh script.
std::string Script(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = dir / name;
    test::WriteBytes(path, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Whether a process is gone (or only a zombie waiting for a reaper).
bool ProcessGone(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close == std::string::npos || line.substr(close + 2, 1) == "Z";
}

TEST(Process, OnlyExitCodeZeroIsSuccess) {
    TempDir dir;
    auto runner = MakeProcessRunner();
    for (const auto& [body, expected] :
         {std::pair{"exit 0", ProcessEnd::ExitedZero}, std::pair{"exit 1", ProcessEnd::Failed},
          std::pair{"exit 255", ProcessEnd::Failed}, std::pair{"kill -SEGV $$", ProcessEnd::Failed},
          std::pair{"kill -TERM $$", ProcessEnd::Failed}}) {
        SCOPED_TRACE(body);
        const ProcessStart start = runner->Start(Script(dir, "p", body), {}, "");
        ASSERT_GT(start.pid, 0) << start.error;
        const auto t0 = Clock::now();
        EXPECT_EQ(runner->Wait(start.pid, 30), expected);
        EXPECT_LT(SecondsSince(t0), 1.0);  // an ended process is seen at once
        // Waited for once: the system has forgotten it.
        EXPECT_EQ(runner->Wait(start.pid, 0), ProcessEnd::Unknown);
    }
}

TEST(Process, ArgumentsArePassedAsTheyStandWithoutAShell) {
    TempDir dir;
    const std::string out = dir / "args.txt";
    auto runner = MakeProcessRunner();
    const std::vector<std::string> args = {out, "c:\\itshfbc", "two words", "$(touch hacked)",
                                           "*", "a\"quote",    ""};
    const ProcessStart start =
        runner->Start(Script(dir, "p", R"(for a in "$@"; do printf '[%s]\n' "$a"; done > "$1")"),
                      args, dir.path());
    ASSERT_GT(start.pid, 0);
    ASSERT_EQ(runner->Wait(start.pid, 5), ProcessEnd::ExitedZero);
    std::string expected;
    for (const std::string& a : args) expected += "[" + a + "]\n";
    EXPECT_EQ(ReadBytes(out), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "hacked"));
}

TEST(Process, RunsInTheWorkingFolderWithoutStandardInput) {
    TempDir dir;
    std::filesystem::create_directory(dir / "RUN");
    auto runner = MakeProcessRunner();
    // A program that reads the keyboard gets end of file at once instead of waiting.
    const std::string body =
        "pwd > where.txt\n"
        "readlink /proc/$$/fd/0 > stdin.txt\n"
        "cat > input.txt\n"
        "echo to-stdout\n"
        "echo to-stderr >&2\n"
        "exit 0";
    const ProcessStart start = runner->Start(Script(dir, "p", body), {}, dir / "RUN");
    ASSERT_GT(start.pid, 0);
    const auto t0 = Clock::now();
    ASSERT_EQ(runner->Wait(start.pid, 1), ProcessEnd::ExitedZero);
    EXPECT_LT(SecondsSince(t0), 0.9);
    std::string where = ReadBytes(dir / "RUN/where.txt");
    ASSERT_FALSE(where.empty());
    where.pop_back();  // the line break
    EXPECT_EQ(std::filesystem::canonical(where), std::filesystem::canonical(dir / "RUN"));
    EXPECT_EQ(ReadBytes(dir / "RUN/stdin.txt"), "/dev/null\n");
    EXPECT_EQ(ReadBytes(dir / "RUN/input.txt"), "");
}

TEST(Process, AtTheLimitTheProcessAndItsChildrenAreKilled) {
    TempDir dir;
    auto runner = MakeProcessRunner();
    const std::string pidFile = dir / "child.pid";
    const ProcessStart start =
        runner->Start(Script(dir, "p", "sleep 30 &\necho $! > \"$1\"\nwait"), {pidFile}, "");
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

TEST(Process, KillEndsARunningProcess) {
    TempDir dir;
    auto runner = MakeProcessRunner();
    const ProcessStart start = runner->Start(Script(dir, "p", "exec sleep 30"), {}, "");
    ASSERT_GT(start.pid, 0);
    runner->Kill(start.pid);
    EXPECT_TRUE(ProcessGone(static_cast<long>(start.pid)));
    EXPECT_EQ(runner->Wait(start.pid, 0), ProcessEnd::Unknown);
}

TEST(Process, StartFailuresComeBackAsErrorCodes) {
    TempDir dir;
    auto runner = MakeProcessRunner();

    ProcessStart missing = runner->Start(dir / "missing.exe", {}, "");
    EXPECT_EQ(missing.pid, 0);
    EXPECT_EQ(missing.error, ENOENT);

    const std::string plain = dir / "plain.exe";
    test::WriteBytes(plain, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(
        plain, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ProcessStart notExecutable = runner->Start(plain, {}, "");
    EXPECT_EQ(notExecutable.pid, 0);
    EXPECT_EQ(notExecutable.error, EACCES);

    ProcessStart badFolder = runner->Start(Script(dir, "p", "exit 0"), {}, dir / "no-such-folder");
    EXPECT_EQ(badFolder.pid, 0);
    EXPECT_EQ(badFolder.error, ENOENT);

    EXPECT_EQ(runner->Start("", {}, "").pid, 0);
}

TEST(Process, WaitingForAnUnknownProcessSaysSo) {
    auto runner = MakeProcessRunner();
    EXPECT_EQ(runner->Wait(0, 1), ProcessEnd::Unknown);
    EXPECT_EQ(runner->Wait(1, 0), ProcessEnd::Unknown);  // init: not our child
}

}  // namespace
}  // namespace tw::platform
