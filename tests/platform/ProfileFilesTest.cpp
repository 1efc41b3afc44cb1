#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>
#include <tuple>
#include <utility>

#include "platform/NativeProfileFiles.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "TempDir.h"

#ifdef _WIN32
#include "platform/win32/Win32Api.h"
// After <windows.h>.
#include <sddl.h>
#else
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace tw::platform {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class ProfileFiles : public testing::Test {
protected:
    PathMapper mapper;
    std::unique_ptr<IProfileFiles> files = MakeProfileFiles(mapper);
    test::TempDir dir;
    const std::string file = dir / "Tidewell.Ini";
};

// The system's codes for a refused value, a missing folder and a file that
// keeps changing.
const int kInvalid = profile_file::InvalidArgumentError();
const int kBusy = profile_file::BusyError();
#ifdef _WIN32
const int kNoFolder = ERROR_PATH_NOT_FOUND;
#else
const int kNoFolder = ENOENT;
#endif

// Which file a path names (its inode, or its file index on Windows): a
// replaced file is another file.
std::uint64_t FileId(const std::string& path) {
#ifdef _WIN32
    HANDLE h = ::CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info {};
    EXPECT_TRUE(h != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h, &info)) << path;
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    return (std::uint64_t {info.nFileIndexHigh} << 32) | info.nFileIndexLow;
#else
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
#endif
}

// A hand-kept file: comments, odd spacing, CRLF line ends, no final line end.
const std::string kHandKept =
    "; kept by hand\r\n"
    "[AirMail Data]\r\n"
    "Directory Data =  C:\\Program Files\\AirMail\r\n"
    "\tStartup\t=\tTrue\r\n"
    "\r\n"
    "[Station Data]\r\n"
    "Top Stations=5";

// Sets a file's last change an hour back (`old`), or an hour ahead: a change
// the file's clock has still to come, never old enough to count.
void Age(const std::string& path, bool old) {
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(std::filesystem::u8path(path),
                                     old ? now - std::chrono::hours(1) : now + std::chrono::hours(1));
}

// A hand-kept file, last changed long ago.
void WriteHandKept(const std::string& path) {
    WriteBytes(path, kHandKept);
    Age(path, true);
}

// Windows paths go through the mapper, for reading and writing, here to a
// folder named outside the ANSI code page (the program's paths are UTF-8).
// (Drive T: here: on Windows the temporary folder is on drive C:, which must
// stay as it is for the paths below.)  Keys that belong together change in
// one replace, or with one refused none does; writing the values the file
// has leaves it alone.
TEST_F(ProfileFiles, WriteChangesOnlyTheWrittenLinesInOneReplace) {
    const std::string folder = dir / "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5";
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(folder)));
    mapper.SetDrive('t', folder);
    const std::string file = folder + "/Tidewell.Ini";
    WriteHandKept(file);
    [[maybe_unused]] const std::uint64_t before = FileId(file);
    ASSERT_TRUE(files->WriteStrings("T:\\TIDEWELL.INI", {{"airmail data", "STARTUP", "False"},
                                                         {"Position Report", "Current Latitude", "1"},
                                                         {"Station Data", "Top Stations", "7"}}));
    const std::string written = "; kept by hand\r\n[AirMail Data]\r\n"
                                "Directory Data =  C:\\Program Files\\AirMail\r\n"
                                "\tStartup\t=\tFalse\r\n\r\n[Station Data]\r\nTop Stations=7\r\n"
                                "[Position Report]\r\nCurrent Latitude=1\r\n";
    EXPECT_EQ(ReadBytes(file), written);
#ifndef _WIN32
    EXPECT_NE(FileId(file), before) << "replaced, not rewritten in place";
#endif
    EXPECT_EQ(files->GetString("t:\\tidewell.ini", "AirMail Data", "Startup", "", 256), "False");
    const auto entries = std::filesystem::directory_iterator(std::filesystem::u8path(folder));
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary file is left";
    EXPECT_FALSE(files->WriteStrings(file, {{"Position Report", "Current Latitude", "3"},
                                            {"Position Report", "Current Time", "x\ny"}}));
    EXPECT_EQ(files->LastError(), kInvalid);
    const std::uint64_t id = FileId(file);
    ASSERT_TRUE(files->WriteString(file, "AIRMAIL DATA", "startup", "False")) << files->LastError();
    EXPECT_EQ(ReadBytes(file), written);
    EXPECT_EQ(FileId(file), id);
}

