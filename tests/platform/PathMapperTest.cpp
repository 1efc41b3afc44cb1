#include <gtest/gtest.h>

#include <filesystem>

#include "platform/PathMapper.h"
#include "support/ScopedEnv.h"
#include "TempDir.h"

namespace tw::platform {
namespace {

#ifndef _WIN32

using tw::test::ScopedEnv;

TEST(PathMapperDrives, DefaultsFollowWinePrefixThenHome) {
    ScopedEnv home("HOME", "/home/sailor");
    {
        ScopedEnv prefix("WINEPREFIX", "/opt/wp");
        PathMapper m;
        EXPECT_EQ(m.DriveFolder('C'), "/opt/wp/drive_c");
        EXPECT_EQ(m.DriveFolder('d'), "/opt/wp/dosdevices/d:");
    }
    ScopedEnv prefix("WINEPREFIX", nullptr);
    PathMapper m;
    EXPECT_EQ(m.DriveFolder('c'), "/home/sailor/.wine/drive_c");
    m.SetDrive('c', "/srv/c");
    EXPECT_EQ(m.DriveFolder('C'), "/srv/c");
    EXPECT_EQ(m.ToNative("c:\\itshfbc\\RUN\\sound.dat"), "/srv/c/itshfbc/RUN/sound.dat");
}

TEST(PathMapperMap, MapsAndMatchesCase) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "Program Files/AirMail/Logfiles");
    std::filesystem::create_directories(dir / "twin");
    for (const char* file : {"Program Files/AirMail/Airmail.ini", "twin/b.ini", "twin/B.INI"})
        test::WriteBytes(dir / file, "");
    PathMapper m;
    m.SetDrive('C', dir.path());
    m.KeepAsWritten("C:\\Users\\Own/Tidewell.Ini");
    // "~" stands for the temporary folder.
    const auto expand = [&](std::string s) {
        if (auto p = s.find('~'); p != std::string::npos) s.replace(p, 1, dir.path());
        return s;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\AirMail\\Airmail.ini", "~/Program Files/AirMail/Airmail.ini"},
        {"c:\\PROGRAM FILES\\airmail\\AIRMAIL.INI", "~/Program Files/AirMail/Airmail.ini"},
        {"C:\\program files\\airmail\\logfiles\\Debug.log",
         "~/Program Files/AirMail/Logfiles/Debug.log"},
        {"C:\\program files\\airmail\\\\System.NEW.ini", "~/Program Files/AirMail/System.NEW.ini"},
        {"C:\\program files\\NoSuch\\airmail\\x.ini", "~/Program Files/NoSuch/airmail/x.ini"},
        {"C:\\program files\\airmail\\", "~/Program Files/AirMail/"},
        {"~/program files\\AirMail\\Tidewell.Ini", "~/Program Files/AirMail/Tidewell.Ini"},
        {"C:\\Program Files\\\\AirMail\\Airmail.ini", "~/Program Files/AirMail/Airmail.ini"},
        {"C:\\Program Files\\.\\airmail\\..\\AirMail\\airmail.ini",
         "~/Program Files/./AirMail/../AirMail/Airmail.ini"},
        {"C:\\program files\\airmail\\airmail.ini\\x", "~/Program Files/AirMail/Airmail.ini/x"},
        {"C:\\TWIN\\b.ini", "~/twin/b.ini"},
        {"C:\\twin\\B.ini", "~/twin/B.ini"},  // two matches: the written name stays
        {"C:/Users\\Own\\Tidewell.Ini", "C:/Users\\Own\\Tidewell.Ini"},  // kept
        {"C:", "~"}};
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(m.ToNative(expand(input)), expand(expected)) << input;
    }
}

#else

// On Windows a drive that is set (`--drive-c`, the demo's drive) maps to its
// folder as elsewhere; other drives and other paths stay as they are.
TEST(PathMapperMap, MapsTheDrivesSetAndLeavesTheOthers) {
    PathMapper m;
    EXPECT_EQ(m.DriveFolder('d'), "D:");
    m.SetDrive('c', "E:\\demo\\drive_c\\");
    m.SetDrive('F', "\\\\server\\share");
    // The program's own profile in the temporary folder on the demo's drive.
    m.KeepAsWritten("C:\\Users\\Me\\Temp\\tidewell-x/Tidewell.Ini");
    EXPECT_EQ(m.DriveFolder('C'), "E:\\demo\\drive_c\\");
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\AirMail\\Airmail.ini", "E:\\demo\\drive_c\\Program Files\\AirMail\\Airmail.ini"},
        {"c:/itshfbc\\\\RUN", "E:\\demo\\drive_c\\itshfbc\\RUN"},
        {"C:itshfbc", "E:\\demo\\drive_c\\itshfbc"},
        {"C:", "E:\\demo\\drive_c"},
        {"C:\\", "E:\\demo\\drive_c\\"},
        {"f:\\AirMail\\", "\\\\server\\share\\AirMail\\"},
        {"D:\\Program Files\\AirMail", "D:\\Program Files\\AirMail"},
        {"\\\\host\\c\\x.ini", "\\\\host\\c\\x.ini"},
        {"relative\\x.ini", "relative\\x.ini"},
        {"c:\\users\\me\\temp\\TIDEWELL-X\\tidewell.ini",
         "c:\\users\\me\\temp\\TIDEWELL-X\\tidewell.ini"},
        {"C:\\Users\\Me\\Temp\\tidewell-x\\Airmail.ini",
         "E:\\demo\\drive_c\\Users\\Me\\Temp\\tidewell-x\\Airmail.ini"}};
    for (const auto& [input, expected] : cases) EXPECT_EQ(m.ToNative(input), expected) << input;
}

#endif  // _WIN32

}  // namespace
}  // namespace tw::platform
