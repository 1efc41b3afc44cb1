// The settings record and the profile file "Tidewell.Ini".
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>

#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>

#include "settings/SettingsProfile.h"
#include "support/AirMailDrive.h"
#include "support/FakeProfileFiles.h"
#include "support/Unprivileged.h"

namespace tw {
namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);
const std::string kFile = "C:\\Tidewell\\Tidewell.Ini";

using RecordingUi = test::ScriptedUserInterface;

// The main window's geometry; remembers the order in which it was set.
class FakeWindow final : public IWindowGeometry {
public:
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

class SettingsProfileTest : public ::testing::Test {
protected:
    test::FakeProfileFiles files;
    ProfileAccess profile{files};
    RecordingUi ui;
    FakeWindow window;

    Settings Fresh() {
        Settings s;
        Initialize(s, QStringLiteral("C:\\Tidewell"));
        return s;
    }
    Settings Recall(const QLocale& locale = kC) {
        Settings s = Fresh();
        ProfileRecall(s, profile, window, locale);
        return s;
    }
    void Store(const char* section, const char* key, const std::string& value) {
        files.Set(kFile, section, key, value);
    }
    std::vector<std::string> WrittenKeys() const {
        std::vector<std::string> keys;
        for (const auto& w : files.Writes()) keys.push_back(w.section + "/" + w.key);
        return keys;
    }
};

// Every member with its default, in declaration order.
const QStringList kDefaults = {
    "m_sAirMailDirectoryData=C:\\Program Files\\AirMail", "m_sAirMailDirectoryProgram=C:\\Program Files\\AirMail",
    "m_bAirMailLatLonCheck=True", "m_iAirMailLatLonCheckDays=7", "m_bAirMailLatLonEdit=False",
    "m_bAirMailLatLonEditPrompt=True", "m_bAirMailLastConnectCheck=True", "m_iAirMailLastConnectCheckMinutes=15",
    "m_bAirMailResize=True", "m_bAirMailStartup=True", "m_bAirMailStationCheck=False",
    "m_sProfileFile=C:\\Tidewell\\Tidewell.Ini", "m_bPropagationAdditionalData=False",
    "m_sPropagationIonCoefficients=URSI", "m_fPropagationLayerAdjustE=1", "m_fPropagationLayerAdjustEs=0.7",
    "m_fPropagationLayerAdjustF1=1", "m_fPropagationLayerAdjustF2=1", "m_iPropagationModel=3",
    "m_fPropagationMultipathDelay=10", "m_fPropagationMultipathPower=0", "m_fPropagationNoiseLevel=-145",
    "m_fPropagationQIndex=3", "m_fPropagationReliability=50", "m_bPropagationSunSpotNumber=True",
    "m_fPropagationSunSpotNumber=170", "m_fPropagationTakeoffAngle=10", "m_fPropagationTimeShift=0",
    "m_bRadioFrequency=False", "m_bStationAllStations=False", "m_bStationHighestFrequency=True",
    "m_fStationHighestSnrRange=3", "m_bStationOffset=False", "m_iStationPactorMode=0", "m_iStationTopFrequencies=1",
    "m_iStationTopStations=5",
};

TEST_F(SettingsProfileTest, InitializeRestoresEveryDefault) {
    Settings s = Fresh();
    EXPECT_EQ(PrintSettings(s, {}, kC), kDefaults);

    s.m_iStationTopStations = 9;
    s.m_fPropagationLayerAdjustEs = 0.2f;
    s.m_sPropagationIonCoefficients = "CCIR";
    s.m_bAirMailLatLonEdit = true;
    Initialize(s, QStringLiteral("C:\\Tidewell"));
    EXPECT_EQ(PrintSettings(s, {}, kC), kDefaults);
}

TEST_F(SettingsProfileTest, ProfileFileLiesInTheProgramFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\Tidewell", "C:\\Program Files\\Tidewell\\Tidewell.Ini"},
        {"C:\\Tidewell\\", "C:\\Tidewell\\Tidewell.Ini"},
        {"C:\\", "C:\\Tidewell.Ini"},
        {"/opt/tidewell", "/opt/tidewell/Tidewell.Ini"},
        {"/opt/tidewell/", "/opt/tidewell/Tidewell.Ini"},
        {"/", "/Tidewell.Ini"},
    };
    for (const auto& [folder, file] : cases) {
        Settings s;
        Initialize(s, QString::fromLatin1(folder));
        EXPECT_EQ(s.m_sProfileFile, QString::fromLatin1(file));
    }
}

