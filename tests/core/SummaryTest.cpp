// The connection history: the counts and the report of a log's lines, the
// stations by count, the lengths of time, and a run on a real log that
// AirMail goes on writing.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "platform/Clock.h"
#include "support/AirMailDrive.h"
#include "views/Summary.h"

namespace tw {
namespace {

using Stations = QVector<QPair<QString, int>>;

// Each log is counted on 2026-06-06 (the date of time-only lines before any
// dated one); with a range, from June 2 to June 4.
TEST(ConnectSummary, CountsAndReportOfALog) {
    const QStringList example{"2026/06/03 10:00:00.12 Calling QX2BB on 7100.0 kHz",
                              "10:01:00.50 Connected to QX2BB", "10:01:02 Link speed level 2",
                              "10:11:00.99 Disconnected from QX2BB", "11:00:00 No answer from QX1AA"};
    struct Case {
        const char* name;
        QStringList lines;
        bool useRange;
        QStringList report;
        Stations stations;
    };
    const Case cases[] = {
        {"one connection of 10 minutes and a call without answer", example, false,
         {"Time:               06/03/26 to 06/03/26", "Records:        2, Tries/Day 2.0, Connects/Day 1.0",
          "Connected:    1 (50%), Connected 10:00, Last 06/03/26", "No Answer:    1 (50%), Last 06/03/26"},
         {{"QX2BB", 1}}},
        {"a stopped call, a line without a stamp, two stations of equal counts",
         {"2026/06/02 09:00:00 No answer from QX2BB (manual)", "----------",
          "2026/06/04 08:00:00 Connected to QX2BB", "08:00:45 Disconnected from QX2BB",
          "08:01:00 Connected to QX1AA", "08:03:05 Disconnected from QX1AA (manual)"},
         false,
         {"Time:               06/02/26 to 06/04/26", "Records:        3, Tries/Day 1.0, Connects/Day 0.7",
          "Connected:    2 (67%), Connected 1:25, Last 06/04/26", "Stopped         1 (33%), Last 06/02/26",
          "Error:                1"},
         {{"QX1AA", 1}, {"QX2BB", 1}}},
        // The second connection ends the first one (no time, an error); the last has no end.
        {"connections without their end",
         {"2026/06/03 07:00:00 Connected to QX2BB", "07:05:00 Connected to QX1AA",
          "07:10:00 Disconnected from QX1AA", "07:20:00 Connected to QX2BB"},
         false,
         {"Time:               06/03/26 to 06/03/26", "Records:        3, Tries/Day 3.0, Connects/Day 3.0",
          "Connected:    3 (100%), Connected 1:40, Last 06/03/26", "Error:                1"},
         {{"QX2BB", 2}, {"QX1AA", 1}}},
        // Ends after midnight, dated (10 minutes) and time-only (30 minutes).
        {"connections across midnight",
         {"2026/06/03 23:55:00.50 Connected to QX2BB", "2026/06/04 00:05:00.10 Disconnected from QX2BB",
          "23:50:00 Connected to QX2BB", "00:20:00 Disconnected from QX2BB"},
         false,
         {"Time:               06/03/26 to 06/04/26", "Records:        2, Tries/Day 1.0, Connects/Day 1.0",
          "Connected:    2 (100%), Connected 20:00, Last 06/04/26"},
         {{"QX2BB", 2}}},
        // Out of the range: records before and after it, and lines in it
        // that are no records; a connection's end after the range counts.
        {"a range",
         {"2026/06/01 23:00:00 No answer from QX1AA", "2026/06/02 00:10:00 Session opened",
          "2026/06/04 23:58:00 Connected to QX2BB", "2026/06/05 00:02:00 Disconnected from QX2BB",
          "00:03:00 Connected to QX1AA", "00:04:00 Disconnected from QX1AA"},
         true,
         {"Time:               06/02/26 to 06/04/26", "Records:        1, Tries/Day 0.3, Connects/Day 0.3",
          "Connected:    1 (100%), Connected 4:00, Last 06/05/26"},
         {{"QX2BB", 1}}},
        {"nothing in the range", {"2026/06/05 00:03:00 Connected to QX1AA"}, true,
         {"Time:               06/02/26 to 06/04/26", "Records:        0, Tries/Day 0.0, Connects/Day 0.0"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SummaryCounts counts =
            ConnectSummaryCount(c.lines, c.useRange, QDate(2026, 6, 2), QDate(2026, 6, 4), QDate(2026, 6, 6));
        EXPECT_EQ(ConnectSummaryReport(counts), c.report);
        EXPECT_EQ(ConnectSummaryStationsSorted(counts.stations), c.stations);
    }
}

TEST(ConnectSummary, DurationTextAtItsPatternBoundaries) {
    const std::pair<qint64, const char*> cases[] = {
        {0, ":00"},     {59, ":59"},       {60, "1:00"},      {125, "2:05"},     {599, "9:59"},
        {600, "10:00"}, {3599, "59:59"},   {3600, "1:00:00"}, {4000, "1:06:40"}, {35999, "9:59:59"},
        {36000, "10:00:00"}, {360000, "100:00:00"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(DurationText(seconds), QLatin1String(text)) << seconds;
}

class ConnectSummaryRun : public ::testing::Test {
protected:
    void Append(const QByteArray& bytes) {
        QFile log(drive.Native(kLog));
        ASSERT_TRUE(log.open(QIODevice::Append));
        ASSERT_EQ(log.write(bytes), bytes.size());
    }

    const QString kLog = QStringLiteral("C:\\Program Files\\AirMail\\Logfiles\\Debug.log");
    test::AirMailDrive drive;
    platform::ManualClock clock{1780747200};  // 2026-06-06 00:00
    FixedTextMetrics metrics;
    frmSummary summary{drive.airmail, clock, metrics};
};

// A log of several blocks that AirMail writes to during the run, the run's
// last line half written: the run counts the log as it was when it started
// and takes no half line; the next run counts what came.
TEST_F(ConnectSummaryRun, CountsTheLogAsItWasWhenTheRunStarted) {
    QByteArray log = "2026/06/01 08:00:00.00 Connected to QX2BB\r\n08:10:00.00 Disconnected from QX2BB\r\n";
    while (log.size() < 300 * 1024) log += "08:10:01.00 Link speed level 2\r\n";
    drive.WriteBytes(kLog, log + "08:20:00.00 Connected to QX1A");
    drive.ui.onProcessEvents = [this] {
        drive.ui.onProcessEvents = nullptr;
        Append("A\r\n08:25:00.00 Disconnected from QX1AA\r\n2026/06/02 09:00:00 No answer from QX2BB\r\n");
    };
    ASSERT_TRUE(summary.ShowWholeLog());
    EXPECT_EQ(summary.lstSummary.value(1), "Records:        1, Tries/Day 1.0, Connects/Day 1.0");
    EXPECT_EQ(summary.grdStations.Rows(), 2);
    EXPECT_TRUE(summary.visible);

    ASSERT_TRUE(summary.ShowWholeLog());
    EXPECT_EQ(summary.lstSummary.mid(0, 2),
              (QStringList{"Time:               06/01/26 to 06/02/26",
                           "Records:        3, Tries/Day 1.5, Connects/Day 1.0"}));
    EXPECT_EQ(summary.dtStart, QDate(2026, 6, 1));
    EXPECT_EQ(summary.dtStop, QDate(2026, 6, 2));
    // Equal counts, in name order.
    EXPECT_EQ(summary.grdStations.Text(1, 0) + summary.grdStations.Text(1, 2), "QX1AA50%");
}

// A pipe in the log's place is not waited on: the window opens, then the run
// says it cannot open the log.
TEST_F(ConnectSummaryRun, APipeForTheLogIsNoLog) {
    ASSERT_TRUE(QDir().mkpath(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\Logfiles"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(drive.Native(kLog)).constData(), 0600), 0);
    bool shownFirst = false;
    drive.ui.onMessageBox = [&](const MessageRequest&) { shownFirst = summary.visible; };
    EXPECT_FALSE(summary.ShowWholeLog());
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(QStringLiteral("Unable to open Airmail's ")));
    EXPECT_TRUE(shownFirst);
}

// The log's bytes are code page 1252; its last line may lack its line end.
TEST_F(ConnectSummaryRun, ReadsStationNamesInCodePage1252) {
    drive.WriteBytes(kLog, "2026/06/01 08:00:00.00 Connected to Q\x80\xe9X\r\n08:01:00 Connected to QX1AA");
    ASSERT_TRUE(summary.ShowWholeLog());
    EXPECT_EQ(summary.grdStations.Text(2, 0), QStringLiteral("Q\u20ac\u00e9X"));
}

}  // namespace
}  // namespace tw
