// System services of POSIX systems: the UTC clock, error texts and the
// opening of a regular file.

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/Files.h"
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

int OpenRegularFileForReading(const std::string& path, int& fd) {
    // Non-blocking for the open alone, so that a pipe without a writer does
    // not hold it up; a terminal is never made this program's own.
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = kNotRegularFile;
    else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) err = errno;
    }
    if (err != 0) {
        ::close(fd);
        fd = -1;
    }
    return err;
}

}  // namespace tw::platform
