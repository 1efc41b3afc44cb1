// The file operations of the profile files on Windows; error codes are
// GetLastError values.

#include "platform/NativeProfileFiles.h"

#include "platform/win32/Win32Api.h"

#include <algorithm>
#include <vector>

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

namespace {

// Rewrites the open file in place with `text`: first grown to the larger of
// its old and new sizes (so that a full disk fails before a byte changes),
// then written from its start, cut to the new size and flushed.
DWORD RewriteInPlace(HANDLE h, std::string_view text) {
    LARGE_INTEGER size {};
    if (!::GetFileSizeEx(h, &size)) return ::GetLastError();
    LARGE_INTEGER at {};
    at.QuadPart = static_cast<LONGLONG>(text.size());
    if (at.QuadPart > size.QuadPart &&
        (!::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) || !::SetEndOfFile(h)))
        return ::GetLastError();
    if (!::SetFilePointerEx(h, LARGE_INTEGER {}, nullptr, FILE_BEGIN)) return ::GetLastError();
    if (const DWORD err = WriteAll(h, text); err != 0) return err;
    if (at.QuadPart < size.QuadPart && !::SetEndOfFile(h)) return ::GetLastError();
    return ::FlushFileBuffers(h) ? 0 : ::GetLastError();
}

// The file's access list (a self-relative security descriptor); empty when
// it cannot be read.
std::vector<char> AccessList(const std::string& path) {
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<char> sd(size);
    if (size == 0 || !::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size))
        sd.clear();
    return sd;
}

// The errors of a replace that another program's open handle causes.
bool HeldOpen(DWORD err) {
    return err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION ||
           err == ERROR_UNABLE_TO_REMOVE_REPLACED || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

}  // namespace

// A new file is moved into place.  An existing one is replaced with
// ReplaceFile, which keeps its security (owner and access list), attributes
// and creation time.  A file that another program holds open without delete
// sharing (as AirMail holds its files) cannot be replaced: it is rewritten in
// place, as the Windows profile functions write, with the new text kept in
// the temporary file until the rewrite has succeeded.  Where a replace leaves
// another access list (Wine's ReplaceFile keeps none), the old one is set
// again.
int Replace(const std::string& path, std::string_view text, bool exists,
            const std::function<bool()>& unchanged) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = path.substr(prefix.size());

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

    DWORD err = WriteAll(h, text);
    if (err == 0 && !::FlushFileBuffers(h)) err = ::GetLastError();
    if (!::CloseHandle(h) && err == 0) err = ::GetLastError();
    if (err == 0 && !unchanged()) err = static_cast<DWORD>(kChanged);
    if (err == 0 && !exists &&
        !::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        err = ::GetLastError();
    const std::vector<char> accessList = exists ? AccessList(path) : std::vector<char>();
    if (err == 0 && exists &&
        ::ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr,
                       nullptr)) {
        if (!accessList.empty() && AccessList(path) != accessList)
            ::SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION,
                               const_cast<char*>(accessList.data()));  // best effort
    } else if (err == 0 && exists) {
        err = ::GetLastError();
        if (HeldOpen(err)) {
            HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                err = ::GetLastError();
            } else {
                err = RewriteInPlace(file, text);
                ::CloseHandle(file);
                // A rewrite that failed half way keeps the new text in `temp`.
                if (err != 0) return static_cast<int>(err);
            }
        }
    }
    if (err != 0 || ::GetFileAttributesA(temp.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::DeleteFileA(temp.c_str());
    return static_cast<int>(err);
}

int BusyError() { return ERROR_SHARING_VIOLATION; }
int InvalidArgumentError() { return ERROR_INVALID_PARAMETER; }

}  // namespace tw::platform::profile_file
