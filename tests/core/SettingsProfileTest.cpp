// The settings record and the profile file "Tidewell.Ini".
#include <gtest/gtest.h>

#include <QLocale>
#include <QStringList>

#include <string>
#include <tuple>
#include <vector>

#include "settings/ProfilePlace.h"
#include "settings/SettingsProfile.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

const QLocale kC = QLocale::c();
const std::string kFile = "C:\\Tidewell\\Tidewell.Ini";

// The main window's geometry; remembers the order in which it was set.
struct FakeWindow final : IWindowGeometry {
    int height = 6000, left = 100, top = 200, width = 9000;
    bool normal = true;
    QStringList setOrder;
    int WindowHeight() const override { return height; }
    int WindowLeft() const override { return left; }
    int WindowTop() const override { return top; }
    int WindowWidth() const override { return width; }
    void SetWindowHeight(int t) override { height = t; setOrder << "Height"; }
    void SetWindowLeft(int t) override { left = t; setOrder << "Left"; }
    void SetWindowTop(int t) override { top = t; setOrder << "Top"; }
    void SetWindowWidth(int t) override { width = t; setOrder << "Width"; }
    bool WindowStateNormal() const override { return normal; }
};

Settings Fresh() {
    Settings s;
    Initialize(s, QStringLiteral("C:\\Tidewell"));
    return s;
}

// Every member with its default, in declaration order.
const QStringList kDefaults = {
    "m_sAirMailDirectoryData=C:\\Program Files\\AirMail",
    "m_sAirMailDirectoryProgram=C:\\Program Files\\AirMail",
    "m_bAirMailLatLonCheck=True", "m_iAirMailLatLonCheckDays=7", "m_bAirMailLatLonEdit=False",
    "m_bAirMailLatLonEditPrompt=True", "m_bAirMailLastConnectCheck=True",
    "m_iAirMailLastConnectCheckMinutes=15", "m_bAirMailResize=True", "m_bAirMailStartup=True",
    "m_bAirMailStationCheck=False", "m_sProfileFile=C:\\Tidewell\\Tidewell.Ini",
    "m_bPropagationAdditionalData=False", "m_bPropagationCombinedRuns=True",
    "m_bPropagationHourlyRefresh=True",
    "m_sPropagationIonCoefficients=URSI",
    "m_fPropagationLayerAdjustE=1", "m_fPropagationLayerAdjustEs=0.7",
    "m_fPropagationLayerAdjustF1=1", "m_fPropagationLayerAdjustF2=1", "m_iPropagationModel=3",
    "m_fPropagationMultipathDelay=10", "m_fPropagationMultipathPower=0",
    "m_fPropagationNoiseLevel=-145", "m_fPropagationQIndex=3", "m_fPropagationReliability=50",
    "m_bPropagationSunSpotNumber=True", "m_fPropagationSunSpotNumber=170",
    "m_fPropagationTakeoffAngle=10", "m_fPropagationTimeShift=0", "m_bRadioFrequency=False",
    "m_bStationAllStations=False", "m_bStationHighestFrequency=True",
    "m_fStationHighestSnrRange=3", "m_bStationHistoryRanking=False",
    "m_iStationHistoryDays=60", "m_bStationNextAfterNoAnswer=False", "m_bStationOffset=False",
    "m_iStationPactorMode=0", "m_iStationTopFrequencies=1", "m_iStationTopStations=5",
};

// The lines with the member of `line` ("m_i...=7") replaced by it.
QStringList With(QStringList lines, const QString& line) {
    for (QString& l : lines)
        if (l.section(QLatin1Char('='), 0, 0) == line.section(QLatin1Char('='), 0, 0)) l = line;
    return lines;
}

class SettingsProfileTest : public ::testing::Test {
protected:
    test::FakeProfileFiles files;
    ProfileAccess profile{files};
    test::ScriptedUserInterface ui;
    FakeWindow window;
};

// Every member to its default (as StoredTextsConvertOrKeepTheDefault shows
// member by member), and the profile file in the program folder.
TEST(Initialize, RestoresEveryDefaultAndNamesTheProfileFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Tidewell\\", "C:\\Tidewell\\Tidewell.Ini"}, {"C:\\", "C:\\Tidewell.Ini"},
        {"C:/Program Files/Tidewell", "C:\\Program Files\\Tidewell\\Tidewell.Ini"},
        {"/opt/tidewell", "/opt/tidewell/Tidewell.Ini"},
        {"/opt/tidewell/", "/opt/tidewell/Tidewell.Ini"}, {"/", "/Tidewell.Ini"}};
    for (const auto& [folder, file] : cases) {
        Settings s;
        s.m_iStationTopStations = 9;
        Initialize(s, QString::fromLatin1(folder));
        EXPECT_EQ(std::pair(s.m_sProfileFile, s.m_iStationTopStations),
                  std::pair(QString::fromLatin1(file), 5));
    }
}

