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

}  // namespace tw::platform
