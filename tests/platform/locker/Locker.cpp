// tw-locker: another process that takes a file lock, for the lock tests.
//
//   tw-locker LOCKFILE RESULT
//
// Tries once to take the lock of LOCKFILE, writes "taken" or "busy" into
// RESULT, then sleeps a minute (holding the lock when it took it) unless it
// is killed first.

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/FileLock.h"

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    std::unique_ptr<tw::platform::IHeldLock> held;
    int error = 0;
    const tw::platform::LockTry result = tw::platform::MakeFileLocks()->TryLock(argv[1], held, error);
    if (result == tw::platform::LockTry::Failed) return 101;
    std::ofstream(argv[2], std::ios::binary) << (result == tw::platform::LockTry::Taken ? "taken" : "busy");
    std::this_thread::sleep_for(std::chrono::minutes(1));
    return 0;
}
