#pragma once
// Profile files of this operating system, written against its file API rather
// than the Windows profile functions, so that a write keeps every other byte
// of the file: the file is read whole, edited with the functions of IniText
// and replaced atomically (a temporary file beside it, flushed, then moved
// over it).
//
// Before the move the file is read once more: when another program (AirMail)
// changed it since it was read, the edit is made again on the new text, so
// that only the keys written change and the other program's change stays.
//
// Reads are bounded: only regular files are read (a device or a pipe reads as
// an unreadable file), and a file larger than kMaxProfileBytes is refused.
//
// The shared part is NativeProfileFiles.cpp; the file operations below come
// from posix/PosixProfileFiles.cpp (errno values) or
// win32/Win32ProfileFiles.cpp (GetLastError values).

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/IniText.h"
#include "platform/Profile.h"

namespace tw::platform {

// The largest profile file read (far beyond any real one).
inline constexpr std::size_t kMaxProfileBytes = 16u << 20;

class NativeProfileFiles final : public IProfileFiles {
public:
    // The mapper must outlive this object.
    explicit NativeProfileFiles(const PathMapper& mapper) : m_mapper(mapper) {}

    std::string GetString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def,
                          std::size_t bufferSize) override;
    bool WriteStrings(const std::string& file, const std::vector<ProfileEntry>& entries) override;
    int LastError() const override { return m_lastError; }
    void HoldReads(bool hold) override;

    // Called with the file's path after the new text is ready and before the
    // file is checked and replaced: the tests change the file here, as
    // another program could.
    std::function<void(const std::string& path)> beforeReplace;

    // How often a write starts again on a file that keeps changing under it.
    static constexpr int kWriteTries = 5;

private:
    const PathMapper& m_mapper;
    int m_lastError = 0;
    int m_holds = 0;
    // While reads are held: each file's text, parsed, by its native path (a
    // file that cannot be read as the empty text), and the native path of
    // each name read, so that a held read touches neither the file nor its
    // folders.  A write forgets both: the file it changes may be held under
    // another name, and a file it creates may change what a name maps to.
    std::map<std::string, ini::ParsedFile> m_held;
    std::map<std::string, std::string> m_heldPaths;
};

// ---- The file operations of the backend -----------------------------------
namespace profile_file {

// The native path of a profile file (a symbolic link is followed, so that a
// replace keeps the link and changes its target).
std::string NativePath(const PathMapper& mapper, const std::string& file);

// Reads the whole file: 0 and `exists` false when there is none, 0 with the
// text, or the system error (also for a folder, a device, a pipe, or a file
// larger than kMaxProfileBytes).
int Read(const std::string& path, std::string& text, bool& exists);

// Whether an existing file may be replaced (not marked read-only): 0 or the
// system error.
int CheckWritable(const std::string& path);

// Replaces (or creates) the file with `text`, keeping an existing file's
// permissions.  `unchanged` is asked right before the move; when it says no,
// nothing changes and kChanged is returned.  0, kChanged or the system error.
inline constexpr int kChanged = -1;
int Replace(const std::string& path, std::string_view text, bool exists,
            const std::function<bool()>& unchanged);

// The system's code for "the file keeps changing" (after kWriteTries) and for
// a refused name or value.
int BusyError();
int InvalidArgumentError();

}  // namespace profile_file

}  // namespace tw::platform