// The first write makes the file, with the permissions any new file gets.
TEST_F(ProfileFiles, FirstWriteCreatesFileWithOrdinaryPermissions) {
#ifndef _WIN32
    const mode_t mask = ::umask(022);
#endif
    ASSERT_TRUE(files->WriteString(file, "Window Data", "Height", "7000"));
#ifndef _WIN32
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
#endif
    EXPECT_EQ(ReadBytes(file), "[Window Data]\r\nHeight=7000\r\n");
}

// A write that cannot be made fails with the system's code and changes
// nothing: a missing folder; a read-only file in a writable folder (where the
// rename would be allowed), also for root, whom the system would let write
// it; a pipe or an endless device, which also read as no file.  None blocks.
TEST_F(ProfileFiles, AWriteThatCannotBeMadeFailsWithItsCode) {
    WriteHandKept(file);
#ifdef _WIN32
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::pair<std::string, int> cases[] = {{dir / "none/Tidewell.Ini", kNoFolder},
                                                 {file, ERROR_ACCESS_DENIED}};
#else
    const std::string pipe = dir / "pipe.ini", zero = dir / "zero.ini";
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const std::pair<std::string, int> cases[] = {
        {dir / "none/Tidewell.Ini", kNoFolder}, {file, EACCES}, {pipe, EINVAL}, {zero, EINVAL}};
#endif
    for (const auto& [path, code] : cases) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(files->WriteString(path, "AirMail Data", "Startup", "False"));
        EXPECT_EQ(files->LastError(), code);
        EXPECT_EQ(files->GetString(path, "A", "k", "dflt", 256), "dflt");
    }
    EXPECT_EQ(ReadBytes(file), kHandKept);
#ifdef _WIN32
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

#ifndef _WIN32
struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}


