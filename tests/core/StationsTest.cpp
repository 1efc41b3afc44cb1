// Station and frequency lists: the text rules table by table, then the
// readers on real system files, then the demo data of the repository.

#include <gtest/gtest.h>

#include <tuple>

#include "airmail/Stations.h"
#include "support/AirMailDrive.h"

namespace tw {
namespace {

using test::AirMailDrive;

// ---- Text rules -------------------------------------------------------------

TEST(GridSquare, ConvertsLocatorsWithTheirSubsquareScale) {
    constexpr double kSub = 59.0 / 23.0 / 60.0;  // degrees per subsquare letter
    const std::tuple<const char*, double, double> cases[] = {
        {"JJ00AA", 0.0, 0.0}, {"AA00AA", -90.0, -180.0},
        {"RR99XX", 89.0 + 23 * kSub, 2 * (89.0 + 23 * kSub)},
        {"CM87", 37.0 + 12 * kSub, 2 * (-62.0 + 12 * kSub)},     // the middle of the square
        {" FN42li ", 42.0 + 8 * kSub, 2 * (-36.0 + 11 * kSub)},  // either case, blanks around
        {"FN42LI12", 42.0 + 8 * kSub, 2 * (-36.0 + 11 * kSub)},  // extended: first six
    };
    for (const auto& [grid, latitude, longitude] : cases) {
        double lat = 99, lon = 99;
        ASSERT_TRUE(LatLonFromGridSquare(QString::fromLatin1(grid), lat, lon)) << grid;
        EXPECT_NEAR(lat, latitude, 1e-9) << grid;
        EXPECT_NEAR(lon, longitude, 1e-9) << grid;
    }
    for (const char* grid : {"", "CM8", "CM87M", "SS00AA", "CM87YY", "CMA7MM", "CM8XMM",
                             "12CM87", "CM87M!", "\xb0\xb0\xb0\xb0"}) {
        double lat = 0, lon = 0;
        EXPECT_FALSE(LatLonFromGridSquare(QString::fromLatin1(grid), lat, lon)) << grid;
    }
}

// Tokens end at "," or ";"; empty tokens and tokens without a frequency are
// skipped.  The decimal text rounds: 7051.45 (in binary just below) gives 7051.5.
TEST(FrequencyList, NormalisesTokensAndSkipsTheRest) {
    const std::pair<const char*, QStringList> cases[] = {
        {"14108#,7102.5,7051.45", {"14108.0(p3)", "7102.5", "7051.5"}},
        {"3585;7070##;10145.5", {"3585.0", "7070.0(p3)", "10145.5"}},
        {",3585;;7070 # , 8384.56,", {"3585.0", "7070.0(p3)", "8384.6"}},
        {"#,abc,14#108,-7070,0,1e400,nan,14108.0(p3),7070", {"7070.0"}},
        {"+7070,7.1e3,14108.,+-7070,1e-400,1e,7070 kHz,7 070,\v10145\f",
         {"7070.0", "7100.0", "14108.0", "7070.0", "10145.0"}}};
    for (const auto& [value, texts] : cases)
        EXPECT_EQ(FrequencyListTexts(QString::fromLatin1(value)), texts) << value;

    // One token in place ("": none): false leaves it as it is.
    for (const auto& [before, after] : {std::pair{" 3585 # ", "3585.0(p3)"}, {"14#108", ""}}) {
        QString token = QString::fromLatin1(before);
        EXPECT_EQ(FrequencyReformat(token), *after != 0);
        EXPECT_EQ(token, QString::fromLatin1(*after ? after : before));
    }
}

TEST(StationInfo, ParsesGridNameAndPactor3) {
    // System, value; whether it has a ":", the grid, the name, the Pactor 3 mark.
    const std::tuple<const char*, const char*, bool, QString, QString, bool> cases[] = {
        {"SailMail", "FN42LI:Arlen Point;US Northeast;P3", true, "FN42LI", "Arlen Point", true},
        {"SAILMAIL", "FK78;x:Windward Cay", true, "FK78;x", "", false},  // ";" before ":"
        {"SAILMAIL", "FK78 : Windward Cay ; P3", true, "FK78", "Windward Cay", false},
        {"SAILMAIL", "FK78", false, "", "", false},
        {"HAM", "FN42li:QA1PMB Harbor Light;P3", true, "FN42li", "", false},
    };
    for (const auto& [system, value, hasColon, grid, name, pactor3] : cases) {
        const StationInfo info = StationInfoParse(system, value);
        EXPECT_EQ(std::tuple(info.hasColon, info.grid, info.name, info.pactor3),
                  std::tuple(hasColon, grid, name, pactor3))
            << value;
    }
}

// ---- Readers on system files ------------------------------------------------

const CurrentPositionSource AtOrigin = [](double& lat, double& lon) {
    lat = lon = 0.0;
    return true;
};

// Stations QS<first> to QS<last>, QS<i> at i degrees north of the origin.
QStringList Names(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i) out.append(QStringLiteral("QS%1").arg(i));
    return out;
}

// The stations selected in AirMail, however many; without a selection, or with
// all stations asked for, the twenty nearest.
TEST(StationGetStations, SelectionOrTheTwentyNearest) {
    // The farthest first: QS<i> at J<field>0<digit>AA, i degrees north.
    QString info = QStringLiteral("[Station Info]\n");
    QString list = QStringLiteral("\n[Frequency List]\n");
    for (int i = 24; i >= 0; --i) {
        info += QStringLiteral("QS%1=J%2").arg(i).arg(QChar('J' + i / 10)) +
                QStringLiteral("0%1AA:mailbox\n").arg(i % 10);
        list += QStringLiteral("QS%1=7070\n").arg(i);
    }
    const QString file = info + list + "\n[Frequency Setup]\nSelected=";
    const std::tuple<QString, bool, QStringList> cases[] = {
        {"QS17, QS3 ,", false, {"QS17", "QS3"}}, {Names(0, 119).join(','), false, Names(0, 119)},
        {"QS17,QS3,", true, Names(0, 19)}, {" , ", false, Names(0, 19)}};
    for (const auto& [selected, all, expected] : cases) {
        SCOPED_TRACE(selected.left(20).toStdString());
        AirMailDrive drive;
        drive.WriteAirMail("System.HAM.ini", file + selected);
        drive.settings.m_bStationAllStations = all;
        int asked = 0;
        const CurrentPositionSource source = [&](double& a, double& b) {
            ++asked;
            return AtOrigin(a, b);
        };
        QStringList names;
        ASSERT_TRUE(StationGetStations(drive.airmail, "HAM", source, names));
        EXPECT_EQ(names, expected);
        EXPECT_EQ(asked, expected == Names(0, 19) ? 1 : 0);  // the position only when needed
        EXPECT_TRUE(drive.ui.messages.empty());
    }
}

// A record as text: name, grid, whether it has a position, the Pactor 3 mark,
// then the frequencies in kHz ("#": Pactor 3).
QString Describe(const StationRecord& r) {
    QString text = r.name + " " + r.grid + (r.hasPosition ? " located" : "");
    text += r.pactor3 ? " P3:" : ":";
    for (const StationFrequency& f : r.frequencies)
        text += QStringLiteral(" %1").arg(f.kHz) + (f.pactor3 ? "#" : "");
    return text;
}

TEST(StationsByRange, RecordsCarryRangeAndKeepFileOrderOnTies) {
    AirMailDrive drive;
    drive.WriteAirMail("System.SAILMAIL.ini",
                       "[Station Info]\nQFAR=JK00AA:Far Rock;P3\nQTWIN2=JJ01AA:Twin Two\n"
                       "QTWIN1=JJ01AA:Twin One\nQNEAR=JJ00AA:Near Cove\nQNOGRID=XX:Nowhere\n"
                       "QNOCOLON=JJ00AA\n\n"
                       "[Frequency List]\nQFAR=7070\nQTWIN2=7070\nQNOINFO=7070\nQTWIN1=7070\n"
                       "QNOGRID=7070\nQNOCOLON=7070\nQNEAR=7070\n");
    QVector<StationRecord> records;
    ASSERT_TRUE(StationGetRecordsByRange(drive.airmail, "SAILMAIL", AtOrigin, records));
    QStringList read;
    for (const StationRecord& r : records)
        read << QStringLiteral("%1 %2 ").arg(r.station).arg(r.range) + Describe(r);
    // Nearest first; file order on equal ranges.
    EXPECT_EQ(read, (QStringList{"QNEAR 0 Near Cove JJ00AA located:",
                                 "QTWIN2 60 Twin Two JJ01AA located:",
                                 "QTWIN1 60 Twin One JJ01AA located:",
                                 "QFAR 600 Far Rock JK00AA located P3:"}));
    // m_bAirMailStationCheck is off: only the broken entries are told (the
    // locator that cannot be read, the entry without ":"), and the list goes
    // on without them; with it on, the station without an entry too.
    const QString noInfo = QStringLiteral("Unable to find AirMail's Station Info, QNOINFO");
    const QString noGrid = QStringLiteral("Unable to Convert Grid XX to Lat/Lon (QNOGRID)");
    const QString noColon = QStringLiteral(
        "Unable to process AirMail's \"SAILMAIL\" Station Info. The entry of QNOCOLON has no \":\".");
    for (const bool check : {false, true}) {
        SCOPED_TRACE(check);
        drive.ui.ClearRecords();
        drive.settings.m_bAirMailStationCheck = check;
        ASSERT_TRUE(StationGetRecordsByRange(drive.airmail, "SAILMAIL", AtOrigin, records));
        const QStringList told = check ? QStringList{noInfo, noGrid, noColon} : QStringList{noGrid, noColon};
        ASSERT_EQ(drive.ui.messages.size(), static_cast<std::size_t>(told.size()));
        for (std::size_t i = 0; i < drive.ui.messages.size(); ++i)
            EXPECT_TRUE(drive.ui.messages[i].text.startsWith(told[static_cast<qsizetype>(i)]))
                << drive.ui.messages[i].text.toStdString();
    }
    EXPECT_EQ(drive.ui.messages[1].icon, MsgIcon::None);
}

TEST(StationsByRange, FailsWithAClearMessageOrQuietly) {
    const char* const kInfo = "Unable to process AirMail's \"HAM\" Station Info. ";
    const char* const kList = "[Frequency List]\nQA=7070\n";
    // The system file (null: none), the latitude of the position (none from
    // 99 up), and the start of the one message (nullptr: none).
    const std::tuple<const char*, QByteArray, double, const char*> cases[] = {
        {"no position", kList, 99.0, nullptr},
        {"latitude 91", kList, 91.0, nullptr},
        {"no file", QByteArray(), 0.0, "Unable to open AirMail's \"System.HAM.ini\" file. "},
        {"no frequency list", "[Station Info]\nQA=JJ00AA:x\n", 0.0, kInfo}};
    for (const auto& [name, file, latitude, message] : cases) {
        SCOPED_TRACE(name);
        AirMailDrive drive;
        if (!file.isNull()) drive.WriteBytes("C:\\Program Files\\AirMail\\System.HAM.ini", file);
        const CurrentPositionSource source = [&](double& lat, double& lon) {
            lat = latitude;
            lon = 0.0;
            return latitude < 99.0;
        };
        QStringList names{"stale"};
        EXPECT_FALSE(StationGetStationsByRange(drive.airmail, "HAM", source, names));
        EXPECT_TRUE(names.isEmpty());
        ASSERT_EQ(drive.ui.messages.size(), message ? 1u : 0u);
        EXPECT_TRUE(drive.ui.LastMessage().startsWith(QString::fromLatin1(message)))
            << drive.ui.LastMessage().toStdString();
        for (const MessageRequest& m : drive.ui.messages) EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
}

// ---- Names and lists ---------------------------------------------------------
// (Other systems use the identifiers as names: walked by the best list's
// builds and the connect process.)

class SailMailFile : public ::testing::Test {
protected:
    SailMailFile() {
        drive.WriteAirMail("System.SAILMAIL.ini",
                           "[Station Info]\nQWA4471=FN41PM:Port Arlen;US Northeast\n"
                           "QWA9000=FN41PM:Arlen;US Northeast\n"
                           "QPD3356=FK78:Windward Cay;Caribbean;P3\nQNONAME=FK78\n\n"
                           "[Frequency List]\nQWA4471=4146,8352#;12551,\nQPD3356=6231.5,8384.5\n");
    }
    AirMailDrive drive;
};

TEST_F(SailMailFile, NamesBothWaysAndUnknownNamesReported) {
    EXPECT_EQ(StationNameFromStation(drive.airmail, "SailMail", "QPD3356"), "Windward Cay");
    // "Arlen" is part of "Port Arlen", listed first: the exact name decides.
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Arlen"), "QWA9000");
    // A part of a name still finds its station.
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Windward"), "QPD3356");
    // An entry without ":" has no name; an empty name matches no station.
    EXPECT_EQ(StationNameFromStation(drive.airmail, "SAILMAIL", "QNONAME"), QString());
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", ""), QString());
    EXPECT_TRUE(drive.ui.messages.empty());

    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Lost Harbour"), QString());
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(
        "Unable to find AirMail's Lost Harbour, QNONAME in \"C:\\Program Files\\AirMail\\"
        "System.SAILMAIL.ini\".\n\nPlease check that the AirMail Data Folder"));
    // A station without an entry has no name; the profile read says so.
    EXPECT_EQ(StationNameFromStation(drive.airmail, "SAILMAIL", "QGONE"), QString());
    EXPECT_EQ(drive.ui.messages.size(), 2u);
    drive.settings.m_sAirMailDirectoryData = QStringLiteral("C:\\Missing");
    EXPECT_EQ(StationFromStationName(drive.airmail, "SAILMAIL", "Arlen"), QString());
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(
        "Unable to open AirMail's \"System.SAILMAIL.ini\". "));
}

