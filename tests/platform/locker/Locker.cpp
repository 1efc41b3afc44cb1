// tw-locker LOCKFILE RESULT: another process for the lock tests.  Tries once
// to take the lock of LOCKFILE, writes "taken" or "busy" into RESULT, then
// sleeps a minute (holding the lock when it took it) unless killed first.

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/FileLock.h"

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    std::unique_ptr<tw::platform::IHeldLock> held;
    int error = 0;
    const auto result = tw::platform::MakeFileLocks()->TryLock(argv[1], held, error);
    std::ofstream(argv[2], std::ios::binary) << (result == tw::platform::LockTry::Taken ? "taken" : "busy");
    std::this_thread::sleep_for(std::chrono::minutes(1));
    return 0;
}