TEST_F(SettingsProfileTest, NoProfileFileLeavesDefaultsAndDesignedGeometry) {
    const Settings s = Recall();
    EXPECT_EQ(PrintSettings(s, {}, kC), kDefaults);
    EXPECT_TRUE(window.setOrder.isEmpty());
    EXPECT_EQ(window.height, 6000);
}

// The keys, in the order they are written, with the default values' texts.
TEST_F(SettingsProfileTest, SaveWritesEveryKeyInOrder) {
    const Settings s = Fresh();
    ASSERT_TRUE(ProfileSave(s, profile, window, ui, kC));
    const std::vector<std::vector<std::string>> expected = {
        {"AirMail Data", "Directory Data", "C:\\Program Files\\AirMail"},
        {"AirMail Data", "Directory Program", "C:\\Program Files\\AirMail"},
        {"AirMail Data", "Lat/Lon Check", "True"}, {"AirMail Data", "Lat/Lon Check Days", "7"},
        {"AirMail Data", "Last Connect Check", "True"}, {"AirMail Data", "Last Connect Check Minutes", "15"},
        {"AirMail Data", "Resize", "True"}, {"AirMail Data", "Startup", "True"},
        {"Propagation Data", "Additional Data", "False"}, {"Propagation Data", "Model", "3"},
        {"Propagation Data", "Noise Level", "-145"}, {"Propagation Data", "SunSpot Option", "True"},
        {"Propagation Data", "SunSpot Number", "170"}, {"Propagation Data", "Takeoff Angle", "10"},
        {"Radio Data", "Frequency", "False"}, {"Station Data", "All Stations", "False"},
        {"Station Data", "Highest Frequency", "True"}, {"Station Data", "Highest Snr Range", "3"},
        {"Station Data", "Offset", "False"}, {"Station Data", "Pactor Mode", "0"},
        {"Station Data", "Top Frequencies", "1"}, {"Station Data", "Top Stations", "5"},
        {"Window Data", "Height", "6000"}, {"Window Data", "Left", "100"}, {"Window Data", "Top", "200"},
        {"Window Data", "Width", "9000"},
    };
    ASSERT_EQ(files.Writes().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& w = files.Writes()[i];
        EXPECT_EQ(w.file, kFile);
        EXPECT_EQ((std::vector<std::string>{w.section, w.key, w.value}), expected[i]) << i;
    }
    EXPECT_TRUE(ui.messages.empty());
}

Settings Changed(const QString& folder) {
    Settings s;
    Initialize(s, folder);
    s.m_sAirMailDirectoryData = QStringLiteral("D:\\Mail Data \u00e9t\u00e9");
    s.m_sAirMailDirectoryProgram = QStringLiteral("D:\\Mail");
    s.m_bAirMailLatLonCheck = false;
    s.m_iAirMailLatLonCheckDays = -3;
    s.m_bAirMailLastConnectCheck = false;
    s.m_iAirMailLastConnectCheckMinutes = 2147483647;
    s.m_bAirMailResize = false;
    s.m_bAirMailStartup = false;
    s.m_bPropagationAdditionalData = true;
    s.m_iPropagationModel = 1;
    s.m_fPropagationNoiseLevel = -150.5f;
    s.m_bPropagationSunSpotNumber = false;
    s.m_fPropagationSunSpotNumber = 0.3333333f;  // 7 digits: the most a number keeps
    s.m_fPropagationTakeoffAngle = 0.1f;
    s.m_bRadioFrequency = true;
    s.m_bStationAllStations = true;
    s.m_bStationHighestFrequency = false;
    s.m_fStationHighestSnrRange = 12345.67f;
    s.m_bStationOffset = true;
    s.m_iStationPactorMode = 2;
    s.m_iStationTopFrequencies = 4;
    s.m_iStationTopStations = 12;
    return s;
}