// Every stored key in the order it is written, with a text that is not its
// default and the member it is read into (the window's geometry last).
const std::tuple<const char*, const char*, const char*> kStored[] = {
    {"AirMail Data", "Directory Data", "m_sAirMailDirectoryData=D:\\Mail Data \xe9t\xe9"},
    {"AirMail Data", "Directory Program", "m_sAirMailDirectoryProgram=D:\\Mail"},
    {"AirMail Data", "Lat/Lon Check", "m_bAirMailLatLonCheck=False"},
    {"AirMail Data", "Lat/Lon Check Days", "m_iAirMailLatLonCheckDays=-3"},
    {"AirMail Data", "Last Connect Check", "m_bAirMailLastConnectCheck=False"},
    {"AirMail Data", "Last Connect Check Minutes", "m_iAirMailLastConnectCheckMinutes=2147483647"},
    {"AirMail Data", "Resize", "m_bAirMailResize=False"},
    {"AirMail Data", "Startup", "m_bAirMailStartup=False"},
    {"Propagation Data", "Additional Data", "m_bPropagationAdditionalData=True"},
    {"Propagation Data", "Combined Runs", "m_bPropagationCombinedRuns=False"},
    {"Propagation Data", "Hourly Refresh", "m_bPropagationHourlyRefresh=False"},
    {"Propagation Data", "Model", "m_iPropagationModel=1"},
    {"Propagation Data", "Noise Level", "m_fPropagationNoiseLevel=-150.5"},
    {"Propagation Data", "SunSpot Option", "m_bPropagationSunSpotNumber=False"},
    {"Propagation Data", "SunSpot Number", "m_fPropagationSunSpotNumber=0.3333333"},
    {"Propagation Data", "Takeoff Angle", "m_fPropagationTakeoffAngle=0.1"},
    {"Radio Data", "Frequency", "m_bRadioFrequency=True"},
    {"Station Data", "All Stations", "m_bStationAllStations=True"},
    {"Station Data", "Highest Frequency", "m_bStationHighestFrequency=False"},
    {"Station Data", "Highest Snr Range", "m_fStationHighestSnrRange=12345.67"},
    {"Station Data", "History Ranking", "m_bStationHistoryRanking=True"},
    {"Station Data", "History Days", "m_iStationHistoryDays=30"},
    {"Station Data", "Next Station After No Answer", "m_bStationNextAfterNoAnswer=True"},
    {"Station Data", "Offset", "m_bStationOffset=True"},
    {"Station Data", "Pactor Mode", "m_iStationPactorMode=2"},
    {"Station Data", "Top Frequencies", "m_iStationTopFrequencies=4"},
    {"Station Data", "Top Stations", "m_iStationTopStations=12"},
    {"Window Data", "Height", "Height=7215"}, {"Window Data", "Left", "Left=-30"},
    {"Window Data", "Top", "Top=0"},          {"Window Data", "Width", "Width=8000"},
};

