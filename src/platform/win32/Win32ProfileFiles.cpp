#include "platform/NativeProfileFiles.h"

#include "platform/win32/Win32Api.h"

#include <algorithm>
#include <string_view>

#include "platform/IniText.h"
#include "platform/PathMapper.h"

namespace tw::platform {

namespace {

// Reads the whole file into `out`; 0 or the system error code.
DWORD ReadWholeFile(const std::string& path, std::string& out) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
    out.clear();
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            const DWORD err = ::GetLastError();
            ::CloseHandle(h);
            return err;
        }
        if (n == 0) break;
        out.append(buffer, n);
    }
    ::CloseHandle(h);
    return 0;
}

DWORD WriteAll(HANDLE h, std::string_view data) {
    while (!data.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, data.data(), chunk, &written, nullptr)) return ::GetLastError();
        data.remove_prefix(written);
    }
    return 0;
}

// Replaces the file at `path` with `text`: a new file in the same folder,
// written and flushed, then moved over the old one, so that the old file
// stays whole until the new one is complete.  `attributes` of the old file
// (when there was one) are put back.  0 or the system error code.
DWORD ReplaceWholeFile(const std::string& path, std::string_view text, DWORD attributes) {
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
            if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return err;
        }
    }
    if (h == INVALID_HANDLE_VALUE) return ERROR_FILE_EXISTS;

    DWORD err = WriteAll(h, text);
    if (err == 0 && !::FlushFileBuffers(h)) err = ::GetLastError();
    if (!::CloseHandle(h) && err == 0) err = ::GetLastError();
    if (err == 0 &&
        !::MoveFileExA(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        err = ::GetLastError();
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

}  // namespace

std::string NativeProfileFiles::GetString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& def,
                                          std::size_t bufferSize) {
    std::string text;
    if (ReadWholeFile(m_mapper.ToNative(file), text) != 0) text.clear();  // read as empty
    return ini::GetString(text, section, key, def, bufferSize);
}

bool NativeProfileFiles::WriteString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& value) {
    auto fail = [this](DWORD code) {
        m_lastError = static_cast<int>(code);
        return false;
    };
    if (!ini::CanWrite(section, key, value)) return fail(ERROR_INVALID_PARAMETER);

    const std::string path = m_mapper.ToNative(file);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    std::string text;
    if (exists) {
        // A file marked read-only stays as it is, although the move would work.
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
            return fail(ERROR_ACCESS_DENIED);
        }
        if (const DWORD err = ReadWholeFile(path, text); err != 0) return fail(err);
    } else if (const DWORD err = ::GetLastError(); err != ERROR_FILE_NOT_FOUND) {
        return fail(err);  // e.g. the folder does not exist
    }

    const std::string updated = ini::SetValue(text, section, key, value);
    if (exists && updated == text) return true;  // the value is already there
    if (const DWORD err = ReplaceWholeFile(path, updated, exists ? attributes : 0); err != 0) {
        return fail(err);
    }
    return true;
}

std::unique_ptr<IProfileFiles> MakeProfileFiles(const PathMapper& mapper) {
    return std::make_unique<NativeProfileFiles>(mapper);
}

}  // namespace tw::platform
