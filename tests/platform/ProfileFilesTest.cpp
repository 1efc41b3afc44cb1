#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <sys/stat.h>

#include "platform/NativeProfileFiles.h"
#include "platform/PathMapper.h"
#include "platform/Profile.h"
#include "TempDir.h"
#include "support/Unprivileged.h"

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

struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
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

// Windows paths go through the mapper, for reading and writing.
TEST_F(ProfileFiles, WriteChangesOnlyTheWrittenLine) {
    mapper.SetDrive('c', dir.path());
    WriteBytes(file, kHandKept);
    ASSERT_TRUE(files->WriteString("C:\\TIDEWELL.INI", "airmail data", "STARTUP", "False"));
    std::string expected = kHandKept;
    expected.replace(expected.find("True"), 4, "False");
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_EQ(files->GetString("c:\\tidewell.ini", "AirMail Data", "Startup", "", 256), "False");
    const auto entries = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary file is left";
    // Writing the value the file has leaves the file alone.
    const ino_t inode = Stat(file).st_ino;
    ASSERT_TRUE(files->WriteString(file, "AIRMAIL DATA", "startup", "False"));
    EXPECT_EQ(Stat(file).st_ino, inode);
}

// Refused text and a missing folder fail with their codes and write nothing.
TEST_F(ProfileFiles, FirstWriteCreatesFileWithOrdinaryPermissionsOrFailsWithItsCode) {
    EXPECT_FALSE(files->WriteString(file, "A", "k", "v\r\n[Other]\r\nx=y"));
    EXPECT_EQ(files->LastError(), EINVAL);
    EXPECT_FALSE(files->WriteString(dir / "none/Tidewell.Ini", "A", "k", "v"));
    EXPECT_EQ(files->LastError(), ENOENT);
    EXPECT_EQ(files->GetString(file, "Window Data", "Height", "", 256), "");
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(files->WriteString(file, "Window Data", "Height", "7000"));
    ::umask(mask);
    EXPECT_EQ(ReadBytes(file), "[Window Data]\r\nHeight=7000\r\n");
    EXPECT_EQ(Stat(file).st_mode & 0777, 0644u);
}

TEST_F(ProfileFiles, ReplacedFileKeepsPermissionBitsAndSymlink) {
    const std::string real = dir / "real.ini";
    const std::string link = dir / "link.ini";
    WriteBytes(real, "[A]\nk=v\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(files->WriteString(link, "A", "k", "w"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[A]\nk=w\n");
    EXPECT_EQ(Stat(real).st_mode & 0777, 0640u);
}

// A read-only file in a writable folder (where the rename would be allowed):
// the write fails with the system's code and the file stays.
TEST_F(ProfileFiles, ReadOnlyFileFailsAndStaysUnchanged) {
    WriteBytes(file, kHandKept);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    // The child reports LastError, or 0 if the write wrongly succeeded.
    const int code = tw::test::RunUnprivileged([&] {
        auto own = MakeProfileFiles(mapper);
        return own->WriteString(file, "AirMail Data", "Startup", "False") ? 0 : own->LastError();
    });
    if (code == -1) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_EQ(code, EACCES);
    EXPECT_EQ(ReadBytes(file), kHandKept);
}

// Keys that belong together change in one replace: all or none.
TEST_F(ProfileFiles, SeveralKeysChangeInOneReplaceOrNotAtAll) {
    WriteBytes(file, kHandKept);
    const ino_t before = Stat(file).st_ino;
    const std::vector<ProfileEntry> position = {{"Position Report", "Current Latitude", "1"},
                                                {"Position Report", "Current Longitude", "2"},
                                                {"Station Data", "Top Stations", "7"}};
    ASSERT_TRUE(files->WriteStrings(file, position));
    EXPECT_NE(Stat(file).st_ino, before);
    EXPECT_EQ(ReadBytes(file), "; kept by hand\r\n[AirMail Data]\r\n"
                               "Directory Data =  C:\\Program Files\\AirMail\r\n"
                               "\tStartup\t=\tTrue\r\n\r\n[Station Data]\r\nTop Stations=7\r\n"
                               "[Position Report]\r\nCurrent Latitude=1\r\nCurrent Longitude=2\r\n");
    // One refused entry refuses them all.
    const std::string written = ReadBytes(file);
    EXPECT_FALSE(files->WriteStrings(file, {{"Position Report", "Current Latitude", "3"},
                                            {"Position Report", "Current Time", "x\ny"}}));
    EXPECT_EQ(files->LastError(), EINVAL);
    EXPECT_EQ(ReadBytes(file), written);
}

// Another program changes the file between our read and our replace: the
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

    native.beforeReplace = [&](const std::string& path) {
        WriteBytes(path, ReadBytes(path) + "; again\r\n");
    };
    EXPECT_FALSE(native.WriteString(file, "Position Report", "Current Latitude", "6"));
    EXPECT_EQ(native.LastError(), EBUSY);
    EXPECT_NE(ReadBytes(file).find("Current Latitude=5"), std::string::npos);
    EXPECT_NE(ReadBytes(file).find("; again"), std::string::npos);
    const auto entries = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary file is left";
}

// A profile path that is a pipe or an endless device reads as no file and is
// not written; neither blocks.
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
}

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

TEST(SystemErrorText, GivesTheSystemTextOrTheCode) {
    EXPECT_EQ(SystemErrorText(EACCES), std::string(std::strerror(EACCES)));
    EXPECT_EQ(SystemErrorText(987654), "Error Code 987654");
    EXPECT_EQ(SystemErrorText(-3), "Error Code -3");
}

}  // namespace
}  // namespace tw::platform