// Read, then written back: the same texts in the same order, in the number
// format of the user (the decimal comma of the German one).
TEST_F(SettingsProfileTest, EveryStoredKeyReadsAndIsWrittenBackInOrder) {
    for (const QLocale& locale : {kC, QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        test::FakeProfileFiles store;
        ProfileAccess access(store);
        QStringList expected = PrintSettings(Fresh(), {}, locale);
        std::vector<std::string> written;
        for (const auto& [section, key, member] : kStored) {
            QString line = QString::fromLatin1(member);
            if (locale != kC) line.replace(QLatin1Char('.'), QLatin1Char(','));
            expected = With(expected, line);
            const std::string text = UnicodeToAnsi(line.section(QLatin1Char('='), 1)).toStdString();
            store.Set(kFile, section, key, text);
            written.push_back(kFile + " [" + section + "] " + key + "=" + text);
        }
        Settings s = Fresh();
        ProfileRecall(s, access, window, locale);
        EXPECT_EQ(PrintSettings(s, {}, locale), expected);
        EXPECT_EQ(window.setOrder, (QStringList{"Height", "Left", "Top", "Width"}));
        window.setOrder.clear();

        ASSERT_TRUE(ProfileSave(s, access, window, ui, locale));
        EXPECT_EQ(store.Writes(), written);
    }
    EXPECT_TRUE(ui.messages.empty());

    // Minimised or maximised, the last normal geometry stays in the file.
    window.normal = false;
    ASSERT_TRUE(ProfileSave(Fresh(), profile, window, ui, kC));
    EXPECT_EQ(files.Writes().size(), 27u);

    // Another window's frame under keys of its own, read and written with the
    // main window's (here only its own: the main window is not normal).
    FakeWindow map;
    files.Set(kFile, "Window Data", "Map Left", "480");
    Settings s = Fresh();
    ProfileRecall(s, profile, window, {{QStringLiteral("Map "), &map}}, kC);
    EXPECT_EQ(map.setOrder, QStringList{"Left"});
    EXPECT_EQ(map.left, 480);
    map.width = 7500;
    ASSERT_TRUE(ProfileSave(s, profile, window, ui, {{QStringLiteral("Map "), &map}}, kC));
    EXPECT_EQ(files.Value(kFile, "Window Data", "Map Width"), "7500");
    EXPECT_EQ(files.Writes().size(), 27u + 27u + 4u);
}

// A stored text of each kind of member that is no value of it keeps the
// default (the texts the number readers refuse are in NumberTextTest).
TEST_F(SettingsProfileTest, StoredTextsConvertOrKeepTheDefault) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"AirMail Data", "Lat/Lon Check", "no", "m_bAirMailLatLonCheck=True"},
        {"Propagation Data", "Noise Level", "loud", "m_fPropagationNoiseLevel=-145"},
        {"Station Data", "Top Stations", "7.5", "m_iStationTopStations=5"},
        {"AirMail Data", "Directory Data", "",
         "m_sAirMailDirectoryData=C:\\Program Files\\AirMail"},
    };
    QStringList expected = kDefaults;
    for (const auto& [section, key, text, member] : cases) {
        files.Set(kFile, section, key, text);
        expected = With(expected, QString::fromLatin1(member));
        Settings s = Fresh();
        ProfileRecall(s, profile, window, kC);
        EXPECT_EQ(PrintSettings(s, {}, kC), expected) << key << "=" << text;
    }

    // Window values that do not fit are left alone.
    for (const auto& [key, text] : {std::pair{"Height", "0"}, {"Left", "-120"}, {"Top", "abc"},
                                    {"Width", "-5"}})
        files.Set(kFile, "Window Data", key, text);
    Settings s = Fresh();
    ProfileRecall(s, profile, window, kC);
    EXPECT_EQ(window.setOrder, QStringList{"Left"});
    EXPECT_EQ(window.left, -120);
}

// The keys are saved in one write: a key that fails leaves every key as it
// was, with one message naming the program's profile file and the reason.
TEST_F(SettingsProfileTest, AFailedWriteChangesNoKeyAndReportsOnce) {
    const std::pair<const char*, const char*> cases[] = {{"AirMail Data", "Directory Data"},
                                                         {"Window Data", "Width"}};
    for (const auto& [section, key] : cases) {
        SCOPED_TRACE(key);
        files.FailKey(section, key, 5);
        ui.messages.clear();
        EXPECT_FALSE(ProfileSave(Fresh(), profile, window, ui, kC));
        files.FailKey(section, key, 0);
        EXPECT_FALSE(files.Value(kFile, "AirMail Data", "Directory Data").has_value());
        EXPECT_FALSE(files.Value(kFile, "Window Data", "Width").has_value());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  "Problem with initialization file C:\\Tidewell\\Tidewell.Ini, " +
                      SystemErrorText(5));
        EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    }
}

// Where Tidewell.Ini lives, for every combination of what a start finds.
TEST(ProfileChoosePlace, BesideAWritableProgramElseThePerUserFileMadeOnce) {
    const ProfileChoice beside{};
    const ProfileChoice kept{ProfilePlace::PerUser, false, false};
    const ProfileChoice fresh{ProfilePlace::PerUser, false, true};
    const ProfileChoice copied{ProfilePlace::PerUser, true, true};
    const struct {
        bool writable, besideExists, perUserExists;
        ProfileChoice expected;
    } cases[] = {
        {true, false, false, beside}, {true, true, false, beside},
        {true, false, true, beside},  {true, true, true, beside},
        {false, false, false, fresh}, {false, true, false, copied},
        {false, false, true, kept},   {false, true, true, kept},
    };
    for (const auto& c : cases) {
        const ProfileChoice got = ProfileChoosePlace(c.writable, c.besideExists, c.perUserExists);
        EXPECT_EQ(got, c.expected) << "writable " << c.writable << ", beside " << c.besideExists
                                   << ", per-user " << c.perUserExists;
    }
}

}  // namespace
}  // namespace tw
