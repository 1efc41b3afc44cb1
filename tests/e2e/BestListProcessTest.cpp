// The real executable on a copy of the demo drive with the ITS HF stand-ins
// installed: the best list and the AirMail report as a user runs them
// (`tidewell --best-list`, `tidewell --airmail-report`).

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <map>
#include <optional>

#include "e2e/TidewellRun.h"
#include "support/Standins.h"

namespace {

using tw::test::ProcessRun;

const QString kDemo = QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo");

bool CopyTree(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) return false;
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

// One row of the printed list, its cells by column name.
struct Row {
    std::map<QString, QString> cells;
    QString Cell(const QString& column) const {
        const auto it = cells.find(column);
        return it == cells.end() ? QString() : it->second;
    }
    bool Checked() const { return Cell(QStringLiteral("Frequency")).endsWith(QStringLiteral(" [x]")); }
    // The frequency in kHz, without its check mark and "(p3)".
    double Frequency() const {
        QString text = Cell(QStringLiteral("Frequency"));
        text.chop(4);
        return text.remove(QStringLiteral("(p3)")).trimmed().toDouble();
    }
    double Snr() const { return Cell(QStringLiteral("Snr")).toDouble(); }
};

struct Listing {
    QStringList header;
    QVector<QStringList> lines;  // the data lines' cells, as printed
    QVector<Row> rows;

    // The stations in list order, one entry per block of equal Station cells.
    QStringList Blocks() const {
        QStringList blocks;
        for (const Row& row : rows) {
            const QString station = row.Cell(QStringLiteral("Station"));
            if (blocks.isEmpty() || blocks.last() != station) blocks << station;
        }
        return blocks;
    }

    // The highest checked frequency of a station; none when it has no checked row.
    std::optional<double> BestCheckedFrequency(const QString& station) const {
        std::optional<double> best;
        for (const Row& row : rows) {
            if (row.Cell(QStringLiteral("Station")) != station || !row.Checked()) continue;
            if (!best || row.Frequency() > *best) best = row.Frequency();
        }
        return best;
    }
};

Listing Parse(const QString& out) {
    Listing listing;
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty()) return listing;
    listing.header = lines.first().split(QLatin1Char('\t'));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        listing.lines << cells;
        Row row;
        for (qsizetype c = 0; c < cells.size() && c < listing.header.size(); ++c)
            row.cells[listing.header[c]] = cells[c];
        listing.rows << row;
    }
    return listing;
}

