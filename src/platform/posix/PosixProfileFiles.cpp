#include "platform/NativeProfileFiles.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/IniText.h"
#include "platform/PathMapper.h"

namespace tw::platform {

namespace {

// Reads the whole file into `out`; 0 or the errno of the failure.
int ReadWholeFile(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return err;
    }
    out.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return err;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return 0;
}

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// A symbolic link is followed, so that the link stays and its target is
// replaced (a rename onto the link itself would swap the link for a file).
std::string FollowLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// Replaces the file at `path` with `text`: a new file in the same folder,
// written and flushed, then renamed over the old one, so that the old file
// stays whole until the new one is complete.  `original` (when the file
// exists) gives the permission bits and owner to keep.  0 or an errno.
int ReplaceFile(const std::string& path, std::string_view text, const struct stat* original) {
    const std::size_t slash = path.rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = path.substr(prefix.size());
    const std::string folder = prefix.empty() ? "." : prefix;

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

    int err = 0;
    if (original) {
        // Best effort: only the owner (or root) may set these.
        (void)::fchown(fd, original->st_uid, original->st_gid);
        (void)::fchmod(fd, original->st_mode & 07777);
    }
    err = WriteAll(fd, text);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
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
    auto fail = [this](int code) {
        m_lastError = code;
        return false;
    };
    if (!ini::CanWrite(section, key, value)) return fail(EINVAL);

    const std::string path = FollowLink(m_mapper.ToNative(file));
    std::string text;
    bool exists = true;
    if (const int err = ReadWholeFile(path, text); err == ENOENT) {
        exists = false;
        text.clear();
    } else if (err != 0) {
        return fail(err);
    }

    struct stat st {};
    if (exists) {
        if (::stat(path.c_str(), &st) != 0) return fail(errno);
        // A file marked read-only stays as it is, although the rename would
        // be allowed by the folder.
        if (::access(path.c_str(), W_OK) != 0) return fail(errno);
    }

    const std::string updated = ini::SetValue(text, section, key, value);
    if (exists && updated == text) return true;  // the value is already there
    if (const int err = ReplaceFile(path, updated, exists ? &st : nullptr); err != 0) {
        return fail(err);
    }
    return true;
}

std::unique_ptr<IProfileFiles> MakeProfileFiles(const PathMapper& mapper) {
    return std::make_unique<NativeProfileFiles>(mapper);
}

}  // namespace tw::platform
