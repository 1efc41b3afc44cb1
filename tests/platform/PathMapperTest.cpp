#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/PathMapper.h"
#include "TempDir.h"

namespace tw::platform {
namespace {

using test::TempDir;

// Sets an environment variable for the life of the object, then restores it.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvVar() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(PathMapperDrives, DefaultsFollowWinePrefixThenHome) {
    {
        EnvVar prefix("WINEPREFIX", "/opt/wp");
        EnvVar home("HOME", "/home/sailor");
        PathMapper m;
        EXPECT_EQ(m.DriveFolder('C'), "/opt/wp/drive_c");
        EXPECT_EQ(m.DriveFolder('d'), "/opt/wp/dosdevices/d:");
    }
    {
        EnvVar prefix("WINEPREFIX", nullptr);
        EnvVar home("HOME", "/home/sailor");
        PathMapper m;
        EXPECT_EQ(m.DriveFolder('c'), "/home/sailor/.wine/drive_c");
        m.SetDrive('c', "/srv/c");
        EXPECT_EQ(m.DriveFolder('C'), "/srv/c");
        EXPECT_EQ(m.ToNative("c:\\itshfbc\\RUN\\sound.dat"), "/srv/c/itshfbc/RUN/sound.dat");
    }
}

struct MapCase {
    const char* input;
    const char* expected;  // relative to the temporary folder, "~" marks it
};

class PathMapperMap : public testing::TestWithParam<MapCase> {};

TEST_P(PathMapperMap, MapsAndMatchesCase) {
    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir / "Program Files/AirMail/Logfiles");
    test::WriteBytes(dir / "Program Files/AirMail/Airmail.ini", "");
    fs::create_directories(dir / "twin");
    test::WriteBytes(dir / "twin/b.ini", "");
    test::WriteBytes(dir / "twin/B.INI", "");

    PathMapper m;
    m.SetDrive('C', dir.path());
    auto expand = [&](std::string s) {
        if (auto p = s.find('~'); p != std::string::npos) s.replace(p, 1, dir.path());
        return s;
    };
    EXPECT_EQ(m.ToNative(expand(GetParam().input)), expand(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathMapperMap,
    testing::Values(
        MapCase{"C:\\Program Files\\AirMail\\Airmail.ini", "~/Program Files/AirMail/Airmail.ini"},
        MapCase{"c:\\PROGRAM FILES\\airmail\\AIRMAIL.INI", "~/Program Files/AirMail/Airmail.ini"},
        MapCase{"C:\\program files\\airmail\\logfiles\\Debug.log",
                "~/Program Files/AirMail/Logfiles/Debug.log"},
        MapCase{"C:\\program files\\airmail\\\\System.NEW.ini",
                "~/Program Files/AirMail/System.NEW.ini"},
        MapCase{"C:\\program files\\NoSuch\\airmail\\x.ini", "~/Program Files/NoSuch/airmail/x.ini"},
        MapCase{"C:\\program files\\airmail\\", "~/Program Files/AirMail/"},
        MapCase{"~/program files\\AirMail\\Tidewell.Ini", "~/Program Files/AirMail/Tidewell.Ini"},
        MapCase{"C:\\TWIN\\b.ini", "~/twin/b.ini"},
        MapCase{"C:\\twin\\B.ini", "~/twin/B.ini"},  // two matches: the written name stays
        MapCase{"C:", "~"}));

}  // namespace
}  // namespace tw::platform
