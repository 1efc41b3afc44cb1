// Station and frequency lists: the text rules table by table, then the
// readers on real system files, then the demo data of the repository.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <random>

#include "airmail/Stations.h"
#include "support/AirMailDrive.h"

namespace tw {
namespace {

using test::AirMailDrive;

// ---- Grid locators ----------------------------------------------------------

TEST(GridSquare, ConvertsLocatorsWithTheirSubsquareScale) {
    constexpr double kSub = 59.0 / 23.0 / 60.0;  // degrees per subsquare letter
    const struct {
        const char* grid;
        double latitude;
        double longitude;
    } cases[] = {
        {"JJ00AA", 0.0, 0.0},
        {"AA00AA", -90.0, -180.0},
        {"RR99XX", 89.0 + 23 * kSub, 2 * (89.0 + 23 * kSub)},
        {"CM87MM", 37.0 + 12 * kSub, 2 * (-62.0 + 12 * kSub)},
        {"CM87", 37.0 + 12 * kSub, 2 * (-62.0 + 12 * kSub)},     // the middle of the square
        {"cm87mm", 37.0 + 12 * kSub, 2 * (-62.0 + 12 * kSub)},   // either case
        {" FN42li ", 42.0 + 8 * kSub, 2 * (-36.0 + 11 * kSub)},  // blanks around
        {"FN42LI12", 42.0 + 8 * kSub, 2 * (-36.0 + 11 * kSub)},  // extended: first six
        {"QF56OD", -34.0 + 3 * kSub, 2 * (75.0 + 14 * kSub)},
    };
    for (const auto& c : cases) {
        double lat = 99, lon = 99;
        ASSERT_TRUE(LatLonFromGridSquare(QString::fromLatin1(c.grid), lat, lon)) << c.grid;
        EXPECT_NEAR(lat, c.latitude, 1e-9) << c.grid;
        EXPECT_NEAR(lon, c.longitude, 1e-9) << c.grid;
    }
}

TEST(GridSquare, UnreadableLocatorsFail) {
    for (const char* grid : {"", "CM8", "CM87M", "C", "SS00AA", "ZZ99ZZ", "CM87YY", "CMA7MM",
                             "CM8XMM", "12CM87", "CM87M!", "\xb0\xb0\xb0\xb0"}) {
        double lat = 0, lon = 0;
        EXPECT_FALSE(LatLonFromGridSquare(QString::fromLatin1(grid), lat, lon)) << grid;
    }
}

TEST(GridSquare, MessageOnlyWhenAsked) {
    AirMailDrive drive;
    double lat = 0, lon = 0;
    EXPECT_FALSE(LatLonFromGridSquare(drive.airmail, QStringLiteral("CM8"), false, lat, lon));
    EXPECT_TRUE(drive.ui.messages.empty());
    EXPECT_FALSE(LatLonFromGridSquare(drive.airmail, QStringLiteral("CM8"), true, lat, lon));
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].text, QStringLiteral("Unable to Convert Grid CM8 to Lat/Lon"));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::None);
}

// ---- Frequency tokens and lists ---------------------------------------------

TEST(FrequencyReformat, NormalisesTokens) {
    const std::pair<const char*, const char*> cases[] = {
        {"14108#", "14108.0(p3)"}, {"14108", "14108.0"},    {"7102.5", "7102.5"},       {"10145.5#", "10145.5(p3)"},
        {" 3585 # ", "3585.0(p3)"}, {"8384.56", "8384.6"},  {"14108##", "14108.0(p3)"},
        // Not a frequency: false, the token unchanged.
        {"", nullptr},  {"#", nullptr},   {"abc", nullptr}, {"14#108", nullptr}, {"-7070", nullptr},
        {"0", nullptr}, {"1e400", nullptr}, {"nan", nullptr}, {"14108.0(p3)", nullptr}};
    for (const auto& [token, text] : cases) {
        QString t = QString::fromLatin1(token);
        EXPECT_EQ(FrequencyReformat(t), text != nullptr) << token;
        EXPECT_EQ(t, QString::fromLatin1(text ? text : token)) << token;
    }
}

