// The file operations of the profile files on POSIX systems; error codes are
// errno values.

#include "platform/NativeProfileFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

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

long long OpenFile::AgeMs() const {
    struct stat st {};
    timespec now {};
    if (::fstat(static_cast<int>(m_handle), &st) != 0 || ::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return -1;
    const long long age = (static_cast<long long>(now.tv_sec) - st.st_mtim.tv_sec) * 1000 +
                          (now.tv_nsec - st.st_mtim.tv_nsec) / 1000000;
    return age < 0 ? -1 : age;
}

bool OpenFile::SameFile(const OpenFile& other) const {
    struct stat a {}, b {};
    return IsOpen() && other.IsOpen() && ::fstat(static_cast<int>(m_handle), &a) == 0 &&
           ::fstat(static_cast<int>(other.m_handle), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
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
    // allowed by the folder; also for root, whom access() lets write
    // anything: a file without any write permission bit is read-only.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    if ((st.st_mode & 0222) == 0) return EACCES;
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

// Makes the rename of a file in `parts`' folder durable.
void SyncFolder(const PathParts& parts) {
    const std::string folder = parts.prefix.empty() ? "." : parts.prefix;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

// The extended attributes of `from` on `to`, as far as this program may set
// them (best effort): user attributes, POSIX access lists
// ("system.posix_acl_access"), security labels.
void CopyAttributes([[maybe_unused]] int from, [[maybe_unused]] int to) {
#ifdef __linux__
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got <= 0) return;
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char* name = names.data() + at;
        at += std::string_view(name).size() + 1;
        const ssize_t n = ::fgetxattr(from, name, nullptr, 0);
        if (n < 0) continue;
        value.resize(static_cast<std::size_t>(n));
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read >= 0) (void)::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
    }
#endif
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
        temp.path = parts.prefix + TempName(".", parts.base, static_cast<unsigned long>(::getpid()), counter++);
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
        // Best effort: only the owner (or root) may set these; the mode after
        // the owner (a change of owner clears the set-id bits), the access
        // list after the mode (it holds the group bits).
        (void)::fchown(fd, st.st_uid, st.st_gid);
        (void)::fchmod(fd, st.st_mode & 07777);
        CopyAttributes(static_cast<int>(original.m_handle), fd);
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

namespace {

// The exchange of two names and the move that never replaces, where the
// system has them (Linux; glibc 2.28 and later): -1 with ENOSYS elsewhere.
int RenameExchange([[maybe_unused]] const char* from, [[maybe_unused]] const char* to,
                   [[maybe_unused]] bool exchange) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, exchange ? RENAME_EXCHANGE : RENAME_NOREPLACE);
#else
    errno = ENOSYS;
    return -1;
#endif
}

// A file system or kernel without the exchange.
bool Refused(int err) { return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP; }

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

// The move exchanges the two names where the file system can: the
// temporary name then holds the file that was in place at that instant
// (looked at by the caller, removed with `temp`).  A new file is moved so
// that it never replaces one made meanwhile.  Where the system refuses
// either, a plain rename.
int Move(TempFile& temp, const std::string& path, OpenFile& original, OpenFile&,
         std::string_view text, bool, Moved& moved) {
    moved = Moved();
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
    const auto failed = [&](int err) {
        if (err == ENOENT && !Exists(temp.path)) {
            temp.path.clear();
            return ProfileTempGoneError();
        }
        // The file went away (exchange) or came (a new file) since the last look.
        return err == ENOENT || err == EEXIST ? kChanged : err;
    };
    const bool exchange = original.IsOpen();
    if (RenameExchange(temp.path.c_str(), path.c_str(), exchange) == 0) {
        moved.moved = true;
        if (exchange) {
            // The file replaced, under the temporary name until `temp` goes.
            OpenFile replaced;
            if (Open(temp.path, replaced) != 0 || !replaced.IsOpen()) {
                original = OpenFile();
            } else {
                moved.other = !replaced.SameFile(original);
                original = std::move(replaced);
            }
        } else {
            temp.path.clear();
        }
        SyncFolder(Split(path));
        return 0;
    }
    if (const int err = errno; !Refused(err)) return failed(err);
    if (::rename(temp.path.c_str(), path.c_str()) != 0) return failed(errno);
    temp.path.clear();
    moved.moved = true;
    SyncFolder(Split(path));
    return 0;
}

void RemoveStaleTemps(const std::string& path) {
    const PathParts parts = Split(path);
    DIR* dir = ::opendir(parts.prefix.empty() ? "." : parts.prefix.c_str());
    if (!dir) return;
    const std::string self = HostName();
    while (const dirent* entry = ::readdir(dir)) {
        std::string host;
        unsigned long pid = 0;
        if (!ParseTempName(entry->d_name, ".", parts.base, false, host, pid) ||
            host != self || pid == 0)
            continue;
        const std::string file = parts.prefix + entry->d_name;
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // (Beyond any process id: no process; never a negative id, which
        // would name a process group.)
        const bool running = pid <= 0x3FFFFFFFul &&
                             (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (!running) ::unlink(file.c_str());
    }
    ::closedir(dir);
}

std::string RawHostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

int BusyError() { return EBUSY; }
int InvalidArgumentError() { return EINVAL; }

}  // namespace tw::platform::profile_file