// A write through a link changes its target, also one that is not there yet
// (made by the write, as the Windows functions do); the link stays a link.
// The replaced file keeps its permission bits, its owner and group (where
// this program may set them: as root, another user's) and its extended
// attributes, a POSIX access list among them (where the file system keeps
// them).  A file with a second name (a hard link) is rewritten in place.
TEST_F(ProfileFiles, ReplacedFileKeepsPermissionBitsOwnerAttributesAndSymlink) {
    const std::string real = dir / "real.ini";
    const std::string link = dir / "link.ini";
    WriteBytes(real, "[A]\nk=v\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    if (::geteuid() == 0) { ASSERT_EQ(::chown(real.c_str(), 65534, 65533), 0); }
    // An access list: its version, then (tag, permissions) and id for the
    // owner, user 4242, the group, the mask and the others.
    const std::uint32_t acl[] = {2, 0x60001, ~0u, 0x60002, 4242, 0x40004, ~0u, 0x60010, ~0u, 0x20, ~0u};
    const bool attributes = ::setxattr(real.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
    const struct stat before = Stat(real);
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    ASSERT_TRUE(files->WriteString(link, "A", "k", "w"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[A]\nk=w\n");
    const struct stat after = Stat(real);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced";
    EXPECT_EQ(std::tie(after.st_mode, after.st_uid, after.st_gid),
              std::tie(before.st_mode, before.st_uid, before.st_gid));
    std::uint32_t kept[std::size(acl)] = {};
    EXPECT_TRUE(!attributes || (::getxattr(real.c_str(), "system.posix_acl_access", kept, sizeof kept) ==
                                    sizeof kept && std::equal(kept, std::end(kept), acl)));

    const std::string dangling = dir / "dangling.ini";
    ASSERT_EQ(::symlink((dir / "made.ini").c_str(), dangling.c_str()), 0);
    ASSERT_TRUE(files->WriteString(dangling, "A", "k", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(ReadBytes(dir / "made.ini"), "[A]\r\nk=new\r\n");

    ASSERT_EQ(::link(real.c_str(), (dir / "second.ini").c_str()), 0);
    ASSERT_TRUE(files->WriteString(real, "A", "k", "x"));
    EXPECT_EQ(ReadBytes(dir / "second.ini"), "[A]\nk=x\n");
}

#endif  // _WIN32

// Another program changes the file between our read and our replace, or
// changes the old file after our last look (it had opened it before), or (on
// Linux, where the move exchanges the names) moves its own file in after our
// last look: the edit is made again on its text, so both changes stay; a file
// that keeps changing is given up with EBUSY and keeps the other program's
// text.
TEST_F(ProfileFiles, AChangeMadeMeanwhileIsKept) {
    NativeProfileFiles native(mapper);
    WriteBytes(file, "[Position Report]\r\nCurrent Latitude=1\r\n");
    const struct {
        std::string name;
        bool late;    // after the last look, else before it
        bool moveIn;  // a file moved in, else written in place
    } cases[] = {{"before the last look", false, false},
#ifndef _WIN32
                 {"into the old file", true, false},
#endif
#ifdef __linux__
                 {"moved in", true, true},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string theirs = "[" + c.name + "]\r\nk=1\r\n";
        bool changed = false;
        (c.late ? native.beforeMove : native.beforeReplace) = [&](const std::string& path) {
            if (std::exchange(changed, true)) return;
            WriteBytes(path + (c.moveIn ? ".new" : ""), ReadBytes(path) + theirs);
            if (c.moveIn) std::filesystem::rename(path + ".new", path);
        };
        ASSERT_TRUE(native.WriteString(file, "Position Report", "Current Latitude", c.name));
        EXPECT_NE(ReadBytes(file).find(theirs), std::string::npos) << ReadBytes(file);
        EXPECT_EQ(native.GetString(file, "Position Report", "Current Latitude", "", 256), c.name);
        native.beforeMove = native.beforeReplace = nullptr;
    }

    native.beforeReplace = [&](const std::string& path) {
        WriteBytes(path, ReadBytes(path) + "; again\r\n");
    };
    EXPECT_FALSE(native.WriteString(file, "Position Report", "Current Latitude", "6"));
    EXPECT_EQ(native.LastError(), kBusy);
    EXPECT_NE(ReadBytes(file).find("; again"), std::string::npos);
    const auto entries = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary file is left";
}

// Pauses that take no time: each lets the other program take its next step.
struct SteppedSleep final : ISleep {
    std::function<void(int pause)> step;
    int pauses = 0;
    void SleepMilliseconds(int) override { step(++pauses); }
};

constexpr int kAllPauses = NativeProfileFiles::kMaxWaitMs / NativeProfileFiles::kPauseMs;

// What counts as a complete text (the rules of NativeProfileFiles.h).
TEST(ProfileText, IsCompleteOnlyWhenItHoldsStillAndLooksWhole) {
    const struct {
        const char* name;
        TextLook look;
        bool complete;
    } cases[] = {
        {"whole", {"[A]\r\nk=1\r\n", true}, true},
        {"changing", {"[A]\r\nk=1\r\n", false, 0, false, 60000, true}, false},
        {"cut between CR and LF", {"[A]\r\nk=1\r", true}, false},
        {"CR line ends", {"[A]\rk=1\r", true}, true},
        {"UTF-16 cut inside a character", {std::string_view("\xFF\xFE\n\0\n", 5), true}, false},
        {"UTF-16 big-endian whole", {std::string_view("\xFE\xFF\0\n", 4), true}, true},
        {"no line end, the text seen", {"[A]\r\nk=1", true, 9, true}, true},
        {"no line end, old", {"[A]\r\nk=1", true, 0, false, 2000}, true},
        {"no line end, young", {"[A]\r\nk=1", true, 0, false, 1999}, false},
        {"no line end, still through the bound", {"[A]\r\nk=1", true, 0, false, -1, true}, true},
        {"empty, seen with text", {"", true, 12, false, 60000, true}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsComplete(c.look), c.complete) << c.name;
}

// Another program writes the file in place (empties it, then writes it anew,
// in pieces): a write whose read finds a text that is not complete reads
// again after pauses; a file that stays emptied is not written and the write
// says that it is busy.  An empty file that stays empty is written, and so is
// a file without a final line end.  Our own text read back needs no pause.
TEST_F(ProfileFiles, AFileCaughtInAnotherProgramsWriteIsReadAgain) {
    const std::string full = "[Hardware]\r\nDecoderType=MODEMA\r\n[Stations]\r\nLast System=SAILMAIL\r\n";
    const std::string ours = "[Stations]\r\nLast System=HAM\r\n";
    const std::string removed = full.substr(0, full.find("Last"));
    const std::string unended = full.substr(0, full.size() - 2);
    const struct {
        const char* name;
        bool seen;          // read whole before
        std::string first;  // the file at our first read
        bool old;           // its last change an hour back, else ahead
        int doneAfter;      // pauses until the other program's write is done (0: never)
        std::string after;  // "": the write is given up
        int pauses;         // -1: all the pauses a write has
    } cases[] = {
        {"emptied, written after 3 pauses", true, "", false, 3, removed + "Last System=HAM\r\n", 3},
        {"emptied, stays empty", true, "", true, 0, "", -1},
        {"cut inside a line", false, full.substr(0, 20), false, 2, removed + "Last System=HAM\r\n", 2},
        {"much shorter than seen", true, "[Hardware]\r\n", false, 2, removed + "Last System=HAM\r\n", 2},
        {"a key removed, holds still", true, removed, false, 0, removed + "Last System=HAM\r\n", -1},
        {"a key removed long ago", true, removed, true, 0, removed + "Last System=HAM\r\n", 0},
        {"empty, never seen with text", false, "", false, 0, ours, -1},
        {"empty and old", false, "", true, 0, ours, 0},
        {"no final line end, old", false, unended, true, 0, removed + "Last System=HAM", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NativeProfileFiles native(mapper);
        SteppedSleep sleep;
        native.sleep = &sleep;
        WriteBytes(file, full);
        if (c.seen) native.GetString(file, "Hardware", "DecoderType", "", 256);
        WriteBytes(file, c.first);
        Age(file, c.old);
        sleep.step = [&](int pause) {
            if (pause == c.doneAfter) WriteBytes(file, full);
        };
        EXPECT_EQ(native.WriteString(file, "Stations", "Last System", "HAM"), !c.after.empty());
        EXPECT_EQ(native.LastError(), c.after.empty() ? kBusy : 0);
        EXPECT_EQ(ReadBytes(file), c.after.empty() ? c.first : c.after);
        EXPECT_EQ(sleep.pauses, c.pauses < 0 ? kAllPauses : c.pauses);
        if (c.after.empty()) continue;
        sleep.pauses = 0;
        EXPECT_TRUE(native.WriteString(file, "Stations", "Last System", "SAILMAIL"));
        EXPECT_EQ(sleep.pauses, 0);
    }
}

// Reads take the same care: a value is read from a complete text, waited for
// while another program writes the file; a held read never keeps a text
// that was not complete when its pauses ran out.  A missing key in a
// complete text, or a missing file, reads as empty at once.
TEST_F(ProfileFiles, AReadWaitsForACompleteText) {
    NativeProfileFiles native(mapper);
    SteppedSleep sleep;
    native.sleep = &sleep;
    const std::string full = "[Propagation]\r\nLatitude=37\r\nSSN=87\r\n";
    const auto read = [&](const char* key) { return native.GetString(file, "Propagation", key, "", 256); };
    WriteBytes(file, full.substr(0, 30));
    Age(file, false);
    sleep.step = [&](int pause) {
        if (pause == 2) WriteBytes(file, full);
    };
    EXPECT_EQ(read("SSN"), "87");
    EXPECT_EQ(sleep.pauses, 2);

    native.HoldReads(true);
    WriteBytes(file, "");
    EXPECT_EQ(read("SSN"), "");
    EXPECT_EQ(sleep.pauses, 2 + kAllPauses);
    WriteBytes(file, full);
    EXPECT_EQ(read("SSN"), "87");
    native.HoldReads(false);
    EXPECT_EQ(read("None"), "");
    EXPECT_EQ(native.GetString(dir / "none.ini", "A", "k", "", 256), "");
    EXPECT_EQ(sleep.pauses, 2 + kAllPauses);
}

// The temporary files a killed write left are removed at the next write:
// this computer's of a process that has ended; not another computer's (a
// shared folder), not a running write's however old, not another name's, not
// other names of the folder.  A write whose temporary file another program
// removes says so.
TEST_F(ProfileFiles, AKilledWritesTemporaryFilesGoAtTheNextWrite) {
#ifdef _WIN32
    const std::string lead = "~", self = std::to_string(::GetCurrentProcessId());
#else
    const std::string lead = ".", self = std::to_string(::getpid());
#endif
    const std::string host = profile_file::HostName();
    // The computer's name stands between dots: only letters, digits, "-" and "_" are kept.
    EXPECT_EQ(profile_file::SafeHostName("az.AZ-09_\xC3\xA9"), "az_AZ-09___");
    const std::string ended = "999999999";  // beyond any process id in use
    const std::string ours = lead + "Tidewell.Ini." + host + ".";
    const std::string gone = ours + ended + ".3.tmp";
    const std::string kept[] = {ours + self + ".9.tmp", lead + "Tidewell.Ini.other-host." + ended + ".1.tmp",
                                lead + "Other.ini." + host + "." + ended + ".1.tmp", ours + "x.1.tmp",
                                "Tidewell.Ini." + host + "." + ended + ".1.tmp"};
    for (const std::string& name : kept) WriteBytes(dir / name, "x");
    WriteBytes(dir / gone, "x");
    std::filesystem::last_write_time(dir / kept[0], std::filesystem::file_time_type::clock::now() -
                                                        std::chrono::hours(2));
    ASSERT_TRUE(files->WriteString(file, "A", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(dir / gone)) << gone;
    for (const std::string& name : kept) EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;

    NativeProfileFiles native(mapper);
    native.beforeMove = [&](const std::string&) {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().rfind(ours + self + ".", 0) == 0 &&
                entry.path().filename().string() != kept[0])
                std::filesystem::remove(entry.path());
    };
    EXPECT_FALSE(native.WriteString(file, "A", "k", "w"));
    EXPECT_EQ(native.LastError(), ProfileTempGoneError());
    EXPECT_EQ(ReadBytes(file), "[A]\r\nk=v\r\n");
}

// Another program (tw-rival, beside this test program) writes a realistic
// Airmail.ini again and again: in place whole, in pieces with pauses of 0.5
// and 50 ms, stalled for 1.5 s half way, and atomically (a temporary file
// moved over it), while we write the position a few hundred times (as many
// as fit in 1.5 s) and read values between the writes.  It never finds one
// of its lines missing (nor does its last read, after our last write); each
// of our writes is done or says that the file is busy; every read of a value
// the file always holds finds it.
TEST_F(ProfileFiles, AnotherProgramWritingTheFileLosesNoKey) {
    const std::string program = test::ProgramBesideTests(TIDEWELL_RIVAL_EXE);
    const std::unique_ptr<IProcessRunner> runner = MakeProcessRunner();
    const std::string ini = dir / "Airmail.ini";
    // A rival that writes again 1 ms after each write leaves no time for a
    // write of ours (its temporary file is flushed to the disk first, which
    // takes longer): all of ours may be given up; the others leave pauses
    // between their writes, as AirMail does.
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"gap=1000"}, false},
        {{"piece=256", "pause=500", "gap=20000"}, true},
        {{"piece=600", "pause=50000", "gap=20000"}, true},
        {{"piece=256", "pause=500", "stall=1500", "gap=20000"}, true},
        {{"atomic", "gap=1000"}, true},
    };
    for (const auto& [options, oursGoThrough] : cases) {
        std::vector<std::string> arguments = {ini, ini + ".stop", ini + ".result"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        SCOPED_TRACE(arguments.back());
        std::filesystem::remove(ini + ".stop");
        const ProcessStart rival = runner->Start(program, arguments, "");
        ASSERT_GT(rival.pid, 0) << rival.error;
        // A real process: real time passes until it has begun.
        for (int i = 0; i < 5000 && !std::filesystem::exists(ini); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        NativeProfileFiles native(mapper);
        int written = 0, busy = 0, unread = 0, n = 0;
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
             n < 300 && std::chrono::steady_clock::now() < end; ++n) {
            const bool done = native.WriteStrings(ini, {{"Position Report", "Current Latitude", "1"},
                                                        {"Position Report", "Current Longitude", "2"},
                                                        {"Position Report", "Current Time", std::to_string(n)}});
            written += done;
            busy += !done && native.LastError() == kBusy;
            unread += native.GetString(ini, "Propagation", "SSN", "", 256) != "87";
            unread += native.GetString(ini, "Position Report", "Latitude", "", 256).empty();
        }
        WriteBytes(ini + ".stop", "");
        EXPECT_EQ(runner->Wait(rival.pid, 30), ProcessEnd::ExitedZero);
        long writes = 0, lost = -1;
        std::ifstream(ini + ".result") >> writes >> lost;
        EXPECT_EQ(lost, 0) << "of " << writes << " rival writes";
        EXPECT_EQ(unread, 0);
        EXPECT_EQ(written + busy, n) << native.LastError();
        EXPECT_TRUE(writes > 1 && (written > 0 || !oursGoThrough)) << writes << " " << written;
        std::filesystem::remove(ini);
    }
}

// Held reads read a file once; a write makes every name read afresh.
TEST_F(ProfileFiles, HeldReadsReadEachFileOnceAndAfreshAfterAWrite) {
    const auto k = [&] { return files->GetString(file, "A", "k", "", 256); };
    WriteBytes(file, "[A]\r\nk=1\r\n");
    files->HoldReads(true);
    EXPECT_EQ(k(), "1");
    WriteBytes(file, "[A]\r\nk=2\r\n");
    files->HoldReads(true);
    files->HoldReads(false);  // holds nest
    EXPECT_EQ(k(), "1");
    ASSERT_TRUE(files->WriteString(file, "A", "j", "x"));
    EXPECT_EQ(k(), "2");
    WriteBytes(file, "[A]\r\nk=3\r\n");
    Age(file, true);  // (shorter than the text last seen)
    files->HoldReads(false);
    EXPECT_EQ(k(), "3");

    // A name read before its file was there finds the file made later under
    // another spelling: by a write while held, or by another program between
    // two holds.
    mapper.SetDrive('t', dir.path());
    const auto read = [&](const char* name) { return files->GetString(name, "A", "k", "", 256); };
    files->HoldReads(true);
    EXPECT_EQ(read("T:\\New.ini"), "");
    ASSERT_TRUE(files->WriteString("T:\\NEW.INI", "A", "k", "4"));
    EXPECT_EQ(read("T:\\New.ini"), "4");
    EXPECT_EQ(read("T:\\Other.ini"), "");
    files->HoldReads(false);
    WriteBytes(dir / "OTHER.INI", "[A]\r\nk=5\r\n");
    files->HoldReads(true);
    EXPECT_EQ(read("T:\\Other.ini"), "5");
    files->HoldReads(false);
}

// UTF-16 bytes, little- or big-endian, with or without the byte order mark.
std::string Utf16(std::u16string_view text, bool big = false, bool mark = true) {
    std::string bytes = mark ? (big ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char16_t u : text) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        bytes += big ? std::string {high, low} : std::string {low, high};
    }
    return bytes;
}

// A file keeps its line ends and its encoding: new lines get the file's own
// line end; UTF-8 and UTF-16 files (known by their byte order marks, or a
// UTF-16 file without one by its NUL bytes, little- or big-endian) are read
// and written in their encoding, never with a line of ANSI text, the ANSI
// values converted, and every character not written stays, also those the
// code page lacks.
TEST_F(ProfileFiles, WritesKeepTheLineEndsAndTheEncodingOfTheFile) {
    const std::u16string before = u"; \u4e2d\r\n[A]\r\nk=\u20ac1\r\n";
    const std::u16string after = u"; \u4e2d\r\n[A]\r\nk=Caf\u00e9\r\nn=new\r\n[B]\r\nm=3\r\n";
    const struct {
        const char* name;
        std::string before;
        std::string read;  // [A] k before the write
        std::string after;
    } cases[] = {
        {"CR", "[A]\rk=1\rj=2", "1", "[A]\rk=Caf\xE9\rj=2\rn=new\r[B]\rm=3\r"},
        {"LF", "[A]\nk=1\n", "1", "[A]\nk=Caf\xE9\nn=new\n[B]\nm=3\n"},
        {"UTF-8", "\xEF\xBB\xBF[A]\r\nk=\xE4\xB8\xAD \xC3\xA9\r\n", "? \xE9",
         "\xEF\xBB\xBF[A]\r\nk=Caf\xC3\xA9\r\nn=new\r\n[B]\r\nm=3\r\n"},
        {"UTF-16LE", Utf16(before), "\x80" "1", Utf16(after)},
        {"UTF-16BE", Utf16(before, true), "\x80" "1", Utf16(after, true)},
        {"UTF-16LE without a mark", Utf16(before, false, false), "\x80" "1", Utf16(after, false, false)},
        {"UTF-16BE without a mark", Utf16(before, true, false), "\x80" "1", Utf16(after, true, false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, c.before);
        Age(file, true);  // (a hand-kept file without a final line end)
        EXPECT_EQ(files->GetString(file, "a", "K", "", 256), c.read);
        ASSERT_TRUE(files->WriteStrings(file, {{"A", "k", "Caf\xE9"}, {"A", "n", "new"}, {"B", "m", "3"}}));
        EXPECT_EQ(ReadBytes(file), c.after);
        EXPECT_EQ(files->GetString(file, "A", "k", "", 256), "Caf\xE9");
    }
}

#ifdef _WIN32

// The file's security descriptor (owner and access list) as text.
std::string Security(const std::string& path) {
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), what, nullptr, 0, &size);
    std::vector<char> sd(size);
    if (size == 0 || !::GetFileSecurityA(path.c_str(), what, sd.data(), size, &size)) return "?";
    char* text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorA(sd.data(), SDDL_REVISION_1, what,
                                                                &text, nullptr))
        return "?";
    std::string result(text);
    ::LocalFree(text);
    return result;
}

// AirMail keeps its files open (sharing reads and writes, not deletes): the
// write works as the Windows profile function's does, and the file keeps its
// owner and access list.
TEST_F(ProfileFiles, AFileHeldOpenWithoutDeleteSharingIsWrittenAndKeepsItsSecurity) {
    const std::string other = dir / "Other.ini";
    for (const std::string& path : {file, other}) WriteHandKept(path);
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &sd, nullptr));
    ASSERT_TRUE(::SetFileSecurityA(file.c_str(), DACL_SECURITY_INFORMATION, sd));
    ::LocalFree(sd);
    // Wine (on most file systems) keeps no access list of its own: then only
    // the owner and the default list are compared.
    const std::string security = Security(file);
    if (security.find("(A;;FR;;;BU)") == std::string::npos)
        std::cerr << "note: the file system keeps no access list: " << security << "\n";

    HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE heldOther = ::CreateFileA(other.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_TRUE(::WritePrivateProfileStringA("Station Data", "Top Stations", "1234567", other.c_str()))
        << "the system's own write";
    const bool written = files->WriteString(file, "Station Data", "Top Stations", "1234567");
    const int error = files->LastError();
    ::CloseHandle(held);
    ::CloseHandle(heldOther);
    ASSERT_TRUE(written) << error;
    std::string expected = kHandKept;
    expected.replace(expected.find("=5"), 2, "=1234567");
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_EQ(Security(file), security);
    EXPECT_EQ(files->GetString(other, "Station Data", "Top Stations", "", 256), "1234567");
    const auto entries = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2) << "no temporary file is left";

    // Not held: replaced, the security kept all the same.
    ASSERT_TRUE(files->WriteString(file, "Station Data", "Top Stations", "8"));
    EXPECT_EQ(ReadBytes(file), kHandKept.substr(0, kHandKept.size() - 1) + "8");
    EXPECT_EQ(Security(file), security);
}

#endif  // _WIN32

TEST(SystemErrorText, GivesTheSystemTextOrTheCode) {
#ifdef _WIN32
    EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED).find("ccess"), std::string::npos);
#else
    EXPECT_EQ(SystemErrorText(EACCES), std::string(std::strerror(EACCES)));
#endif
    EXPECT_EQ(SystemErrorText(987654), "Error Code 987654");
    EXPECT_EQ(SystemErrorText(-3), "Error Code -3");
}

}  // namespace
}  // namespace tw::platform
