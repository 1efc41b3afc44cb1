#pragma once
// AirMail's connection log, data folder + "\Logfiles\Debug.log": a text file
// that AirMail appends one line to for every connection event.  Read
// incrementally while a connection attempt waits for its outcome, and line by
// line with time stamps for the connection history.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tw {

class AirMail;

// The outcome of the incremental reader.
enum class DebugLogEvent : int {
    Error = 0,         // reading the log failed
    Stopped = 1,       // "No answer from" or "Disconnected from", with "manual"
    Disconnected = 2,  // "Disconnected from"
    NoAnswer = 3,      // "No answer from"
    None = 4,          // nothing since the reader was started
    Connected = 6,     // "Connected to"
};

// The event a single log line sets, or nothing when it sets none.  Matching
// is by case-sensitive substring anywhere in the line.
std::optional<DebugLogEvent> DebugLogLineEvent(const QString& line);

// The Windows path of the log in a data folder.
QString DebugLogWindowsPath(const QString& dataFolder);

struct DebugLogLine {
    QDateTime time;         // the line's date and time (UTC, whole seconds); invalid when none
    int eventPosition = 0;  // 1-based position of the event text; 0 when the line has none
};

// The time stamp and event text position of one line: "yyyy/mm/dd hh:mm:ss[.ff] event"
// (the date becomes `currentDate`) or "hh:mm:ss[.ff] event" (on `currentDate`,
// which the caller starts at today).  A line without a readable stamp or
// without event text gives position 0.
DebugLogLine DebugLogParseLine(const QString& line, QDate& currentDate);

// One line's bytes (code page 1252, without its line end; a "\r" before it
// is dropped) as text, into a buffer reused from line to line: no allocation
// per line.
void DebugLogLineText(const char* bytes, qsizetype size, QString& text);

// Feeds the log's lines up to byte `limit` to `line` (each line's bytes
// without its line end), reading `log` from where it stands in blocks of
// 64 KB, so that however long the log has become no more than a block and a
// line are held; `betweenBlocks` runs after each block.  A line is cut at
// 64 KB.  A last line without its line end is taken only when the log has
// not grown past `limit` (else AirMail is writing it).  False when reading
// fails (an error, or a log cut short meanwhile).
bool DebugLogReadLines(QIODevice& log, qint64 limit,
                       const std::function<void(const char* bytes, qsizetype size)>& line,
                       const std::function<void()>& betweenBlocks = {});

// A call or a connection that the log shows as still open: its last event
// line is "Calling <station> ..." (AirMail calls, no outcome yet) or
// "Connected to <station>" (no "Disconnected from" yet).
struct DebugLogSession {
    bool connected = false;  // a connection; else a call
    QString station;
    QDateTime since;  // the time of that line; invalid when it has no stamp
};

// The open call or connection at the end of the log's lines, or nothing when
// the last event closed it (or there is none).  Time-only lines take the date
// of the last dated line before them, `today` before any.
std::optional<DebugLogSession> DebugLogOpenSession(const QStringList& lines, QDate today);

// The incremental reader.  It remembers, in bytes, where its last read
// ended and reads only what came after; nothing is read twice.  A line
// AirMail is still writing (no line end yet) is kept until its end arrives
// and then taken whole.  Of a line that was begun before the start, only the
// part written after the start counts, and only when it is a line of its own
// (a last line without its line end, then AirMail's next line).
class DebugLogReader {
public:
    explicit DebugLogReader(AirMail& airmail);

    // Remember the end of the log (without reading it) and set the event to
    // None.  False, with a message, when the log cannot be found.
    bool DebugLogStart();

    // The events AirMail has appended since the last call; returns the last
    // event seen so far.  Error (with a message) when the log cannot be read;
    // the remembered position is then unchanged.  A log that has been
    // replaced by a new one (shorter than the remembered position, or no
    // longer holding the bytes last read) is read from its start.
    DebugLogEvent DebugLogRead();

    // The open call or connection at the end of the log (its last 64 KB are
    // read), without a message: a log that cannot be read shows none.
    std::optional<DebugLogSession> OpenSession(QDate today) const;

    DebugLogEvent LastEvent() const { return m_event; }
    // Whether a "Connected to" line has been read since DebugLogStart: a
    // connection that was made and ended between two reads returns only its
    // last event, and this tells that it was made.
    bool ConnectedSinceStart() const { return m_connected; }
    qint64 Position() const { return m_position; }

private:
    QString NativeLogPath() const;

    AirMail& m_airmail;
    qint64 m_position = 0;         // offset of the first unread byte
    QByteArray m_partial;          // the read part of a line without its end yet
    bool m_lineBeforeStart = false;  // the next line end ends a line begun before the start
    QByteArray m_tail;             // the last bytes before m_position, to notice a new log
    DebugLogEvent m_event = DebugLogEvent::None;
    bool m_connected = false;
};

}  // namespace tw
