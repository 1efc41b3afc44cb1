#pragma once
// A lock that one holder at a time has on a file, for a folder that several
// programs share (the propagation run folder of two Tidewells on one drive):
// the file's place names what it guards and the file itself holds nothing.
// It is the operating system's lock, so it goes with its holder: released
// when the holder lets it go, and by the system when the process ends,
// however it ends (killed, crashed).  The lock file stays where it is.
// Neither a started program nor anything it starts inherits a lock.

#include <memory>
#include <string>

namespace tw::platform {

// A lock held: released when destroyed.
class IHeldLock {
public:
    virtual ~IHeldLock() = default;
};

enum class LockTry {
    Taken,   // the lock is this holder's now
    Busy,    // another holder has it (another process, or another holder in this one)
    Failed,  // the lock file can be neither made nor opened
};

class IFileLocks {
public:
    virtual ~IFileLocks() = default;
    // Tries once, without waiting, to take the lock of the file at `path`
    // (UTF-8; made when missing).  Taken: `held` holds it.  Failed: `error`
    // is the system's error code.
    virtual LockTry TryLock(const std::string& path, std::unique_ptr<IHeldLock>& held,
                            int& error) = 0;
};

// The backend of this operating system: flock on POSIX systems, LockFileEx on
// Windows.
std::unique_ptr<IFileLocks> MakeFileLocks();

}  // namespace tw::platform
