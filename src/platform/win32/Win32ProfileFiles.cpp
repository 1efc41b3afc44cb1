// The file operations of the profile files on Windows; error codes are
// GetLastError values.

#include "platform/NativeProfileFiles.h"

#include "platform/win32/Win32Api.h"

#include <algorithm>
#include <cstring>
#include <string_view>
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

}  // namespace

std::string NativePath(const PathMapper& mapper, const std::string& file) {
    const std::string path = mapper.ToNative(file);
    // A symbolic link: its target, as the profile functions open it (a link
    // whose target is missing stays as it is).
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    HANDLE h = ::CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    std::wstring target(32768, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(h, target.data(), static_cast<DWORD>(target.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(h);
    if (n == 0 || n >= target.size()) return path;
    target.resize(n);
    if (target.rfind(L"\\\\?\\", 0) == 0 && target.rfind(L"\\\\?\\UNC\\", 0) != 0) target.erase(0, 4);
    return Utf8(target);
}

namespace {

HANDLE Handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) ::CloseHandle(Handle(m_handle));
        m_handle = other.m_handle;
        other.m_handle = kNone;
    }
    return *this;
}

OpenFile::~OpenFile() {
    if (IsOpen()) ::CloseHandle(Handle(m_handle));
}

int OpenFile::ReadAll(std::string& text) const {
    text.clear();
    HANDLE h = Handle(m_handle);
    if (!::SetFilePointerEx(h, LARGE_INTEGER {}, nullptr, FILE_BEGIN))
        return static_cast<int>(::GetLastError());
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &n, nullptr)) return static_cast<int>(::GetLastError());
        if (n == 0) return 0;
        if (text.size() + n > kMaxProfileBytes) return ERROR_FILE_TOO_LARGE;
        text.append(buffer, n);
    }
}

unsigned OpenFile::Links() const {
    BY_HANDLE_FILE_INFORMATION info {};
    return ::GetFileInformationByHandle(Handle(m_handle), &info) && info.nNumberOfLinks > 0
               ? static_cast<unsigned>(info.nNumberOfLinks)
               : 1u;
}

namespace {

unsigned long long Ticks(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

long long OpenFile::AgeMs() const {
    FILETIME written {}, now {};
    if (!::GetFileTime(Handle(m_handle), nullptr, nullptr, &written)) return -1;
    ::GetSystemTimeAsFileTime(&now);
    // 100 ns ticks.
    return Ticks(now) >= Ticks(written) ? static_cast<long long>((Ticks(now) - Ticks(written)) / 10000) : -1;
}

bool OpenFile::SameFile(const OpenFile& other) const {
    BY_HANDLE_FILE_INFORMATION a {}, b {};
    return IsOpen() && other.IsOpen() && ::GetFileInformationByHandle(Handle(m_handle), &a) &&
           ::GetFileInformationByHandle(Handle(other.m_handle), &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

int Open(const std::string& path, OpenFile& file) {
    file = OpenFile();
    HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int>(err);
    }
    // Only files on a disk: a pipe or a device would never end.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        return ERROR_INVALID_FUNCTION;
    }
    file.m_handle = reinterpret_cast<std::intptr_t>(h);
    return 0;
}

int GuardWriters(const std::string& path, OpenFile& guard) {
    guard = OpenFile();
    // Reading and deleting shared, writing not: an open for writing of
    // another program fails while this handle is open, and this open fails
    // while another program has the file open for writing.  A replace's own
    // open (reading and deleting) goes on beside it, and so do readers.
    HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND) return 0;
        return err == ERROR_SHARING_VIOLATION ? kHeldOpen : static_cast<int>(err);
    }
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        return ERROR_INVALID_FUNCTION;
    }
    guard.m_handle = reinterpret_cast<std::intptr_t>(h);
    return 0;
}

int CheckWritable(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<int>(::GetLastError());
    // A file marked read-only stays as it is, although the move would work.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    return 0;
}

TempFile::~TempFile() {
    if (!path.empty()) ::DeleteFileW(Wide(path).c_str());
}

namespace {

struct PathParts {
    std::string prefix;  // the folder with its separator, or ""
    std::string base;    // the file's name
};

PathParts Split(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return {prefix, path.substr(prefix.size())};
}

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

// Rewrites the file in place through the guard (no other program writes it
// meanwhile), or through a handle of its own where there is none; a rewrite
// that failed half way keeps the new text in the temporary file.
int RewritePath(TempFile& temp, const std::string& path, OpenFile& guard, std::string_view text) {
    HANDLE file = guard.IsOpen()
                      ? Handle(guard.m_handle)
                      : ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(::GetLastError());
    const DWORD err = RewriteInPlace(file, text);
    if (guard.IsOpen())
        guard = OpenFile();
    else
        ::CloseHandle(file);
    if (err != 0) temp.path.clear();
    return static_cast<int>(err);
}

// The file's access list (a self-relative security descriptor); empty when
// it cannot be read.
std::vector<char> AccessList(const std::wstring& path) {
    DWORD size = 0;
    ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<char> sd(size);
    if (size == 0 || !::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size))
        sd.clear();
    return sd;
}