TEST(FrequencyList, SplitsAtCommaOrSemicolonAndSkipsEmptyTokens) {
    const std::pair<const char*, QStringList> cases[] = {
        {"14108#,7102.5", {"14108.0(p3)", "7102.5"}},      {"3585;7070#;10145.5", {"3585.0", "7070.0(p3)", "10145.5"}},
        {"3585;7070,10145.5", {"3585.0", "7070.0", "10145.5"}}, {"3585,7070;10145.5", {"3585.0", "7070.0", "10145.5"}},
        {"3585,,7070", {"3585.0", "7070.0"}},              {"3585,7070,", {"3585.0", "7070.0"}},
        {",3585;", {"3585.0"}},                            {" 3585 , 7070# ", {"3585.0", "7070.0(p3)"}},
        {"3585,junk,7070", {"3585.0", "7070.0"}},          {"", {}},
        {",;,", {}},                                       {"7070", {"7070.0"}}};
    for (const auto& [value, texts] : cases) EXPECT_EQ(FrequencyListTexts(QString::fromLatin1(value)), texts) << value;

    const QVector<StationFrequency> f = FrequencyListParse(QStringLiteral("14108#,7102.5"));
    ASSERT_EQ(f.size(), 2);
    EXPECT_DOUBLE_EQ(f[0].kHz, 14108.0);
    EXPECT_TRUE(f[0].pactor3);
    EXPECT_DOUBLE_EQ(f[1].kHz, 7102.5);
    EXPECT_FALSE(f[1].pactor3);
}

TEST(SelectedStations, SplitAtCommasWithoutEmptyNames) {
    const std::pair<const char*, QStringList> cases[] = {
        {"QA1AB,QB2CD", {"QA1AB", "QB2CD"}}, {"QA1AB,QB2CD,", {"QA1AB", "QB2CD"}},
        {"QA1AB, QB2CD ,,", {"QA1AB", "QB2CD"}}, {",", {}}, {"", {}}, {"QA1AB", {"QA1AB"}}};
    for (const auto& [value, names] : cases) EXPECT_EQ(SelectedStationsParse(QString::fromLatin1(value)), names) << value;
}

// ---- Station Info values ----------------------------------------------------

TEST(StationInfo, ParsesGridNameAndPactor3) {
    const struct {
        const char* system;
        const char* value;
        bool hasColon;
        const char* grid;
        const char* name;
        bool pactor3;
    } cases[] = {
        {"SAILMAIL", "FN42LI:Arlen Point;US Northeast", true, "FN42LI", "Arlen Point", false},
        {"SailMail", "FN42LI:Arlen Point;US Northeast;P3", true, "FN42LI", "Arlen Point", true},
        {"sailmail", "FK78:Windward Cay", true, "FK78", "Windward Cay", false},
        {"SAILMAIL", "FK78:Windward Cay;P3", true, "FK78", "Windward Cay", true},
        {"SAILMAIL", "FK78;x:Windward Cay", true, "FK78;x", "", false},  // ";" before ":"
        {"SAILMAIL", "FK78 : Windward Cay ; P3", true, "FK78", "Windward Cay", false},
        {"SAILMAIL", "FK78", false, "", "", false},
        {"SAILMAIL", "FK78:", true, "FK78", "", false},
        {"HAM", "FN42li:QA1PMB Harbor Light;P3", true, "FN42li", "", false},
        {"HAM", "EM95", false, "", "", false},
    };
    for (const auto& c : cases) {
        const StationInfo info =
            StationInfoParse(QString::fromLatin1(c.system), QString::fromLatin1(c.value));
        EXPECT_EQ(info.hasColon, c.hasColon) << c.value;
        EXPECT_EQ(info.grid, QString::fromLatin1(c.grid)) << c.value;
        EXPECT_EQ(info.name, QString::fromLatin1(c.name)) << c.value;
        EXPECT_EQ(info.pactor3, c.pactor3) << c.value;
    }
}

// ---- Readers on system files ------------------------------------------------

// A locator `degrees` north of (0, 0) on the meridian: ranges of 60 nm a degree.
QString GridNorth(int degrees) {
    return QStringLiteral("J") + QChar('J' + degrees / 10) + QStringLiteral("0") +
           QChar('0' + degrees % 10) + QStringLiteral("AA");
}

bool AtOrigin(double& lat, double& lon) {
    lat = 0.0;
    lon = 0.0;
    return true;
}

