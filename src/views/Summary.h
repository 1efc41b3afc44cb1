#pragma once
// The connection history, "AirMail Connection History": how many calls
// AirMail's Debug.log shows, how many connected and for how long, how many
// went unanswered or were stopped, and which stations gave the connections,
// over the whole log or a range of dates.
//
// The log is read streaming, in blocks, up to the size it had when the run
// started (AirMail may go on writing meanwhile; what it adds belongs to the
// next run), and it is open only while a run reads it, for reading and
// without any lock, so AirMail's writes go on.

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "common/Grid.h"
#include "common/UserInterface.h"
#include "platform/Clock.h"

namespace tw {

class AirMail;

// The counters of one history run.
struct SummaryCounts {
    int records = 0;  // calls: connections and calls without one
    int connected = 0;
    int noAnswer = 0;
    int stopped = 0;
    int errors = 0;  // lines without a time stamp, connections without their end
    qint64 connectedSeconds = 0;
    QDate earliest;       // of the earliest line counted (within the range, when one is used)
    QDate lastLine;       // of the last dated line read (within the range, when one is used)
    QDate lastConnected;  // the end of the last connection
    QDate lastNoAnswer;
    QDate lastStopped;
    // The stations of the connections, as written after "Connected to " less
    // the blanks around them (a name written once with a trailing blank is
    // the same station, not a second row that looks the same), with their
    // numbers of connections, in the order of their first connection.
    QVector<QPair<QString, int>> stations;
};

// Counts the log's lines one by one.  A connection is measured from the full
// date and time of its "Connected to" line to that of its "Disconnected
// from" line (time-only lines take the date of the last dated line), so one
// across midnight counts its real length; a time-only end that comes before
// its start is taken to be on the next day.
class SummaryCounter {
public:
    // today: the date of time-only lines before any dated one.  With
    // useRange, only records dated from start to stop (both included) count;
    // the lines that end a counted connection count wherever they fall.
    SummaryCounter(bool useRange, QDate start, QDate stop, QDate today);
    void Line(const QString& line);
    // The counts so far; a connection still open counts with no seconds.
    // Without any dated line in the range the time is the range itself
    // (without a range, the last line's day).
    SummaryCounts Counts() const;

private:
    void Record(QStringView event, const QDateTime& time);
    void Station(QStringView name);

    bool m_useRange;
    QDate m_start, m_stop;
    QDate m_current;  // the log's running date
    SummaryCounts m_counts;
    bool m_open = false;  // a connection waits for its end
    QDateTime m_openSince;
};

// The counts of a log's lines.
SummaryCounts ConnectSummaryCount(const QStringList& lines, bool useRange, QDate start, QDate stop,
                                  QDate today);

// The report, one line per item, with the labels that line up the values.
QStringList ConnectSummaryReport(const SummaryCounts& counts);

// The stations by count (most first), equal counts by name, case-sensitive.
QVector<QPair<QString, int>> ConnectSummaryStationsSorted(QVector<QPair<QString, int>> stations);

// A length of time: ":ss" below a minute, "m:ss" below 10 minutes, "mm:ss"
// below an hour, "h:mm:ss" below 10 hours, "hh:mm:ss" beyond (the hours go on
// past 99).
QString DurationText(qint64 seconds);

// The window's model.
class frmSummary : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "AirMail Connection History";

    frmSummary(AirMail& airmail, const platform::IClock& clock, const ITextMetrics& metrics,
               QObject* parent = nullptr);

    QDate dtStart, dtStop;   // the range's first and last date
    QStringList lstSummary;  // the report
    Grid grdStations;        // "Station", "Records", "Percent"
    bool visible = false;

    // Runs the history over the whole log (useRange false) or the range and
    // shows the window.  False after a message when the log could not be
    // read; the report and the grid are then empty (no half counts are
    // shown).
    // A run asked for while one reads the log is ignored.
    bool ConnectSummary(bool useRange, QDate start, QDate stop);
    // The Update button: the range of the two dates.
    bool cmdUpdate_Click() { return ConnectSummary(true, dtStart, dtStop); }
    // The view menu's item: the window shown, then the whole log's run.
    bool ShowWholeLog();
    void Show();
    void Hide();

signals:
    void changed();
    void showRequested();

private:
    void GridHeader();
    bool Run(bool useRange, QDate start, QDate stop);

    AirMail& m_airmail;
    const platform::IClock& m_clock;
    const ITextMetrics& m_metrics;
    bool m_running = false;
};

}  // namespace tw
