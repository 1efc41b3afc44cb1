// AirMail's debug log: the event of a line, the time stamp parser, and the
// incremental reader on a real file that grows, is written in pieces, is
// replaced and disappears.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>

#include "airmail/DebugLog.h"
#include "support/AirMailDrive.h"

namespace tw {
namespace {

using E = DebugLogEvent;

// The lines are parsed in order on one current date: a line with a date sets
// it, a time-only line takes it (none before the first date), a line without
// a stamp leaves it.  Events are matched case-sensitively anywhere in the
// line, stamp or none.
TEST(DebugLogLine, StampAndEvent) {
    // The line, its event, its time (none without a stamp) and where its event text starts.
    const std::tuple<const char*, std::optional<E>, const char*, int> cases[] = {
        {"00:01:00 Connected", std::nullopt, nullptr, 0},
        {"2026/06/06 07:08:09", std::nullopt, "2026-06-06T07:08:09Z", 0},
        // The shapes AirMail writes are read by a short way, the others by the
        // date formats: both give the same, at the edges of the short way too.
        {"12:34:56.78", std::nullopt, nullptr, 0},  // no blank after the stamp
        {"23:59:59.x9 Calling QX2BB", std::nullopt, "2026-06-06T23:59:59Z", 13},
        {"2026/06/06 07:08:09.57", std::nullopt, "2026-06-06T07:08:09Z", 0},
        {"2026/06/06 07:08:09 ", std::nullopt, "2026-06-06T07:08:09Z", 0},
        {"2026/02/30 07:08:09 Calling QX2BB", std::nullopt, nullptr, 0},  // the date stays
        {"07:08:60 Calling QX2BB", std::nullopt, nullptr, 0},
        {"24:00:00 Calling QX2BB", std::nullopt, nullptr, 0},
        {"07:08:09x Calling QX2BB", std::nullopt, nullptr, 0},
        {"7:08:09 Calling QX2BB", std::nullopt, "2026-06-06T07:08:09Z", 9},
        {"12:34:56 Connected to QX2BB", E::Connected, "2026-06-06T12:34:56Z", 10},
        {"12:34:56.78 Disconnected from QX2BB", E::Disconnected, "2026-06-06T12:34:56Z", 13},
        {"12:34:56    ", std::nullopt, "2026-06-06T12:34:56Z", 0},  // no event text
        // No blank, or a stamp that is none.
        {"Connected", std::nullopt, nullptr, 0}, {"12:34:56", std::nullopt, nullptr, 0},
        {"Connected to QX2BB", E::Connected, nullptr, 0},
        {"2026/99/01 07:08:09 No answer from QX2BB", E::NoAnswer, nullptr, 0},
        // "manual" turns the two failures into "stopped".
        {"25:00:00 No answer from QX2BB (manual)", E::Stopped, nullptr, 0},
        {" 12:00:00 Disconnected from QX2BB (manual)", E::Stopped, nullptr, 0},
        {"12:00:00 Connected to QX2BB (manual)", E::Connected, "2026-06-06T12:00:00Z", 10},
        // No answer outranks the others in one line.
        {"2026/05/01 07:08:09.57 No answer from A, Connected to B", E::NoAnswer,
         "2026-05-01T07:08:09Z", 24},
        {"2026/5/1 7:08:09   connected to QX2BB", std::nullopt, "2026-05-01T07:08:09Z", 20},
        {"2026/04/30 23:59:00 Calling QX2BB", std::nullopt, "2026-04-30T23:59:00Z", 21},
        {"00:01:00 Disconnected from QX2BB", E::Disconnected, "2026-04-30T00:01:00Z", 10}};
    QDate current;
    for (const auto& [text, event, iso, position] : cases) {
        SCOPED_TRACE(text);
        const QString line = QString::fromLatin1(text);
        EXPECT_EQ(DebugLogLineEvent(line), event);
        const DebugLogLine r = DebugLogParseLine(line, current);
        EXPECT_EQ(r.eventPosition, position);
        EXPECT_EQ(r.time.toString(Qt::ISODate), QString::fromLatin1(iso));  // empty when invalid
    }
}

// The end of a log: a call or connection still open, with its station and
// time (time-only lines on the last date before them, else today), or none.
TEST(DebugLogLine, OpenSessionAtTheEnd) {
    const QStringList call{"2026/06/05 23:50:00.00 Calling QX2BB on 7100.0 kHz"};
    const QStringList connected = call + QStringList{"23:55:00 Connected to QX2BB", "23:55:05 Mail"};
    const std::pair<QStringList, const char*> cases[] = {
        {connected, "connected QX2BB 2026-06-05T23:55:00Z"},
        {call, "calling QX2BB 2026-06-05T23:50:00Z"},
        {{"12:00:00 Calling QX1AA (manual)"}, "calling QX1AA 2026-06-06T12:00:00Z"},
        {connected + QStringList{"00:20:00 Disconnected from QX2BB"}, ""},
        {call + QStringList{"No answer from QX2BB (manual)"}, ""},
        {{}, ""}};
    for (const auto& [lines, session] : cases) {
        const auto open = DebugLogOpenSession(lines, QDate(2026, 6, 6));
        EXPECT_EQ(!open ? QString()
                        : QStringLiteral("%1 %2 %3")
                              .arg(open->connected ? "connected" : "calling", open->station,
                                   open->since.toString(Qt::ISODate)),
                  QLatin1String(session))
            << lines.join(QLatin1Char('|')).toStdString();
    }
}

// ---- The incremental reader ----------------------------------------------

class DebugLogReading : public ::testing::Test {
protected:
    void Write(const QByteArray& bytes, QIODevice::OpenMode mode) {
        QDir().mkpath(QFileInfo(logPath).absolutePath());
        QFile f(logPath);
        ASSERT_TRUE(f.open(mode | QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    test::AirMailDrive drive;
    QString logPath =
        drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\Logfiles\\Debug.log"));
    DebugLogReader reader{drive.airmail};
};

// A script of writes: each start writes a new log and starts the reader on
// it; then the log is appended to or replaced, and read after every step.
TEST_F(DebugLogReading, ReadsTheLinesWrittenSinceTheStart) {
    enum Step { Start, Add, Replace };
    const QByteArray old =
        "2026/06/06 11:00:00 Connected to OLD\r\n11:05:00 Disconnected from OLD\r\n";
    const std::tuple<Step, QByteArray, E> script[] = {
        // Events accumulate and the last one is kept.
        {Start, old, E::None}, {Add, "12:00:00 Connected to QX2BB\r\n", E::Connected},
        {Add, "", E::Connected}, {Add, "12:00:05 Receiving mail\r\n", E::Connected},
        {Add, "12:10:00 Disconnected from QX2BB\r\n", E::Disconnected},
        // A line being written is read whole once complete.
        {Start, old, E::None}, {Add, "12:00:00 No answer from QX2BB (man", E::None},
        {Add, "ual)", E::None}, {Add, "\r\n", E::Stopped}, {Add, "12:01:00 Connec", E::Stopped},
        {Add, "ted to QX1AA\r\n12:02:00 Disconn", E::Connected},
        {Add, "ected from QX1AA\r\n", E::Disconnected},
        {Add, "12:03:00 No answer from QX1AA\r\n", E::NoAnswer},
        // The last matching line of a read wins, with any line end and any byte.
        {Start, old, E::None},
        {Add, "No answer from QX2BB\r\n\xB0\x80\xFF Connected to QX1AA\nMail\n", E::Connected},
        // A line half written at the start belongs to the past; after a last
        // line without its line end, AirMail's next line counts.
        {Start, old + "11:59:59 ", E::None}, {Add, "Connected to OLD\r\n", E::None},
        {Add, "12:00:00 No answer from QX2BB\r\n", E::NoAnswer},
        {Start, old + "11:59:59 Calling QX2BB", E::None},
        {Add, "12:00:00 Connected to QX2BB\r\n", E::Connected},
        // A shorter log is a new log, read from its start.
        {Start, old + old + old, E::None}, {Replace, "12:00:00 Connected to QX2BB\r\n", E::Connected},
        {Add, "12:10:00 Disconnected from QX2BB\r\n", E::Disconnected},
        // An emptied log waits for new lines.
        {Start, old, E::None}, {Replace, "", E::None},
        {Add, "12:00:00 Connected to QX2BB\r\n", E::Connected},
        // A new log that outgrew the old one is read from its start.
        {Start, "11:00:00 Calling OLD\r\n", E::None},
        {Replace, "12:00:00 No answer from QX2BB\r\n12:00:30 Calling QX1AA on 8 MHz\r\n", E::NoAnswer}};
    for (std::size_t i = 0; i < std::size(script); ++i) {
        const auto& [step, bytes, expected] = script[i];
        Write(bytes, step == Add ? QIODevice::Append : QIODevice::Truncate);
        if (step == Start) {
            ASSERT_TRUE(reader.DebugLogStart());
        }
        EXPECT_EQ(reader.DebugLogRead(), expected) << "step " << i;
        // What was read is never read again, a line without its end included.
        EXPECT_EQ(reader.Position(), QFileInfo(logPath).size()) << "step " << i;
    }
}

TEST_F(DebugLogReading, ATenMegabyteLogIsNotReadAtTheStart) {
    QByteArray big, more;
    while (big.size() < 10 << 20) big += "10:00:00 No answer from QX2BB on 14.1 MHz\r\n";
    Write(big, QIODevice::Truncate);
    ASSERT_TRUE(reader.DebugLogStart());
    EXPECT_EQ(reader.Position(), big.size());
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    // Ten megabytes appended at once, ending in a connection.
    while (more.size() < 10 << 20) more += "12:00:00 Receiving data block\r\n";
    more += "12:30:00 Connected to QX1AA\r\n";
    Write(more, QIODevice::Append);
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    EXPECT_EQ(reader.Position(), big.size() + more.size());
}

TEST_F(DebugLogReading, AMissingLogIsReportedAndAVanishedOneKeepsThePlace) {
    EXPECT_FALSE(reader.DebugLogStart());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(drive.ui.messages[0].text.startsWith(
        QStringLiteral("Unable to find AirMail's \"\\Logfiles\\Debug.log\" file. ")));
    EXPECT_TRUE(drive.ui.messages[0].text.endsWith(QStringLiteral(
        "Please check that the AirMail Data Folder \"C:\\Program Files\\AirMail\" is correct.")));

    Write("11:00:00 Calling OLD\r\n", QIODevice::Truncate);
    ASSERT_TRUE(reader.DebugLogStart());
    const qint64 place = reader.Position();
    ASSERT_TRUE(QFile::rename(logPath, logPath + QStringLiteral(".away")));
    EXPECT_EQ(reader.DebugLogRead(), E::Error);
    EXPECT_EQ(reader.Position(), place);
    // Back again, with a line added meanwhile: reading goes on where it stopped.
    ASSERT_TRUE(QFile::rename(logPath + QStringLiteral(".away"), logPath));
    Write("12:00:00 Connected to QX2BB\r\n", QIODevice::Append);
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);

    // A pipe in the log's place holds up neither the start, nor a read, nor
    // the look for an open call: it is no log.
    ASSERT_TRUE(QFile::remove(logPath));
    ASSERT_EQ(::mkfifo(QFile::encodeName(logPath).constData(), 0600), 0);
    EXPECT_EQ(reader.DebugLogRead(), E::Error);
    EXPECT_FALSE(reader.OpenSession(QDate(2026, 6, 6)));
    EXPECT_FALSE(reader.DebugLogStart());
}

}  // namespace
}  // namespace tw
