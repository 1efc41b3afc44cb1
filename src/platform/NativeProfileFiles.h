#pragma once
// Profile files of this operating system, written against its file API rather
// than the Windows profile functions, so that a write keeps every other byte
// of the file: the file is read whole, edited with the functions of IniText
// and replaced atomically (a temporary file beside it, flushed, then moved
// over it).
//
// Another program (AirMail, or Wine's and Windows' profile functions) writes
// the same file in place: it empties the file and then writes it anew, in one
// piece or in several with pauses between them, and may stall half way.  So
// every read, for a write or for a value, takes a text only once it is
// complete (IsComplete):
// - it holds still: two reads back to back give the same text (a read of a
//   profile takes microseconds, so a writer that idles 1 ms between its
//   writes still lets one through);
// - and it ends with a line end (AirMail's files do; a cut between two
//   pieces of a write almost never does), is not empty, and is not shorter
//   than the last complete text seen of that file (m_seen: only complete
//   texts count, never a size caught half way);
// - or else it is the very text last seen complete (our own write, read
//   back: a hand-kept file without a final line end stays so), or it has
//   held still and the file was last changed kSettledAgeMs or more ago, or
//   it has read the same over a whole bound of pauses (kMaxWaitMs): so an
//   empty file that stays empty is an empty file, and a hand-edited file
//   without a final line end is saved.  An empty text of a file seen
//   complete and not empty is never complete (its writer emptied it and
//   stalls).
// A text that is not complete is read again after short pauses (kPauseMs),
// within the bound.  A write is never built from such a text: when the
// bound runs out the write is given up with BusyError(), the file as it
// was.  A read answers from the last text it found then (a missing key
// counts only after that wait; a missing file counts at once).  What these
// rules cannot tell: a writer cut right after a line end in the first text
// ever seen of a file, or one that stalls half way for kSettledAgeMs or
// longer, or whose text, cut, is the text last seen complete.  A writer
// that writes the file anew every millisecond or so leaves no room for a
// write of ours (the temporary file is flushed to the disk first, which
// takes longer): our writes are then given up as busy.
//
// Right before the move the file is read once more, through a handle that
// stays open: when it changed since it was read, the edit is made again on
// the new text.  On Windows no other program can open the file for writing
// from that look until the move (GuardWriters): what remains there is the
// instant between letting the guard go and the move, and a program that
// opens the file then and is still writing it makes the move fail and the
// write start again.  On Linux the move exchanges the two names (renameat2
// with RENAME_EXCHANGE) where the file system can, so that the temporary
// name then holds exactly the file that was replaced, whoever put it there:
// a program that moved its own text in after our last look (an atomic
// writer) is found, not reverted: our keys are written into its text and
// that goes in place, by the same exchange.  Elsewhere (or where the file
// system refuses the exchange) the move is a plain rename, and the old file
// is the one opened at the last look.  Right after the move that old file is
// read again: a change another program began on it in between (it had
// opened the file before the move) would be lost with it, so once its text
// is complete the edit is made once more on that text, as long as nobody
// has written over the new file since.  What remains: a program that opened
// the file before the move and writes into it only after that last look,
// or stands still half way through its write for longer than the bound; a
// reader that looks at the file in the moment between the move and the
// merged text's move sees our keys in the text we had read (the other
// program's newest change not yet in it); on other systems and file systems
// without the exchange, an atomic writer's move in the microseconds between
// the last look and ours; no file system offers a move that fails when the
// file it replaces has changed.  A file that must be rewritten in place
// (hard links; on Windows one another program keeps open) has the same
// window between the last look and the rewrite, and a rewrite running
// beside another program's can mix the two texts, as two writers through
// the profile functions can.
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
#include <set>
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
    // file is guarded and looked at last, and again right before the move:
    // the tests change the file there, as another program could.
    std::function<void(const std::string& path)> beforeReplace;
    std::function<void(const std::string& path)> beforeMove;

    // How often a write starts again on a file that keeps changing under it;
    // the pause between two looks at a text that is not complete; the bound
    // of those pauses in one read or one write, after which a write is given
    // up; the age of a file's last change from which a text that holds still
    // is complete whatever it looks like; the pauses for a file another
    // program holds open before it is rewritten in place (Windows).
    static constexpr int kWriteTries = 8;
    static constexpr int kPauseMs = 2;
    static constexpr int kMaxWaitMs = 3000;
    static constexpr int kSettledAgeMs = 2000;
    static constexpr int kHeldPauses = 25;

