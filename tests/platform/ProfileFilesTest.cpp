#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <sys/stat.h>

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

TEST_F(ProfileFiles, FirstWriteCreatesFileWithOrdinaryPermissions) {
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

TEST_F(ProfileFiles, RefusedTextOrMissingFolderFailWithTheirCodes) {
    EXPECT_FALSE(files->WriteString(file, "A", "k", "v\r\n[Other]\r\nx=y"));
    EXPECT_EQ(files->LastError(), EINVAL);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(files->WriteString(dir / "none/Tidewell.Ini", "A", "k", "v"));
    EXPECT_EQ(files->LastError(), ENOENT);
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

TEST(SystemErrorText, GivesTheSystemTextOrTheCode) {
    EXPECT_EQ(SystemErrorText(EACCES), std::string(std::strerror(EACCES)));
    EXPECT_EQ(SystemErrorText(987654), "Error Code 987654");
    EXPECT_EQ(SystemErrorText(-3), "Error Code -3");
}

}  // namespace
}  // namespace tw::platform