// Every station of [Station Info] in file order, by its name where it has one.
TEST_F(SailMailFile, StationListInFileOrder) {
    drive.WriteAirMail("System.HAM.ini", "[Station Info]\nQB2=EM95:b\nQA1=FN42:a\n");
    QStringList list{"stale"};
    ASSERT_TRUE(StationGetStation(drive.airmail, "sailmail", list));
    EXPECT_EQ(list, (QStringList{"Port Arlen", "Arlen", "Windward Cay", "QNONAME"}));
    ASSERT_TRUE(StationGetStation(drive.airmail, "HAM", list));
    EXPECT_EQ(list, (QStringList{"QB2", "QA1"}));
    EXPECT_TRUE(drive.ui.messages.empty());

    drive.WriteAirMail("System.FAX.ini", "[Frequency List]\nQA=1\n");
    EXPECT_FALSE(StationGetStation(drive.airmail, "FAX", list));
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(drive.ui.LastMessage(), "Unable to file AirMail's FAX, Station Info.");
    EXPECT_FALSE(StationGetStation(drive.airmail, "NONE", list));
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(
        "Unable to open AirMail's \"System.NONE.ini\" file. "));
}

// ";P3" in the station's entry makes every frequency of it Pactor 3.
TEST_F(SailMailFile, RecordReadsOneStationWhole) {
    StationRecord r;
    ASSERT_TRUE(StationGetRecord(drive.airmail, "SAILMAIL", "QWA4471", true, r));
    EXPECT_EQ(Describe(r), "Port Arlen FN41PM located: 4146 8352# 12551");
    ASSERT_TRUE(StationGetRecord(drive.airmail, "SAILMAIL", "QPD3356", true, r));
    EXPECT_EQ(Describe(r), "Windward Cay FK78 located P3: 6231.5# 8384.5#");
    EXPECT_TRUE(drive.ui.messages.empty());
    EXPECT_FALSE(StationGetRecord(drive.airmail, "SAILMAIL", "QNONAME", false, r));
}

