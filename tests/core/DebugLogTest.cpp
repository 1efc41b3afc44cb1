// AirMail's debug log: the event of a line, the time stamp parser, and the
// incremental reader on a real file that grows, is written in pieces, is
// replaced and disappears.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "airmail/AirMail.h"
#include "airmail/DebugLog.h"
#include "platform/PathMapper.h"
#include "platform/Registry.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

using E = DebugLogEvent;

// ---- One line ------------------------------------------------------------

struct EventCase {
    const char* line;
    std::optional<E> event;
};

class DebugLogLineEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(DebugLogLineEvents, Event) {
    const EventCase& c = GetParam();
    EXPECT_EQ(DebugLogLineEvent(QString::fromLatin1(c.line)), c.event) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DebugLogLineEvents,
    ::testing::Values(
        EventCase{"2026/06/06 12:00:01 Connected to WLO", E::Connected},
        EventCase{"12:00:01 Disconnected from WLO", E::Disconnected},
        EventCase{"12:00:01 No answer from WLO", E::NoAnswer},
        EventCase{"12:00:01 No answer from WLO (manual)", E::Stopped},
        EventCase{"12:00:01 Disconnected from WLO (manual)", E::Stopped},
        // "manual" only turns the two failure events into "stopped".
        EventCase{"12:00:01 Connected to WLO (manual)", E::Connected},
        // No answer outranks the others in one line.
        EventCase{"12:00:01 No answer from WLO, Connected to KPH", E::NoAnswer},
        // Matching is case-sensitive.
        EventCase{"12:00:01 connected to WLO", std::nullopt},
        EventCase{"12:00:01 Calling WLO on 14.1 MHz", std::nullopt},
        EventCase{"", std::nullopt}));

struct ParseCase {
    const char* line;
    const char* iso;  // nullptr: no stamp
    int position;
    const char* dateAfter;  // the current date after the line
};

class DebugLogParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DebugLogParse, Parses) {
    const ParseCase& c = GetParam();
    QDate current(2026, 6, 6);
    const DebugLogLine r = DebugLogParseLine(QString::fromLatin1(c.line), current);
    EXPECT_EQ(r.eventPosition, c.position) << c.line;
    if (c.iso) {
        EXPECT_EQ(r.time.toString(Qt::ISODate), QString::fromLatin1(c.iso)) << c.line;
    } else {
        EXPECT_FALSE(r.time.isValid()) << c.line;
    }
    EXPECT_EQ(current.toString(Qt::ISODate), QString::fromLatin1(c.dateAfter)) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DebugLogParse,
    ::testing::Values(
        ParseCase{"2026/05/01 07:08:09 Connected to WLO", "2026-05-01T07:08:09Z", 21,
                  "2026-05-01"},
        ParseCase{"2026/05/01 07:08:09.57 Connected to WLO", "2026-05-01T07:08:09Z", 24,
                  "2026-05-01"},
        ParseCase{"2026/5/1 7:08:09   Connected to WLO", "2026-05-01T07:08:09Z", 20,
                  "2026-05-01"},
        ParseCase{"12:34:56 Connected to WLO", "2026-06-06T12:34:56Z", 10, "2026-06-06"},
        ParseCase{"12:34:56.78 Connected to WLO", "2026-06-06T12:34:56Z", 13, "2026-06-06"},
        // A stamp without event text: the time, but no position.
        ParseCase{"12:34:56    ", "2026-06-06T12:34:56Z", 0, "2026-06-06"},
        ParseCase{"2026/05/01 07:08:09", "2026-05-01T07:08:09Z", 0, "2026-05-01"},
        // No blank, no stamp.
        ParseCase{"Connected", nullptr, 0, "2026-06-06"},
        ParseCase{"2026/05/01", nullptr, 0, "2026-06-06"},
        ParseCase{"", nullptr, 0, "2026-06-06"},
        // Stamps that are none.
        ParseCase{"Connected to WLO", nullptr, 0, "2026-06-06"},
        ParseCase{"2026/99/01 07:08:09 Connected to WLO", nullptr, 0, "2026-06-06"},
        ParseCase{"25:00:00 Connected to WLO", nullptr, 0, "2026-06-06"},
        ParseCase{" 12:00:00 Connected to WLO", nullptr, 0, "2026-06-06"}));

