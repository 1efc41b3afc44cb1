// File locks: one holder at a time, in one process as between processes; a
// lock goes with its holder (released, or its process killed) and never to
// a program the holder starts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include "platform/win32/Win32Api.h"
#endif

#include "TempDir.h"
#include "platform/FileLock.h"
#include "platform/Process.h"

namespace tw::platform {
namespace {

// Real processes: real time passes while they run.
void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }

TEST(FileLock, OneHolderAtATimeAndNoneAfterItsProcessIsKilled) {
    const std::string locker = test::ProgramBesideTests(TIDEWELL_LOCKER_EXE);
    test::TempDir dir;
    const std::string path = dir / "run.lock";
    const std::unique_ptr<IFileLocks> locks = MakeFileLocks();
    const std::unique_ptr<IProcessRunner> runner = MakeProcessRunner();
    std::unique_ptr<IHeldLock> first, second;
    int error = 0;
    // tw-locker tries once and writes what it found.
    const auto lockerFinds = [&](const std::string& result, ProcessId& pid) {
        pid = runner->Start(locker, {path, dir / result}, "").pid;
        std::string text;
        for (int i = 0; i < 2000 && text.empty(); ++i, Pause()) std::ifstream(dir / result) >> text;
        return text;
    };
    ASSERT_EQ(locks->TryLock(path, first, error), LockTry::Taken);
    EXPECT_EQ(locks->TryLock(path, second, error), LockTry::Busy);
    EXPECT_EQ(second, nullptr);
    // Another process finds it held; started meanwhile, it holds nothing of ours.
    ProcessId pid = 0;
    EXPECT_EQ(lockerFinds("held.txt", pid), "busy");
    first.reset();
    EXPECT_EQ(locks->TryLock(path, second, error), LockTry::Taken);
    second.reset();
    runner->Kill(pid);
    // A process that holds it keeps us out until it is killed.
    ASSERT_EQ(lockerFinds("holder.txt", pid), "taken");
    EXPECT_EQ(locks->TryLock(path, first, error), LockTry::Busy);
    runner->Kill(pid);
    LockTry after = LockTry::Busy;
    for (int i = 0; i < 400 && after == LockTry::Busy; ++i, Pause()) after = locks->TryLock(path, first, error);
    EXPECT_EQ(after, LockTry::Taken);
}

}  // namespace
}  // namespace tw::platform
