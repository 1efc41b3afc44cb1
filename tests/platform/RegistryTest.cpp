// The user's registry as Wine keeps it: "user.reg" beside drive_c.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/PathMapper.h"
#include "platform/Registry.h"

#ifndef _WIN32

namespace tw::platform {
namespace {

const std::string kKey = "Software\\Sirius Cybernetics\\AirMail\\Installation";
const std::string kName = "Install Folder";
const std::string kSection = "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation] 1\n";

std::string RegFile(const std::string& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
           "#arch=win32\n\n" +
           body;
}

// The value line of "Install Folder" in the key, with `data` after the "=".
std::string Value(const std::string& data) {
    return kSection + "#time=1daa5f0c7a3b2e0\n\"Install Folder\"=" + data + "\n";
}

TEST(WineRegistry, ReadsStringValues) {
    const struct {
        const char* name;
        std::string body;
        std::optional<std::string> value;  // nothing: not found
    } cases[] = {
        {"Plain", Value("\"C:\\\\Program Files\\\\AirMail\\\\\""), "C:\\Program Files\\AirMail\\"},
        {"Quote", Value("\"say \\\"hi\\\"\""), "say \"hi\""},
        {"HexEscapes", Value("\"C:\\\\Caf\\x00e9\\\\\\x20ac\""), "C:\\Caf\xe9\\\x80"},
        {"Utf8", Value("\"C:\\\\Caf\xc3\xa9\""), "C:\\Caf\xe9"},
        {"OutsideCodePage", Value("\"\\x4e2d\xe4\xb8\xad\""), "??"},
        {"Octal", Value("\"a\\101\\tb\""), "aA\tb"},
        {"NamesIgnoreCase",
         "[software\\\\SIRIUS Cybernetics\\\\airmail\\\\installation] 1\n"
         "\"INSTALL folder\"=\"x\"\n",
         "x"},
        {"ExpandString", Value("str(2):\"%ProgramFiles%\\\\AirMail\""), "%ProgramFiles%\\AirMail"},
        {"CrLf", kSection + "\"Install Folder\"=\"C:\\\\A\"\r\n", "C:\\A"},
        {"LaterWins", Value("\"C:\\\\A\"") + "\"Install Folder\"=\"C:\\\\B\"\n", "C:\\B"},
        {"Longest", Value("\"" + std::string(255, 'a') + "\""), std::string(255, 'a')},
        {"TooLong", Value("\"" + std::string(256, 'a') + "\""), std::nullopt},
        {"Empty", Value("\"\""), ""},
        {"Dword", Value("dword:00000001"), std::nullopt},
        {"OtherValue", kSection + "\"Version\"=\"3.5\"\n", std::nullopt},
        {"DefaultValueIsNotNamed", kSection + "@=\"A\"\n", std::nullopt},
        {"OtherKey", "[Software\\\\Sirius Cybernetics\\\\AirMail] 1\n\"Install Folder\"=\"A\"\n",
         std::nullopt},
        {"SubKey", "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation\\\\Old] 1\n"
                   "\"Install Folder\"=\"A\"\n",
         std::nullopt},
        {"ValueAfterItsKey", kSection + "[Software\\\\Wine] 1\n\"Install Folder\"=\"A\"\n",
         std::nullopt},
        {"Unterminated", Value("\"C:\\\\A"), std::nullopt},
        {"BrokenHeader",
         "[Software\\\\Sirius Cybernetics\\\\AirMail\\\\Installation\n\"Install Folder\"=\"A\"\n",
         std::nullopt},
    };
    for (const auto& c : cases) {
        std::string value = "stale";
        EXPECT_EQ(WineRegistryFindString(RegFile(c.body), kKey, kName, value), c.value.has_value())
            << c.name;
        EXPECT_EQ(value, c.value.value_or("")) << c.name;
    }
}

// The POSIX backend reads "user.reg" in the folder above the C: drive folder;
// the demo drive's names the AirMail folder.
TEST(WineRegistryFile, FoundAboveTheDriveFolder) {
    PathMapper mapper;
    mapper.SetDrive('C', std::string(TIDEWELL_SOURCE_DIR) + "/data/demo/drive_c");
    const auto registry = MakeRegistry(mapper);
    std::string value;
    ASSERT_TRUE(registry->QueryString(kKey, kName, value));
    EXPECT_EQ(value, "C:\\Program Files\\AirMail\\");
    // No "user.reg" above this drive folder: not found, the value cleared.
    mapper.SetDrive('C', std::string(TIDEWELL_SOURCE_DIR) + "/data/demo/drive_c/nowhere");
    EXPECT_FALSE(registry->QueryString(kKey, kName, value));
    EXPECT_EQ(value, "");
}

}  // namespace
}  // namespace tw::platform

#endif  // _WIN32
