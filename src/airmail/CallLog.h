#pragma once
// The user's own record of calls, from AirMail's Debug.log: each call AirMail
// started ("Calling <station> on <frequency> kHz") with its outcome, and how
// many of a station's calls on a frequency connected near a time of day over
// the last days.  The best list's Log column, the ranking by the chance of a
// connection and the 24-hour view's Log show it.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace tw {

class AirMail;

// One counted call: it connected or got no answer.  Kept small: a long
// window of a busy log holds many.
struct LogCall {
    qint32 station = 0;  // its index in LogCalls::stations
    qint32 tenths = 0;   // the frequency in tenths of a kHz
    qint64 time = 0;     // the "Calling" line's time, seconds since 1970 (UTC)
    bool connected = false;
};

struct LogCalls {
    QStringList stations;  // each station's name once, as written after "Calling "
    std::vector<LogCall> calls;
};

// Reads the calls out of a log's lines, fed in order.  A call's outcome is
// the first later line, before the next "Calling" line, whose event text
// begins with "Connected to <the same station>" (connected) or "No answer
// from <the same station>" (no answer; with "(manual)" the user stopped it
// and it is not counted); a call without one is not counted.  Stations are
// compared without regard to letter case.  Time stamps are read as
// DebugLogParseLine reads them: time-only lines are on the date of the last
// dated line, `today` before any.  Only the calls dated from `from` to `to`
// (seconds since 1970, both included) are kept, so that the memory held
// follows the calls of that time, not the length of the log.
class LogCallReader {
public:
    LogCallReader(QDate today, qint64 from, qint64 to);
    void Line(const QString& line);
    // The same from the line's bytes (code page 1252, without its line end);
    // a line that cannot change the calls is passed over without being read
    // as text, which keeps a pass over a long log short.
    void Line(const char* bytes, qsizetype size);
    const LogCalls& Calls() const { return m_log; }

private:
    QDate m_current;  // the log's running date
    qint64 m_from, m_to;
    QDate m_fromDate;
    std::optional<LogCall> m_pending;  // the last call, waiting for its outcome
    LogCalls m_log;
    QString m_text;  // the line being read, reused
};

// Every counted call of the lines.
LogCalls LogCallsOf(const QStringList& lines, QDate today);

// A row's record: its counted calls and those that connected, with the time
// of the last connection (seconds since 1970; -1 for none).
struct LogRecord {
    int calls = 0;
    int connected = 0;
    qint64 lastConnected = -1;
};

// The record of a row (station, frequency in kHz) for the time t: the calls
// of that station (letter case aside) on that frequency (equal to 0.1 kHz)
// dated within the `days` days before t (none after t), whose UTC time of day
// lies within 60 minutes of t's, across midnight too.
LogRecord LogRecordAt(const LogCalls& calls, const QString& station, double kHz,
                      const QDateTime& t, int days);
// The same over the whole day, by the UTC hour of each call (0 to 23).
std::array<LogRecord, 24> LogRecordByHour(const LogCalls& calls,
                                          const QString& station, double kHz, const QDateTime& t,
                                          int days);

// "c/n" (connected / calls), empty without calls; and the numbers read back
// from such a text (none for an empty one).
QString LogRecordText(const LogRecord& record);
LogRecord LogRecordFromText(const QString& text);
// The time of the last connection as the tooltips give it, "yyyy/MM/dd
// hh:mm"; empty for none.
QString LogConnectionTimeText(qint64 time);
// A tooltip of a record: `when` says which calls ("within an hour of this
// time of day", "at 14 UTC"), `last` is LogConnectionTimeText's.
QString LogRecordToolTip(const LogRecord& record, const QString& when, int days,
                         const QString& last);

// The counted calls of AirMail's log dated within the `days` days before t,
// in one pass over the log as it is at the start (a regular file only, read
// in blocks, nothing written).  A log that cannot be read gives none, without
// a message: the record is an addition, and a new AirMail has no log yet.
LogCalls LogCallsRead(AirMail& airmail, const QDateTime& t, int days);

}  // namespace tw
