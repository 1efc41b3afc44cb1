// System services of POSIX systems: the UTC clock and error texts.

#include <cstring>
#include <ctime>
#include <string>

#include "platform/Clock.h"
#include "platform/Profile.h"

namespace tw::platform {

namespace {

// strerror_r comes in two forms (GNU returns the text, XSI fills the buffer).
[[maybe_unused]] const char* ErrorTextOf(int rc, const char* buffer) {
    return rc == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* ErrorTextOf(const char* text, const char*) { return text; }

}  // namespace

UtcSeconds SystemClock::NowUtc() const {
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<UtcSeconds>(now.tv_sec);
}

std::string SystemErrorText(int code) {
    char buffer[1024] = {};
    const char* text = code > 0 ? ErrorTextOf(::strerror_r(code, buffer, sizeof buffer), buffer)
                                : nullptr;
    // The C library words codes it does not know as "Unknown error N".
    if (!text || *text == '\0' || std::strncmp(text, "Unknown error", 13) == 0) {
        return "Error Code " + std::to_string(code);
    }
    return text;
}

}  // namespace tw::platform
