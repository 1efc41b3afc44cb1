#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

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

#include "support/Unprivileged.h"
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

// Windows paths go through the mapper, for reading and writing, here to a
// folder named outside the ANSI code page (the program's paths are UTF-8).
// (Drive T: here: on Windows the temporary folder is on drive C:, which must
// stay as it is for the paths below.)
TEST_F(ProfileFiles, WriteChangesOnlyTheWrittenLine) {
    const std::string folder = dir / "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5";
    ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(folder)));
    mapper.SetDrive('t', folder);
    const std::string file = folder + "/Tidewell.Ini";
    WriteBytes(file, kHandKept);
    ASSERT_TRUE(files->WriteString("T:\\TIDEWELL.INI", "airmail data", "STARTUP", "False"));
    std::string expected = kHandKept;
    expected.replace(expected.find("True"), 4, "False");
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_EQ(files->GetString("t:\\tidewell.ini", "AirMail Data", "Startup", "", 256), "False");
    const auto entries = std::filesystem::directory_iterator(std::filesystem::u8path(folder));
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary file is left";
    // Writing the value the file has leaves the file alone.
    const std::uint64_t id = FileId(file);
    ASSERT_TRUE(files->WriteString(file, "AIRMAIL DATA", "startup", "False")) << files->LastError();
    EXPECT_EQ(FileId(file), id);
}

// A missing folder fails with its code and writes nothing.
TEST_F(ProfileFiles, FirstWriteCreatesFileWithOrdinaryPermissionsOrFailsWithItsCode) {
    EXPECT_FALSE(files->WriteString(dir / "none/Tidewell.Ini", "A", "k", "v"));
    EXPECT_EQ(files->LastError(), kNoFolder);
    EXPECT_EQ(files->GetString(file, "Window Data", "Height", "", 256), "");
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

#ifndef _WIN32
struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}


