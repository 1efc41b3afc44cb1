// The real VOACAP engine for Linux (voacapl) run by the real tidewell
// executable, on a copy of the demo drive and on a system of 120 stations
// spread over the globe: every list and view that combines the stations'
// circuits into one run of the engine prints exactly what one run per station
// prints, at hours of the day and night in both seasons, and the detailed view
// of a station shows what the list shows for it.  Skipped where the engine is
// not installed (see support/RealEngine.h).

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <cmath>
#include <map>

#include "E2eSupport.h"
#include "support/RealEngine.h"

namespace tw {
namespace {

using test::ProcessRun;
using test::WriteFile;

// The hours: night, morning and evening over the Atlantic, June and December.
const char* const kTimes[] = {"2026-06-06T03:20", "2026-06-06T11:40", "2026-06-06T19:05",
                              "2026-12-06T03:20", "2026-12-06T11:40", "2026-12-06T19:05"};

// A Maidenhead locator of six characters for a point.
QString Locator(double latitude, double longitude) {
    const double x = longitude + 180.0, y = latitude + 90.0;
    QString text;
    text += QChar('A' + static_cast<int>(x / 20));
    text += QChar('A' + static_cast<int>(y / 10));
    text += QChar('0' + static_cast<int>(std::fmod(x, 20.0) / 2));
    text += QChar('0' + static_cast<int>(std::fmod(y, 10.0)));
    text += QChar('a' + static_cast<int>(std::fmod(x, 2.0) * 12));
    text += QChar('a' + static_cast<int>(std::fmod(y, 1.0) * 24));
    return text;
}

class RealEngine : public test::DemoDrive {
protected:
    void SetUp() override {
        DemoDrive::SetUp();
        TW_REQUIRE_VOACAPL(found);
        ASSERT_EQ(test::InstallVoacapl(found, DriveC()), QString());
    }

    // The profile: VOACAP, the combined runs on or off, and `more` cards.
    void Profile(bool combined, const QByteArray& more = {}) const {
        WriteFile(DemoDrive::Profile(),
                  QByteArray("[Propagation Data]\r\nModel=2\r\nCombined Runs=") +
                      (combined ? "True" : "False") + "\r\n" + more);
    }

    // A command with the combined runs and without: both print the same, and
    // the run succeeded.  Gives what was printed.
    QString Same(const QStringList& command, const QString& utc, const QString& system,
                 const QByteArray& more = {}) const {
        ProcessRun runs[2];
        for (bool combined : {true, false}) {
            Profile(combined, more);
            runs[combined ? 0 : 1] = Tidewell(command, utc, system);
        }
        EXPECT_EQ(runs[0].exitCode, 0) << runs[0].err.toStdString();
        EXPECT_EQ(runs[0].out, runs[1].out);
        EXPECT_EQ(runs[0].err, runs[1].err);
        EXPECT_GT(runs[0].out.count(QLatin1Char('\n')), 1) << runs[0].out.toStdString();
        return runs[0].out;
    }