// A HAM system file with `count` stations QS<i> at i degrees north, in a
// shuffled file order, and the given Selected value.
QString ManyStations(int count, const QString& selected) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    QString info = QStringLiteral("[Station Info]\n");
    QString list = QStringLiteral("[Frequency List]\n");
    for (int i : order) {
        info += QStringLiteral("QS%1=%2:mailbox\n").arg(i).arg(GridNorth(i));
        list += QStringLiteral("QS%1=7070,14108#\n").arg(i);
    }
    return info + QStringLiteral("\n") + list + QStringLiteral("\n[Frequency Setup]\nSelected=") +
           selected + QStringLiteral("\n");
}

QStringList Names(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i) out.append(QStringLiteral("QS%1").arg(i));
    return out;
}

TEST(StationGetStations, SelectionWinsAndIsTakenWhole) {
    AirMailDrive drive;
    drive.WriteAirMail("System.HAM.ini", ManyStations(30, QStringLiteral("QS17,QS3,")));
    int asked = 0;
    const CurrentPositionSource source = [&](double& a, double& b) { ++asked; return AtOrigin(a, b); };

    QStringList names;
    ASSERT_TRUE(StationGetStations(drive.airmail, "HAM", source, names));
    EXPECT_EQ(names, (QStringList{"QS17", "QS3"}));
    EXPECT_EQ(asked, 0);  // the position is not needed

    drive.settings.m_bStationAllStations = true;
    ASSERT_TRUE(StationGetStations(drive.airmail, "HAM", source, names));
    EXPECT_EQ(names, Names(0, 19));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(drive.ui.messages.empty());
}

TEST(StationGetStations, WithoutSelectionTheTwentyNearest) {
    for (const char* selected : {"", ",", " , "}) {
        AirMailDrive drive;
        drive.WriteAirMail("System.HAM.ini", ManyStations(25, QString::fromLatin1(selected)));
        QStringList names;
        ASSERT_TRUE(StationGetStations(drive.airmail, "HAM", AtOrigin, names));
        EXPECT_EQ(names, Names(0, 19)) << selected;

        ASSERT_TRUE(StationGetStationsByRange(drive.airmail, "HAM", AtOrigin, names));
        EXPECT_EQ(names, Names(0, 24));
    }
}

TEST(StationGetStations, ManySelectedNamesAreNotCutShort) {
    AirMailDrive drive;
    QStringList many;
    for (int i = 0; i < 120; ++i) many.append(QStringLiteral("QX%1ABC").arg(i, 3, 10, QChar('0')));
    drive.WriteAirMail("System.HAM.ini", ManyStations(3, many.join(QLatin1Char(','))));
    QStringList names;
    ASSERT_TRUE(StationGetStations(drive.airmail, "HAM", AtOrigin, names));
    EXPECT_EQ(names, many);
}

TEST(StationsByRange, RecordsCarryRangeAndKeepFileOrderOnTies) {
    AirMailDrive drive;
    drive.WriteAirMail("System.SAILMAIL.ini",
                       "[Station Info]\n"
                       "QFAR=JK00AA:Far Rock;P3\n"
                       "QTWIN2=JJ01AA:Twin Two\n"
                       "QTWIN1=JJ01AA:Twin One\n"
                       "QNEAR=JJ00AA:Near Cove\n"
                       "QNOGRID=XX:Nowhere\n"
                       "\n[Frequency List]\n"
                       "QFAR=7070\nQTWIN2=7070\nQNOINFO=7070\nQTWIN1=7070\nQNOGRID=7070\nQNEAR=7070\n");
    QVector<StationRecord> records;
    ASSERT_TRUE(StationGetRecordsByRange(drive.airmail, "SAILMAIL", AtOrigin, records));
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].station, QStringLiteral("QNEAR"));
    EXPECT_EQ(records[1].station, QStringLiteral("QTWIN2"));  // file order on equal ranges
    EXPECT_EQ(records[2].station, QStringLiteral("QTWIN1"));
    EXPECT_EQ(records[3].station, QStringLiteral("QFAR"));
    EXPECT_DOUBLE_EQ(records[1].range, 60.0);
    EXPECT_DOUBLE_EQ(records[3].range, 600.0);
    EXPECT_EQ(records[3].name, QStringLiteral("Far Rock"));
    EXPECT_TRUE(records[3].pactor3);
    EXPECT_EQ(records[3].grid, QStringLiteral("JK00AA"));
    EXPECT_TRUE(drive.ui.messages.empty());  // m_bAirMailStationCheck is off

    // With the station check on, the stations without a position are reported.
    drive.settings.m_bAirMailStationCheck = true;
    ASSERT_TRUE(StationGetRecordsByRange(drive.airmail, "SAILMAIL", AtOrigin, records));
    EXPECT_EQ(records.size(), 4);
    ASSERT_EQ(drive.ui.messages.size(), 2u);
    EXPECT_TRUE(drive.ui.messages[0].text.startsWith("Unable to find AirMail's Station Info, QNOINFO"));
    EXPECT_EQ(drive.ui.messages[1].text, QStringLiteral("Unable to Convert Grid XX to Lat/Lon"));
}