// ---- The demo data ------------------------------------------------------------

// Every station of the bundled drive has a position, frequencies and a name
// that leads back to it, and the modem has its centre tone (the position,
// sunspot number and systems the report shows are checked end to end).
TEST(DemoData, EveryStationLoads) {
    AirMailDrive drive;
    drive.paths.SetDrive('C', TIDEWELL_SOURCE_DIR "/data/demo/drive_c");
    drive.airmail.AirMailFindFolders();
    for (const char* system : {"HAM", "SAILMAIL"}) {
        SCOPED_TRACE(system);
        QStringList all;
        ASSERT_TRUE(StationGetStation(drive.airmail, system, all));
        EXPECT_GE(all.size(), 25);
        QVector<StationRecord> records;
        ASSERT_TRUE(StationGetRecordsByRange(drive.airmail, system, AtOrigin, records));
        EXPECT_EQ(records.size(), all.size()) << "every station has a position";
        for (const StationRecord& r : records) {
            StationRecord whole;
            ASSERT_TRUE(StationGetRecord(drive.airmail, system, r.station, true, whole));
            EXPECT_GE(whole.frequencies.size(), 3) << r.station.toStdString();
            const QString name = StationNameFromStation(drive.airmail, system, r.station);
            EXPECT_EQ(StationFromStationName(drive.airmail, system, name), r.station);
        }
    }
    const auto hardware = [&](const QString& key) {
        return drive.airmail.AirMailGetProfileString("Airmail.ini", "Hardware", key, true);
    };
    EXPECT_EQ(hardware(hardware("DecoderType") + " Center Tone"), QStringLiteral("1500"));
    EXPECT_TRUE(drive.ui.messages.empty());
}

}  // namespace
}  // namespace tw
