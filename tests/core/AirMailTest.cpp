// AirMail's folders, profile reads and system list on real files.

#include <gtest/gtest.h>

#include <QDir>

#include <tuple>

#include "support/AirMailDrive.h"

namespace tw {
namespace {

using test::AirMailDrive;

const std::pair<std::string, std::string> kInstallKey{
    "Software\\Sirius Cybernetics\\AirMail\\Installation", "Install Folder"};

// ---- Install discovery ------------------------------------------------------

const char* const kDefault = "C:\\Program Files\\AirMail";

TEST(FindFolders, FollowsTheSourcesInOrder) {
    struct Case {
        const char* name;
        bool exeInStoredFolder;     // "Airmail3.exe" in C:\Program Files\AirMail
        const char* registryValue;  // nullptr: no key
        bool iniInRegistryFolder;   // "Airmail.ini" in C:\Other\AirMail
        const char* installLog;     // in the program folder found; nullptr: none
        const char* program;        // expected folders
        const char* data;
        int registryQueries;
    };
    const char* const kTwoRoots =
        "Installing\nNewCommonRoot= C:\\First\\Data\\\nOther line\n  NewCommonRoot= D:\\Sailing\\AirMail Data\\\nDone\n";
    const char* const kOther = "C:\\Other\\AirMail";
    for (const Case& c : {
             // The program folder holds the program: the registry is not asked.
             Case{"exe skips registry", true, "C:\\Other\\AirMail\\", false, nullptr, kDefault, kDefault, 0},
             // No program, no key: both folders stay, "Install.log" is not read.
             Case{"no key stops", false, nullptr, false, kTwoRoots, kDefault, kDefault, 1},
             // The registry folder with its "Airmail.ini": log not read.
             Case{"registry folder with ini", false, "C:\\Other\\AirMail\\", true, kTwoRoots, kOther, kOther, 1},
             // The registry folder without "Airmail.ini": the log's last root wins.
             Case{"registry then log", false, "C:\\Other\\AirMail\\", false, kTwoRoots, kOther,
                  "D:\\Sailing\\AirMail Data", 1},
             // Program present, data folder without "Airmail.ini": the log decides.
             Case{"exe then log", true, nullptr, false, kTwoRoots, kDefault, "D:\\Sailing\\AirMail Data", 0},
             // No log, or one without a root line: nothing changes and nothing is said.
             Case{"no log", true, nullptr, false, nullptr, kDefault, kDefault, 0},
             Case{"log without root", true, nullptr, false, "Setup done\n", kDefault, kDefault, 0},
             // A value without the trailing backslash keeps its last letter.
             Case{"registry without backslash", false, "C:\\Other\\AirMail", true, nullptr, kOther, kOther, 1},
             // An empty value names no folder.
             Case{"empty registry value", false, "", false, nullptr, kDefault, kDefault, 1}}) {
        SCOPED_TRACE(c.name);
        AirMailDrive drive;
        if (c.exeInStoredFolder) drive.WriteAirMail(QStringLiteral("Airmail3.exe"), QStringLiteral("x"));
        if (c.registryValue != nullptr) drive.registry.values[kInstallKey] = c.registryValue;
        if (c.iniInRegistryFolder)
            drive.WriteText(QStringLiteral("C:\\Other\\AirMail\\Airmail.ini"), QStringLiteral("[Stations]\n"));
        if (c.installLog != nullptr) {
            const bool inDefault = c.exeInStoredFolder || c.registryValue == nullptr;
            drive.WriteText(QString::fromLatin1(inDefault ? kDefault : kOther) + QStringLiteral("\\Install.log"),
                            QString::fromLatin1(c.installLog));
        }
        drive.airmail.AirMailFindFolders();
        EXPECT_EQ(drive.settings.m_sAirMailDirectoryProgram, QString::fromLatin1(c.program));
        EXPECT_EQ(drive.settings.m_sAirMailDirectoryData, QString::fromLatin1(c.data));
        EXPECT_EQ(drive.registry.queries, c.registryQueries);
        EXPECT_TRUE(drive.ui.messages.empty());
    }
}

TEST(FindFolders, ProgramFileNameMatchesWithoutRegardToCase) {
    AirMailDrive drive;
    drive.WriteAirMail(QStringLiteral("AIRMAIL3.EXE"), QStringLiteral("x"));
    drive.WriteAirMail(QStringLiteral("airmail.ini"), QStringLiteral("[Stations]\n"));
    drive.registry.values[kInstallKey] = "C:\\Other\\";
    drive.airmail.AirMailFindFolders();
    EXPECT_EQ(drive.registry.queries, 0);
    EXPECT_EQ(drive.settings.m_sAirMailDirectoryData, QString::fromLatin1(kDefault));
}

// ---- Profile reads ----------------------------------------------------------

class ProfileStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        drive.WriteAirMail(QStringLiteral("Airmail.ini"),
                           QStringLiteral("[Propagation]\nSSN=95\nEmpty=\n"
                                          "[Position Report]\nCurrent Latitude=37") +
                               QChar(0xB0) + QStringLiteral("44.50'N\nLong=") +
                               QString(600, QLatin1Char('x')) + QStringLiteral("\n"));
    }
    AirMailDrive drive;
};