const char kGarbage[] = "\x7f" "ELF\x01\x02\x00\x00[Frequ\xff\xfe=\x00\x00\xb0\xb0\n\n\x90=\x01";

TEST(StationsByRange, FailsWithAClearMessageOrQuietly) {
    struct Case {
        const char* name;
        QByteArray file;   // null: no system file
        bool position;     // the source gives a position
        double latitude;
        const char* message;  // start of the one message expected, nullptr: none
    };
    const char* const kInfo = "Unable to process AirMail's \"HAM\" Station Info. ";
    const Case cases[] = {
        {"no position", "[Frequency List]\nQA=7070\n", false, 0.0, nullptr},
        {"latitude 91", "[Frequency List]\nQA=7070\n", true, 91.0, nullptr},
        {"no file", QByteArray(), true, 0.0, "Unable to open AirMail's \"System.HAM.ini\" file. "},
        {"no colon", "[Station Info]\nQA=JJ00AA:x\nQB=JJ01AA\n\n[Frequency List]\nQA=7070\nQB=7070\n", true, 0.0, kInfo},
        {"no frequency list", "[Station Info]\nQA=JJ00AA:x\n", true, 0.0, kInfo},
        {"garbage", QByteArray(kGarbage, sizeof kGarbage - 1), true, 0.0, kInfo}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AirMailDrive drive;
        if (!c.file.isNull()) drive.WriteBytes("C:\\Program Files\\AirMail\\System.HAM.ini", c.file);
        const CurrentPositionSource source = [&](double& lat, double& lon) {
            lat = c.latitude;
            lon = 0.0;
            return c.position;
        };
        QStringList names{"stale"};
        EXPECT_FALSE(StationGetStationsByRange(drive.airmail, "HAM", source, names));
        EXPECT_TRUE(names.isEmpty());
        ASSERT_EQ(drive.ui.messages.size(), c.message ? 1u : 0u);
        if (!c.message) continue;
        EXPECT_TRUE(drive.ui.messages[0].text.startsWith(QString::fromLatin1(c.message)))
            << drive.ui.messages[0].text.toStdString();
        EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    }
}

TEST(StationsByRange, GarbageWithBinaryBytesReadsAsNoStations) {
    AirMailDrive drive;
    drive.WriteBytes("C:\\Program Files\\AirMail\\System.HAM.ini",
                     QByteArray(kGarbage, sizeof kGarbage - 1) +
                         QByteArray("\n[Frequency List]\n\x01\x02=\xff\n"));
    QStringList names;
    EXPECT_TRUE(StationGetStationsByRange(drive.airmail, "HAM", AtOrigin, names));
    EXPECT_TRUE(names.isEmpty());
    QStringList list;
    EXPECT_FALSE(StationGetStation(drive.airmail, "HAM", list));
}

// ---- Names and lists ---------------------------------------------------------

const char kSailMail[] =
    "[Station Info]\n"
    "QWA4471=FN41PM:Port Arlen;US Northeast\n"
    "QWA9000=FN41PM:Arlen;US Northeast\n"
    "QPD3356=FK78:Windward Cay;Caribbean;P3\n"
    "QNONAME=FK78\n"
    "\n[Frequency List]\n"
    "QWA4471=4146,8352#;12551,\n"
    "QPD3356=6231.5,8384.5\n";

