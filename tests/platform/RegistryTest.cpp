// The user's registry as Wine keeps it: "user.reg" beside drive_c.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/PathMapper.h"
#include "platform/Registry.h"
#include "TempDir.h"

#ifndef _WIN32

namespace tw::platform {
namespace {

namespace fs = std::filesystem;

const std::string kKey = "Software\\Sirius Cybernetics\\AirMail\\Installation";
const std::string kName = "Install Folder";

std::string RegFile(const std::string& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
           "#arch=win32\n\n" +
           body;
}

const std::string kSection = "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation] 1715600000\n"
                             "#time=1daa5f0c7a3b2e0\n";

TEST(WineRegistry, ReadsStringValues) {
    const struct {
        const char* name;
        std::string body;
        bool found;
        std::string value;
    } cases[] = {
        {"Plain", kSection + "\"Install Folder\"=\"C:\\\\Program Files\\\\AirMail\\\\\"\n", true,
         "C:\\Program Files\\AirMail\\"},
        {"Quote", kSection + "\"Install Folder\"=\"say \\\"hi\\\"\"\n", true, "say \"hi\""},
        {"HexEscapes", kSection + "\"Install Folder\"=\"C:\\\\Caf\\x00e9\\\\\\x20ac\"\n", true,
         "C:\\Caf\xe9\\\x80"},
        {"Utf8", kSection + "\"Install Folder\"=\"C:\\\\Caf\xc3\xa9\"\n", true, "C:\\Caf\xe9"},
        {"OutsideCodePage", kSection + "\"Install Folder\"=\"\\x4e2d\xe4\xb8\xad\"\n", true, "??"},
        {"Octal", kSection + "\"Install Folder\"=\"a\\101\\tb\"\n", true, "aA\tb"},
        {"NamesIgnoreCase",
         "[software\\\\SIRIUS Cybernetics\\\\airmail\\\\installation] 1\n\"INSTALL folder\"=\"x\"\n",
         true, "x"},
        {"ExpandString", kSection + "\"Install Folder\"=str(2):\"%ProgramFiles%\\\\AirMail\"\n", true,
         "%ProgramFiles%\\AirMail"},
        {"CrLf", "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation] 1\r\n\"Install "
                 "Folder\"=\"C:\\\\A\"\r\n",
         true, "C:\\A"},
        {"LaterWins", kSection + "\"Install Folder\"=\"C:\\\\A\"\n\"Install Folder\"=\"C:\\\\B\"\n",
         true, "C:\\B"},
        {"Empty", kSection + "\"Install Folder\"=\"\"\n", true, ""},
        {"Longest", kSection + "\"Install Folder\"=\"" + std::string(255, 'a') + "\"\n", true,
         std::string(255, 'a')},
        {"TooLong", kSection + "\"Install Folder\"=\"" + std::string(256, 'a') + "\"\n", false, ""},
        {"Dword", kSection + "\"Install Folder\"=dword:00000001\n", false, ""},
        {"Binary", kSection + "\"Install Folder\"=hex:43,3a,\\\n  5c,00\n", false, ""},
        {"OtherValue", kSection + "\"Version\"=\"3.5\"\n", false, ""},
        {"DefaultValueIsNotNamed", kSection + "@=\"C:\\\\A\"\n", false, ""},
        {"OtherKey", "[Software\\\\Sirius Cybernetics\\\\AirMail] 1\n\"Install Folder\"=\"C:\\\\A\"\n",
         false, ""},
        {"SubKey",
         "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation\\\\Old] 1\n\"Install "
         "Folder\"=\"C:\\\\A\"\n",
         false, ""},
        {"ValueAfterItsKey",
         kSection + "\n[Software\\\\Wine] 1\n\"Install Folder\"=\"C:\\\\Wine\"\n", false, ""},
        {"Unterminated", kSection + "\"Install Folder\"=\"C:\\\\A\n", false, ""},
        {"BrokenHeader", "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation\n\"Install "
                         "Folder\"=\"C:\\\\A\"\n",
         false, ""},
        {"NoFileContent", "", false, ""},
    };
    for (const auto& c : cases) {
        std::string value = "stale";
        EXPECT_EQ(WineRegistryFindString(RegFile(c.body), kKey, kName, value), c.found) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
}

TEST(WineRegistry, GarbageNeverCrashes) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text = kSection;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            // Bias toward the characters the parser treats specially.
            const char special[] = "[]\"\\=@x\n";
            text += (random() % 3 == 0) ? special[random() % 8] : static_cast<char>(random() % 256);
        }
        std::string value;
        WineRegistryFindString(text, kKey, kName, value);
        EXPECT_LT(value.size(), kRegistryValueBuffer);
    }
}

TEST(WineRegistryFile, FoundBesideTheDriveFolderOnly) {
    test::TempDir root;
    fs::create_directories(root / "drive_c");
    PathMapper mapper;
    mapper.SetDrive('C', root / "drive_c");
    const auto registry = MakeRegistry(mapper);
    std::string value = "stale";
    EXPECT_FALSE(registry->QueryString(kKey, kName, value));  // no file yet
    EXPECT_EQ(value, "");

    test::WriteBytes(root / "user.reg", RegFile(kSection + "\"Install Folder\"=\"D:\\\\AirMail\\\\\"\n"));
    ASSERT_TRUE(registry->QueryString(kKey, kName, value));
    EXPECT_EQ(value, "D:\\AirMail\\");
    // A drive folder given with a trailing separator finds the same file.
    mapper.SetDrive('C', root / "drive_c/");
    ASSERT_TRUE(registry->QueryString(kKey, kName, value));
    EXPECT_EQ(value, "D:\\AirMail\\");
    EXPECT_FALSE(registry->QueryString(kKey, "Other", value));
    EXPECT_EQ(value, "");
    mapper.SetDrive('C', root / "nowhere/drive_c");
    EXPECT_FALSE(registry->QueryString(kKey, kName, value));
}

TEST(WineRegistryDemo, TheDemoPrefixNamesTheAirMailFolder) {
    PathMapper mapper;
    mapper.SetDrive('C', std::string(TIDEWELL_SOURCE_DIR) + "/data/demo/drive_c");
    const auto registry = MakeRegistry(mapper);
    std::string value;
    ASSERT_TRUE(registry->QueryString(kKey, kName, value));
    EXPECT_EQ(value, "C:\\Program Files\\AirMail\\");
}

}  // namespace
}  // namespace tw::platform

#endif  // _WIN32