// Stored texts and what they read as; the member starts at its default.
// Stored texts and what they read as: one of each kind of value read, and
// every kind of text that is none keeps the default.
TEST_F(SettingsProfileTest, StoredTextsConvertOrKeepTheDefault) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"AirMail Data", "Lat/Lon Check", "0", "m_bAirMailLatLonCheck=False"},
        {"AirMail Data", "Lat/Lon Check", "no", "m_bAirMailLatLonCheck=True"},
        {"Station Data", "All Stations", "-1", "m_bStationAllStations=True"},
        {"Propagation Data", "Noise Level", "-150", "m_fPropagationNoiseLevel=-150"},
        {"Propagation Data", "Noise Level", "loud", "m_fPropagationNoiseLevel=-145"},
        {"Propagation Data", "Model", "", "m_iPropagationModel=3"},
        {"Propagation Data", "Model", "2", "m_iPropagationModel=2"},
        {"Propagation Data", "Model", "99999999999", "m_iPropagationModel=3"},
        {"Station Data", "Top Stations", "7.5", "m_iStationTopStations=5"},
        {"Propagation Data", "SunSpot Number", "1e40", "m_fPropagationSunSpotNumber=170"},
        {"AirMail Data", "Directory Data", "", "m_sAirMailDirectoryData=C:\\Program Files\\AirMail"}};
    for (const auto& [section, key, text, member] : cases) {
        SCOPED_TRACE(std::string(key) + "=" + text);
        test::FakeProfileFiles store;
        ProfileAccess access(store);
        store.Set(kFile, section, key, text);
        Settings s = Fresh();
        ProfileRecall(s, access, window, kC);
        QStringList expected = kDefaults;
        const QString line = QString::fromLatin1(member);
        for (QString& e : expected) {
            if (e.section(QLatin1Char('='), 0, 0) == line.section(QLatin1Char('='), 0, 0)) e = line;
        }
        EXPECT_EQ(PrintSettings(s, {}, kC), expected);
    }
}

TEST_F(SettingsProfileTest, EmptyFolderIsWrittenEmptyAndReadsAsDefault) {
    Settings s = Fresh();
    s.m_sAirMailDirectoryData.clear();
    ASSERT_TRUE(ProfileSave(s, profile, window, ui, kC));
    EXPECT_EQ(files.Value(kFile, "AirMail Data", "Directory Data"), "");
    EXPECT_EQ(Recall().m_sAirMailDirectoryData, QStringLiteral("C:\\Program Files\\AirMail"));
}

TEST_F(SettingsProfileTest, WindowValuesThatDoNotFitLeaveTheDesignedGeometry) {
    Store("Window Data", "Height", "0");
    Store("Window Data", "Left", "-120");
    Store("Window Data", "Top", "abc");
    Store("Window Data", "Width", "-5");
    Recall();
    EXPECT_EQ(window.setOrder, QStringList{"Left"});
    EXPECT_EQ(window.left, -120);
    EXPECT_EQ(window.height, 6000);
    EXPECT_EQ(window.top, 200);
    EXPECT_EQ(window.width, 9000);
}

TEST_F(SettingsProfileTest, MinimisedOrMaximisedWritesNoWindowData) {
    Store("Window Data", "Height", "5000");
    window.normal = false;
    window.height = 12000;
    ASSERT_TRUE(ProfileSave(Fresh(), profile, window, ui, kC));
    EXPECT_EQ(files.Writes().size(), 22u);
    for (const auto& w : files.Writes()) EXPECT_NE(w.section, "Window Data");
    EXPECT_EQ(files.Value(kFile, "Window Data", "Height"), "5000");
    EXPECT_EQ(files.Value(kFile, "Station Data", "Top Stations"), "5");
}

