// The user's own calls in AirMail's log: which lines make a counted call,
// and which calls a row's record counts at a time.

#include <gtest/gtest.h>

#include "airmail/CallLog.h"

namespace tw {
namespace {

using Strings = std::vector<std::string>;

Strings Texts(const LogCalls& log) {
    Strings out;
    for (const LogCall& c : log.calls)
        out.push_back(QStringLiteral("%1 %2 %3 %4")
                          .arg(log.stations[c.station]).arg(c.tenths)
                          .arg(QDateTime::fromSecsSinceEpoch(c.time, Qt::UTC).toString(Qt::ISODate),
                               c.connected ? "connected" : "no answer")
                          .toStdString());
    return out;
}

// Each log read on 2026-06-06, as text and as bytes (the short way past
// lines that cannot matter), which must give the same calls.
TEST(LogCalls, ACallAndItsOutcome) {
    const std::pair<QStringList, Strings> cases[] = {
        {{"2026/06/05 10:00:00.12 Calling QX1AA on 7100.0 kHz", "10:00:40 Link speed level 1",
          "10:01:00.50 Connected to QX1AA", "10:09:00 Disconnected from QX1AA",
          "10:10:00 Calling qx2bb on 14108.5 kHz", "10:11:00 No answer from QX2BB"},
         {"QX1AA 71000 2026-06-05T10:00:00Z connected", "qx2bb 141085 2026-06-05T10:10:00Z no answer"}},
        // Stopped by hand; no outcome before the next call (one without a
        // frequency too, which is no call), nor before the end.
        {{"2026/06/05 10:00:00 Calling QX1AA on 7100.0 kHz", "10:01:00 No answer from QX1AA (manual)",
          "10:02:00 Calling QX1AA on 7100.0 kHz", "10:03:00 Calling QX2BB on 7100.0 kHz",
          "10:04:00 No answer from QX1AA", "10:05:00 Calling QX2BB on 10140 kHz", "10:05:10 Calling QX2BB",
          "10:06:00 Connected to QX2BB", "10:07:00 Calling QX1AA on 7100 kHz"},
         {}},
        // Another station's connection, a longer name and a line without a
        // stamp are no outcome of the call.
        {{"2026/06/05 10:00:00 Calling QX1AA on 7100.0 kHz", "10:00:30 Connected to QX2BB",
          "10:00:40 Connected to QX1AAB", "Connected to QX1AA", "10:01:00 No answer from QX1AA"},
         {"QX1AA 71000 2026-06-05T10:00:00Z no answer"}},
        // Time-only lines after midnight keep the last date; before any date, today.
        {{"23:59:00 Calling QX1AA on 7100 kHz", "23:59:30 Connected to QX1AA",
          "2026/06/04 23:58:00 Session opened", "00:00:10 Calling QX1AA on 7100.04 kHz",
          "00:01:00 Connected to QX1AA"},
         {"QX1AA 71000 2026-06-06T23:59:00Z connected", "QX1AA 71000 2026-06-04T00:00:10Z connected"}},
    };
    for (const auto& [lines, calls] : cases) {
        SCOPED_TRACE(lines.join('\n').toStdString());
        const QDate today(2026, 6, 6);
        EXPECT_EQ(Texts(LogCallsOf(lines, today)), calls);
        LogCallReader bytes(today, 0, std::numeric_limits<qint64>::max());
        for (const QString& line : lines) {
            const QByteArray raw = line.toLatin1() + "\r";
            bytes.Line(raw.constData(), raw.size());
        }
        EXPECT_EQ(Texts(bytes.Calls()), calls);
    }
    // A reader keeps only the calls of its window: the first log's second call is after it.
    const QDateTime end(QDate(2026, 6, 5), QTime(10, 5), Qt::UTC);
    LogCallReader window(QDate(2026, 6, 6), 0, end.toSecsSinceEpoch());
    for (const QString& line : cases[0].first) window.Line(line);
    EXPECT_EQ(Texts(window.Calls()), Strings{cases[0].second[0]});
}

// The row QX1AA on 7100.0 kHz at 00:10 on June 6 with 60 days of log: each
// call alone, counted or not; then all of them together.
TEST(LogRecord, TheCallsOfARowNearItsTimeOfDay) {
    const QDateTime t(QDate(2026, 6, 6), QTime(0, 10), Qt::UTC);
    const auto at = [](const char* iso) {
        return QDateTime::fromString(QLatin1String(iso), Qt::ISODate).toSecsSinceEpoch();
    };
    const std::tuple<const char*, double, const char*, bool, bool> cases[] = {
        {"QX1AA", 7100.0, "2026-06-06T00:10:00Z", true, true},
        {"qx1aa", 7100.04, "2026-06-05T23:30:00Z", false, true},  // across midnight
        {"QX1AA", 7100.0, "2026-06-01T01:10:00Z", true, true},    // 60 minutes apart
        {"QX1AA", 7100.0, "2026-06-01T01:10:01Z", true, false},
        {"QX1AA", 7100.0, "2026-04-07T00:10:00Z", true, true},  // 60 days before
        {"QX1AA", 7100.0, "2026-04-07T00:09:59Z", true, false},
        {"QX1AA", 7100.0, "2026-06-06T00:10:01Z", true, false},  // after t
        {"QX1AA", 7100.06, "2026-06-06T00:00:00Z", true, false},
        {"QX2BB", 7100.0, "2026-06-06T00:00:00Z", true, false},
    };
    LogCalls all;
    for (const auto& [station, kHz, iso, connected, counted] : cases) {
        SCOPED_TRACE(iso);
        const LogCall call{static_cast<qint32>(all.stations.size()),
                           static_cast<qint32>(std::llround(kHz * 10)), at(iso), connected};
        all.stations << QString::fromLatin1(station);
        all.calls.push_back(call);
        EXPECT_EQ(LogRecordAt(LogCalls{all.stations, {call}}, QStringLiteral("QX1AA"), 7100.0, t, 60).calls,
                  counted ? 1 : 0);
    }
    const LogRecord record = LogRecordAt(all, QStringLiteral("QX1AA"), 7100.0, t, 60);
    EXPECT_EQ(LogRecordText(record), QStringLiteral("3/4"));
    EXPECT_EQ(LogConnectionTimeText(record.lastConnected), QStringLiteral("2026/06/06 00:10"));
    EXPECT_EQ(LogRecordText(LogRecordAt(all, QStringLiteral("QX1AA"), 7100.0, t, 0)), QString());
}

}  // namespace
}  // namespace tw
