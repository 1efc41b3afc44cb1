#include "airmail/CallLog.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "airmail/AirMail.h"
#include "airmail/DebugLog.h"
#include "common/FileRead.h"
#include "settings/Settings.h"

namespace tw {

namespace {

constexpr qint64 kDay = 86400;
constexpr qint64 kNear = 3600;  // the record's distance in time of day, seconds

// The first word of a text.
QStringView FirstWord(QStringView text) {
    text = text.trimmed();
    qsizetype end = 0;
    while (end < text.size() && !text[end].isSpace()) ++end;
    return text.left(end);
}

// The frequency of "<station> on <frequency> kHz" in tenths of a kHz, from
// the leading number of the word after "on"; none without one.
std::optional<qint32> CalledTenths(QStringView afterStation) {
    afterStation = afterStation.trimmed();
    if (!afterStation.startsWith(QLatin1String("on "))) return std::nullopt;
    const QStringView word = FirstWord(afterStation.mid(3));
    char digits[24];
    std::size_t n = 0;
    for (; n < sizeof digits && n < static_cast<std::size_t>(word.size()) &&
           (word[n].isDigit() || word[n] == QLatin1Char('.'));
         ++n)
        digits[n] = static_cast<char>(word[n].unicode());
    double kHz = 0.0;
    const auto [end, error] = std::from_chars(digits, digits + n, kHz);
    if (error != std::errc() || end == digits || !(kHz > 0) || kHz > 1e8) return std::nullopt;
    return static_cast<qint32>(std::llround(kHz * 10.0));
}

qint64 Tenths(double kHz) { return std::llround(kHz * 10.0); }

qint64 TimeOfDay(qint64 seconds) { return ((seconds % kDay) + kDay) % kDay; }

bool Contains(const char* bytes, qsizetype size, std::string_view what) {
    return std::string_view(bytes, static_cast<std::size_t>(size)).find(what) !=
           std::string_view::npos;
}

bool SameStation(QStringView a, QStringView b) {
    return a == b || a.compare(b, Qt::CaseInsensitive) == 0;
}

// Calls `each` with the station's calls on the frequency within the window
// up to t.
template <class F>
void ForRowCalls(const LogCalls& log, const QString& station, double kHz, const QDateTime& t,
                 int days, F each) {
    if (!t.isValid() || days <= 0) return;
    const qint64 at = t.toSecsSinceEpoch();
    const qint64 from = at - days * kDay;
    const qint64 tenths = Tenths(kHz);
    std::vector<bool> named(static_cast<std::size_t>(log.stations.size()));
    for (qsizetype i = 0; i < log.stations.size(); ++i)
        named[static_cast<std::size_t>(i)] = SameStation(log.stations[i], station);
    for (const LogCall& call : log.calls) {
        if (call.tenths != tenths || call.time < from || call.time > at ||
            !named[static_cast<std::size_t>(call.station)])
            continue;
        each(call);
    }
}

void Count(LogRecord& record, const LogCall& call) {
    ++record.calls;
    if (!call.connected) return;
    ++record.connected;
    record.lastConnected = std::max(record.lastConnected, call.time);
}

}  // namespace

LogCallReader::LogCallReader(QDate today, qint64 from, qint64 to)
    : m_current(today),
      m_from(from),
      m_to(to),
      m_fromDate(QDateTime::fromSecsSinceEpoch(from, Qt::UTC).date()) {}

void LogCallReader::Line(const char* bytes, qsizetype size) {
    if (size < 5 || bytes[4] != '/') {
        // A time-only line (or one without a stamp) is on the running date:
        // before the first day kept and without a call waiting for its
        // outcome it changes nothing.  Nor does a line that names no call or,
        // while a call waits, no outcome.
        if (!m_pending && m_current < m_fromDate) return;
        const bool outcome = m_pending && (Contains(bytes, size, "Connected to ") ||
                                           Contains(bytes, size, "No answer from "));
        if (!outcome && !Contains(bytes, size, "Calling ")) return;
    }
    DebugLogLineText(bytes, size, m_text);
    Line(m_text);
}

void LogCallReader::Line(const QString& line) {
    const DebugLogLine parsed = DebugLogParseLine(line, m_current);
    if (parsed.eventPosition == 0) return;
    const QStringView event = QStringView(line).mid(parsed.eventPosition - 1);
    if (event.startsWith(QLatin1String("Calling "))) {
        // A call still waiting has no outcome: it is not counted.
        m_pending.reset();
        const QStringView rest = event.mid(8).trimmed();
        const QStringView station = FirstWord(rest);
        const std::optional<qint32> tenths = CalledTenths(rest.mid(station.size()));
        if (station.isEmpty() || !tenths) return;
        qsizetype index = m_log.stations.size() - 1;
        while (index >= 0 && m_log.stations[index] != station) --index;
        if (index < 0) {
            index = m_log.stations.size();
            m_log.stations << station.toString();
        }
        m_pending =
            LogCall{static_cast<qint32>(index), *tenths, parsed.time.toSecsSinceEpoch(), false};
        return;
    }
    if (!m_pending) return;
    QStringView rest;
    bool connected = false;
    if (event.startsWith(QLatin1String("Connected to "))) {
        rest = event.mid(13);
        connected = true;
    } else if (event.startsWith(QLatin1String("No answer from "))) {
        rest = event.mid(15);
    } else {
        return;
    }
    // Another station's outcome is none of this call's.
    if (!SameStation(FirstWord(rest), m_log.stations[m_pending->station])) return;
    LogCall call = *m_pending;
    m_pending.reset();
    if (!connected && event.contains(QLatin1String("(manual)"))) return;  // stopped by the user
    if (call.time < m_from || call.time > m_to) return;
    call.connected = connected;
    m_log.calls.push_back(call);
}

LogCalls LogCallsOf(const QStringList& lines, QDate today) {
    LogCallReader reader(today, std::numeric_limits<qint64>::min(),
                         std::numeric_limits<qint64>::max());
    for (const QString& line : lines) reader.Line(line);
    return reader.Calls();
}

LogRecord LogRecordAt(const LogCalls& calls, const QString& station, double kHz,
                      const QDateTime& t, int days) {
    LogRecord record;
    const qint64 time = t.isValid() ? TimeOfDay(t.toSecsSinceEpoch()) : 0;
    ForRowCalls(calls, station, kHz, t, days, [&](const LogCall& call) {
        const qint64 apart = std::abs(TimeOfDay(call.time) - time);
        if (std::min(apart, kDay - apart) <= kNear) Count(record, call);
    });
    return record;
}

std::array<LogRecord, 24> LogRecordByHour(const LogCalls& calls, const QString& station,
                                          double kHz, const QDateTime& t, int days) {
    std::array<LogRecord, 24> hours{};
    ForRowCalls(calls, station, kHz, t, days, [&](const LogCall& call) {
        Count(hours[static_cast<std::size_t>(TimeOfDay(call.time) / 3600)], call);
    });
    return hours;
}

QString LogRecordText(const LogRecord& record) {
    if (record.calls <= 0) return {};
    return QString::number(record.connected) + QLatin1Char('/') + QString::number(record.calls);
}

LogRecord LogRecordFromText(const QString& text) {
    LogRecord record;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0) return record;
    record.connected = text.left(slash).trimmed().toInt();
    record.calls = text.mid(slash + 1).trimmed().toInt();
    return record;
}

