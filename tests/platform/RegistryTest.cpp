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

#ifdef _WIN32

#include "platform/win32/Win32Api.h"

namespace tw::platform {
namespace {

// The system registry itself (under Wine, the prefix's own registry): values
// written with the registry functions under a key of the test's own, read
// back through the backend.
TEST(SystemRegistry, ReadsStringValuesOfTheUsersRegistry) {
    const std::string key = "Software\\Tidewell Tests\\Installation";
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &h, nullptr),
              ERROR_SUCCESS);
    const auto set = [&](const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(::RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    };
    set("Install Folder", REG_SZ, std::string("C:\\Program Files\\AirMail\\\0", 27));
    set("Expand", REG_EXPAND_SZ, std::string("%ProgramFiles%\\AirMail\0", 23));
    set("NoNul", REG_SZ, "C:\\A");
    set("Caf\xe9", REG_SZ, std::string("Caf\xe9\0", 5));
    set("Longest", REG_SZ, std::string(255, 'a') + '\0');
    set("TooLong", REG_SZ, std::string(256, 'a') + '\0');
    set("Empty", REG_SZ, std::string(1, '\0'));
    set("Dword", REG_DWORD, std::string("\1\0\0\0", 4));
    ::RegCloseKey(h);

    const struct {
        const char* key;
        const char* name;
        std::optional<std::string> value;
    } cases[] = {
        {"Software\\Tidewell Tests\\Installation", "Install Folder", "C:\\Program Files\\AirMail\\"},
        {"SOFTWARE\\tidewell tests\\INSTALLATION", "install FOLDER", "C:\\Program Files\\AirMail\\"},
        {"Software\\Tidewell Tests\\Installation", "Expand", "%ProgramFiles%\\AirMail"},
        {"Software\\Tidewell Tests\\Installation", "NoNul", "C:\\A"},
        {"Software\\Tidewell Tests\\Installation", "CAF\xc9", "Caf\xe9"},
        {"Software\\Tidewell Tests\\Installation", "Longest", std::string(255, 'a')},
        {"Software\\Tidewell Tests\\Installation", "TooLong", std::nullopt},
        {"Software\\Tidewell Tests\\Installation", "Empty", ""},
        {"Software\\Tidewell Tests\\Installation", "Dword", std::nullopt},
        {"Software\\Tidewell Tests\\Installation", "Missing", std::nullopt},
        {"Software\\Tidewell Tests", "Install Folder", std::nullopt},
        {"Software\\Tidewell Tests\\Nowhere", "Install Folder", std::nullopt},
    };
    PathMapper mapper;
    const auto registry = MakeRegistry(mapper);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " / " + c.name);
        std::string value = "stale";
        EXPECT_EQ(registry->QueryString(c.key, c.name, value), c.value.has_value());
        EXPECT_EQ(value, c.value.value_or(""));
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tidewell Tests");
}

}  // namespace
}  // namespace tw::platform

#endif  // _WIN32
