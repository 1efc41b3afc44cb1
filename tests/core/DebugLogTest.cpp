// AirMail's debug log: the event of a line, the time stamp parser, and the
// incremental reader on a real file that grows, is written in pieces, is
// replaced and disappears.

#include <gtest/gtest.h>

#include <QFile>

#include "airmail/DebugLog.h"
#include "support/AirMailDrive.h"

namespace tw {
namespace {

using E = DebugLogEvent;

// ---- One line ------------------------------------------------------------

TEST(DebugLogLine, Event) {
    const std::pair<const char*, std::optional<E>> cases[] = {
        {"2026/06/06 12:00:01 Connected to WLO", E::Connected},
        {"12:00:01 Disconnected from WLO", E::Disconnected},
        {"12:00:01 No answer from WLO", E::NoAnswer},
        {"12:00:01 No answer from WLO (manual)", E::Stopped},
        {"12:00:01 Disconnected from WLO (manual)", E::Stopped},
        // "manual" only turns the two failure events into "stopped".
        {"12:00:01 Connected to WLO (manual)", E::Connected},
        // No answer outranks the others in one line.
        {"12:00:01 No answer from WLO, Connected to KPH", E::NoAnswer},
        // Matching is case-sensitive.
        {"12:00:01 connected to WLO", std::nullopt},
        {"12:00:01 Calling WLO on 14.1 MHz", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [line, event] : cases) EXPECT_EQ(DebugLogLineEvent(QString::fromLatin1(line)), event) << line;
}

TEST(DebugLogLine, Parses) {
    struct Case {
        const char* line;
        const char* iso;  // nullptr: no stamp
        int position;
        const char* dateAfter;  // the current date after the line
    };
    for (const Case& c : {
             Case{"2026/05/01 07:08:09 Connected to WLO", "2026-05-01T07:08:09Z", 21, "2026-05-01"},
             Case{"2026/05/01 07:08:09.57 Connected to WLO", "2026-05-01T07:08:09Z", 24, "2026-05-01"},
             Case{"2026/5/1 7:08:09   Connected to WLO", "2026-05-01T07:08:09Z", 20, "2026-05-01"},
             Case{"12:34:56 Connected to WLO", "2026-06-06T12:34:56Z", 10, "2026-06-06"},
             Case{"12:34:56.78 Connected to WLO", "2026-06-06T12:34:56Z", 13, "2026-06-06"},
             // A stamp without event text: the time, but no position.
             Case{"12:34:56    ", "2026-06-06T12:34:56Z", 0, "2026-06-06"},
             Case{"2026/05/01 07:08:09", "2026-05-01T07:08:09Z", 0, "2026-05-01"},
             // No blank, no stamp.
             Case{"Connected", nullptr, 0, "2026-06-06"}, Case{"2026/05/01", nullptr, 0, "2026-06-06"},
             Case{"", nullptr, 0, "2026-06-06"},
             // Stamps that are none.
             Case{"Connected to WLO", nullptr, 0, "2026-06-06"},
             Case{"2026/99/01 07:08:09 Connected to WLO", nullptr, 0, "2026-06-06"},
             Case{"25:00:00 Connected to WLO", nullptr, 0, "2026-06-06"},
             Case{" 12:00:00 Connected to WLO", nullptr, 0, "2026-06-06"}}) {
        SCOPED_TRACE(c.line);
        QDate current(2026, 6, 6);
        const DebugLogLine r = DebugLogParseLine(QString::fromLatin1(c.line), current);
        EXPECT_EQ(r.eventPosition, c.position);
        EXPECT_EQ(r.time.toString(Qt::ISODate), QString::fromLatin1(c.iso));  // empty when invalid
        EXPECT_EQ(r.time.isValid(), c.iso != nullptr);
        EXPECT_EQ(current.toString(Qt::ISODate), QString::fromLatin1(c.dateAfter));
    }
}

TEST(DebugLogLine, TimeOnlyLinesTakeTheLastDate) {
    QDate current(2026, 6, 6);
    DebugLogParseLine(QStringLiteral("2026/05/01 23:59:00 Connected to WLO"), current);
    const DebugLogLine next = DebugLogParseLine(QStringLiteral("00:01:00 Disconnected from WLO"), current);
    EXPECT_EQ(next.time, QDateTime(QDate(2026, 5, 1), QTime(0, 1), Qt::UTC));
    // Without a current date a time-only line has no usable stamp.
    QDate none;
    EXPECT_EQ(DebugLogParseLine(QStringLiteral("00:01:00 Disconnected from WLO"), none).eventPosition, 0);
}

// ---- The incremental reader ----------------------------------------------

class DebugLogReading : public ::testing::Test {
protected:
    DebugLogReading() { QDir().mkpath(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\Logfiles"))); }

    void Write(const QByteArray& bytes, QIODevice::OpenMode mode) {
        QFile f(logPath);
        ASSERT_TRUE(f.open(mode | QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void Append(const QByteArray& bytes) { Write(bytes, QIODevice::Append); }
    void Replace(const QByteArray& bytes) { Write(bytes, QIODevice::Truncate); }
    // The log with the old lines, read from its end on.
    void Start() {
        Replace(kOld);
        ASSERT_TRUE(reader.DebugLogStart());
    }

    static inline const QByteArray kOld = "2026/06/06 11:00:00 Connected to OLD\r\n11:05:00 Disconnected from OLD\r\n";
    test::AirMailDrive drive;
    std::vector<MessageRequest>& messages = drive.ui.messages;
    QString logPath = drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\Logfiles\\Debug.log"));
    DebugLogReader reader{drive.airmail};
};

TEST_F(DebugLogReading, OneReadGivesTheLastEventAppended) {
    struct Case {
        const char* name;
        const char* appended;
        E expected;
    };
    for (const Case& c : {Case{"nothing", "", E::None},
                          Case{"connected then disconnected",
                               "12:00:00 Connected to WLO\r\n12:10:00 Disconnected from WLO\r\n", E::Disconnected},
                          Case{"no answer manual", "12:00:00 No answer from WLO (manual)\r\n", E::Stopped},
                          Case{"no answer", "12:00:00 No answer from WLO\r\n", E::NoAnswer},
                          Case{"last matching line wins",
                               "12:00:00 No answer from WLO\r\n12:01:00 Connected to KPH\r\n12:01:05 Sending mail\r\n",
                               E::Connected},
                          Case{"unix line ends", "12:00:00 Connected to WLO\n", E::Connected},
                          Case{"only other lines", "12:00:00 Calling WLO\r\n", E::None},
                          Case{"bytes of the code page", "12:00:00 \xB0\x80\xFF Connected to WLO\r\n", E::Connected}}) {
        SCOPED_TRACE(c.name);
        Start();
        Append(c.appended);
        EXPECT_EQ(reader.DebugLogRead(), c.expected);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(DebugLogReading, EventsAccumulateAcrossAppendsAndStartForgetsThem) {
    Start();
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);  // nothing new: the last event
    Append("12:00:05 Receiving mail\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    Append("12:10:00 Disconnected from WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Disconnected);
    EXPECT_EQ(reader.LastEvent(), E::Disconnected);
    ASSERT_TRUE(reader.DebugLogStart());
    EXPECT_EQ(reader.DebugLogRead(), E::None);
}

TEST_F(DebugLogReading, ALineBeingWrittenIsReadWholeOnceComplete) {
    Start();
    // Split inside the word that decides between "no answer" and "stopped".
    Append("12:00:00 No answer from WLO (man");
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    Append("ual)");
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    Append("\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Stopped);
    // Split inside the event words themselves.
    Append("12:01:00 Connec");
    EXPECT_EQ(reader.DebugLogRead(), E::Stopped);
    Append("ted to KPH\r\n12:02:00 Disconn");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    Append("ected from KPH\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Disconnected);
    // Nothing is read twice: a following "no answer" is the only new event.
    Append("12:03:00 No answer from KPH\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::NoAnswer);
}

TEST_F(DebugLogReading, ALineHalfWrittenAtTheStartBelongsToThePast) {
    Replace(kOld + "11:59:59 Connected to OLD");
    ASSERT_TRUE(reader.DebugLogStart());
    Append("\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    Append("12:00:00 No answer from WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::NoAnswer);
}

TEST_F(DebugLogReading, AShorterLogIsANewLogReadFromItsStart) {
    Replace(kOld + kOld + kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    Replace("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    // And from there on it is read incrementally.
    Append("12:10:00 Disconnected from WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Disconnected);
}

TEST_F(DebugLogReading, AnEmptiedLogWaitsForNewLines) {
    Start();
    Replace("");
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
}

TEST_F(DebugLogReading, ANewLogThatOutgrewTheOldOneIsReadFromItsStart) {
    Replace("11:00:00 Calling OLD\r\n");
    ASSERT_TRUE(reader.DebugLogStart());
    Replace("12:00:00 No answer from WLO\r\n12:00:30 Calling KPH on 8 MHz\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::NoAnswer);
}

TEST_F(DebugLogReading, ATenMegabyteLogIsNotReadAtTheStart) {
    QByteArray big;
    while (big.size() < 10 * 1024 * 1024) big += "2026/06/06 10:00:00 No answer from WLO on 14.1 MHz\r\n";
    Replace(big);
    ASSERT_TRUE(reader.DebugLogStart());
    EXPECT_EQ(reader.Position(), big.size());
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    // Ten megabytes appended at once, ending in a connection.
    QByteArray more;
    while (more.size() < 10 * 1024 * 1024) more += "12:00:00 Receiving data block\r\n";
    more += "12:30:00 Connected to KPH\r\n";
    Append(more);
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    EXPECT_EQ(reader.Position(), big.size() + more.size());
    EXPECT_TRUE(messages.empty());
}

TEST_F(DebugLogReading, AMissingLogAtTheStartIsReported) {
    EXPECT_FALSE(reader.DebugLogStart());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Unable to find AirMail's \"\\Logfiles\\Debug.log\" file. ")))
        << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.endsWith(
        QStringLiteral("Please check that the AirMail Data Folder \"C:\\Program Files\\AirMail\" is correct.")))
        << messages[0].text.toStdString();
    EXPECT_FALSE(drive.ui.broughtToFront.empty());
}

TEST_F(DebugLogReading, ALogThatVanishesGivesAnErrorAndKeepsThePlace) {
    Start();
    const qint64 place = reader.Position();
    ASSERT_TRUE(QFile::rename(logPath, logPath + QStringLiteral(".away")));
    EXPECT_EQ(reader.DebugLogRead(), E::Error);
    EXPECT_EQ(reader.Position(), place);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Unable to open AirMail's \"Logfiles/Debug.log\" file. ")))
        << messages[0].text.toStdString();
    // Back again, with a line added meanwhile: reading goes on where it stopped.
    ASSERT_TRUE(QFile::rename(logPath + QStringLiteral(".away"), logPath));
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
}

}  // namespace
}  // namespace tw