TEST(StationNames, SailMailNamesBothWays) {
    AirMailDrive drive;
    drive.WriteAirMail("System.SAILMAIL.ini", kSailMail);
    for (const char* system : {"SAILMAIL", "SailMail"}) {
        EXPECT_EQ(StationNameFromStation(drive.airmail, system, "QPD3356"),
                  QStringLiteral("Windward Cay"));
        EXPECT_EQ(StationFromStationName(drive.airmail, system, "Windward Cay"),
                  QStringLiteral("QPD3356"));
    }
    // "Arlen" is part of "Port Arlen", listed first; the exact name decides.
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Arlen"), QStringLiteral("QWA9000"));
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Port Arlen"),
              QStringLiteral("QWA4471"));
    // A part of a name still finds its station.
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Windward"), QStringLiteral("QPD3356"));
    EXPECT_TRUE(drive.ui.messages.empty());

    // Other systems use the identifiers as names.
    EXPECT_EQ(StationNameFromStation(drive.airmail, "HAM", "QA1PMB"), QStringLiteral("QA1PMB"));
    EXPECT_EQ(StationFromStationName(drive.airmail, "HAM", "QA1PMB"), QStringLiteral("QA1PMB"));
}

TEST(StationNames, UnknownNamesAreReported) {
    AirMailDrive drive;
    drive.WriteAirMail("System.SAILMAIL.ini", kSailMail);
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Lost Harbour"), QString());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].text,
              QStringLiteral("Unable to find AirMail's Lost Harbour, QNONAME in \"C:\\Program "
                             "Files\\AirMail\\System.SAILMAIL.ini\".\n\nPlease check that the "
                             "AirMail Data Folder \"C:\\Program Files\\AirMail\" is correct."));

    // A station without an entry has no name; the profile read says so.
    EXPECT_EQ(StationNameFromStation(drive.airmail, "SAILMAIL", "QGONE"), QString());
    EXPECT_EQ(drive.ui.messages.size(), 2u);
    // An entry without ":" has no name either.
    EXPECT_EQ(StationNameFromStation(drive.airmail, "SAILMAIL", "QNONAME"), QString());
    // An empty name matches no station.
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", ""), QString());

    drive.ui.ClearRecords();
    EXPECT_EQ(StationFromStationName(drive.airmail, "FAX", "x"), QStringLiteral("x"));
    drive.settings.m_sAirMailDirectoryData = QStringLiteral("C:\\Missing");
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Arlen"), QString());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_TRUE(drive.ui.messages[0].text.startsWith(
        QStringLiteral("Unable to open AirMail's \"System.SAILMAIL.ini\". ")));
}

TEST(StationGetStation, ListsStationInfoInFileOrder) {
    AirMailDrive drive;
    drive.WriteAirMail("System.SAILMAIL.ini", kSailMail);
    drive.WriteAirMail("System.HAM.ini", "[Station Info]\nQB2=EM95:b\nQA1=FN42:a\n\n[Frequency List]\n");
    QStringList list{"stale"};
    ASSERT_TRUE(StationGetStation(drive.airmail, "sailmail", list));
    EXPECT_EQ(list, (QStringList{"Port Arlen", "Arlen", "Windward Cay", "QNONAME"}));
    ASSERT_TRUE(StationGetStation(drive.airmail, "HAM", list));
    EXPECT_EQ(list, (QStringList{"QB2", "QA1"}));
    EXPECT_TRUE(drive.ui.messages.empty());

    drive.WriteAirMail("System.FAX.ini", "[Frequency List]\nQA=1\n");
    EXPECT_FALSE(StationGetStation(drive.airmail, "FAX", list));
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(drive.ui.LastMessage(), QStringLiteral("Unable to file AirMail's FAX, Station Info."));
    EXPECT_FALSE(StationGetStation(drive.airmail, "NONE", list));
    EXPECT_TRUE(drive.ui.LastMessage().startsWith("Unable to open AirMail's \"System.NONE.ini\" file. "));
}