// The old file's attributes and creation time on the new one (best effort).
void KeepProperties(const OpenFile& original, const std::wstring& temp) {
    BY_HANDLE_FILE_INFORMATION info {};
    if (!::GetFileInformationByHandle(Handle(original.m_handle), &info)) return;
    HANDLE h = ::CreateFileW(temp.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::SetFileTime(h, &info.ftCreationTime, nullptr, nullptr);
        ::CloseHandle(h);
    }
    const DWORD kept = info.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                FILE_ATTRIBUTE_ARCHIVE |
                                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept != 0) ::SetFileAttributesW(temp.c_str(), kept);
}

// The errors of a replace that another program's open handle causes.
bool HeldOpen(DWORD err) {
    return err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION ||
           err == ERROR_UNABLE_TO_REMOVE_REPLACED || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

bool ProcessRuns(unsigned long pid) {
    HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!h) return ::GetLastError() == ERROR_ACCESS_DENIED;
    const bool runs = ::WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    ::CloseHandle(h);
    return runs;
}

}  // namespace

int WriteTemp(const std::string& path, std::string_view text, const OpenFile&, TempFile& temp) {
    const PathParts parts = Split(path);
    static unsigned counter = 0;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        const std::string name =
            parts.prefix + TempName("~", parts.base, ::GetCurrentProcessId(), counter++);
        h = ::CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return static_cast<int>(err);
        } else {
            temp.path = name;
        }
    }
    if (h == INVALID_HANDLE_VALUE) return ERROR_FILE_EXISTS;
    DWORD err = WriteAll(h, text);
    if (err == 0 && !::FlushFileBuffers(h)) err = ::GetLastError();
    if (!::CloseHandle(h) && err == 0) err = ::GetLastError();
    return static_cast<int>(err);
}

// A new file is moved into place, and so is an existing one, in one move
// that replaces it (MoveFileEx): a reader sees the old text or the new one,
// and never no file.  ReplaceFile is not taken: Wine's moves the old file
// aside before the new one comes in, so that for a moment there is none,
// and a program that reads it then (AirMail) finds its settings gone.  What
// ReplaceFile would keep is set on the new file: the old one's attributes
// and creation time before the move, its access list after it (best
// effort; the owner is the writer's, as with any new file).  A file with
// other names, or one that another program holds open without delete
// sharing (as AirMail holds its files), is rewritten in place, as the
// Windows profile functions write.
int Move(TempFile& temp, const std::string& path, OpenFile& original, OpenFile& guard,
         std::string_view text, bool mayRewrite, Moved& moved) {
    moved = Moved();
    const std::wstring wide = Wide(path);
    // A file held open long enough is rewritten in place at once, through
    // the guard, rather than tried again with a replace the holder refuses.
    if (original.IsOpen() && (original.Links() > 1 || mayRewrite))
        return RewritePath(temp, path, guard, text);
    // A move over the file needs every handle of ours to it that does not
    // share deleting closed; the guard is let go at the last moment.
    const auto failed = [&](DWORD err) {
        if ((err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) &&
            ::GetFileAttributesW(Wide(temp.path).c_str()) == INVALID_FILE_ATTRIBUTES) {
            temp.path.clear();
            return ProfileTempGoneError();
        }
        // A new file that another program made meanwhile is not replaced.
        if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) return kChanged;
        return HeldOpen(err) ? kHeldOpen : static_cast<int>(err);
    };
    if (!original.IsOpen()) {
        guard = OpenFile();
        if (!::MoveFileExW(Wide(temp.path).c_str(), wide.c_str(), MOVEFILE_WRITE_THROUGH))
            return failed(::GetLastError());
        temp.path.clear();
        moved.moved = true;
        return 0;
    }
    const std::vector<char> accessList = AccessList(wide);
    const std::wstring tempWide = Wide(temp.path);
    KeepProperties(original, tempWide);
    // Windows refuses a move over a file that is open, our own handles too:
    // the old file cannot be looked at after the move here (the guard has
    // kept other writers out up to it).
    original = OpenFile();
    guard = OpenFile();
    if (!::MoveFileExW(tempWide.c_str(), wide.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return failed(::GetLastError());
    temp.path.clear();
    moved.moved = true;
    if (!accessList.empty() && AccessList(wide) != accessList)
        ::SetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION,
                           const_cast<char*>(accessList.data()));  // best effort
    return 0;
}

void RemoveStaleTemps(const std::string& path) {
    const PathParts parts = Split(path);
    WIN32_FIND_DATAW found {};
    HANDLE find = ::FindFirstFileW(Wide(parts.prefix + "~" + parts.base + ".*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    const std::string self = HostName();
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = Utf8(found.cFileName);
        std::string host;
        unsigned long pid = 0;
        if (!ParseTempName(name, "~", parts.base, true, host, pid) || _stricmp(host.c_str(), self.c_str()) != 0)
            continue;
        if (!ProcessRuns(pid)) ::DeleteFileW(Wide(parts.prefix + name).c_str());
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
}

std::string RawHostName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    return ::GetComputerNameExW(ComputerNameDnsHostname, name, &size) ? Utf8(std::wstring(name, size))
                                                                      : std::string();
}

int BusyError() { return ERROR_SHARING_VIOLATION; }
int InvalidArgumentError() { return ERROR_INVALID_PARAMETER; }

}  // namespace tw::platform::profile_file