// A write that fails: one message naming the program's profile file and the
// system's reason, and nothing after it is written.
TEST_F(SettingsProfileTest, FirstFailedWriteReportsOnceAndStops) {
    // "Directory Data" (nothing written at all), "Model", "Top Stations",
    // "Window Data" "Height" and "Width".
    for (const std::size_t failFrom : {1u, 10u, 22u, 23u, 26u}) {
        SCOPED_TRACE(failFrom);
        test::FakeProfileFiles store;
        ProfileAccess access(store);
        RecordingUi messages;
        store.FailWritesFrom(static_cast<int>(failFrom), 5);
        EXPECT_FALSE(ProfileSave(Fresh(), access, window, messages, kC));
        EXPECT_EQ(store.Writes().size(), failFrom);
        EXPECT_EQ(store.StoredCount(kFile), failFrom - 1);
        ASSERT_EQ(messages.messages.size(), 1u);
        const MessageRequest& m = messages.messages.front();
        EXPECT_EQ(m.text, QStringLiteral("Problem with initialization file C:\\Tidewell\\Tidewell.Ini, ") +
                              SystemErrorText(5));
        EXPECT_EQ(m.title, QStringLiteral("Tidewell"));
        EXPECT_EQ(m.icon, MsgIcon::Information);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
    }
}

TEST_F(SettingsProfileTest, SaveErrorNamesTheProgramsProfileAndTheLastCode) {
    // A failed write to another program's file still names Tidewell's profile.
    files.FailWritesFrom(1, 32);
    EXPECT_FALSE(profile.Write(QStringLiteral("C:\\AirMail\\Airmail.ini"), "Settings", "Current Time", "x"));
    ProfileSaveError(Fresh(), profile, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Problem with initialization file C:\\Tidewell\\Tidewell.Ini, ") +
                                       SystemErrorText(32));
    EXPECT_FALSE(SystemErrorText(32).isEmpty());
}

TEST_F(SettingsProfileTest, PrintSettingsListsOffsetRows) {
    OffsetRow row;
    row.sSystem = "HAM";
    row.sStation = "ZZ0AA";
    row.sFrequencies = "14108.0 7100.0(p3)";
    row.fSnrOffset = -2.5f;
    row.fBeamwidth = 60.0f;
    row.iStart = 2200;
    row.iStop = 200;
    OffsetRow plain;
    plain.sSystem = "SAILMAIL";
    plain.sStation = "Shore Station";
    plain.fSnrOffset = 6.0f;
    const QStringList lines = PrintSettings(Fresh(), {row, plain}, kC);
    ASSERT_EQ(lines.size(), kDefaults.size() + 2);
    EXPECT_EQ(lines.mid(0, kDefaults.size()), kDefaults);
    EXPECT_EQ(lines.at(kDefaults.size()), QStringLiteral("OffsetRow=HAM,ZZ0AA,14108.0 7100.0(p3),-2.5,60,0,2200,200"));
    EXPECT_EQ(lines.at(kDefaults.size() + 1), QStringLiteral("OffsetRow=SAILMAIL,Shore Station,,6,360,0,0,2400"));
}

