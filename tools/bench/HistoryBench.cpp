// tidewell-history-bench: what the connection history costs over a long
// AirMail Debug.log, in time and in memory.
//
//     tidewell-history-bench [runs [megabytes]]   (default 3 runs per case, 50 MB)
//
// It writes, in a temporary AirMail drive, a Debug.log as AirMail writes it:
// sessions over many days, the first line of a day with its date and the
// others with the time only, calls that connect (with their link speed and
// their end, some stopped by hand, a few across midnight), calls without an
// answer and calls stopped by hand, to a dozen stations.  The log is written
// in pieces, so that the benchmark itself holds little of it.
//
// Then it runs the history as `tidewell --history` does (the composition root
// with a console user interface, AirMail's folders, `ConnectionHistory`):
// once over the whole log and once over a range of one year in its middle,
// first on a log of a tenth of the size, then on the full one.  It prints the
// median time of the runs and the process's peak resident memory (getrusage's
// ru_maxrss) before and after each case: the history streams the log, so the
// peak after the large log stays where the small one left it.
//
// It also times what the best list's Log column adds to an update: the one
// pass over the log that gathers the calls of the last "History Days" days
// (`LogCallsRead`), with the default 60 days up to the day after the log's
// last, and with days that take in the whole log (every line read as text),
// and checks the calls it finds against those written.
//
// A benchmark, not a test: it prints its figures and exits non-zero only when
// something fails (a log that cannot be written, a history that cannot be had,
// counts that differ from those the generator wrote).

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "airmail/CallLog.h"
#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/ConsoleUserInterface.h"
#include "program/Headless.h"
#include "app/frmMain.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

const char* const kStations[] = {"QAA9920", "QWA4471", "QPD3356", "QBZ3504", "QE7NMD", "QG4LND",
                                 "QKX2210", "QMR7781", "QNT5502", "QRS1187", "QTV6630", "QZL0945"};
const char* const kSystems[] = {"SAILMAIL", "HAM"};
const QDate kFirstDay(1990, 1, 1);

// What the generator wrote, for checking the history's counts.
struct Written {
    qint64 bytes = 0;
    int calls = 0;
    int connected = 0;
    int noAnswer = 0;
    int stopped = 0;
    QDate lastDay;
    std::vector<qint64> answered;  // the times of the calls that connected or got no answer
};

// Writes the log in pieces of about 1 MB until it holds `target` bytes.
class LogWriter {
public:
    explicit LogWriter(QFile& file) : m_file(file) { m_piece.reserve(kPiece + 1024); }

    // A line at `seconds` after the start of the first day: with its date
    // when it is the first line of its day.
    bool Line(qint64 seconds, const QByteArray& event) {
        const QDateTime time = QDateTime(kFirstDay, QTime(0, 0), Qt::UTC).addSecs(seconds);
        const QDate day = time.date();
        if (day != m_day) m_piece += day.toString(QStringLiteral("yyyy/MM/dd ")).toLatin1();
        m_day = day;
        const int hundredths = static_cast<int>(m_random() % 100);
        m_piece += time.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + '.' +
                   QByteArray::number(hundredths).rightJustified(2, '0') + ' ' + event + "\r\n";
        if (m_piece.size() < kPiece) return true;
        return Flush();
    }

    bool Flush() {
        const bool ok = m_file.write(m_piece) == m_piece.size();
        m_written += m_piece.size();
        m_piece.clear();
        return ok;
    }

    qint64 Size() const { return m_written + m_piece.size(); }
    QDate Day() const { return m_day; }
    std::mt19937& Random() { return m_random; }

private:
    static constexpr qsizetype kPiece = 1 << 20;
    QFile& m_file;
    QByteArray m_piece;
    qint64 m_written = 0;
    QDate m_day;
    std::mt19937 m_random{20260606};
};

