// tidewell --map on real drives: the picture written at its size, and every
// station printed where the projection puts it.

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include <cmath>

#include "e2e/E2eSupport.h"

namespace tw::test {
namespace {

constexpr double kPi = 3.14159265358979;

class StationMapTest : public DemoDrive {
protected:
    ProcessRun Map(const QString& system, const QString& png) const {
        return RunTidewell({"--map", png, "--size", "800x800", "--drive-c", DriveC(), "--profile", Profile(),
                            "--utc", "2026-06-06T14:00", "--system", system});
    }

    // The picture is an 800 x 800 PNG; each station's pixel lies at its
    // bearing (clockwise from up) from the centre, at a distance proportional
    // to its range (the rim, half a great circle, 360 pixels out), within a
    // pixel.  The rows by station name.
    std::map<QString, QStringList> Check(const ProcessRun& run, const QString& png) const {
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QFile file(png);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << png.toStdString();
        const QByteArray head = file.read(24);
        EXPECT_TRUE(head.startsWith("\x89PNG\r\n\x1a\n"));
        EXPECT_EQ(qFromBigEndian<quint32>(head.constData() + 16), 800u);
        EXPECT_EQ(qFromBigEndian<quint32>(head.constData() + 20), 800u);
        QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.value(0), QStringLiteral("Station\tRange\tBearing\tX\tY"));
        std::map<QString, QStringList> rows;
        for (const QString& line : lines.mid(1)) {
            const QStringList cells = line.split(QLatin1Char('\t'));
            EXPECT_EQ(cells.size(), 5) << line.toStdString();
            if (cells.size() != 5) continue;
            const double r = 360.0 * cells[1].toDouble() / 10800.0;
            const double b = cells[2].toDouble() * kPi / 180.0;
            EXPECT_NEAR(cells[3].toDouble(), 400.0 + r * std::sin(b), 1.0) << line.toStdString();
            EXPECT_NEAR(cells[4].toDouble(), 400.0 - r * std::cos(b), 1.0) << line.toStdString();
            rows[cells[0]] = cells;
        }
        return rows;
    }
};

// The demo's HAM list: the map draws the 20 stations the list evaluated, and
// each listed station at the range the list gives it (the propagation
// program's, within 2 nmi of the chord formula's).
TEST_F(StationMapTest, TheDemoMapPutsEveryEvaluatedStationWhereItLies) {
    const QString png = m_dir.filePath(QStringLiteral("demo.png"));
    const std::map<QString, QStringList> rows = Check(Map(QStringLiteral("HAM"), png), png);
    EXPECT_EQ(rows.size(), 20u);
    const ProcessRun list = Tidewell("--best-list", QStringLiteral("2026-06-06T14:00"), QStringLiteral("HAM"));
    ASSERT_EQ(list.exitCode, 0);
    int listed = 0;
    for (const QString& line : list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1)) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        const auto row = rows.find(cells.value(0));
        ASSERT_NE(row, rows.end()) << line.toStdString();
        EXPECT_NEAR(row->second[1].toDouble(), cells.value(1).toDouble(), 2.0) << line.toStdString();
        ++listed;
    }
    EXPECT_GT(listed, 3);
}

// A system of 120 stations all over the world, all selected in AirMail: the
// map draws every one of them; without a position it draws nothing and says why.
TEST_F(StationMapTest, AHundredAndTwentyStationsAndNoPosition) {
    QByteArray info, frequencies, selected;
    for (int s = 0; s < 120; ++s) {
        const QByteArray id = "QBG" + QByteArray::number(100 + s);
        const char locator[] = {static_cast<char>('A' + s * 7 % 18), static_cast<char>('A' + s * 5 % 18),
                                static_cast<char>('0' + s % 10), static_cast<char>('0' + s * 3 % 10), 0};
        info += id + "=" + locator + ":" + id + " Global\r\n";
        frequencies += id + "=" + QByteArray::number(7100 + s) + ".0," + QByteArray::number(14100 + s) + ".0\r\n";
        selected += id + ",";
    }
    WriteFile(DriveC() + QStringLiteral("/Program Files/AirMail/System.GLOBAL.ini"),
              "[Station Info]\r\n" + info + "\r\n[Frequency List]\r\n" + frequencies +
                  "\r\n[Frequency Setup]\r\nSelected=" + selected + "\r\nScan=False\r\n");
    WriteFile(Profile(), "[Propagation Data]\r\nModel=2\r\n[Station Data]\r\nAll Stations=False\r\nTop Stations=10\r\n");
    const QString png = m_dir.filePath(QStringLiteral("global.png"));
    EXPECT_EQ(Check(Map(QStringLiteral("GLOBAL"), png), png).size(), 120u);

    Edit("Airmail.ini", "[Position Report]", "[Position Gone]");
    Edit("Airmail.ini", "[Propagation]\r\nLatitude", "[Propagation]\r\nGone");
    const ProcessRun none = Map(QStringLiteral("GLOBAL"), m_dir.filePath(QStringLiteral("none.png")));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("there is no position of the vessel"))) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("none.png"))));
}

}  // namespace
}  // namespace tw::test
