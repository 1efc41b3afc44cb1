// System services of Windows: the UTC clock, error texts and the opening of
// a regular file.

#include "platform/win32/Win32Api.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <string>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace tw::platform {

UtcSeconds SystemClock::NowUtc() const {
    SYSTEMTIME st {};
    ::GetSystemTime(&st);  // milliseconds dropped
    return UtcFromFields({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

std::string SystemErrorText(int code) {
    wchar_t buffer[1024];
    // Language 0: the system's own order of fallbacks (thread, user, system language).
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(code), 0, buffer,
                                     sizeof buffer / sizeof buffer[0], nullptr);
    if (n > 0) return Utf8(std::wstring(buffer, n));  // as it is, line break included
    return "Error Code " + std::to_string(code);
}

int OpenRegularFileForReading(const std::string& path, int& fd) {
    fd = -1;
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (n <= 0) return static_cast<int>(::GetLastError());
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), n);
    // A pipe is opened by its own name (\\.\pipe\...), never in a folder, so
    // a plain open cannot block; devices (CON, NUL, COM1 ...) are refused below.
    fd = ::_wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        ::_close(fd);
        fd = -1;
        return kNotRegularFile;
    }
    return 0;
}

}  // namespace tw::platform