// A write through a link changes its target, also one that is not there yet
// (made by the write, as the Windows functions do); the link stays a link.
// A file with a second name (a hard link) is rewritten in place.
TEST_F(ProfileFiles, ReplacedFileKeepsPermissionBitsAndSymlink) {
    const std::string real = dir / "real.ini";
    const std::string link = dir / "link.ini";
    WriteBytes(real, "[A]\nk=v\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    ASSERT_TRUE(files->WriteString(link, "A", "k", "w"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[A]\nk=w\n");
    EXPECT_EQ(Stat(real).st_mode & 0777, 0640u);

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

// A read-only file in a writable folder (where the rename would be allowed):
// the write fails with the system's code and the file stays.
TEST_F(ProfileFiles, ReadOnlyFileFailsAndStaysUnchanged) {
    WriteBytes(file, kHandKept);
#ifdef _WIN32
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const int code = files->WriteString(file, "AirMail Data", "Startup", "False") ? 0 : files->LastError();
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(code, ERROR_ACCESS_DENIED);
#else
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    // The child reports LastError, or 0 if the write wrongly succeeded.
    const int code = tw::test::RunUnprivileged([&] {
        auto own = MakeProfileFiles(mapper);
        return own->WriteString(file, "AirMail Data", "Startup", "False") ? 0 : own->LastError();
    });
    if (code == -1) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_EQ(code, EACCES);
#endif
    EXPECT_EQ(ReadBytes(file), kHandKept);
}

// Keys that belong together change in one replace: all or none.
TEST_F(ProfileFiles, SeveralKeysChangeInOneReplaceOrNotAtAll) {
    WriteBytes(file, kHandKept);
#ifndef _WIN32
    const std::uint64_t before = FileId(file);
#endif
    const std::vector<ProfileEntry> position = {{"Position Report", "Current Latitude", "1"},
                                                {"Position Report", "Current Longitude", "2"},
                                                {"Station Data", "Top Stations", "7"}};
    ASSERT_TRUE(files->WriteStrings(file, position));
#ifndef _WIN32
    EXPECT_NE(FileId(file), before) << "replaced, not rewritten in place";
#endif
    EXPECT_EQ(ReadBytes(file), "; kept by hand\r\n[AirMail Data]\r\n"
                               "Directory Data =  C:\\Program Files\\AirMail\r\n"
                               "\tStartup\t=\tTrue\r\n\r\n[Station Data]\r\nTop Stations=7\r\n"
                               "[Position Report]\r\nCurrent Latitude=1\r\nCurrent Longitude=2\r\n");
    // One refused entry refuses them all.
    const std::string written = ReadBytes(file);
    EXPECT_FALSE(files->WriteStrings(file, {{"Position Report", "Current Latitude", "3"},
                                            {"Position Report", "Current Time", "x\ny"}}));
    EXPECT_EQ(files->LastError(), kInvalid);
    EXPECT_EQ(ReadBytes(file), written);
}

// Another program changes the file between our read and our replace, or
// writes into the old file after our move (it had opened it before): the
// edit is made again on its text, so both changes stay; a file that keeps
// changing is given up with EBUSY and keeps the other program's text.
TEST_F(ProfileFiles, AChangeMadeMeanwhileIsKept) {
    NativeProfileFiles native(mapper);
    WriteBytes(file, "[Position Report]\r\nCurrent Latitude=1\r\n");
    int changes = 0;
    native.beforeReplace = [&](const std::string& path) {
        if (changes++ == 0) WriteBytes(path, ReadBytes(path) + "[Hardware]\r\nModem=9\r\n");
    };
    ASSERT_TRUE(native.WriteString(file, "Position Report", "Current Latitude", "5"));
    EXPECT_EQ(ReadBytes(file),
              "[Position Report]\r\nCurrent Latitude=5\r\n[Hardware]\r\nModem=9\r\n");
    EXPECT_EQ(changes, 2);
#ifndef _WIN32
    std::fstream other;
    native.beforeReplace = [&](const std::string& path) {
        if (!other.is_open()) other.open(path, std::ios::in | std::ios::out | std::ios::binary);
    };
    native.afterMove = [&](const std::string&) {
        if (other.is_open()) other << "[Position Report]\r\nCurrent Latitude=7\r\n" << std::flush;
    };
    ASSERT_TRUE(native.WriteString(file, "Hardware", "Modem", "8"));
    EXPECT_EQ(ReadBytes(file), "[Position Report]\r\nCurrent Latitude=7\r\n[Hardware]\r\nModem=8\r\n");
#endif

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

// Another program writes the file in place (empties it, then writes it anew):
// a read that finds it empty, or much shorter than it was, is read again
// after a pause; a file that stays empty is not written and the write says
// that it is busy.
TEST_F(ProfileFiles, AFileCaughtInAnotherProgramsWriteIsReadAgain) {
    const std::string full = "[Hardware]\r\nDecoderType=MODEMA\r\n[Stations]\r\nLast System=SAILMAIL\r\n";
    const std::string ours = "[Position Report]\r\nCurrent Latitude=1\r\n";
    const struct {
        const char* name;
        std::string first;  // the file at our first read, after one whole read
        int doneAfter;      // pauses until the other program's write is done (0: never)
        std::string after;  // "": the write is given up
        int pauses;         // -1: all the pauses a write has
    } cases[] = {
        {"empty until written", "", 3, full + ours, 3},
        {"stays empty", "", 0, "", -1},
        {"much shorter than seen", "[Hardware]\r\n", 2, full + ours, 2},
        {"a key removed, read the same again", full.substr(0, full.find("Last")), 0,
         full.substr(0, full.find("Last")) + ours, NativeProfileFiles::kStillPauses},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NativeProfileFiles native(mapper);
        SteppedSleep sleep;
        native.sleep = &sleep;
        WriteBytes(file, full);
        native.GetString(file, "Hardware", "DecoderType", "", 256);
        WriteBytes(file, c.first);
        sleep.step = [&](int pause) {
            if (pause == c.doneAfter) WriteBytes(file, full);
        };
        EXPECT_EQ(native.WriteString(file, "Position Report", "Current Latitude", "1"), !c.after.empty());
        EXPECT_EQ(native.LastError(), c.after.empty() ? kBusy : 0);
        EXPECT_EQ(ReadBytes(file), c.after);
        EXPECT_EQ(sleep.pauses, c.pauses < 0 ? NativeProfileFiles::kMaxWaitMs / NativeProfileFiles::kPauseMs
                                             : c.pauses);
    }
}


// The temporary files a killed write left are removed at the next write:
// those of a process that has ended, and old ones; not another name's, not
// other names of the folder, not a running write's.
TEST_F(ProfileFiles, AKilledWritesTemporaryFilesGoAtTheNextWrite) {
#ifdef _WIN32
    const std::string lead = "~", self = std::to_string(::GetCurrentProcessId());
#else
    const std::string lead = ".", self = std::to_string(::getpid());
#endif
    const std::string ended = "999999999";  // beyond any process id in use
    const std::string gone[] = {lead + "Tidewell.Ini." + ended + ".3.tmp", lead + "Tidewell.Ini." + self + ".8.tmp"};
    const std::string kept[] = {lead + "Tidewell.Ini." + self + ".9.tmp", lead + "Other.ini." + ended + ".1.tmp",
                                lead + "Tidewell.Ini.x.1.tmp", "Tidewell.Ini." + ended + ".1.tmp"};
    for (const std::string& name : {gone[0], gone[1], kept[0], kept[1], kept[2], kept[3]}) WriteBytes(dir / name, "x");
    std::filesystem::last_write_time(dir / gone[1], std::filesystem::file_time_type::clock::now() -
                                                        std::chrono::hours(2));
    ASSERT_TRUE(files->WriteString(file, "A", "k", "v"));
    for (const std::string& name : gone) EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
}

// Another program (tw-rival, beside this test program) rewrites the file in
// place, in a tight loop and with pauses of 1, 10 and 50 ms, while we write
// the position again and again: it never finds one of its keys missing, and
// each of our writes is done or says that the file is busy.
TEST_F(ProfileFiles, AnotherProgramWritingInPlaceLosesNoKey) {
#ifdef _WIN32
    char self[MAX_PATH] = {};
    const std::string test(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH));
#else
    const std::string test = std::filesystem::read_symlink("/proc/self/exe").string();
#endif
    const std::string program = test.substr(0, test.find_last_of("\\/") + 1) + TIDEWELL_RIVAL_EXE;
    const std::unique_ptr<IProcessRunner> runner = MakeProcessRunner();
    for (int gap : {0, 1, 10, 50}) {
        SCOPED_TRACE(gap);
        const std::string ini = dir / ("Airmail" + std::to_string(gap) + ".ini");
        const ProcessStart rival = runner->Start(program, {ini, std::to_string(gap), ini + ".stop", ini + ".result"}, "");
        ASSERT_GT(rival.pid, 0) << rival.error;
        // A real process: real time passes until it has written.
        for (int i = 0; i < 2000 && !std::filesystem::exists(ini); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        NativeProfileFiles native(mapper);
        int written = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        for (int n = 0; n < 3 || std::chrono::steady_clock::now() < end; ++n) {
            const bool done = native.WriteStrings(ini, {{"Position Report", "Current Latitude", "1"},
                                                        {"Position Report", "Current Longitude", "2"},
                                                        {"Position Report", "Current Time", std::to_string(n)}});
            written += done;
            EXPECT_TRUE(done || native.LastError() == kBusy) << native.LastError();
        }
        WriteBytes(ini + ".stop", "");
        EXPECT_EQ(runner->Wait(rival.pid, 30), ProcessEnd::ExitedZero);
        long writes = 0, lost = -1;
        std::ifstream(ini + ".result") >> writes >> lost;
        EXPECT_EQ(lost, 0) << "of " << writes << " rival writes; " << written << " of ours done";
        // Against a file that changes all the time, a write may always give up.
        EXPECT_TRUE(writes > 1 && (gap < 10 || written > 0)) << writes << " " << written;
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

#ifndef _WIN32
// A profile path that is a pipe or an endless device reads as no file and is
// not written; neither blocks.
TEST_F(ProfileFiles, APipeOrADeviceIsNeitherReadNorWritten) {
    const std::string pipe = dir / "pipe.ini";
    const std::string zero = dir / "zero.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& path : {pipe, zero}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(files->GetString(path, "A", "k", "dflt", 256), "dflt");
        EXPECT_FALSE(files->WriteString(path, "A", "k", "v"));
        EXPECT_EQ(files->LastError(), EINVAL);
    }
}

#endif  // _WIN32

std::string Utf16(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return bytes;
}

// A file keeps its line ends and its encoding: new lines get the file's own
// line end; UTF-8 and UTF-16LE files (known by their byte order marks) are
// read and written in their encoding, the ANSI values converted, and every
// character not written stays, also those the code page lacks.
TEST_F(ProfileFiles, WritesKeepTheLineEndsAndTheEncodingOfTheFile) {
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
        {"UTF-16LE", Utf16(u"; \u4e2d\r\n[A]\r\nk=\u20ac1\r\n"), "\x80" "1",
         Utf16(u"; \u4e2d\r\n[A]\r\nk=Caf\u00e9\r\nn=new\r\n[B]\r\nm=3\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, c.before);
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
    for (const std::string& path : {file, other}) WriteBytes(path, kHandKept);
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
