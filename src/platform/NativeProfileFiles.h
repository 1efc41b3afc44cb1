#pragma once
// Profile files of this operating system, written against its file API rather
// than the Windows profile functions, so that a write keeps every other byte
// of the file: the file is read whole, edited with the functions of IniText
// and replaced atomically (a temporary file beside it, flushed, then moved
// over it).
//
// Another program (AirMail, or Wine's and Windows' profile functions) writes
// the same file in place: it empties the file and then writes it anew.  So:
// - A read that finds the file empty, or shorter than this object last saw
//   it, may have caught that program in the middle of its write: it is read
//   again after pauses, until the text holds still (a file not seen before
//   too).  A write is never built from
//   such a read; when the file stays empty or keeps changing, the write is
//   given up with BusyError().
// - Right before the move the file is read once more, through a handle that
//   stays open: when it changed since it was read, the edit is made again on
//   the new text.  On Windows no other program can open the file for
//   writing from that look until the move (GuardWriters): what remains there
//   is the instant between letting the guard go and the move, and a program
//   that opens the file then and is still writing it makes the move fail
//   and the write start again.  Right after the move the old file is read again through
//   that handle: a change the other program began on it in between (it had
//   opened the file before the move) would be lost with the old file, so the
//   edit is made once more on that text, as long as nobody has written over
//   the new file since.  What remains: a program that opened the file before
//   the move and writes into it only after that last look, or that stands
//   still half way through its write across all of our reads (kStillPauses);
//   no file system offers a move that fails when the file it replaces has
//   changed.  A file that must be rewritten in place (hard links; on Windows
//   one another program keeps open) has the same window between the last
//   look and the rewrite, and a rewrite running beside another program's
//   can mix the two texts, as two writers through the profile functions can.
//
// Reads are bounded: only regular files are read (a device or a pipe reads as
// an unreadable file), and a file larger than kMaxProfileBytes is refused.
//
// The shared part is NativeProfileFiles.cpp; the file operations below come
// from posix/PosixProfileFiles.cpp (errno values) or
// win32/Win32ProfileFiles.cpp (GetLastError values).

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/Clock.h"
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

    // The pauses while another program writes a file (the system's sleep
    // unless set); it must outlive this object.
    ISleep* sleep = nullptr;

    // Called with the file's path after the new text is ready and before the
    // file is checked and replaced, and again right after the move: the tests
    // change the file here, as another program could.
    std::function<void(const std::string& path)> beforeReplace;
    std::function<void(const std::string& path)> afterMove;

    // How often a write starts again on a file that keeps changing under it,
    // the pause between two reads of a file being written, and the pauses'
    // sum after which a write is given up.
    static constexpr int kWriteTries = 8;
    static constexpr int kPauseMs = 2;
    static constexpr int kMaxWaitMs = 250;
    static constexpr int kStillPauses = 10;
    static constexpr int kHeldPauses = 25;

private:
    // Reads the file until its text holds still: 0 (with the text), the
    // system error, or BusyError() when the pauses ran out.
    int ReadSettled(const std::string& path, std::string& text, bool& exists, int& waited);
    // The same with another reader of the file's text (the old file kept
    // open after a move).
    int Settle(const std::string& path, const std::function<int(std::string&, bool&)>& read,
               std::string& text, bool& exists, int& waited);
    // One pause; false when the pauses have run out.
    bool Pause(int& waited);

    const PathMapper& m_mapper;
    int m_lastError = 0;
    int m_holds = 0;
    // The size of each file (by native path) when it was last written or
    // read for a write (the largest read otherwise): a non-empty profile does
    // not become empty, nor lose half its lines, through its owner's own use.
    std::map<std::string, std::size_t> m_sizes;
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

// The native path of a profile file.  A symbolic link is followed to the
// file it names, also when that file does not exist yet, so that a write
// changes (or creates) the target and keeps the link, as the Windows
// profile functions do.
std::string NativePath(const PathMapper& mapper, const std::string& file);

// A file open for reading that shares reading, writing and deleting with
// other programs: another program's write in place or a move over it goes
// on, and the handle keeps the file it opened.
class OpenFile {
public:
    OpenFile() = default;
    OpenFile(OpenFile&& other) noexcept : m_handle(other.m_handle) { other.m_handle = kNone; }
    OpenFile& operator=(OpenFile&& other) noexcept;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile();

    bool IsOpen() const { return m_handle != kNone; }
    // The whole text, from the start: 0 or the system error (a file larger
    // than kMaxProfileBytes too).
    int ReadAll(std::string& text) const;
    // How many names (hard links) the file has; 1 when the system cannot say.
    unsigned Links() const;

    static constexpr std::intptr_t kNone = -1;
    std::intptr_t m_handle = kNone;
};

// Opens the file: 0 and not open when there is none, 0 and open, or the
// system error (also for a folder, a device or a pipe).
int Open(const std::string& path, OpenFile& file);

// Keeps every other program from opening the file for writing while
// `guard` stays open.  On Windows that is a handle of ours that shares
// reading and deleting only: the open fails while another program has the
// file open for writing (kHeldOpen), and once it is open no other program's
// open for writing succeeds, so the last look before the move sees the
// text that is replaced; a rewrite in place goes through it.  POSIX has no
// lock that binds programs that do not take it too: there it holds
// nothing.  0 (the guard open, or not where there is no file or no such
// lock), kHeldOpen, or the system error.
int GuardWriters(const std::string& path, OpenFile& guard);

// Reads the whole file: 0 and `exists` false when there is none, 0 with the
// text, or the system error.
int Read(const std::string& path, std::string& text, bool& exists);

// Whether an existing file may be replaced (not marked read-only): 0 or the
// system error.
int CheckWritable(const std::string& path);

// A temporary file of ours beside a profile file, removed with this object
// unless it was moved into place.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();
    std::string path;
};

// Writes `text` into a new temporary file beside `path` and flushes it to
// the disk; it takes the permissions of `original` when that is open.
int WriteTemp(const std::string& path, std::string_view text, const OpenFile& original,
              TempFile& temp);

// Puts the temporary file's text in place of `path` (`original` open when
// the file exists): moved over it, so that a reader sees the old or the new
// text and a failure leaves the old one.  A file with more than one name (a
// hard link) would lose the others by a move, and on Windows a file another
// program holds open without delete sharing cannot be replaced: those are
// rewritten in place with `text`, the temporary file kept until the rewrite
// has succeeded (a reader meanwhile, or a crash, can see a mixed text; the
// other names stay).  A file held open is rewritten only when `mayRewrite`
// is set; else kHeldOpen is returned: the other program may be in the middle
// of its own write, and is waited for first.  `guard` (of GuardWriters) is
// let go right before a move (a move over a file needs it closed; on
// Windows `original` too, which then cannot be looked at after the move)
// and a rewrite in place is made through it.  `moved` tells which was done.
// 0, kHeldOpen or the system error.
inline constexpr int kHeldOpen = -2;
int Move(TempFile& temp, const std::string& path, OpenFile& original, OpenFile& guard,
         std::string_view text, bool mayRewrite, bool& moved);

// Removes the temporary files beside `path` that writes of ours left behind
// (a killed write): names of our own pattern only, of a process that no
// longer runs, or older than kStaleTempSeconds.
inline constexpr int kStaleTempSeconds = 3600;
void RemoveStaleTemps(const std::string& path);

// The system's code for "the file keeps changing" (after kWriteTries, or
// when it stays empty) and for a refused name or value.
int BusyError();
int InvalidArgumentError();

}  // namespace profile_file

}  // namespace tw::platform