TEST(DebugLogParseLines, TimeOnlyLinesTakeTheLastDate) {
    QDate current(2026, 6, 6);
    DebugLogParseLine(QStringLiteral("2026/05/01 23:59:00 Connected to WLO"), current);
    const DebugLogLine next = DebugLogParseLine(QStringLiteral("00:01:00 Disconnected from WLO"), current);
    EXPECT_EQ(next.time, QDateTime(QDate(2026, 5, 1), QTime(0, 1), Qt::UTC));
    // Without a current date a time-only line has no usable stamp.
    QDate none;
    EXPECT_EQ(DebugLogParseLine(QStringLiteral("00:01:00 Disconnected from WLO"), none).eventPosition,
              0);
}

// ---- The incremental reader ----------------------------------------------

class NoRegistry final : public platform::IRegistry {
public:
    bool QueryString(const std::string&, const std::string&, std::string& value) override {
        value.clear();
        return false;
    }
};

class DebugLogReading : public ::testing::Test {
protected:
    DebugLogReading()
        : profile(files), airmail(settings, profile, ui, paths, registry), reader(airmail) {
        paths.SetDrive('C', QDir(dir.path()).absolutePath().toStdString());
        settings.m_sAirMailDirectoryData = QStringLiteral("C:\\AirMail");
        QDir(dir.path()).mkpath(QStringLiteral("AirMail/Logfiles"));
        logPath = dir.path() + QStringLiteral("/AirMail/Logfiles/Debug.log");
    }

