// AirMail's folders, profile reads and system list on real files.

#include <gtest/gtest.h>

#include <QDir>

#include <tuple>

#include "support/AirMailDrive.h"

namespace tw {
namespace {

using test::AirMailDrive;

const char* const kDefault = "C:\\Program Files\\AirMail";
const std::pair<std::string, std::string> kInstallFolder = {
    "Software\\Sirius Cybernetics\\AirMail\\Installation", "Install Folder"};

// The files are written in other letter cases than the program looks for.
TEST(FindFolders, FollowsTheSourcesInOrder) {
    const char* const kLog = "Installing\nNewCommonRoot= C:\\First\\Data\\\nOther line\n"
                             "  NewCommonRoot= D:\\Sailing\\AirMail Data\\\nDone\n";
    const char* const kOther = "C:\\Other\\AirMail";
    const char* const kLogData = "D:\\Sailing\\AirMail Data";
    // Whether "Airmail3.exe" is in C:\Program Files\AirMail, the registry's
    // value (nullptr: no key), whether "Airmail.ini" is in C:\Other\AirMail,
    // "Install.log" of the program folder found (nullptr: none), and the
    // program and data folders found.
    const std::tuple<const char*, bool, const char*, bool, const char*, const char*, const char*>
        cases[] = {
            // The program folder holds the program: the registry is not asked.
            {"exe skips registry", true, "C:\\Other\\", false, nullptr, kDefault, kDefault},
            // The registry folder with its "Airmail.ini": log not read.
            {"registry with ini", false, "C:\\Other\\AirMail\\", true, kLog, kOther, kOther},
            // The registry folder without "Airmail.ini": the log's last root wins.
            {"registry then log", false, "C:\\Other\\AirMail\\", false, kLog, kOther, kLogData},
            // Program present, data folder without "Airmail.ini": the log decides.
            {"exe then log", true, nullptr, false, kLog, kDefault, kLogData},
            {"log without root", true, nullptr, false, "Setup done\n", kDefault, kDefault},
            // A value without the trailing backslash keeps its last letter.
            {"no backslash", false, "C:\\Other\\AirMail", true, nullptr, kOther, kOther},
            // An empty value names no folder (and no key stops the same way).
            {"empty registry value", false, "", false, nullptr, kDefault, kDefault}};
    for (const auto& [name, exe, registry, ini, log, program, data] : cases) {
        SCOPED_TRACE(name);
        AirMailDrive drive;
        if (exe) drive.WriteAirMail(QStringLiteral("AIRMAIL3.EXE"), "x");
        if (registry) drive.registry.values[kInstallFolder] = registry;
        if (ini) drive.WriteText(QStringLiteral("C:\\Other\\AirMail\\airmail.ini"), "[Stations]\n");
        if (log) {
            const bool inDefault = exe || registry == nullptr;
            drive.WriteText(QString::fromLatin1(inDefault ? kDefault : kOther) + "\\Install.log",
                            QString::fromLatin1(log));
        }
        drive.airmail.AirMailFindFolders();
        EXPECT_EQ(drive.settings.m_sAirMailDirectoryProgram, QString::fromLatin1(program));
        EXPECT_EQ(drive.settings.m_sAirMailDirectoryData, QString::fromLatin1(data));
        EXPECT_TRUE(drive.ui.messages.empty());
    }
}

// Values are read whole, in code page 1252.  An empty or missing key, section
// or file reads empty, with a message only when asked: a missing file is
// named as such, not as a missing key.
TEST(ProfileString, ReadsWholeValuesInCodePage1252) {
    AirMailDrive drive;
    const QString latitude = QStringLiteral("37\u00b044.50'N");
    const QString longitude(600, QLatin1Char('x'));
    drive.WriteAirMail("Airmail.ini", "[Propagation]\nSSN=95\nEmpty=\n[Position Report]\nLat=" +
                                          latitude + "\nLong=" + longitude);
    // File, section, key, the value read, and what the message names (nullptr: none).
    const std::tuple<const char*, const char*, const char*, QString, const char*> cases[] = {
        {"\\Airmail.ini", "Position Report", "Lat", latitude, nullptr},
        {"Airmail.ini", "Position Report", "Long", longitude, nullptr},
        {"Airmail.ini", "Propagation", "Empty", "", "Propagation, Empty in \"Airmail.ini\"."},
        {"Missing.ini", "Propagation", "SSN", "", "\"Missing.ini\" file."}};
    for (const auto& [file, section, key, value, what] : cases) {
        for (const bool showError : {false, true}) {
            SCOPED_TRACE(std::string(key) + (showError ? ", shown" : ""));
            drive.ui.ClearRecords();
            EXPECT_EQ(drive.airmail.AirMailGetProfileString(file, section, key, showError), value);
            ASSERT_EQ(drive.ui.messages.size(), what && showError ? 1u : 0u);
            if (drive.ui.messages.empty()) continue;
            EXPECT_EQ(drive.ui.messages[0].text,
                      "Unable to find AirMail's " + QString::fromLatin1(what) +
                          "\n\nPlease check that the AirMail Data Folder "
                          "\"C:\\Program Files\\AirMail\" is correct.");
            EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
            EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Airmail Data Problem "));
        }
    }
}

// The folder hints of the messages, which the status tells of too; the system
// names of "System.*.ini" in the data folder, or a message when none.
TEST(Systems, ListsTheSystemFilesOfTheDataFolder) {
    AirMailDrive drive;
    drive.settings.m_sAirMailDirectoryProgram = QStringLiteral("D:\\Program");
    EXPECT_EQ(drive.airmail.AirMailErrorProgramMessage(),
              "\n\nPlease check that the AirMail Program Folder \"D:\\Program\" is correct.");
    EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Airmail Data Problem "));
    EXPECT_EQ(drive.ui.PanelToolTip(2), QStringLiteral("Status Message"));

    // Only names AirMail gives its systems: letters, digits, "-" and "_".
    for (const char* f : {"System.SAILMAIL.ini", "System.HAM.ini", "system.Fax.INI", "System.a-b_1.ini",
                          "System.x.y.ini", "System. .ini", "System.x\\y.ini", "System.H\xc3\xa9.ini",
                          "System..ini", "System.ini", "Airmail.ini", "System.HAM.bak"})
        drive.WriteAirMail(QString::fromLatin1(f), QStringLiteral("[Station Info]\n"));
    QDir().mkpath(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\System.DIR.ini")));
    QStringList names;
    ASSERT_TRUE(drive.airmail.AirMailGetSystems(names));
    EXPECT_EQ(names, (QStringList{"a-b_1", "Fax", "HAM", "SAILMAIL"}));
    EXPECT_EQ(SystemNameFromFileName(QStringLiteral("System.ini")), QString());
    EXPECT_TRUE(drive.ui.messages.empty());

    drive.settings.m_sAirMailDirectoryData = QStringLiteral("C:\\Nowhere");
    EXPECT_FALSE(drive.airmail.AirMailGetSystems(names));
    EXPECT_TRUE(names.isEmpty());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].text,
              QStringLiteral("Unable to find AirMail's \"System.*.ini\" files.\n\nPlease check "
                             "that the AirMail Data Folder \"C:\\Nowhere\" is correct.\n\nDrive C: is "
                             "the folder \"") +
                  QDir::toNativeSeparators(drive.Native(QStringLiteral("C:"))) +
                  QStringLiteral("\" (given with --drive-c, else the Wine prefix's drive_c). Change the Data "
                                 "folder on the AirMail tab of Options, or start Tidewell with --drive-c "
                                 "FOLDER."));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(drive.ui.broughtToFront.size(), 1u);
    EXPECT_EQ(drive.airmail.DriveHint(QStringLiteral("/srv/airmail")), QString());  // no drive to tell of
}

}  // namespace
}  // namespace tw
