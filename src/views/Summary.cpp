#include "views/Summary.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#include "airmail/AirMail.h"
#include "airmail/DebugLog.h"
#include "common/FileRead.h"
#include "common/ProfileAccess.h"
#include "selection/MainState.h"
#include "settings/Settings.h"

namespace tw {

namespace {

const QString kConnectedTo = QStringLiteral("Connected to");

// VB-style number formats: "0" and "0.0", halves away from zero.
QString Format0(double value) { return QString::number(std::round(value), 'f', 0); }
QString Format1(double value) { return QString::number(std::round(value * 10.0) / 10.0, 'f', 1); }
QString DateText(QDate date) { return date.toString(QStringLiteral("MM/dd/yy")); }

}  // namespace

SummaryCounter::SummaryCounter(bool useRange, QDate start, QDate stop, QDate today)
    : m_useRange(useRange), m_start(start), m_stop(stop), m_current(today) {
    m_counts.lastLine = today;
}

void SummaryCounter::Line(const QString& line) {
    const DebugLogLine parsed = DebugLogParseLine(line, m_current);
    const bool dated = parsed.time.isValid();
    const QDate date = parsed.time.date();
    const bool inRange = dated && (!m_useRange || (date >= m_start && date <= m_stop));
    if (inRange) m_counts.lastLine = date;
    const QStringView event =
        parsed.eventPosition > 0 ? QStringView(line).mid(parsed.eventPosition - 1) : QStringView();

    if (m_open) {
        // The lines after a connection, up to its end, whatever their dates.
        if (!dated) return;
        if (event.startsWith(QLatin1String("Disconnected from"))) {
            m_open = false;
            // A time-only end before its start: midnight has passed since the
            // last dated line, so the end is on the next day.
            QDateTime end = parsed.time;
            const bool timeOnly = line.size() < 5 || line[4] != QLatin1Char('/');
            if (timeOnly && end < m_openSince) end = end.addDays(1);
            // A log clock set back during the connection gives no negative time.
            m_counts.connectedSeconds += std::max<qint64>(0, m_openSince.secsTo(end));
            m_counts.lastConnected = date;
            return;
        }
        if (event.startsWith(QLatin1String("No answer"))) {
            m_open = false;
            ++m_counts.errors;
            return;
        }
        if (!event.startsWith(QLatin1String("Connected"))) return;
        // A new connection before the end of the last: that one counts no
        // time, and this line is a record of its own.
        m_open = false;
        ++m_counts.errors;
    }

    if (!dated) {
        ++m_counts.errors;
        return;
    }
    if (!inRange) return;
    if (!m_counts.earliest.isValid() || date < m_counts.earliest) m_counts.earliest = date;
    Record(event, parsed.time);
}

void SummaryCounter::Record(QStringView event, const QDateTime& time) {
    const QDate date = time.date();
    if (event.startsWith(kConnectedTo)) {
        ++m_counts.records;
        ++m_counts.connected;
        Station(event.mid(std::min(kConnectedTo.size() + 1, event.size())).trimmed());
        m_open = true;
        m_openSince = time;
    } else if (event.startsWith(QLatin1String("No answer from"))) {
        ++m_counts.records;
        if (event.contains(QLatin1String("(manual)"))) {
            ++m_counts.stopped;
            m_counts.lastStopped = date;
        } else {
            ++m_counts.noAnswer;
            m_counts.lastNoAnswer = date;
        }
    }
}

void SummaryCounter::Station(QStringView name) {
    for (auto& [station, count] : m_counts.stations) {
        if (station == name) {
            ++count;
            return;
        }
    }
    m_counts.stations.push_back({name.toString(), 1});
}

SummaryCounts SummaryCounter::Counts() const {
    SummaryCounts counts = m_counts;
    if (!counts.earliest.isValid()) {
        counts.earliest = m_useRange ? m_start : counts.lastLine;
        if (m_useRange) counts.lastLine = m_stop;
    }
    return counts;
}

SummaryCounts ConnectSummaryCount(const QStringList& lines, bool useRange, QDate start, QDate stop,
                                  QDate today) {
    SummaryCounter counter(useRange, start, stop, today);
    for (const QString& line : lines) counter.Line(line);
    return counter.Counts();
}

QStringList ConnectSummaryReport(const SummaryCounts& c) {
    const int days = std::max<qint64>(1, c.earliest.daysTo(c.lastLine) + 1);
    const auto percent = [&c](int count) {
        return QStringLiteral(" (") + Format0(count * 100.0 / c.records) + QStringLiteral("%)");
    };
    QStringList lines;
    lines << QStringLiteral("Time:               ") + DateText(c.earliest) + QStringLiteral(" to ") +
                 DateText(c.lastLine);
    lines << QStringLiteral("Records:        ") + QString::number(c.records) +
                 QStringLiteral(", Tries/Day ") + Format1(double(c.records) / days) +
                 QStringLiteral(", Connects/Day ") + Format1(double(c.connected) / days);
    if (c.connected > 0)
        lines << QStringLiteral("Connected:    ") + QString::number(c.connected) + percent(c.connected) +
                     QStringLiteral(", Connected ") +
                     DurationText(std::llround(double(c.connectedSeconds) / c.connected)) +
                     QStringLiteral(", Last ") + DateText(c.lastConnected);
    if (c.noAnswer > 0)
        lines << QStringLiteral("No Answer:    ") + QString::number(c.noAnswer) + percent(c.noAnswer) +
                     QStringLiteral(", Last ") + DateText(c.lastNoAnswer);
    if (c.stopped > 0)
        lines << QStringLiteral("Stopped         ") + QString::number(c.stopped) + percent(c.stopped) +
                     QStringLiteral(", Last ") + DateText(c.lastStopped);
    if (c.errors > 0) lines << QStringLiteral("Error:                ") + QString::number(c.errors);
    return lines;
}

QVector<QPair<QString, int>> ConnectSummaryStationsSorted(QVector<QPair<QString, int>> stations) {
    std::stable_sort(stations.begin(), stations.end(), [](const auto& a, const auto& b) {
        if (a.second != b.second) return a.second > b.second;
        return QString::compare(a.first, b.first, Qt::CaseSensitive) < 0;
    });
    return stations;
}

QString DurationText(qint64 seconds) {
    seconds = std::max<qint64>(0, seconds);
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (seconds < 60) return QLatin1Char(':') + two(s);
    if (seconds < 3600) return (seconds < 600 ? QString::number(m) : two(m)) + QLatin1Char(':') + two(s);
    return (seconds < 36000 ? QString::number(h) : two(h)) + QLatin1Char(':') + two(m) +
           QLatin1Char(':') + two(s);
}

// ---------------------------------------------------------------------------
// The window's model

frmSummary::frmSummary(AirMail& airmail, const platform::IClock& clock, const ITextMetrics& metrics,
                       QObject* parent)
    : QObject(parent), m_airmail(airmail), m_clock(clock), m_metrics(metrics) {
    dtStart = dtStop = TimeGetZulu(m_clock).date();
    GridHeader();
}

void frmSummary::GridHeader() {
    grdStations.SetRows(1);
    grdStations.SetCols(3);
    grdStations.SetFixedRows(1);
    const char* header[] = {"Station", "Records", "Percent"};
    const char* width[] = {"----Station----", "--Records--", "--Percent--"};
    for (int col = 0; col < 3; ++col) {
        grdStations.SetText(0, col, QString::fromLatin1(header[col]));
        grdStations.SetCellAlignment(0, col, AlignCenter);
        grdStations.SetColWidth(col, m_metrics.TextWidthTwips(QString::fromLatin1(width[col])));
    }
}

// The window first, then the run: a log that cannot be read is told over it.
bool frmSummary::ShowWholeLog() {
    Show();
    const QDate today = TimeGetZulu(m_clock).date();
    return ConnectSummary(false, today, today);
}

bool frmSummary::ConnectSummary(bool useRange, QDate start, QDate stop) {
    if (m_running) return false;
    m_running = true;
    grdStations.SetRedraw(false);
    const bool ok = Run(useRange, start, stop);
    grdStations.SetRedraw(true);
    m_running = false;
    emit changed();
    // A failed run has told why and ends there, its window emptied.
    if (ok) Show();
    return ok;
}

bool frmSummary::Run(bool useRange, QDate start, QDate stop) {
    lstSummary.clear();
    GridHeader();
    const QString hintPath = QStringLiteral("\"Logfiles\\Debug.log\". ");
    QFile log(m_airmail.NativePath(DebugLogWindowsPath(m_airmail.settings().m_sAirMailDirectoryData)));
    if (QString ignored; !OpenRegularFile(log, ignored)) {
        m_airmail.ShowMessage(QStringLiteral("Unable to open Airmail's ") + hintPath +
                                  m_airmail.AirMailErrorDataMessage(),
                              MsgIcon::Exclamation);
        return false;
    }
    // What AirMail writes from now on is left to the next run.
    const qint64 limit = log.size();
    SummaryCounter counter(useRange, start, stop, TimeGetZulu(m_clock).date());
    // A long log keeps the window live; a run asked for meanwhile is ignored.
    QString text;
    const bool ok = DebugLogReadLines(
        log, limit,
        [&](const char* bytes, qsizetype size) {
            DebugLogLineText(bytes, size, text);
            counter.Line(text);
        },
        [this] { m_airmail.ui().ProcessEvents(); });
    const QString error = log.errorString();
    log.close();
    if (!ok) {
        m_airmail.ShowMessage(WithCause(QStringLiteral("Unable to Process Airmail's ") + hintPath, error) +
                                  m_airmail.AirMailErrorDataMessage(),
                              MsgIcon::Exclamation);
        return false;
    }

    const SummaryCounts counts = counter.Counts();
    if (!useRange) {
        dtStart = counts.earliest;
        dtStop = counts.lastLine;
    }
    lstSummary = ConnectSummaryReport(counts);
    if (counts.connected > 0) {
        const auto stations = ConnectSummaryStationsSorted(counts.stations);
        int total = 0;
        for (const auto& station : stations) total += station.second;
        for (const auto& [name, count] : stations) {
            const int row = grdStations.Rows();
            grdStations.AddRow();
            grdStations.SetText(row, 0, name);
            grdStations.SetText(row, 1, QString::number(count));
            grdStations.SetText(row, 2, Format0(count * 100.0 / total) + QLatin1Char('%'));
            grdStations.SetCellAlignment(row, 1, AlignRight);
            grdStations.SetCellAlignment(row, 2, AlignRight);
        }
    }
    return true;
}

void frmSummary::Show() {
    visible = true;
    emit showRequested();
}

void frmSummary::Hide() {
    if (!visible) return;
    visible = false;
    emit changed();
}

}  // namespace tw
