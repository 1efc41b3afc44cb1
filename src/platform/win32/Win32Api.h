#pragma once
// The Windows API as the Windows backends use it: <windows.h> without its
// rarely used parts and without the min and max macros, and the small helpers
// the backends share.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace tw::platform {

// An optional text argument of an "A" function: NULL for an empty string.
inline const char* TextOrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

// The program's paths (UTF-8) as the wide (UTF-16) file functions take them,
// and back: a folder named outside the ANSI code page works as any other.
inline std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                        nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

inline std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                              n, nullptr, nullptr);
    return utf8;
}

}  // namespace tw::platform