QString LogConnectionTimeText(qint64 time) {
    if (time < 0) return {};
    return QDateTime::fromSecsSinceEpoch(time, Qt::UTC)
        .toString(QStringLiteral("yyyy/MM/dd hh:mm"));
}

QString LogRecordToolTip(const LogRecord& record, const QString& when, int days,
                         const QString& last) {
    const QString which =
        QStringLiteral("alls on this frequency %1 in the last %2 days").arg(when).arg(days);
    if (record.calls <= 0) return QStringLiteral("No c") + which;
    QString tip = QStringLiteral("C%1: %2 connected, %3 unanswered")
                      .arg(which)
                      .arg(record.connected)
                      .arg(record.calls - record.connected);
    if (!last.isEmpty()) tip += QStringLiteral("; last connection %1 UTC").arg(last);
    return tip;
}

LogCalls LogCallsRead(AirMail& airmail, const QDateTime& t, int days) {
    if (!t.isValid() || days <= 0) return {};
    QFile log(airmail.NativePath(DebugLogWindowsPath(airmail.settings().m_sAirMailDirectoryData)));
    if (QString ignored; !OpenRegularFile(log, ignored)) return {};
    const qint64 at = t.toSecsSinceEpoch();
    LogCallReader reader(t.toUTC().date(), at - days * kDay, at);
    // What AirMail writes from now on belongs to the next update.
    const bool ok = DebugLogReadLines(log, log.size(), [&reader](const char* bytes, qsizetype size) {
        reader.Line(bytes, size);
    });
    if (!ok) return {};
    return reader.Calls();
}

}  // namespace tw