    void Write(const QByteArray& bytes, QIODevice::OpenMode mode) {
        QFile f(logPath);
        ASSERT_TRUE(f.open(mode | QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void Append(const QByteArray& bytes) { Write(bytes, QIODevice::Append); }
    void Replace(const QByteArray& bytes) { Write(bytes, QIODevice::Truncate); }

    QTemporaryDir dir;
    QString logPath;
    Settings settings;
    test::FakeProfileFiles files;
    ProfileAccess profile;
    test::ScriptedUserInterface ui;
    platform::PathMapper paths;
    NoRegistry registry;
    AirMail airmail;
    DebugLogReader reader;
};

const QByteArray kOld = "2026/06/06 11:00:00 Connected to OLD\r\n"
                        "11:05:00 Disconnected from OLD\r\n";

TEST_F(DebugLogReading, NothingAppendedGivesNone) {
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    EXPECT_TRUE(ui.messages.empty());
}

struct AppendCase {
    const char* name;
    const char* appended;
    E expected;
};

class DebugLogAppend : public DebugLogReading, public ::testing::WithParamInterface<AppendCase> {};

TEST_P(DebugLogAppend, OneRead) {
    const AppendCase& c = GetParam();
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    Append(c.appended);
    EXPECT_EQ(reader.DebugLogRead(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DebugLogAppend,
    ::testing::Values(
        AppendCase{"connected then disconnected",
                   "12:00:00 Connected to WLO\r\n12:10:00 Disconnected from WLO\r\n",
                   E::Disconnected},
        AppendCase{"no answer manual", "12:00:00 No answer from WLO (manual)\r\n", E::Stopped},
        AppendCase{"no answer", "12:00:00 No answer from WLO\r\n", E::NoAnswer},
        AppendCase{"last matching line wins",
                   "12:00:00 No answer from WLO\r\n12:01:00 Connected to KPH\r\n"
                   "12:01:05 Sending mail\r\n",
                   E::Connected},
        AppendCase{"unix line ends", "12:00:00 Connected to WLO\n", E::Connected},
        AppendCase{"only other lines", "12:00:00 Calling WLO\r\n", E::None},
        AppendCase{"bytes of the code page", "12:00:00 \xB0\x80\xFF Connected to WLO\r\n",
                   E::Connected}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(DebugLogReading, EventsAccumulateAcrossAppends) {
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);  // nothing new: the last event
    Append("12:00:05 Receiving mail\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    Append("12:10:00 Disconnected from WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Disconnected);
    // The lines before the start are never read.
    EXPECT_EQ(reader.LastEvent(), E::Disconnected);
}

TEST_F(DebugLogReading, ALineBeingWrittenIsReadWholeOnceComplete) {
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
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
    EXPECT_EQ(reader.DebugLogRead(), E::Disconnected);
}

TEST_F(DebugLogReading, ANewLogThatOutgrewTheOldOneIsReadFromItsStart) {
    Replace("11:00:00 Calling OLD\r\n");
    ASSERT_TRUE(reader.DebugLogStart());
    Replace("12:00:00 No answer from WLO\r\n12:00:30 Calling KPH on 8 MHz\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::NoAnswer);
}

TEST_F(DebugLogReading, AnEmptiedLogWaitsForNewLines) {
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    Replace("");
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
}

TEST_F(DebugLogReading, ATenMegabyteLogIsNotReadAtTheStart) {
    QByteArray big;
    const QByteArray line = "2026/06/06 10:00:00 No answer from WLO on 14.1 MHz\r\n";
    big.reserve(10 * 1024 * 1024 + line.size());
    while (big.size() < 10 * 1024 * 1024) big += line;
    Replace(big);
    ASSERT_TRUE(reader.DebugLogStart());
    EXPECT_EQ(reader.Position(), big.size());
    EXPECT_EQ(reader.DebugLogRead(), E::None);
    // Ten megabytes appended at once, ending in a connection.
    QByteArray more;
    const QByteArray noise = "12:00:00 Receiving data block\r\n";
    while (more.size() < 10 * 1024 * 1024) more += noise;
    more += "12:30:00 Connected to KPH\r\n";
    Append(more);
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    EXPECT_EQ(reader.Position(), big.size() + more.size());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DebugLogReading, AMissingLogAtTheStartIsReported) {
    EXPECT_FALSE(reader.DebugLogStart());
    ASSERT_EQ(ui.messages.size(), 1u);
    const MessageRequest& m = ui.messages[0];
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_TRUE(m.text.startsWith(
        QStringLiteral("Unable to find AirMail's \"\\Logfiles\\Debug.log\" file. ")))
        << m.text.toStdString();
    EXPECT_TRUE(m.text.endsWith(
        QStringLiteral("Please check that the AirMail Data Folder \"C:\\AirMail\" is correct.")))
        << m.text.toStdString();
    EXPECT_FALSE(ui.broughtToFront.empty());
}

TEST_F(DebugLogReading, ALogThatVanishesGivesAnErrorAndKeepsThePlace) {
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    const qint64 place = reader.Position();
    ASSERT_TRUE(QFile::rename(logPath, logPath + QStringLiteral(".away")));
    EXPECT_EQ(reader.DebugLogRead(), E::Error);
    EXPECT_EQ(reader.Position(), place);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(
        QStringLiteral("Unable to open AirMail's \"Logfiles/Debug.log\" file. ")))
        << ui.messages[0].text.toStdString();
    // Back again, with a line added meanwhile: reading goes on where it stopped.
    ASSERT_TRUE(QFile::rename(logPath + QStringLiteral(".away"), logPath));
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
}

TEST_F(DebugLogReading, StartForgetsThePreviousAttempt) {
    Replace(kOld);
    ASSERT_TRUE(reader.DebugLogStart());
    Append("12:00:00 Connected to WLO\r\n");
    EXPECT_EQ(reader.DebugLogRead(), E::Connected);
    ASSERT_TRUE(reader.DebugLogStart());
    EXPECT_EQ(reader.DebugLogRead(), E::None);
}

}  // namespace
}  // namespace tw