// A realistic log of about `target` bytes at `path`: on each day two to
// eight sessions of one to six calls (a busy user, so that the log spans
// decades rather than centuries).  About two calls in three connect.
bool WriteLog(const QString& path, qint64 target, Written& written) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    LogWriter log(file);
    std::mt19937& random = log.Random();
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    qint64 t = 0;
    for (qint64 day = 0; log.Size() < target; ++day) {
        // A day's first session in the morning, after the last one of the day before.
        t = std::max(t + 3600, day * 86400 + 4 * 3600 + pick(2 * 3600));
        const int sessions = 2 + pick(7);
        for (int s = 0; s < sessions && log.Size() < target; ++s) {
            const QByteArray system = kSystems[pick(3) == 0 ? 1 : 0];
            if (!log.Line(t, "Session opened, system " + system)) return false;
            const int calls = 1 + pick(6);
            for (int c = 0; c < calls; ++c) {
                const QByteArray station = kStations[pick(12)];
                const QByteArray khz = QByteArray::number(4000 + pick(180) * 100 + pick(2) * 0.5, 'f', 1);
                t += 20 + pick(60);
                if (!log.Line(t, "Calling " + station + " on " + khz + " kHz")) return false;
                const qint64 calling = t;
                t += 30 + pick(90);
                ++written.calls;
                const int outcome = pick(100);
                const qint64 start = QDateTime(kFirstDay, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
                if (outcome < 90) written.answered.push_back(start + calling);
                if (outcome < 66) {
                    ++written.connected;
                    if (!log.Line(t, "Connected to " + station)) return false;
                    if (!log.Line(t + 2, "Link speed level " + QByteArray::number(1 + pick(4)))) return false;
                    t += 60 + pick(1200);
                    if (!log.Line(t, "Disconnected from " + station + (pick(5) == 0 ? " (manual)" : "")))
                        return false;
                } else if (outcome < 90) {
                    ++written.noAnswer;
                    if (!log.Line(t, "No answer from " + station)) return false;
                } else {
                    ++written.stopped;
                    if (!log.Line(t, "No answer from " + station + " (manual)")) return false;
                }
            }
            // The next session later that day; the last of the day may run past midnight.
            t += 1800 + pick(2 * 3600);
        }
    }
    if (!log.Flush()) return false;
    written.bytes = log.Size();
    written.lastDay = log.Day();
    return true;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The processor time the process has used so far (user and system), ms.
double ProcessorMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double Milliseconds(SteadyClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct History {
    double ms = 0.0;     // elapsed
    double cpuMs = 0.0;  // processor time, which other work on the machine does not lengthen
    QString report;  // as `tidewell --history` prints it
    bool ok = false;
};

// `runs` runs of the history as `tidewell --history [--from --to]` makes
// them; the median time and the last run's report.
History RunHistory(const QString& root, QDate from, QDate to, int runs) {
    tw::CommandLine line;
    line.command = tw::CommandLine::Command::History;
    line.driveC = root + QStringLiteral("/drive_c");
    line.profileFile = root + QStringLiteral("/Tidewell.Ini");
    line.utcSeconds = QDateTime(QDate(2200, 1, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    line.historyFrom = from;
    line.historyTo = to;
    QTextStream err(stderr);
    tw::ConsoleUserInterface ui(err);
    const tw::FixedTextMetrics metrics;
    History history;
    std::vector<double> ms, cpuMs;
    for (int i = 0; i < runs; ++i) {
        tw::Application application(line, ui, metrics, root);
        application.main().Form_Load();
        history.report.clear();
        QTextStream out(&history.report);
        const double cpuStart = ProcessorMilliseconds();
        const auto start = SteadyClock::now();
        history.ok = tw::ConnectionHistory(application, out) == 0;
        ms.push_back(Milliseconds(SteadyClock::now() - start));
        cpuMs.push_back(ProcessorMilliseconds() - cpuStart);
        if (!history.ok) return history;
    }
    history.ms = Median(ms);
    history.cpuMs = Median(cpuMs);
    return history;
}

struct LogPass {
    double ms = 0.0, cpuMs = 0.0;
    std::size_t calls = 0;
};

// `runs` passes of the Log column over the log, as an update makes it: the
// calls of the `days` days before `t`.
LogPass RunLogPass(const QString& root, const QDateTime& t, int days, int runs) {
    tw::CommandLine line;
    line.command = tw::CommandLine::Command::BestList;
    line.driveC = root + QStringLiteral("/drive_c");
    line.profileFile = root + QStringLiteral("/Tidewell.Ini");
    QTextStream err(stderr);
    tw::ConsoleUserInterface ui(err);
    const tw::FixedTextMetrics metrics;
    tw::Application application(line, ui, metrics, root);
    application.main().Form_Load();
    LogPass pass;
    std::vector<double> ms, cpuMs;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = ProcessorMilliseconds();
        const auto start = SteadyClock::now();
        pass.calls = tw::LogCallsRead(application.airmail(), t, days).calls.size();
        ms.push_back(Milliseconds(SteadyClock::now() - start));
        cpuMs.push_back(ProcessorMilliseconds() - cpuStart);
    }
    pass.ms = Median(ms);
    pass.cpuMs = Median(cpuMs);
    return pass;
}

// The whole log's report must give what was written.
bool Check(const History& whole, const Written& written) {
    const QString records = QStringLiteral("Records:        %1,").arg(written.calls);
    const QString connected = QStringLiteral("Connected:    %1 (").arg(written.connected);
    const QString noAnswer = QStringLiteral("No Answer:    %1 (").arg(written.noAnswer);
    const QString stopped = QStringLiteral("Stopped         %1 (").arg(written.stopped);
    for (const QString& text : {records, connected, noAnswer, stopped}) {
        if (!whole.report.contains(text)) {
            std::fprintf(stderr, "the report lacks \"%s\":\n%s", qPrintable(text), qPrintable(whole.report));
            return false;
        }
    }
    return true;
}

// One log size: writes it, runs the history over the whole log and over a
// year in its middle, prints the figures.
bool Case(const QString& root, const QString& logPath, qint64 target, int runs) {
    Written written;
    if (!WriteLog(logPath, target, written)) {
        std::fprintf(stderr, "tidewell-history-bench: cannot write %s\n", qPrintable(logPath));
        return false;
    }
    const QDate middle = kFirstDay.addDays(kFirstDay.daysTo(written.lastDay) / 2);
    const QDate from = QDate(middle.year(), 1, 1), to = QDate(middle.year(), 12, 31);

    const long before = PeakKilobytes();
    const History whole = RunHistory(root, {}, {}, runs);
    const long afterWhole = PeakKilobytes();
    const History range = RunHistory(root, from, to, runs);
    const long afterRange = PeakKilobytes();
    // The Log column: 60 days up to the day after the log's last, and days
    // that take in the whole log.
    const QDateTime t(written.lastDay.addDays(1), QTime(12, 0), Qt::UTC);
    const int wholeDays = static_cast<int>(kFirstDay.daysTo(t.date())) + 1;
    const LogPass recent = RunLogPass(root, t, 60, runs);
    const LogPass all = RunLogPass(root, t, wholeDays, runs);
    const long afterLog = PeakKilobytes();
    const qint64 windowStart = t.addDays(-60).toSecsSinceEpoch();
    const auto inWindow = static_cast<std::size_t>(
        std::count_if(written.answered.begin(), written.answered.end(),
                      [windowStart](qint64 time) { return time >= windowStart; }));
    if (!whole.ok || !range.ok) {
        std::fprintf(stderr, "tidewell-history-bench: the history failed\n");
        return false;
    }
    const double mb = double(written.bytes) / 1e6;
    std::printf("\nDebug.log of %.1f MB: %d calls (%d connected, %d unanswered, %d stopped), %s to %s\n", mb,
                written.calls, written.connected, written.noAnswer, written.stopped,
                qPrintable(kFirstDay.toString(Qt::ISODate)), qPrintable(written.lastDay.toString(Qt::ISODate)));
    std::printf("  whole log:              %8.1f ms elapsed, %8.1f ms processor (%.0f MB/s)\n", whole.ms,
                whole.cpuMs, mb / (whole.ms / 1000.0));
    std::printf("  %s to %s:  %8.1f ms elapsed, %8.1f ms processor\n", qPrintable(from.toString(Qt::ISODate)),
                qPrintable(to.toString(Qt::ISODate)), range.ms, range.cpuMs);
    std::printf("  peak resident memory:   %8ld KB before, %ld KB after the whole log, %ld KB after the range\n",
                before, afterWhole, afterRange);
    std::printf("  Log column, 60 days:    %8.1f ms elapsed, %8.1f ms processor (%zu calls)\n", recent.ms,
                recent.cpuMs, recent.calls);
    std::printf("  Log column, whole log:  %8.1f ms elapsed, %8.1f ms processor (%zu calls), "
                "peak memory %ld KB\n",
                all.ms, all.cpuMs, all.calls, afterLog);
    if (recent.calls != inWindow || all.calls != written.answered.size()) {
        std::fprintf(stderr, "the Log column found %zu and %zu calls, not the %zu and %zu written\n",
                     recent.calls, all.calls, inWindow, written.answered.size());
        return false;
    }
    return Check(whole, written);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const qint64 megabytes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    const qint64 target = megabytes * 1000 * 1000;

    QTemporaryDir root;
    const QString airmail = root.path() + QStringLiteral("/drive_c/Program Files/AirMail");
    if (!root.isValid() || !QDir().mkpath(airmail + QStringLiteral("/Logfiles")) ||
        !WriteFile(airmail + QStringLiteral("/Airmail3.exe"), QByteArray()) ||
        !WriteFile(airmail + QStringLiteral("/Airmail.ini"), "[Stations]\r\nLast System=SAILMAIL\r\n") ||
        !WriteFile(root.filePath(QStringLiteral("Tidewell.Ini")), "[AirMail Data]\r\nStartup=False\r\n")) {
        std::fprintf(stderr, "tidewell-history-bench: cannot build the AirMail drive\n");
        return 1;
    }
    const QString logPath = airmail + QStringLiteral("/Logfiles/Debug.log");

    std::printf("Tidewell connection history benchmark: median of %d runs per case\n", runs);
    std::printf("peak resident memory at the start: %ld KB\n", PeakKilobytes());
    // The small log first: the peak it leaves is the one the large log must keep.
    if (!Case(root.path(), logPath, target / 10, runs) || !Case(root.path(), logPath, target, runs)) return 1;
    return 0;
}
