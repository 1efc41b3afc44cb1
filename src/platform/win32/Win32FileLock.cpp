// File locks on Windows: LockFileEx on a handle of the lock file, which is
// opened with every share mode so that the lock, not the open, decides.  The
// lock belongs to the handle, so two holders in one process exclude each
// other as two processes do; the handle is not inheritable, so a started
// program never holds it.  The system releases the lock when the handle is
// closed, at the latest when the process ends.

#include "platform/win32/Win32Api.h"

#include <memory>
#include <string>

#include "platform/FileLock.h"

namespace tw::platform {

namespace {

class Win32HeldLock final : public IHeldLock {
public:
    explicit Win32HeldLock(HANDLE file) : m_file(file) {}
    ~Win32HeldLock() override { ::CloseHandle(m_file); }
    Win32HeldLock(const Win32HeldLock&) = delete;
    Win32HeldLock& operator=(const Win32HeldLock&) = delete;

private:
    HANDLE m_file;
};

class Win32FileLocks final : public IFileLocks {
public:
    LockTry TryLock(const std::string& path, std::unique_ptr<IHeldLock>& held, int& error) override {
        held.reset();
        error = 0;
        constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        // A file this user may only read is locked through a handle for reading.
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
            file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = static_cast<int>(::GetLastError());
            return LockTry::Failed;
        }
        OVERLAPPED at {};
        if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            const DWORD lockError = ::GetLastError();
            ::CloseHandle(file);
            if (lockError == ERROR_LOCK_VIOLATION) return LockTry::Busy;
            error = static_cast<int>(lockError);
            return LockTry::Failed;
        }
        held = std::make_unique<Win32HeldLock>(file);
        return LockTry::Taken;
    }
};

}  // namespace

std::unique_ptr<IFileLocks> MakeFileLocks() { return std::make_unique<Win32FileLocks>(); }

}  // namespace tw::platform
