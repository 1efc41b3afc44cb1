// The real executable's headless commands, run as a process on real files.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "e2e/TidewellRun.h"

namespace {

using tw::test::RunTidewell;

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(Headless, PrintSettingsShowsStoredValuesOverDefaults) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("Tidewell.Ini"));
    WriteFile(ini,
              "[Station Data]\r\n"
              "  top stations = 8 \r\n"
              "Highest Snr Range=2.5\r\n"
              "[propagation data]\r\n"
              "Model=\r\n"
              "Noise Level=-150\r\n"
              "[AirMail Data]\r\n"
              "Lat/Lon Check=false\r\n"
              "Resize=abc\r\n"
              "[Offset Data]\r\n"
              "Rows=3\r\n"
              "Row1=System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop\r\n"
              "Row2=HAM,KQ6XA,14108.0(p3) 7101.0,3,60,270,2200,0600\r\n"
              "Row3=SAILMAIL,WNE,,-2\r\n");

    const auto run = RunTidewell({QStringLiteral("--print-settings"), QStringLiteral("--profile"), ini});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    for (const char* expected :
         {"m_iStationTopStations=8", "m_fStationHighestSnrRange=2.5", "m_iPropagationModel=3",
          "m_fPropagationNoiseLevel=-150", "m_bAirMailLatLonCheck=False", "m_bAirMailResize=True",
          "m_sPropagationIonCoefficients=URSI", "m_iStationTopFrequencies=1",
          "OffsetRow=HAM,KQ6XA,14108.0(p3) 7101.0,3,60,270,2200,600",
          "OffsetRow=SAILMAIL,WNE,,-2,360,0,0,2400"}) {
        EXPECT_TRUE(lines.contains(QString::fromLatin1(expected))) << expected << "\n"
                                                                    << run.out.toStdString();
    }
    // Declaration order: the first and last members, then the offset rows.
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("m_sAirMailDirectoryData=")));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("OffsetRow=SAILMAIL")));
    // Reading never writes.
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("  top stations = 8 \r\n"));
}

TEST(Headless, BestListWithoutAirMailPrintsTheHeaderAndFails) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto run = RunTidewell({QStringLiteral("--best-list"), QStringLiteral("--profile"),
                              dir.filePath(QStringLiteral("Tidewell.Ini")), QStringLiteral("--drive-c"),
                              dir.path(), QStringLiteral("--utc"), QStringLiteral("2026-06-06T12:00")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << run.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Station\tRange\tFrequency\tSnr"));
    // A headless run writes no profile.
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Tidewell.Ini"))));
}

TEST(Headless, BadCommandLinesAreRefusedWithUsage) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--bogus")},
          QStringList{QStringLiteral("--utc"), QStringLiteral("yesterday"), QStringLiteral("--best-list")},
          QStringList{QStringLiteral("--profile")},
          QStringList{QStringLiteral("--best-list"), QStringLiteral("--print-settings")}}) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const auto run = RunTidewell(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: tidewell")));
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(Headless, DemoRunsOnACopyOfTheBundledDrive) {
    const QString ini = QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo/drive_c/Program Files/AirMail/Airmail.ini");
    QFile before(ini);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray original = before.readAll();
    before.close();

    const auto run = RunTidewell({QStringLiteral("--demo"), QStringLiteral("--best-list"),
                                     QStringLiteral("--utc"), QStringLiteral("2026-06-06T14:00")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("[x]")));
    // A fresh position: no age warning.
    EXPECT_FALSE(run.err.contains(QStringLiteral("older than"))) << run.err.toStdString();

    QFile after(ini);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), original);
}

}  // namespace
