#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <tuple>

#include <sys/stat.h>

#include "platform/PathMapper.h"
#include "platform/Profile.h"
#include "TempDir.h"
#include "support/Unprivileged.h"

namespace tw::platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class ProfileFiles : public testing::Test {
protected:
    PathMapper mapper;
    std::unique_ptr<IProfileFiles> files = MakeProfileFiles(mapper);
    TempDir dir;

    std::size_t EntriesInDir() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++n;
        return n;
    }
};

// A hand-kept file: comments, odd spacing, CRLF line ends, no final line end.
const std::string kHandKept =
    "; kept by hand\r\n"
    "[AirMail Data]\r\n"
    "Directory Data =  C:\\Program Files\\AirMail\r\n"
    "\tStartup\t=\tTrue\r\n"
    "\r\n"
    "[Station Data]\r\n"
    "Top Stations=5";

TEST_F(ProfileFiles, WriteChangesOnlyTheWrittenLine) {
    const std::string file = dir / "Tidewell.Ini";
    WriteBytes(file, kHandKept);
    ASSERT_TRUE(files->WriteString(file, "airmail data", "STARTUP", "False"));
    std::string expected = kHandKept;
    expected.replace(expected.find("True"), 4, "False");
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_EQ(files->GetString(file, "AirMail Data", "Startup", "", 256), "False");
    EXPECT_EQ(EntriesInDir(), 1u) << "no temporary file is left behind";
}

TEST_F(ProfileFiles, NewKeyAndNewSectionAreAddedInPlace) {
    const std::string file = dir / "Tidewell.Ini";
    WriteBytes(file, kHandKept);
    ASSERT_TRUE(files->WriteString(file, "AirMail Data", "Resize", "True"));
    ASSERT_TRUE(files->WriteString(file, "Radio Data", "Frequency", "False"));
    EXPECT_EQ(ReadBytes(file),
              "; kept by hand\r\n[AirMail Data]\r\nDirectory Data =  C:\\Program Files\\AirMail\r\n"
              "\tStartup\t=\tTrue\r\nResize=True\r\n\r\n[Station Data]\r\nTop Stations=5\r\n"
              "[Radio Data]\r\nFrequency=False\r\n");
}

TEST_F(ProfileFiles, FirstWriteCreatesFileWithOrdinaryPermissions) {
    const std::string file = dir / "Tidewell.Ini";
    EXPECT_EQ(files->GetString(file, "Window Data", "Height", "", 256), "");
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(files->WriteString(file, "Window Data", "Height", "7000"));
    ::umask(mask);
    EXPECT_EQ(ReadBytes(file), "[Window Data]\r\nHeight=7000\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(ProfileFiles, EmptyValueIsWrittenAndReadsAsEmpty) {
    const std::string file = dir / "Tidewell.Ini";
    WriteBytes(file, "[AirMail Data]\r\nDirectory Data=C:\\x\r\n");
    ASSERT_TRUE(files->WriteString(file, "AirMail Data", "Directory Data", ""));
    EXPECT_EQ(ReadBytes(file), "[AirMail Data]\r\nDirectory Data=\r\n");
    // Present but empty is the empty string, not the default (as on Windows).
    EXPECT_EQ(files->GetString(file, "AirMail Data", "Directory Data", "dflt", 256), "");
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
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileFiles, PathsGoThroughTheMapper) {
    std::filesystem::create_directory(dir / "Program Files");
    mapper.SetDrive('c', dir.path());
    WriteBytes(dir / "Program Files/Airmail.ini", "[Settings]\r\nLast System=SAILMAIL\r\n");
    EXPECT_EQ(files->GetString("C:\\PROGRAM FILES\\AIRMAIL.INI", "settings", "last system", "",
                               512),
              "SAILMAIL");
    ASSERT_TRUE(files->WriteString("c:\\program files\\airmail.ini", "Settings", "X", "1"));
    EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(ProfileFiles, RefusedTextOrMissingFolderFailWithTheirCodes) {
    const std::string file = dir / "Tidewell.Ini";
    EXPECT_FALSE(files->WriteString(file, "A", "k", "v\r\n[Other]\r\nx=y"));
    EXPECT_EQ(files->LastError(), EINVAL);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(files->WriteString(dir / "none/Tidewell.Ini", "A", "k", "v"));
    EXPECT_EQ(files->LastError(), ENOENT);
}

// A read-only folder (the file itself writable), or a read-only file in a
// writable folder: the write fails with the system's code, the file stays.
TEST_F(ProfileFiles, ReadOnlyFolderOrFileFailsAndLeavesFileUnchanged) {
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    for (const auto& [name, folderMode, fileMode] : {std::tuple{"ro", 0555, 0666}, std::tuple{"rw", 0777, 0444}}) {
        SCOPED_TRACE(name);
        const std::string folder = dir / name;
        const std::string file = folder + "/Tidewell.Ini";
        std::filesystem::create_directory(folder);
        WriteBytes(file, kHandKept);
        ASSERT_EQ(::chmod(file.c_str(), fileMode), 0);
        ASSERT_EQ(::chmod(folder.c_str(), folderMode), 0);
        // The child reports LastError, or 0 if a write wrongly succeeded.
        const int code = tw::test::RunUnprivileged([&] {
            auto own = MakeProfileFiles(mapper);
            if (own->WriteString(file, "AirMail Data", "Startup", "False")) return 0;
            const int error = own->LastError();
            if (folderMode == 0555 && own->WriteString(folder + "/New.ini", "A", "k", "v")) return 0;
            return error;
        });
        ::chmod(folder.c_str(), 0755);
        if (code == -1) GTEST_SKIP() << "cannot drop root rights here";
        EXPECT_EQ(code, EACCES);
        EXPECT_EQ(ReadBytes(file), kHandKept);
        EXPECT_FALSE(std::filesystem::exists(folder + "/New.ini"));
    }
}

TEST_F(ProfileFiles, WritingTheSameValueLeavesTheFileAlone) {
    const std::string file = dir / "Tidewell.Ini";
    WriteBytes(file, "[A]\r\nk = v\r\n");
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_TRUE(files->WriteString(file, "a", "K", "v"));
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(SystemErrorText, GivesTheSystemTextOrTheCode) {
    EXPECT_EQ(SystemErrorText(EACCES), std::string(std::strerror(EACCES)));
    EXPECT_EQ(SystemErrorText(987654), "Error Code 987654");
    EXPECT_EQ(SystemErrorText(-3), "Error Code -3");
}

}  // namespace
}  // namespace tw::platform