private:
    // The last complete text seen of a file: its size and a hash of it.
    struct Seen {
        std::size_t size = 0;
        std::size_t hash = 0;
    };
    struct Look;
    using LookReader = std::function<int(Look&)>;

    // Reads the file until its text is complete (see above): 0 with the
    // text (`exists` false when there is none), BusyError() with the last
    // text read when the pauses ran out, or the system error.  `seen`: the
    // last complete text of that file, if any.  `waited` counts the pauses
    // of the whole read or write.
    int Settle(const LookReader& read, const Seen* seen, Look& look, int& waited);
    // Settle on the file at `path`, measured against m_seen, which it
    // updates with a complete text.
    int ReadSettled(const std::string& path, std::string& text, bool& exists, int& waited);
    // The text of a file for a read of its values: settled, "" when it
    // cannot be read; `complete` false when the pauses ran out.
    std::string ReadForValues(const std::string& path, bool& complete);
    // One pause; false when the pauses have run out.
    bool Pause(int& waited);
    void Remember(const std::string& path, std::string_view text);

    const PathMapper& m_mapper;
    int m_lastError = 0;
    int m_holds = 0;
    std::map<std::string, Seen> m_seen;  // by native path
    // While reads are held: each file's complete text, parsed, by its native
    // path (a file that cannot be read as the empty text), and the native
    // path of each name read, so that a held read touches neither the file
    // nor its folders.  A text that was not complete when the pauses ran out
    // is never kept: its file is read afresh, once and without pauses, at
    // each later read while the hold lasts (m_doubtful).  A write forgets
    // all three: the file it changes may be held under another name, and a
    // file it creates may change what a name maps to.
    std::map<std::string, ini::ParsedFile> m_held;
    std::map<std::string, std::string> m_heldPaths;
    std::set<std::string> m_doubtful;
};

// Whether a text read from a profile file is complete (see above).
struct TextLook {
    std::string_view text;
    bool heldStill = false;          // two reads back to back gave this text
    std::size_t seenSize = 0;        // the last complete text of the file (0: none)
    bool isSeen = false;             // this text is that last complete text
    long long ageMs = -1;            // since the file's last change (-1: unknown)
    bool stillThroughout = false;    // it read the same over a whole bound of pauses
};
bool IsComplete(const TextLook& look);

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
    // Milliseconds since the file's last change by the system's clock; -1
    // when the system cannot say or the time lies ahead.
    long long AgeMs() const;
    // Whether both handles are open on the same file.
    bool SameFile(const OpenFile& other) const;

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
// the disk; it takes the permissions, the owner and the extended attributes
// (POSIX access lists among them) of `original` when that is open, as far
// as the system lets this program set them.
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
// and a rewrite in place is made through it.
//
// After a move `original` is the old file to look at (closed where there is
// none to look at): where the move exchanged the two names, the file that
// was in place at that instant, now under the temporary name (removed with
// `temp`); `moved.other` tells that it is not the file `original` was open
// on (another program moved its own in since).  A move of a new file never
// replaces one that another program made meanwhile: kChanged, as when the
// file went away since the last look.  A temporary file that another
// program removed before the move gives TempGoneError().
// 0, kHeldOpen, kChanged or an error.
struct Moved {
    bool moved = false;  // moved, not rewritten in place
    bool other = false;  // `original` is now another file
};
inline constexpr int kHeldOpen = -2;
inline constexpr int kChanged = -3;
int Move(TempFile& temp, const std::string& path, OpenFile& original, OpenFile& guard,
         std::string_view text, bool mayRewrite, Moved& moved);

// Our temporary files: a lead ("." on POSIX, "~" on Windows), the file's
// name, this computer's name (HostName), the process id, a count, ".tmp".
// The computer's name keeps the files of a write on another computer (a
// shared folder) apart from ours.
std::string TempName(const std::string& lead, const std::string& base, unsigned long pid,
                     unsigned count);
// The computer's name as it stands in those names: letters, digits, "-"
// and "_" (any other character becomes "_"), at most 63 characters.
std::string HostName();
std::string SafeHostName(std::string_view name);
// The computer and process of a temporary file name of ours for `base`;
// false for any other name.  `foldCase`: names compare without regard to
// ASCII letter case (Windows).
bool ParseTempName(std::string_view name, const std::string& lead, const std::string& base,
                   bool foldCase, std::string& host, unsigned long& pid);

// Removes the temporary files beside `path` that writes of ours on this
// computer left behind (a killed write): names of our own pattern only, of
// this computer's name, of a process that no longer runs.  Another
// computer's are never touched (its processes cannot be seen from here), nor
// a running process's, however old (a stopped program may go on).  A
// process id used again by another program keeps a file until that ends.
void RemoveStaleTemps(const std::string& path);

// The system's code for "the file keeps changing" (after kWriteTries, or
// when it stays empty) and for a refused name or value.
int BusyError();
int InvalidArgumentError();
// This computer's name, raw (HostName sanitises it).
std::string RawHostName();

}  // namespace profile_file

}  // namespace tw::platform
