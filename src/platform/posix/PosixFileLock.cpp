// File locks on POSIX systems: flock on a descriptor of the lock file.  A
// flock lock belongs to the open file, so two holders in one process exclude
// each other as two processes do, and the descriptor is closed on exec, so a
// started program never holds it.  The system releases it with the last
// descriptor, at the latest when the process ends.

#include <cerrno>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/FileLock.h"

namespace tw::platform {

namespace {

class PosixHeldLock final : public IHeldLock {
public:
    explicit PosixHeldLock(int fd) : m_fd(fd) {}
    ~PosixHeldLock() override { ::close(m_fd); }
    PosixHeldLock(const PosixHeldLock&) = delete;
    PosixHeldLock& operator=(const PosixHeldLock&) = delete;

private:
    int m_fd;
};

class PosixFileLocks final : public IFileLocks {
public:
    LockTry TryLock(const std::string& path, std::unique_ptr<IHeldLock>& held, int& error) override {
        held.reset();
        error = 0;
        // Readable and writable by every user, so that another user's Tidewell
        // can take it too; a file of another user that this one may only read
        // is opened for reading, which is enough for the lock.  Never blocking
        // on the open (a pipe put in its place), never a terminal of ours, and
        // never through a link (one planted there would have its target made).
        constexpr int kFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW;
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
        if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | kFlags);
        if (fd < 0) {
            error = errno;
            return LockTry::Failed;
        }
        int rc;
        while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        if (rc != 0) {
            const int lockError = errno;
            ::close(fd);
            if (lockError == EWOULDBLOCK) return LockTry::Busy;
            error = lockError;
            return LockTry::Failed;
        }
        held = std::make_unique<PosixHeldLock>(fd);
        return LockTry::Taken;
    }
};

}  // namespace

std::unique_ptr<IFileLocks> MakeFileLocks() { return std::make_unique<PosixFileLocks>(); }

}  // namespace tw::platform
