// The file operations of the profile files on POSIX systems; error codes are
// errno values.

#include "platform/NativeProfileFiles.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
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
    const std::string path = mapper.ToNative(file);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

int Read(const std::string& path, std::string& text, bool& exists) {
    text.clear();
    exists = false;
    // Non-blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? 0 : errno;
    exists = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return CloseWith(fd, errno);
    if (S_ISDIR(st.st_mode)) return CloseWith(fd, EISDIR);
    if (!S_ISREG(st.st_mode)) return CloseWith(fd, EINVAL);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return CloseWith(fd, errno);
        if (n == 0) break;
        // Bounded by what was read, not by the size the file reports.
        if (text.size() + static_cast<std::size_t>(n) > kMaxProfileBytes)
            return CloseWith(fd, EFBIG);
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return CloseWith(fd, 0);
}

int CheckWritable(const std::string& path) {
    // A file marked read-only stays as it is, although the rename would be
    // allowed by the folder.
    return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

int Replace(const std::string& path, std::string_view text, bool exists,
            const std::function<bool()>& unchanged) {
    const std::size_t slash = path.rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = path.substr(prefix.size());
    const std::string folder = prefix.empty() ? "." : prefix;

    struct stat original {};
    if (exists && ::stat(path.c_str(), &original) != 0) return errno;

    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = prefix + "." + base + "." + std::to_string(::getpid()) + "." +
               std::to_string(counter++) + ".tmp";
        // 0666 less the umask, as for any new file; an existing file's bits follow.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return errno;
    }
    if (fd < 0) return EEXIST;

    if (exists) {
        // Best effort: only the owner (or root) may set these.
        (void)::fchown(fd, original.st_uid, original.st_gid);
        (void)::fchmod(fd, original.st_mode & 07777);
    }
    int err = WriteAll(fd, text);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && !unchanged()) err = kChanged;
    if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return err;
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return 0;
}

int BusyError() { return EBUSY; }
int InvalidArgumentError() { return EINVAL; }

}  // namespace tw::platform::profile_file
