// The file operations of the profile files on Windows; error codes are
// GetLastError values.

#include "platform/NativeProfileFiles.h"

#include "platform/win32/Win32Api.h"

#include <algorithm>

#include "platform/PathMapper.h"

namespace tw::platform::profile_file {

namespace {

DWORD WriteAll(HANDLE h, std::string_view data) {
    while (!data.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, data.data(), chunk, &written, nullptr)) return ::GetLastError();
        data.remove_prefix(written);
    }
    return 0;
}

int CloseWith(HANDLE h, DWORD err) {
    ::CloseHandle(h);
    return static_cast<int>(err);
}

}  // namespace

std::string NativePath(const PathMapper& mapper, const std::string& file) {
    return mapper.ToNative(file);
}

int Read(const std::string& path, std::string& text, bool& exists) {
    text.clear();
    exists = false;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int>(err);
    }
    exists = true;
    // Only files on a disk: a pipe or a device would never end.
    if (::GetFileType(h) != FILE_TYPE_DISK) return CloseWith(h, ERROR_INVALID_FUNCTION);
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &n, nullptr)) return CloseWith(h, ::GetLastError());
        if (n == 0) break;
        if (text.size() + n > kMaxProfileBytes) return CloseWith(h, ERROR_FILE_TOO_LARGE);
        text.append(buffer, n);
    }
    return CloseWith(h, 0);
}

int CheckWritable(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<int>(::GetLastError());
    // A file marked read-only stays as it is, although the move would work.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    return 0;
}

int Replace(const std::string& path, std::string_view text, bool exists,
            const std::function<bool()>& unchanged) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = path.substr(prefix.size());
    const DWORD attributes = exists ? ::GetFileAttributesA(path.c_str()) : 0;

    static unsigned counter = 0;
    std::string temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = prefix + "~" + base + "." + std::to_string(::GetCurrentProcessId()) + "." +
               std::to_string(counter++) + ".tmp";
        h = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return static_cast<int>(err);
        }
    }
    if (h == INVALID_HANDLE_VALUE) return ERROR_FILE_EXISTS;

    int err = static_cast<int>(WriteAll(h, text));
    if (err == 0 && !::FlushFileBuffers(h)) err = static_cast<int>(::GetLastError());
    if (!::CloseHandle(h) && err == 0) err = static_cast<int>(::GetLastError());
    if (err == 0 && !unchanged()) err = kChanged;
    if (err == 0 &&
        !::MoveFileExA(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        err = static_cast<int>(::GetLastError());
    }
    if (err != 0) {
        ::DeleteFileA(temp.c_str());
        return err;
    }
    const DWORD keep = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (keep != 0) ::SetFileAttributesA(path.c_str(), keep);  // best effort
    return 0;
}

int BusyError() { return ERROR_SHARING_VIOLATION; }
int InvalidArgumentError() { return ERROR_INVALID_PARAMETER; }

}  // namespace tw::platform::profile_file
