// The file operations of the profile files on POSIX systems; error codes are
// errno values.

#include "platform/NativeProfileFiles.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathMapper.h"

namespace tw::platform::profile_file {

namespace {

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Closes the descriptor and returns `err`.
int CloseWith(int fd, int err) {
    ::close(fd);
    return err;
}

}  // namespace

std::string NativePath(const PathMapper& mapper, const std::string& file) {
    std::string path = mapper.ToNative(file);
    // The links one by one (a chain ends after 40, as the system's own
    // lookup does); a link whose target is missing gives that target.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) break;
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const std::size_t slash = path.rfind('/');
            target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
        }
        path = target;
    }
    return path;
}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) ::close(static_cast<int>(m_handle));
        m_handle = other.m_handle;
        other.m_handle = kNone;
    }
    return *this;
}

OpenFile::~OpenFile() {
    if (IsOpen()) ::close(static_cast<int>(m_handle));
}

int OpenFile::ReadAll(std::string& text) const {
    text.clear();
    const int fd = static_cast<int>(m_handle);
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        // Bounded by what was read, not by the size the file reports.
        if (text.size() + static_cast<std::size_t>(n) > kMaxProfileBytes) return EFBIG;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

unsigned OpenFile::Links() const {
    struct stat st {};
    return ::fstat(static_cast<int>(m_handle), &st) == 0 ? static_cast<unsigned>(st.st_nlink) : 1u;
}

int Open(const std::string& path, OpenFile& file) {
    file = OpenFile();
    // Non-blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? 0 : errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return CloseWith(fd, errno);
    if (S_ISDIR(st.st_mode)) return CloseWith(fd, EISDIR);
    if (!S_ISREG(st.st_mode)) return CloseWith(fd, EINVAL);
    file.m_handle = fd;
    return 0;
}

int CheckWritable(const std::string& path) {
    // A file marked read-only stays as it is, although the rename would be
    // allowed by the folder.
    return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

TempFile::~TempFile() {
    if (!path.empty()) ::unlink(path.c_str());
}

namespace {

struct PathParts {
    std::string prefix;  // the folder with its "/", or ""
    std::string base;    // the file's name
};

PathParts Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return {prefix, path.substr(prefix.size())};
}

// Our temporary files: "." + name + "." + process id + "." + count + ".tmp".
std::string TempName(const PathParts& parts, long pid, unsigned count) {
    return parts.prefix + "." + parts.base + "." + std::to_string(pid) + "." +
           std::to_string(count) + ".tmp";
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Rewrites the file in place: first made as large as the larger text (so that
// a full disk fails before a byte changes), then written from its start, cut
// to the new size and flushed.
int RewriteInPlace(int fd, std::string_view text) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    if (static_cast<off_t>(text.size()) > st.st_size) {
        const int err = ::posix_fallocate(fd, 0, static_cast<off_t>(text.size()));
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) return err;
    }
    for (std::size_t at = 0; at < text.size();) {
        const ssize_t n = ::pwrite(fd, text.data() + at, text.size() - at, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        at += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd, static_cast<off_t>(text.size())) != 0) return errno;
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

int WriteTemp(const std::string& path, std::string_view text, const OpenFile& original,
              TempFile& temp) {
    const PathParts parts = Split(path);
    static unsigned counter = 0;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp.path = TempName(parts, static_cast<long>(::getpid()), counter++);
        // 0666 less the umask, as for any new file; an existing file's bits follow.
        fd = ::open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int err = errno;
            temp.path.clear();
            if (err != EEXIST) return err;
        }
    }
    if (fd < 0) return EEXIST;

    struct stat st {};
    if (original.IsOpen() && ::fstat(static_cast<int>(original.m_handle), &st) == 0) {
        // Best effort: only the owner (or root) may set these.
        (void)::fchown(fd, st.st_uid, st.st_gid);
        (void)::fchmod(fd, st.st_mode & 07777);
    }
    int err = WriteAll(fd, text);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

int GuardWriters(const std::string&, OpenFile& guard) {
    // An advisory lock binds only programs that take it too, and the
    // profile functions of other programs take none.
    guard = OpenFile();
    return 0;
}

int Move(TempFile& temp, const std::string& path, OpenFile& original, OpenFile&,
         std::string_view text, bool, bool& moved) {
    moved = false;
    if (original.IsOpen() && original.Links() > 1) {
        // The other names of the file stay its names.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return errno;
        const int err = RewriteInPlace(fd, text);
        if (::close(fd) != 0 && err == 0) return errno;
        // A rewrite that failed half way keeps the new text in the temporary file.
        if (err != 0) temp.path.clear();
        return err;
    }
    if (::rename(temp.path.c_str(), path.c_str()) != 0) return errno;
    temp.path.clear();
    moved = true;
    // Make the rename itself durable.
    const PathParts parts = Split(path);
    const std::string folder = parts.prefix.empty() ? "." : parts.prefix;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return 0;
}

void RemoveStaleTemps(const std::string& path) {
    const PathParts parts = Split(path);
    DIR* dir = ::opendir(parts.prefix.empty() ? "." : parts.prefix.c_str());
    if (!dir) return;
    const std::string lead = "." + parts.base + ".";
    const std::string tail = ".tmp";
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() <= lead.size() + tail.size() || name.substr(0, lead.size()) != lead ||
            name.substr(name.size() - tail.size()) != tail)
            continue;
        const std::string_view middle =
            name.substr(lead.size(), name.size() - lead.size() - tail.size());
        const std::size_t dot = middle.find('.');
        if (dot == std::string_view::npos || !AllDigits(middle.substr(0, dot)) ||
            !AllDigits(middle.substr(dot + 1)) || dot > 9)
            continue;
        const std::string file = parts.prefix + std::string(name);
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const long pid = std::stol(std::string(middle.substr(0, dot)));
        const bool running = pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (!running || now - st.st_mtime > kStaleTempSeconds) ::unlink(file.c_str());
    }
    ::closedir(dir);
}

int BusyError() { return EBUSY; }
int InvalidArgumentError() { return EINVAL; }

}  // namespace tw::platform::profile_file
