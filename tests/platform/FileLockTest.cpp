// File locks: one holder at a time, in one process as between processes; a
// lock goes with its holder (released, or its process killed) and never to
// a program the holder starts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#ifdef _WIN32
#include "platform/win32/Win32Api.h"
#endif

#include "TempDir.h"
#include "platform/FileLock.h"
#include "platform/Process.h"

namespace tw::platform {
namespace {

using test::TempDir;

std::string Locker() {
#ifdef _WIN32
    char self[MAX_PATH] = {};
    const std::string test(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH));
#else
    const std::string test = std::filesystem::read_symlink("/proc/self/exe").string();
#endif
    return test.substr(0, test.find_last_of("\\/") + 1) + TIDEWELL_LOCKER_EXE;
}

// What tw-locker wrote, once it has: real time passes until a real process has run.
std::string Result(const std::string& file) {
    std::string text;
    for (int i = 0; i < 2000 && text.empty(); ++i) {
        std::ifstream(file) >> text;
        if (text.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return text;
}

TEST(FileLock, OneHolderAtATimeAndNoneAfterItsProcessIsKilled) {
    TempDir dir;
    const std::string path = dir / "run.lock";
    const std::unique_ptr<IFileLocks> locks = MakeFileLocks();
    const std::unique_ptr<IProcessRunner> runner = MakeProcessRunner();
    const auto tryLock = [&](std::unique_ptr<IHeldLock>& held) {
        int error = 0;
        const LockTry result = locks->TryLock(path, held, error);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(result == LockTry::Taken, held != nullptr);
        return result;
    };
    std::unique_ptr<IHeldLock> first, second;
    // Two holders in this process; the second takes it once the first let it go.
    ASSERT_EQ(tryLock(first), LockTry::Taken);
    EXPECT_EQ(tryLock(second), LockTry::Busy);

    // Another process finds it held.  A program started meanwhile holds
    // nothing of ours: once we let go, the lock is free.
    const ProcessStart held = runner->Start(Locker(), {path, dir / "held.txt"}, "");
    ASSERT_GT(held.pid, 0) << held.error;
    EXPECT_EQ(Result(dir / "held.txt"), "busy");
    first.reset();
    EXPECT_EQ(tryLock(second), LockTry::Taken);
    second.reset();
    runner->Kill(held.pid);

    // A process that holds it keeps us out until it is killed.
    const ProcessStart holder = runner->Start(Locker(), {path, dir / "holder.txt"}, "");
    ASSERT_GT(holder.pid, 0) << holder.error;
    ASSERT_EQ(Result(dir / "holder.txt"), "taken");
    EXPECT_EQ(tryLock(first), LockTry::Busy);
    runner->Kill(holder.pid);
    LockTry after = LockTry::Busy;
    for (int i = 0; i < 400 && after == LockTry::Busy; ++i) {
        after = tryLock(first);
        if (after == LockTry::Busy) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(after, LockTry::Taken);
}

TEST(FileLock, ALockFileThatCannotBeMadeFailsWithItsError) {
    TempDir dir;
    std::unique_ptr<IHeldLock> held;
    int error = 0;
    EXPECT_EQ(MakeFileLocks()->TryLock(dir / "missing/run.lock", held, error), LockTry::Failed);
    EXPECT_NE(error, 0);
    EXPECT_EQ(held, nullptr);
}

}  // namespace
}  // namespace tw::platform