    // A system file of 120 stations spread evenly over the globe, all of them
    // selected, each with four to seven frequencies across the band.
    void GlobeSystem() const {
        const double band[] = {2182.0, 3590.5, 4146.0, 5357.0, 6231.5, 7101.0, 8352.0,
                               10145.5, 12551.0, 14108.0, 16710.5, 18106.0, 22124.0, 24925.5};
        QByteArray info = "[Station Info]\r\n", list = "[Frequency List]\r\n", selected;
        const int count = 120;
        for (int i = 0; i < count; ++i) {
            const double latitude = std::asin(1.0 - 2.0 * (i + 0.5) / count) * 180.0 / M_PI * 0.95;
            const double longitude = std::fmod(i * 137.50776, 360.0) - 180.0;
            const QByteArray id = "QG" + QByteArray::number(1000 + i);
            info += id + "=" + Locator(latitude, longitude).toLatin1() + ":Globe " +
                    QByteArray::number(i) + ";Everywhere\r\n";
            QByteArrayList frequencies;
            for (int k = 0; k < 4 + i % 4; ++k)
                frequencies << QByteArray::number(band[(i + 3 * k) % 14] + (i % 3), 'f', 1);
            std::sort(frequencies.begin(), frequencies.end(),
                      [](const QByteArray& a, const QByteArray& b) { return a.toDouble() < b.toDouble(); });
            list += id + "=" + frequencies.join(',') + "\r\n";
            selected += id + ",";
        }
        WriteFile(DriveC() + QStringLiteral("/Program Files/AirMail/System.GLOBE.ini"),
                  info + "\r\n" + list + "\r\n[Frequency Setup]\r\nSelected=" + selected + "\r\n");
    }
};

const QByteArray kEveryRow = "[Station Data]\r\nTop Stations=40\r\nTop Frequencies=20\r\n";
const QByteArray kAdditional = "Additional Data=True\r\n";

// The demo's two systems: the list with and without the additional data
// (so with its LUF-MUF column), and the best connect time view of every
// station, long form.
TEST_F(RealEngine, TheDemoSystemsAreTheSameWithCombinedRuns) {
    for (const char* system : {"HAM", "SAILMAIL"}) {
        for (const char* utc : kTimes) {
            SCOPED_TRACE(std::string(system) + " " + utc);
            Same({"--best-list"}, QLatin1String(utc), QLatin1String(system), kEveryRow);
            Same({"--best-list"}, QLatin1String(utc), QLatin1String(system), kAdditional + kEveryRow);
            Same({"--best-time", "--long"}, QLatin1String(utc), QLatin1String(system));
        }
    }
}

TEST_F(RealEngine, AHundredAndTwentyStationsOverTheGlobeAreTheSameWithCombinedRuns) {
    GlobeSystem();
    for (const char* utc : {kTimes[0], kTimes[1], kTimes[4]}) {
        SCOPED_TRACE(utc);
        const QString list = Same({"--best-list"}, QLatin1String(utc), QStringLiteral("GLOBE"), kEveryRow);
        QSet<QString> stations;
        for (const QString& row : list.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1))
            stations.insert(row.section(QLatin1Char('\t'), 0, 0));
        EXPECT_EQ(stations.size(), 40) << list.toStdString();
        const QString hours =
            Same({"--best-time", "--long"}, QLatin1String(utc), QStringLiteral("GLOBE"));
        EXPECT_EQ(hours.count(QLatin1Char('\n')), 121) << hours.toStdString();
    }
}

// The detailed view of a station at the list's time shows, for each of the
// list's frequencies of that station, the list's own row; at a whole hour the
// 24-hour view shows the list's SNR in that hour's column.
TEST_F(RealEngine, TheDetailedViewShowsWhatTheListShows) {
    const QRegularExpression checkMark(QStringLiteral(" \\[[x ]\\]"));
    for (const char* utc : {kTimes[2], kTimes[3], "2026-06-06T19:00"}) {
        SCOPED_TRACE(utc);
        const auto same = [&](const QStringList& command, const QByteArray& more = {}) {
            return Same(command, QLatin1String(utc), QStringLiteral("HAM"), more);
        };
        QStringList rows = same({"--best-list"}, kAdditional + kEveryRow).split('\n', Qt::SkipEmptyParts);
        const QStringList columns = rows.takeFirst().split('\t');
        const QString station = rows.first().section('\t', 0, 0);
        // Check marks follow the list's rules for its own rows; the rest is the prediction.
        const QString details = same({"--details", station}, kAdditional).remove(checkMark);
        const QString hours = same({"--hours", station});
        const bool wholeHour = QByteArray(utc).endsWith(":00");
        for (const QString& row : rows.filter(QRegularExpression('^' + station + '\t'))) {
            EXPECT_TRUE(details.contains(QString(row).remove(checkMark) + '\n'))
                << row.toStdString() << "\n" << details.toStdString();
            const QStringList cells = row.split('\t');
            const QString hourCell = QStringLiteral("^%1(\\t[^\\t]*){%2}\\t%3(\\t|$)")
                                         .arg(QRegularExpression::escape(
                                                  cells[columns.indexOf("Frequency")].section(' ', 0, 0)))
                                         .arg(QString::fromLatin1(utc).mid(11, 2).toInt())
                                         .arg(cells[columns.indexOf("Snr")]);
            if (wholeHour) {
                EXPECT_TRUE(QRegularExpression(hourCell, QRegularExpression::MultilineOption)
                                .match(hours).hasMatch())
                    << row.toStdString() << "\n" << hours.toStdString();
            }
        }
    }
}

// The Linux build of the REC533 program in the Windows program's place (for
// tests only, see support/RealEngine.h) runs the default model: the list
// with the additional data and the hour views come from its output of
// Tidewell's decks.  Its numbers are not the Windows program's (nor always
// the same from one run to the next, see docs/PROPAGATION.md), so what is
// checked is what Tidewell makes of them: every row's reliability, a LUF-MUF
// text that places the frequency against the LUF or the MUF it names, a
// number in every hour of the views.
class RealRec533 : public test::DemoDrive {
protected:
    void SetUp() override {
        DemoDrive::SetUp();
        TW_REQUIRE_REC533(found);
        ASSERT_EQ(test::InstallRec533(found, m_short.Path(DriveC())), QString());
        WriteFile(Profile(), "[Propagation Data]\r\nModel=3\r\n" + kAdditional + kEveryRow);
    }