// Through the real profile backend, on files in a temporary drive C:.
class SettingsProfileFileTest : public ::testing::Test {
protected:
    SettingsProfileFileTest() { QDir().mkpath(drive.Native(QStringLiteral("C:\\Tidewell"))); }
    QString NativeFile() const { return drive.Native(QStringLiteral("C:\\Tidewell\\Tidewell.Ini")); }
    QByteArray ReadFile() const {
        QFile f(NativeFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Settings Fresh() const {
        Settings s;
        Initialize(s, QStringLiteral("C:\\Tidewell"));
        return s;
    }

    test::AirMailDrive drive;
    ProfileAccess& profile = drive.profile;
    RecordingUi& ui = drive.ui;
    FakeWindow window;
};

TEST_F(SettingsProfileFileTest, EveryStoredMemberRoundTripsThroughTheFile) {
    for (const QLocale& locale : {kC, kGerman}) {
        SCOPED_TRACE(locale.name().toStdString());
        QFile::remove(NativeFile());
        const Settings saved = Changed(QStringLiteral("C:\\Tidewell"));
        window = FakeWindow{};
        window.height = 7215;
        window.left = -30;
        window.top = 0;
        ASSERT_TRUE(ProfileSave(saved, profile, window, ui, locale));
        const QByteArray text = ReadFile();
        EXPECT_TRUE(text.startsWith("[AirMail Data]\r\nDirectory Data=D:\\Mail Data \xe9t\xe9\r\n")) << text.left(80).toStdString();
        EXPECT_TRUE(text.contains("[Window Data]\r\nHeight=7215\r\nLeft=-30\r\nTop=0\r\nWidth=9000\r\n"));
        // The decimal comma reaches the file in the German number format.
        EXPECT_TRUE(text.contains(locale == kC ? "Noise Level=-150.5\r\n" : "Noise Level=-150,5\r\n"));

        Settings read = Fresh();
        FakeWindow next;
        ProfileRecall(read, profile, next, locale);
        EXPECT_EQ(PrintSettings(read, {}, locale), PrintSettings(saved, {}, locale));
        EXPECT_EQ(read.m_fPropagationSunSpotNumber, saved.m_fPropagationSunSpotNumber);
        EXPECT_EQ(next.setOrder, (QStringList{"Height", "Left", "Top", "Width"}));
        EXPECT_EQ((std::vector<int>{next.height, next.left, next.top, next.width}),
                  (std::vector<int>{7215, -30, 0, 9000}));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SettingsProfileFileTest, HandWrittenFileReadsWithoutRegardToCaseAndBlanks) {
    drive.WriteBytes(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"),
                     "; kept by hand\r\n"
                     "[ propagation DATA ]\r\n"
                     "  NOISE level = -150\r\n"
                     "model=\r\n"
                     "[airmail data]\r\n"
                     "lat/lon check=false\r\n"
                     "Directory Data=" + QByteArray(300, 'd') + "\r\n"
                     "[STATION DATA]\n"
                     "all stations = -1\n"
                     "top stations=seven\n"
                     "[ window data ]\nHEIGHT = 4800\n");
    const QByteArray before = ReadFile();
    Settings s = Fresh();
    ProfileRecall(s, profile, window, kC);
    EXPECT_EQ(s.m_fPropagationNoiseLevel, -150.0f);
    EXPECT_EQ(s.m_iPropagationModel, 3);
    EXPECT_FALSE(s.m_bAirMailLatLonCheck);
    EXPECT_EQ(s.m_sAirMailDirectoryData, QString(255, QLatin1Char('d')));
    EXPECT_TRUE(s.m_bStationAllStations);
    EXPECT_EQ(s.m_iStationTopStations, 5);
    EXPECT_EQ(window.height, 4800);
    EXPECT_EQ(ReadFile(), before);
}

TEST_F(SettingsProfileFileTest, ReadOnlyFolderShowsOneMessageAndStops) {
    const QByteArray old = "[Station Data]\r\nTop Stations=8\r\n";
    drive.WriteBytes(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"), old);
    const QString folder = drive.Native(QStringLiteral("C:\\Tidewell"));
    ASSERT_EQ(::chmod(drive.temp.path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(::chmod(NativeFile().toLocal8Bit().constData(), 0666), 0);
    ASSERT_EQ(::chmod(folder.toLocal8Bit().constData(), 0555), 0);

    const Settings s = Fresh();
    // The child reports what went wrong as bits of its exit code.
    const int failures = test::RunUnprivileged([&] {
        auto own = platform::MakeProfileFiles(drive.paths);
        ProfileAccess access(*own);
        RecordingUi messages;
        int bits = 0;
        if (ProfileSave(s, access, window, messages, kC)) bits |= 1;
        if (messages.messages.size() != 1) bits |= 2;
        if (!messages.messages.empty() &&
            messages.messages[0].text != QStringLiteral("Problem with initialization file C:\\Tidewell\\Tidewell.Ini, ") +
                                             SystemErrorText(own->LastError())) {
            bits |= 4;
        }
        if (own->LastError() == 0) bits |= 8;
        return bits;
    });
    ::chmod(folder.toLocal8Bit().constData(), 0755);
    if (failures == -1) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(ReadFile(), old);
}

// A profile whose folder cannot exist (a file stands in its place) fails for
// every user: one message, nothing written.
TEST_F(SettingsProfileFileTest, UnwritableProfileShowsOneMessage) {
    drive.WriteBytes(QStringLiteral("C:\\Blocked"), "");
    Settings s;
    Initialize(s, QStringLiteral("C:\\Blocked"));
    EXPECT_FALSE(ProfileSave(s, profile, window, ui, kC));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Problem with initialization file C:\\Blocked\\Tidewell.Ini, ") +
                                       SystemErrorText(profile.LastError()));
    EXPECT_NE(profile.LastError(), 0);
}

}  // namespace
}  // namespace tw