TEST(StationGetRecord, ReadsOneStationWhole) {
    AirMailDrive drive;
    drive.WriteAirMail("System.SAILMAIL.ini", kSailMail);
    StationRecord r;
    ASSERT_TRUE(StationGetRecord(drive.airmail, "SAILMAIL", "QWA4471", true, r));
    EXPECT_EQ(r.name, QStringLiteral("Port Arlen"));
    EXPECT_EQ(r.grid, QStringLiteral("FN41PM"));
    EXPECT_TRUE(r.hasPosition);
    EXPECT_FALSE(r.pactor3);
    ASSERT_EQ(r.frequencies.size(), 3);
    EXPECT_EQ(r.frequencies[1].text, QStringLiteral("8352.0(p3)"));
    EXPECT_TRUE(r.frequencies[1].pactor3);
    EXPECT_FALSE(r.frequencies[2].pactor3);

    // ";P3" makes every frequency of the station Pactor 3.
    ASSERT_TRUE(StationGetRecord(drive.airmail, "SAILMAIL", "QPD3356", true, r));
    EXPECT_TRUE(r.pactor3);
    ASSERT_EQ(r.frequencies.size(), 2);
    EXPECT_TRUE(r.frequencies[0].pactor3 && r.frequencies[1].pactor3);
    EXPECT_TRUE(drive.ui.messages.empty());

    EXPECT_FALSE(StationGetRecord(drive.airmail, "SAILMAIL", "QNONAME", false, r));
}

// ---- The demo data ------------------------------------------------------------

// Every station of the bundled drive has a position, frequencies and a name
// that leads back to it; its files have CR LF line ends (the position,
// sunspot number and systems the report shows are checked end to end).
TEST(DemoData, StationsLoadAndFilesUseCrlf) {
    AirMailDrive drive;
    drive.paths.SetDrive('C', std::string(TIDEWELL_SOURCE_DIR) + "/data/demo/drive_c");
    drive.airmail.AirMailFindFolders();
    EXPECT_EQ(drive.registry.queries, 0);  // "Airmail3.exe" is in the default folder
    for (const QString& system : {QStringLiteral("HAM"), QStringLiteral("SAILMAIL")}) {
        SCOPED_TRACE(system.toStdString());
        QStringList all;
        ASSERT_TRUE(StationGetStation(drive.airmail, system, all));
        EXPECT_GE(all.size(), 25);
        QVector<StationRecord> records;
        ASSERT_TRUE(StationGetRecordsByRange(drive.airmail, system, AtOrigin, records));
        EXPECT_EQ(records.size(), all.size()) << "every station has a position";
        int pactor3Station = 0, hashMarks = 0;
        for (const StationRecord& r : records) {
            StationRecord whole;
            ASSERT_TRUE(StationGetRecord(drive.airmail, system, r.station, true, whole));
            EXPECT_GE(whole.frequencies.size(), 3) << r.station.toStdString();
            pactor3Station += whole.pactor3 ? 1 : 0;
            for (const StationFrequency& f : whole.frequencies) hashMarks += f.text.endsWith(QStringLiteral("(p3)"));
            EXPECT_EQ(StationFromStationName(drive.airmail, system,
                                             StationNameFromStation(drive.airmail, system, r.station)),
                      r.station);
        }
        EXPECT_GT(hashMarks, 10);
        EXPECT_EQ(pactor3Station, system == QLatin1String("SAILMAIL") ? 1 : 0);
    }
    EXPECT_TRUE(drive.ui.messages.empty());
    const QString decoder = drive.airmail.AirMailGetProfileString("Airmail.ini", "Hardware", "DecoderType", true);
    EXPECT_EQ(drive.airmail.AirMailGetProfileString("Airmail.ini", "Hardware", decoder + QStringLiteral(" Center Tone"), true),
              QStringLiteral("1500"));

    const QDir dir(QString::fromLatin1(TIDEWELL_SOURCE_DIR) + "/data/demo/drive_c/Program Files/AirMail");
    for (const char* name : {"Airmail.ini", "System.SAILMAIL.ini", "System.HAM.ini", "Install.log", "Logfiles/Debug.log"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << name;
        EXPECT_TRUE(bytes.endsWith("\r\n")) << name;
        if (std::string(name) == "Logfiles/Debug.log") {
            for (const char* event : {"Connected to ", "Disconnected from ", "No answer from ", "(manual)"})
                EXPECT_TRUE(bytes.contains(event)) << event;
        }
    }
}

}  // namespace
}  // namespace tw