    test::ProcessRun Run(const QStringList& command, const char* utc, const char* system) {
        return test::RunTidewell(command + QStringList {"--drive-c", m_short.Path(DriveC()), "--profile",
                                                        Profile(), "--utc", QLatin1String(utc),
                                                        "--system", QLatin1String(system)});
    }

    test::ShortDrive m_short;
};

TEST_F(RealRec533, TheListAndTheViewsComeFromItsOutput) {
    const QRegularExpression hours(QStringLiteral("^[^\t]+(\t-?\\d+){25}$"));  // name, range, 24 hours
    for (const char* system : {"HAM", "SAILMAIL"}) {
        for (const char* utc : {kTimes[0], kTimes[4]}) {
            SCOPED_TRACE(std::string(system) + " " + utc);
            const test::ProcessRun list = Run({"--best-list"}, utc, system);
            ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
            QStringList rows = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            const QStringList columns = rows.takeFirst().split(QLatin1Char('\t'));
            EXPECT_GT(rows.size(), 3);
            for (const QString& row : rows) {
                const QStringList cells = row.split(QLatin1Char('\t'));
                const double frequency =
                    cells[columns.indexOf("Frequency")].section('(', 0, 0).section(' ', 0, 0).toDouble();
                const QString range = cells[columns.indexOf("LUF-MUF")];
                const double edge = range.mid(range.front().isDigit() ? 0 : 1).toDouble();
                bool number = false;
                const int rel = cells[columns.indexOf("Rel")].toInt(&number);
                EXPECT_TRUE(number && rel >= 0 && rel <= 100) << row.toStdString();
                EXPECT_TRUE(range.startsWith('<')   ? frequency < edge
                            : range.startsWith('>') ? frequency > edge
                                                    : frequency <= edge && edge > 2000)
                    << row.toStdString();
            }
            const test::ProcessRun view = Run({"--best-time", "--long"}, utc, system);
            ASSERT_EQ(view.exitCode, 0) << view.err.toStdString();
            const QStringList stations = view.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
            EXPECT_FALSE(stations.isEmpty());
            for (const QString& station : stations)
                EXPECT_TRUE(hours.match(station).hasMatch()) << station.toStdString();
        }
    }
    // The last run's deck is Tidewell's, and the program's output complete.
    QFile deck(DriveC() + QStringLiteral("/itshfbc/run/sound.dat"));
    QFile output(DriveC() + QStringLiteral("/itshfbc/run/sound.out"));
    ASSERT_TRUE(deck.open(QIODevice::ReadOnly) && output.open(QIODevice::ReadOnly));
    EXPECT_TRUE(deck.readAll().startsWith("OUTPUT        6    0\r\nCOEFFS"));
    EXPECT_TRUE(output.readAll().endsWith(" End-of-Run\n"));

    // Its failures end the list with their cause: an antenna file it cannot
    // open (its PAUSE then reads the closed input and ends), coefficients it
    // cannot open.
    const QString itshfbc = DriveC() + QStringLiteral("/itshfbc/");
    const std::pair<const char*, const char*> failures[] = {
        {"antennas/DEFAULT\\CONST17.VOA",
         "Tidewell: PropagationRec533, Output rec533w.exe wrote no \"sound.out\": Error= 2 OPENing "
         "antenna file="},
        {"coeffs", "Tidewell: PropagationRec533, Output Label \"AZIMUTHS\" not found (rec533w.exe: "
                   "STOP OPEN error in redmap at 900)"}};
    for (const auto& [moved, message] : failures) {
        ASSERT_TRUE(QFile::rename(itshfbc + moved, itshfbc + "moved"));
        const test::ProcessRun run = Run({"--best-list"}, kTimes[0], "HAM");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QLatin1String(message))) << run.err.toStdString();
        QFile::rename(itshfbc + "moved", itshfbc + moved);
    }
}

}  // namespace
}  // namespace tw