TEST_F(ProfileStringTest, ReadsValuesInCodePage1252) {
    EXPECT_EQ(drive.airmail.AirMailGetProfileString("Airmail.ini", "Propagation", "SSN", true),
              QStringLiteral("95"));
    EXPECT_EQ(drive.airmail.AirMailGetProfileString("\\Airmail.ini", "Position Report",
                                                    "Current Latitude", true),
              QStringLiteral("37") + QChar(0xB0) + QStringLiteral("44.50'N"));
    EXPECT_TRUE(drive.ui.messages.empty());
}

TEST_F(ProfileStringTest, ValuesAreCutTo511Characters) {
    EXPECT_EQ(drive.airmail.AirMailGetProfileString("Airmail.ini", "Position Report", "Long", false),
              QString(511, QLatin1Char('x')));
}

TEST_F(ProfileStringTest, EmptyMissingKeySectionOrFileReadEmpty) {
    for (const auto& [file, section, key] :
         {std::tuple{"Airmail.ini", "Propagation", "Empty"}, std::tuple{"Airmail.ini", "Propagation", "Nope"},
          std::tuple{"Airmail.ini", "Hardware", "DecoderType"}, std::tuple{"Missing.ini", "Propagation", "SSN"}}) {
        SCOPED_TRACE(key);
        drive.ui.ClearRecords();
        EXPECT_EQ(drive.airmail.AirMailGetProfileString(file, section, key, false), QString());
        EXPECT_TRUE(drive.ui.messages.empty());

        EXPECT_EQ(drive.airmail.AirMailGetProfileString(file, section, key, true), QString());
        ASSERT_EQ(drive.ui.messages.size(), 1u);
        const MessageRequest& m = drive.ui.messages[0];
        EXPECT_EQ(m.text, QStringLiteral("Unable to find AirMail's ") + section + QStringLiteral(", ") + key +
                              QStringLiteral(" in \"") + file +
                              QStringLiteral("\".\n\nPlease check that the AirMail Data Folder "
                                             "\"C:\\Program Files\\AirMail\" is correct."));
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
        EXPECT_EQ(m.title, QStringLiteral("Tidewell"));
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(drive.ui.broughtToFront, std::vector<QString>{QStringLiteral("Tidewell")});
        EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Airmail Data Problem "));
    }
}

TEST(ErrorMessages, NameTheFolderAndSetTheStatus) {
    AirMailDrive drive;
    drive.settings.m_sAirMailDirectoryData = QStringLiteral("D:\\Data");
    drive.settings.m_sAirMailDirectoryProgram = QStringLiteral("D:\\Program");
    EXPECT_EQ(drive.airmail.AirMailErrorDataMessage(),
              QStringLiteral("\n\nPlease check that the AirMail Data Folder \"D:\\Data\" is correct."));
    EXPECT_EQ(drive.airmail.AirMailErrorProgramMessage(),
              QStringLiteral(
                  "\n\nPlease check that the AirMail Program Folder \"D:\\Program\" is correct."));
    EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Airmail Data Problem "));
    EXPECT_EQ(drive.ui.PanelToolTip(2), QStringLiteral("Status Message"));
}

// ---- Systems ----------------------------------------------------------------

TEST(SystemName, IsTheTextBetweenTheFirstTwoDots) {
    const struct {
        const char* file;
        const char* name;
    } cases[] = {
        {"System.SAILMAIL.ini", "SAILMAIL"},
        {"System.HAM.ini", "HAM"},
        {"System.x.y.ini", "x"},
        {"System.ini", ""},
        {"System", ""},
        {"System..ini", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemNameFromFileName(QString::fromLatin1(c.file)), QString::fromLatin1(c.name))
            << c.file;
}

TEST(Systems, ListsTheSystemFilesOfTheDataFolder) {
    AirMailDrive drive;
    for (const char* f : {"System.SAILMAIL.ini", "System.HAM.ini", "system.Fax.INI", "System.x.y.ini",
                          "System..ini", "System.ini", "Airmail.ini", "System.HAM.bak"})
        drive.WriteAirMail(QString::fromLatin1(f), QStringLiteral("[Station Info]\n"));
    QDir().mkpath(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\System.DIR.ini")));

    QStringList names;
    ASSERT_TRUE(drive.airmail.AirMailGetSystems(names));
    EXPECT_EQ(names, (QStringList{"Fax", "HAM", "SAILMAIL", "x"}));
    EXPECT_TRUE(drive.ui.messages.empty());
}

TEST(Systems, NoneFoundIsReported) {
    AirMailDrive drive;
    drive.settings.m_sAirMailDirectoryData = QStringLiteral("C:\\Nowhere");
    QStringList names{"stale"};
    EXPECT_FALSE(drive.airmail.AirMailGetSystems(names));
    EXPECT_TRUE(names.isEmpty());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].text,
              QStringLiteral("Unable to find AirMail's \"System.*.ini\" files.\n\nPlease check that "
                             "the AirMail Data Folder \"C:\\Nowhere\" is correct."));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(drive.ui.broughtToFront.size(), 1u);
}

}  // namespace
}  // namespace tw