// A copy of the demo drive (drive_c and user.reg) with the stand-ins
// installed, and a profile of the test's own beside it.
class DemoDrive : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(CopyTree(kDemo, m_dir.path())) << kDemo.toStdString();
        ASSERT_EQ(tw::test::InstallStandins(DriveC()), QString());
    }

    QString DriveC() const { return m_dir.filePath(QStringLiteral("drive_c")); }
    QString Profile() const { return m_dir.filePath(QStringLiteral("Tidewell.Ini")); }
    QString SystemFile(const QString& system) const {
        return DriveC() + QStringLiteral("/Program Files/AirMail/System.") + system + QStringLiteral(".ini");
    }

    void WriteProfile(const QByteArray& text) {
        QFile file(Profile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    // Edits the copy's system file: `replace` each key with its value (the
    // demo's files use CR LF).
    void EditSystem(const QString& system, const std::map<QByteArray, QByteArray>& replace) {
        QFile file(SystemFile(system));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        for (const auto& [from, to] : replace) {
            ASSERT_TRUE(bytes.contains(from)) << from.toStdString();
            bytes.replace(from, to);
        }
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    void SelectHam(const QByteArray& stations) {
        EditSystem(QStringLiteral("HAM"), {{"Selected=\r\n", "Selected=" + stations + "\r\n"}});
    }

    // Runs tidewell on this drive and profile.
    ProcessRun Tidewell(const QStringList& arguments, const std::map<QString, QString>& environment = {}) const {
        return tw::test::RunTidewell(
            QStringList{QStringLiteral("--drive-c"), DriveC(), QStringLiteral("--profile"), Profile()} + arguments,
            environment);
    }

    ProcessRun BestList(const QString& utc, const QString& system = {},
                        const std::map<QString, QString>& environment = {}) const {
        QStringList args{QStringLiteral("--best-list"), QStringLiteral("--utc"), utc};
        if (!system.isEmpty()) args << QStringLiteral("--system") << system;
        return Tidewell(args, environment);
    }

    QTemporaryDir m_dir;
};

const QStringList kShortHeader{QStringLiteral("Station"), QStringLiteral("Range"), QStringLiteral("Frequency"),
                               QStringLiteral("Snr")};

// --- (a) the list's shape with the default settings -----------------------------------

// SAILMAIL (AirMail's last used system): the 4 stations selected in AirMail;
// HAM: none selected, the best 5 of the 20 nearest.
TEST_F(DemoDrive, TopStationsEachWithACheckedRowOrderedBySnr) {
    for (const auto& [system, stations] : {std::pair{"", 4}, std::pair{"HAM", 5}}) {
        for (const char* utc : {"2026-06-06T02:00", "2026-06-06T14:00"}) {
            SCOPED_TRACE(std::string(system) + " " + utc);
            const ProcessRun run = BestList(QLatin1String(utc), QLatin1String(system));
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            const Listing listing = Parse(run.out);
            EXPECT_EQ(listing.header, kShortHeader);
            // At most m_iStationTopStations (5) stations, each one block.
            const QStringList blocks = listing.Blocks();
            EXPECT_EQ(blocks.size(), stations) << run.out.toStdString();
            EXPECT_EQ(QSet<QString>(blocks.begin(), blocks.end()).size(), blocks.size()) << run.out.toStdString();
            for (const QString& station : blocks) {
                EXPECT_FALSE(station.isEmpty());
                EXPECT_TRUE(listing.BestCheckedFrequency(station).has_value()) << station.toStdString();
            }
            // Without additional data only checked rows stay, every cell filled.
            double previous = 1e9;
            for (qsizetype i = 0; i < listing.rows.size(); ++i) {
                const Row& row = listing.rows[i];
                ASSERT_EQ(listing.lines[i].size(), kShortHeader.size());
                for (const QString& cell : listing.lines[i]) EXPECT_FALSE(cell.trimmed().isEmpty());
                EXPECT_TRUE(row.Checked());
                EXPECT_LE(row.Snr(), previous) << "row " << i + 1 << "\n" << run.out.toStdString();
                previous = row.Snr();
            }
        }
    }
}

// --- (b) additional data -----------------------------------------------------------------

TEST_F(DemoDrive, AdditionalDataFillsEveryCellAndKeepsTheUncheckedRows) {
    WriteProfile("[Propagation Data]\r\nAdditional Data=True\r\n");
    for (const char* system : {"SAILMAIL", "HAM"}) {
        SCOPED_TRACE(system);
        const ProcessRun run = BestList(QStringLiteral("2026-06-06T14:00"), QLatin1String(system));
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const Listing listing = Parse(run.out);
        EXPECT_EQ(listing.header,
                  QStringLiteral("Station\tRange\tAzimuth\tFrequency\tLUF-MUF\tLayer\tT Ang\tSignal\tNoise\t"
                                 "Snr\tSlope\tStn Az\tStn Ant")
                      .split(QLatin1Char('\t')));
        ASSERT_FALSE(listing.rows.isEmpty());
        int unchecked = 0;
        for (qsizetype i = 0; i < listing.rows.size(); ++i) {
            const QStringList& cells = listing.lines[i];
            ASSERT_EQ(cells.size(), listing.header.size()) << "row " << i + 1;
            for (qsizetype c = 0; c < cells.size(); ++c) {
                EXPECT_FALSE(cells[c].trimmed().isEmpty())
                    << "row " << i + 1 << ", column " << listing.header[c].toStdString();
            }
            if (!listing.rows[i].Checked()) ++unchecked;
        }
        EXPECT_GT(unchecked, 0) << run.out.toStdString();
        EXPECT_LE(listing.Blocks().size(), 5);
        for (const QString& station : listing.Blocks())
            EXPECT_TRUE(listing.BestCheckedFrequency(station).has_value()) << station.toStdString();
    }
}

// --- (c) day and night ---------------------------------------------------------------------

// The vessel is at 37.7N 25.7W.  QA1PMB (FN42, 2079 nmi) and QA6WDX (DM04,
// 4305 nmi) lie west: at 15:00 UTC it is midday at the paths' midpoints, at
// 03:00 UTC the middle of the night.  Both stations have Pactor 3 frequencies
// low and high in the band, which the default Pactor mode keeps.
TEST_F(DemoDrive, TheBestFrequencyOnALongPathIsHigherByDayThanAtNight) {
    SelectHam("QA1PMB,QA6WDX");
    for (const char* month : {"06", "12"}) {
        const QString day = QStringLiteral("2026-%1-06T15:00").arg(QLatin1String(month));
        const QString night = QStringLiteral("2026-%1-06T03:00").arg(QLatin1String(month));
        const ProcessRun dayRun = BestList(day, QStringLiteral("HAM"));
        const ProcessRun nightRun = BestList(night, QStringLiteral("HAM"));
        ASSERT_EQ(dayRun.exitCode, 0) << dayRun.err.toStdString();
        ASSERT_EQ(nightRun.exitCode, 0) << nightRun.err.toStdString();
        const Listing byDay = Parse(dayRun.out);
        const Listing atNight = Parse(nightRun.out);
        for (const char* station : {"QA1PMB", "QA6WDX"}) {
            SCOPED_TRACE(std::string(station) + " " + month);
            const auto dayBest = byDay.BestCheckedFrequency(QLatin1String(station));
            const auto nightBest = atNight.BestCheckedFrequency(QLatin1String(station));
            ASSERT_TRUE(dayBest && nightBest) << dayRun.out.toStdString() << nightRun.out.toStdString();
            EXPECT_GT(*dayBest, *nightBest) << dayRun.out.toStdString() << nightRun.out.toStdString();
        }
    }
}

// --- (d) faults ------------------------------------------------------------------------------

TEST_F(DemoDrive, AStationWithoutFrequencyListStopsTheBuildAfterTheRowsBuilt) {
    EditSystem(QStringLiteral("HAM"), {{"[Station Info]\r\n", "[Station Info]\r\nQZ9NOF=FN31pr:QZ9NOF No List\r\n"}});
    SelectHam("QA1PMB,QZ9NOF");
    const ProcessRun run = BestList(QStringLiteral("2026-06-06T15:00"), QStringLiteral("HAM"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Unable to find AirMail's Frequency List, QZ9NOF in \"System.HAM.ini\".")))
        << run.err.toStdString();
    const Listing listing = Parse(run.out);
    EXPECT_EQ(listing.header, kShortHeader);
    // QA1PMB was evaluated and kept its checked frequency; nothing of QZ9NOF.
    EXPECT_EQ(listing.Blocks(), QStringList{QStringLiteral("QA1PMB")}) << run.out.toStdString();
    ASSERT_EQ(listing.rows.size(), 1);
    EXPECT_TRUE(listing.rows[0].Checked());
    EXPECT_FALSE(listing.rows[0].Cell(QStringLiteral("Snr")).isEmpty());
}

TEST_F(DemoDrive, AStationWithoutPositionStopsTheBuildWithItsFrequenciesOnly) {
    EditSystem(QStringLiteral("HAM"), {{"[Station Info]\r\n", "[Station Info]\r\nQZ9BAD=ZZ99:QZ9BAD Bad Locator\r\n"},
                                       {"[Frequency List]\r\n", "[Frequency List]\r\nQZ9BAD=7070#,14112.5\r\n"}});
    SelectHam("QA1PMB,QZ9BAD");
    const ProcessRun run = BestList(QStringLiteral("2026-06-06T15:00"), QStringLiteral("HAM"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Unable to Convert Grid ZZ99 to Lat/Lon"))) << run.err.toStdString();
    const Listing listing = Parse(run.out);
    EXPECT_EQ(listing.header, kShortHeader);
    ASSERT_EQ(listing.rows.size(), 3) << run.out.toStdString();
    EXPECT_EQ(listing.rows[0].Cell(QStringLiteral("Station")), QStringLiteral("QA1PMB"));
    EXPECT_TRUE(listing.rows[0].Checked());
    // The failing station's rows hold their frequencies and nothing predicted.
    EXPECT_EQ(listing.lines[1], (QStringList{{}, {}, QStringLiteral("7070.0(p3) [x]"), {}}));
    EXPECT_EQ(listing.lines[2], (QStringList{{}, {}, QStringLiteral("14112.5 [x]"), {}}));
}

TEST_F(DemoDrive, APropagationProgramThatFailsTwiceStopsTheBuild) {
    SelectHam("QA1PMB,QA6WDX");
    const ProcessRun run = BestList(QStringLiteral("2026-06-06T15:00"), QStringLiteral("HAM"),
                                    {{QStringLiteral("ITSHF_STANDIN_FAIL"), QStringLiteral("exit1")}});
    EXPECT_EQ(run.exitCode, 1);
    // One message for the batch, on its second attempt.
    EXPECT_EQ(run.err.count(QStringLiteral("PropagationRec533, Shell do not finish.")), 1) << run.err.toStdString();
    const Listing listing = Parse(run.out);
    EXPECT_EQ(listing.header, kShortHeader);
    // QA1PMB's rows, frequencies only; QA6WDX never reached.
    const QStringList frequencies{QStringLiteral("7070.0(p3)"), QStringLiteral("10145.5"),
                                  QStringLiteral("14112.5"),    QStringLiteral("21110.0(p3)"),
                                  QStringLiteral("24925.5"),    QStringLiteral("28118.0(p3)")};
    ASSERT_EQ(listing.rows.size(), frequencies.size()) << run.out.toStdString();
    for (qsizetype i = 0; i < frequencies.size(); ++i)
        EXPECT_EQ(listing.lines[i], (QStringList{{}, {}, frequencies[i] + QStringLiteral(" [x]"), {}}));
}

// --- (e) the AirMail report --------------------------------------------------------------

TEST_F(DemoDrive, AirMailReportNamesFoldersSystemsPositionAndStations) {
    for (const char* system : {"", "HAM"}) {
        SCOPED_TRACE(system);
        QStringList args{QStringLiteral("--airmail-report"), QStringLiteral("--utc"),
                         QStringLiteral("2026-06-06T15:00")};
        if (*system) args << QStringLiteral("--system") << QLatin1String(system);
        const ProcessRun run = Tidewell(args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 8) << run.out.toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("Data folder: C:\\Program Files\\AirMail"));
        EXPECT_EQ(lines[1], QStringLiteral("Program folder: C:\\Program Files\\AirMail"));
        EXPECT_EQ(lines[2], QStringLiteral("Systems: HAM, SAILMAIL"));
        EXPECT_EQ(lines[3], *system ? QStringLiteral("System: HAM") : QStringLiteral("System: SAILMAIL"));
        // AirMail's current position report is the first source.
        EXPECT_EQ(lines[4], QStringLiteral("Position: 37\u00b044.50'N 025\u00b040.20'W (Position Report Current)"));
        EXPECT_EQ(lines[5], QStringLiteral("Sunspot number: 95"));
        EXPECT_EQ(lines[6], QStringLiteral("Stations"));

        const QRegularExpression position(QStringLiteral("^-?\\d{1,3}\\.\\d{4}$"));
        const QRegularExpression range(QStringLiteral("^\\d+$"));
        QStringList stations;
        double previousRange = -1;
        for (qsizetype i = 7; i < lines.size(); ++i) {
            const QStringList fields = lines[i].split(QLatin1Char('\t'));
            ASSERT_EQ(fields.size(), 6) << lines[i].toStdString();
            for (const QString& field : fields) EXPECT_FALSE(field.isEmpty()) << lines[i].toStdString();
            EXPECT_TRUE(position.match(fields[3]).hasMatch()) << lines[i].toStdString();
            EXPECT_TRUE(position.match(fields[4]).hasMatch()) << lines[i].toStdString();
            EXPECT_TRUE(range.match(fields[5]).hasMatch()) << lines[i].toStdString();
            if (*system) {
                // Nothing selected in HAM: the nearest stations, nearest first.
                EXPECT_GE(fields[5].toDouble(), previousRange) << lines[i].toStdString();
                previousRange = fields[5].toDouble();
            }
            stations << fields[0];
        }
        if (*system) {
            EXPECT_EQ(stations.size(), 20);
        } else {
            // SAILMAIL: the stations selected in AirMail, in their order, with their names.
            EXPECT_EQ(stations, QStringLiteral("QAA9920,QGX1739,QBZ3504,QWA4471").split(QLatin1Char(',')));
            EXPECT_EQ(lines[7], QStringLiteral("QAA9920\tCaldera Mole\tHM58QM\t38.5130\t-28.6319\t147"));
        }
    }
}

TEST(AirMailReport, AnEmptyDriveHasNoPositionAndFails) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ProcessRun run = tw::test::RunTidewell({QStringLiteral("--airmail-report"), QStringLiteral("--drive-c"),
                                                  dir.path(), QStringLiteral("--profile"),
                                                  dir.filePath(QStringLiteral("Tidewell.Ini")), QStringLiteral("--utc"),
                                                  QStringLiteral("2026-06-06T15:00")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nPosition: none\n"))) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("Stations"))) << run.out.toStdString();
}

}  // namespace
