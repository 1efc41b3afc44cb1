// System services of Windows: the UTC clock and error texts.

#include "platform/win32/Win32Api.h"

#include <string>

#include "platform/Clock.h"
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

}  // namespace tw::platform
