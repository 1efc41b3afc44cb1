#include "airmail/DebugLog.h"

#include <QFile>
#include <QTime>

#include <algorithm>
#include <utility>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "common/FileRead.h"
#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "platform/Cp1252.h"
#include "settings/Settings.h"

namespace tw {

namespace {

// Appended data is read in blocks of this size, so that a log that has grown
// by megabytes since the last call is never held in memory twice over.
constexpr qint64 kBlockSize = 1 << 20;
// The bytes before the read position that are compared at every call: when
// they differ, AirMail has started a new log that already outgrew the old one.
constexpr qint64 kTailSize = 64;
// The most kept of a line without its end: a log line is far shorter, and a
// log that never ends a line must not fill the memory.
constexpr qsizetype kMaxPartialLine = 64 * 1024;
// The end of the log looked at for a call or connection still open: far more
// than the few lines AirMail writes during one.
constexpr qint64 kOpenSessionTail = 64 * 1024;

// The first word of a line from index `from` on.
QString WordFrom(const QString& line, qsizetype from) {
    return line.mid(from).simplified().section(QLatin1Char(' '), 0, 0);
}

bool IsBlank(QChar ch) {
    return ch == QLatin1Char(' ') || ch == QLatin1Char('\t') || ch == QLatin1Char('\r') ||
           ch == QLatin1Char('\n');
}

// The 1-based position of the first non-blank character from index `from`; 0 when none.
int EventPosition(const QString& line, qsizetype from) {
    for (qsizetype i = from; i < line.size(); ++i) {
        if (!IsBlank(line[i])) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::optional<QTime> TimeOfDay(const QString& text) {
    for (const QString& format : {QStringLiteral("H:m:s"), QStringLiteral("H:m")}) {
        const QTime time = QTime::fromString(text, format);
        if (time.isValid()) return time;
    }
    return std::nullopt;
}

// The number of the two ASCII digits at `at`; -1 when there are none.
int TwoDigits(const QString& line, qsizetype at) {
    if (at + 2 > line.size()) return -1;
    const char16_t high = line[at].unicode(), low = line[at + 1].unicode();
    if (high < u'0' || high > u'9' || low < u'0' || low > u'9') return -1;
    return (high - u'0') * 10 + (low - u'0');
}

// "hh:mm:ss" at `at`, as AirMail writes its times; nothing for any other text.
std::optional<QTime> TimeAt(const QString& line, qsizetype at) {
    if (at + 8 > line.size() || line[at + 2] != QLatin1Char(':') || line[at + 5] != QLatin1Char(':'))
        return std::nullopt;
    const int h = TwoDigits(line, at), m = TwoDigits(line, at + 3), s = TwoDigits(line, at + 6);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
    return QTime(h, m, s);
}

// The stamps AirMail writes, "yyyy/mm/dd hh:mm:ss" and "hh:mm:ss", each
// maybe with hundredths after a ".", then a blank or the line's end, read
// by hand: a long log is mostly such lines, and the general parse through
// the date formats costs many times more.  Gives the same as that parse, or
// nothing when the line is not in one of these shapes (the general parse
// then decides).
std::optional<DebugLogLine> ParseUsualStamp(const QString& line, QDate& currentDate) {
    qsizetype timeAt = 0;
    QDate date = currentDate;
    if (line.size() >= 19 && line[4] == QLatin1Char('/')) {
        if (line[7] != QLatin1Char('/') || line[10] != QLatin1Char(' ')) return std::nullopt;
        const int y1 = TwoDigits(line, 0), y2 = TwoDigits(line, 2), mo = TwoDigits(line, 5),
                  d = TwoDigits(line, 8);
        if (y1 < 0 || y2 < 0 || mo < 0 || d < 0) return std::nullopt;
        date = QDate(y1 * 100 + y2, mo, d);
        if (!date.isValid()) return std::nullopt;
        timeAt = 11;
    }
    const std::optional<QTime> time = TimeAt(line, timeAt);
    if (!time || !date.isValid()) return std::nullopt;
    // The stamp ends at a blank; hundredths, or whatever follows a "." up to
    // the blank, are passed over.
    qsizetype end = timeAt + 8;
    if (end < line.size() && line[end] == QLatin1Char('.')) {
        end = line.indexOf(QLatin1Char(' '), end);
        if (end < 0) return timeAt > 0 ? std::nullopt : std::optional<DebugLogLine>(DebugLogLine{});
    } else if (end < line.size() && line[end] != QLatin1Char(' ')) {
        return std::nullopt;
    } else if (end == line.size() && timeAt == 0) {
        return DebugLogLine{};  // a time without a blank after it is no stamp
    }
    currentDate = date;
    return DebugLogLine{QDateTime(date, *time, Qt::UTC), EventPosition(line, end)};
}

// Whether a line starts with a time stamp of the log ("hh:mm:ss" or a date and time).
bool BeginsWithTimeStamp(const QString& line) {
    QDate anyDate(2000, 1, 1);
    return DebugLogParseLine(line, anyDate).time.isValid();
}

// Reads `count` bytes at `offset`; nothing on a failed seek or a short read.
std::optional<QByteArray> ReadAt(QFile& file, qint64 offset, qint64 count) {
    if (!file.seek(offset)) return std::nullopt;
    QByteArray bytes = file.read(count);
    if (bytes.size() != count) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<DebugLogEvent> DebugLogLineEvent(const QString& line) {
    std::optional<DebugLogEvent> event;
    if (line.contains(QStringLiteral("No answer from"))) {
        event = DebugLogEvent::NoAnswer;
    } else if (line.contains(QStringLiteral("Disconnected from"))) {
        event = DebugLogEvent::Disconnected;
    } else if (line.contains(QStringLiteral("Connected to"))) {
        return DebugLogEvent::Connected;
    } else {
        return std::nullopt;
    }
    if (line.contains(QStringLiteral("manual"))) event = DebugLogEvent::Stopped;
    return event;
}

QString DebugLogWindowsPath(const QString& dataFolder) {
    return dataFolder + QStringLiteral("\\Logfiles\\Debug.log");
}

DebugLogLine DebugLogParseLine(const QString& line, QDate& currentDate) {
    if (std::optional<DebugLogLine> usual = ParseUsualStamp(line, currentDate)) return *usual;
    DebugLogLine out;
    const qsizetype firstBlank = line.indexOf(QLatin1Char(' '));
    if (firstBlank < 0) return out;  // no blank: no time stamp
    const qsizetype dot = line.indexOf(QLatin1Char('.'));

    if (line.size() >= 5 && line[4] == QLatin1Char('/')) {
        // Date and time.  Extra blanks between the two are allowed.
        qsizetype timeStart = firstBlank;
        while (timeStart < line.size() && line[timeStart] == QLatin1Char(' ')) ++timeStart;
        qsizetype end = line.indexOf(QLatin1Char(' '), timeStart);
        if (end < 0) end = line.size();
        const qsizetype stampEnd = (dot >= 0 && dot < end) ? dot : end;
        const std::optional<QDateTime> stamp = AirMailDateTimeFromText(line.left(stampEnd));
        if (!stamp) return out;
        currentDate = stamp->date();
        out.time = *stamp;
        out.eventPosition = EventPosition(line, end);
        return out;
    }

    // Time of day only, on the current date of the log.
    const qsizetype stampEnd = (dot >= 0 && dot < firstBlank) ? dot : firstBlank;
    const std::optional<QTime> time = TimeOfDay(line.left(stampEnd));
    if (!time || !currentDate.isValid()) return out;
    out.time = QDateTime(currentDate, *time, Qt::UTC);
    out.eventPosition = EventPosition(line, firstBlank);
    return out;
}

void DebugLogLineText(const char* bytes, qsizetype size, QString& text) {
    if (size > 0 && bytes[size - 1] == '\r') --size;
    text.resize(size);
    QChar* out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = byte < 0x80 ? QChar(byte) : QChar(platform::Cp1252ToUnicode(byte));
    }
}

bool DebugLogReadLines(QIODevice& log, qint64 limit,
                       const std::function<void(const char* bytes, qsizetype size)>& line,
                       const std::function<void()>& betweenBlocks) {
    constexpr qint64 kReadBlock = 64 * 1024;
    constexpr qsizetype kMaxLine = 64 * 1024;
    QByteArray pending;
    qint64 position = log.pos();
    while (position < limit) {
        const QByteArray block = log.read(std::min(kReadBlock, limit - position));
        if (block.isEmpty()) return false;
        position += block.size();
        pending += block;
        qsizetype from = 0;
        for (qsizetype newline; (newline = pending.indexOf('\n', from)) >= 0; from = newline + 1)
            line(pending.constData() + from, newline - from);
        pending.remove(0, from);
        if (pending.size() > kMaxLine) pending.truncate(kMaxLine);
        if (betweenBlocks) betweenBlocks();
    }
    if (!pending.isEmpty() && log.size() <= limit) line(pending.constData(), pending.size());
    return true;
}

std::optional<DebugLogSession> DebugLogOpenSession(const QStringList& lines, QDate today) {
    static const QString kConnectedTo = QStringLiteral("Connected to");
    static const QString kCalling = QStringLiteral("Calling ");
    std::optional<DebugLogSession> open;
    QDate current = today;
    for (const QString& line : lines) {
        const DebugLogLine parsed = DebugLogParseLine(line, current);
        const std::optional<DebugLogEvent> event = DebugLogLineEvent(line);
        const QString text = parsed.eventPosition > 0 ? line.mid(parsed.eventPosition - 1) : line;
        if (event == DebugLogEvent::Connected) {
            open = DebugLogSession{true,
                                   WordFrom(line, line.indexOf(kConnectedTo) + kConnectedTo.size()),
                                   parsed.time};
        } else if (event) {
            open.reset();  // no answer, or the connection's end
        } else if (text.startsWith(kCalling)) {
            open = DebugLogSession{false, WordFrom(text, kCalling.size()), parsed.time};
        }
    }
    return open;
}

DebugLogReader::DebugLogReader(AirMail& airmail) : m_airmail(airmail) {}

QString DebugLogReader::NativeLogPath() const {
    return m_airmail.NativePath(DebugLogWindowsPath(m_airmail.settings().m_sAirMailDirectoryData));
}

std::optional<DebugLogSession> DebugLogReader::OpenSession(QDate today) const {
    QFile file(NativeLogPath());
    if (QString error; !OpenRegularFile(file, error)) return std::nullopt;
    const qint64 size = file.size();
    const qint64 from = std::max<qint64>(0, size - kOpenSessionTail);
    const std::optional<QByteArray> tail = ReadAt(file, from, size - from);
    if (!tail) return std::nullopt;
    QStringList lines = AnsiToUnicode(*tail).split(QLatin1Char('\n'));
    // A tail that starts inside the log starts inside a line.
    if (from > 0) lines.removeFirst();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return DebugLogOpenSession(lines, today);
}

bool DebugLogReader::DebugLogStart() {
    m_event = DebugLogEvent::None;
    m_connected = false;
    m_position = 0;
    m_partial.clear();
    m_lineBeforeStart = false;
    m_tail.clear();

    QFile file(NativeLogPath());
    if (QString error; !OpenRegularFile(file, error)) {
        m_airmail.ShowMessage(
            WithCause(QStringLiteral("Unable to find AirMail's \"\\Logfiles\\Debug.log\" file. "), error) +
                m_airmail.AirMailErrorDataMessage(),
            MsgIcon::Exclamation);
        return false;
    }
    // Only the end of the log is looked at, however long it has become.
    const qint64 size = file.size();
    const qint64 tailSize = std::min(size, kTailSize);
    const std::optional<QByteArray> tail = ReadAt(file, size - tailSize, tailSize);
    // The log may end in the middle of a line: one AirMail is writing at this
    // moment, whose rest belongs to the time before the start, or a last line
    // that never got its line end, after which AirMail's next line follows
    // directly.  Of the bytes up to the next line end only those written
    // after the start count, and only when they begin a line of their own
    // (with its time stamp).
    m_position = size;
    if (tail) {
        m_tail = *tail;
        m_lineBeforeStart = !m_tail.isEmpty() && !m_tail.endsWith('\n');
    }
    return true;
}

DebugLogEvent DebugLogReader::DebugLogRead() {
    QFile file(NativeLogPath());
    if (QString error; !OpenRegularFile(file, error)) {
        m_airmail.ShowMessage(
            WithCause(QStringLiteral("Unable to open AirMail's \"Logfiles/Debug.log\" file. "), error) +
                m_airmail.AirMailErrorDataMessage(),
            MsgIcon::Exclamation);
        return DebugLogEvent::Error;
    }

    const auto processFailed = [&]() {
        m_airmail.ShowMessage(
            QStringLiteral("Unable to process AirMail's \"Logfiles/Debug.log\" data. ") +
                file.errorString(),
            MsgIcon::Exclamation);
        return DebugLogEvent::Error;
    };

    // Work on copies; the remembered state changes only when all went well.
    qint64 position = m_position;
    QByteArray pending = m_partial;
    bool lineBeforeStart = m_lineBeforeStart;
    DebugLogEvent event = m_event;
    bool connected = m_connected;

    const qint64 size = file.size();
    bool newLog = size < position;
    if (!newLog && !m_tail.isEmpty()) {
        const std::optional<QByteArray> tail =
            ReadAt(file, position - m_tail.size(), m_tail.size());
        if (!tail) return processFailed();
        newLog = *tail != m_tail;
    }
    if (newLog) {
        // AirMail started a new log: everything in it is new.
        position = 0;
        pending.clear();
        lineBeforeStart = false;
    }
    if (size == position) {
        if (newLog) {  // a new, empty log
            m_position = 0;
            m_partial.clear();
            m_lineBeforeStart = false;
            m_tail.clear();
        }
        return m_event;
    }

    if (!file.seek(position)) return processFailed();
    while (position < size) {
        const QByteArray block = file.read(std::min(kBlockSize, size - position));
        if (block.isEmpty()) {
            if (file.error() != QFileDevice::NoError) return processFailed();
            break;
        }
        position += block.size();
        pending += block;
        qsizetype from = 0;
        for (;;) {
            const qsizetype newline = pending.indexOf('\n', from);
            if (newline < 0) break;
            QByteArray raw = pending.mid(from, newline - from);
            if (raw.endsWith('\r')) raw.chop(1);
            const QString line = AnsiToUnicode(raw);
            const bool ownLine = !std::exchange(lineBeforeStart, false) || BeginsWithTimeStamp(line);
            if (const auto lineEvent = ownLine ? DebugLogLineEvent(line) : std::nullopt) {
                event = *lineEvent;
                connected = connected || event == DebugLogEvent::Connected;
            }
            from = newline + 1;
        }
        // Keep only the line still being written.
        pending.remove(0, from);
        if (pending.size() > kMaxPartialLine) pending.truncate(kMaxPartialLine);
    }

    QByteArray tail;
    const qint64 tailSize = std::min(position, kTailSize);
    if (tailSize > 0) {
        const std::optional<QByteArray> read = ReadAt(file, position - tailSize, tailSize);
        if (!read) return processFailed();
        tail = *read;
    }

    m_position = position;
    m_partial = pending;
    m_lineBeforeStart = lineBeforeStart;
    m_tail = tail;
    m_event = event;
    m_connected = connected;
    return m_event;
}

}  // namespace tw
