// tidewell-update-bench: what one update of the best list and one update of
// the best connect time view cost with the VOACAP model, whose runs put every
// station's circuits into one program run, and how much of it is Tidewell's
// own work rather than the propagation program's.
//
//     tidewell-update-bench [updates]   (default 5 updates per case)
//
// It builds a temporary AirMail drive with one system ("BENCH") of 20 stations
// of 10 frequencies each, all of them selected in AirMail and top stations set
// to 20, installs the ITS HF stand-in under the three program names, and runs
// the real update cycle (the composition root with a console user interface:
// Form_Load, the first activation, then Update) as headless mode does.
//
// A program start costs far more than a circuit; the stand-in is given a
// known cost of that shape: ITSHF_STANDIN_SLEEP_MS=20 per start and
// ITSHF_STANDIN_CIRCUIT_MS=1 per circuit.
// (a) The update with one combined run against 20 separate program runs of
//     the same stations (the deck of one station run 20 times on its own with
//     the same costs): goal at most 0.3.  The update with one run per station
//     (the setting off) is shown beside it.
// (b) No costs: Tidewell's own work per station is the update's time less
//     its one program run (the combined deck run on its own), divided by 20:
//     goal at most 0.4 ms.
// (c) The best connect time view (24 hours of every station, folded), with
//     the costs of (a): its time against its program run alone: goal at most
//     1.10; without the costs as well.
//
// Times are medians.  A benchmark, not a test: it prints its figures and
// exits non-zero only when something fails (an update that does not build its
// list, a run count other than expected, a stand-in run that fails).

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/ConsoleUserInterface.h"
#include "app/frmMain.h"
#include "views/PropagationBest.h"
#include "platform/Process.h"
#include "propagation/PropagationTypes.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kStations = 20;
constexpr int kFrequencies = 10;
constexpr int kStartMs = 20;   // the stand-in's cost per program start
constexpr int kCircuitMs = 1;  // and per circuit
constexpr double kCombinedLimit = 0.3;
constexpr double kOwnWorkLimitMs = 0.4;
constexpr double kViewLimit = 1.10;

// Grid locators spread over the Atlantic and beyond, from the vessel at 37.7N 25.7W.
const char* const kLocators[kStations] = {
    "FN41PM", "EL95VS", "EL29OH", "FK78AA", "FK92DB", "FJ08FW", "CM87ST", "DM12JQ", "BL11AA", "CN88HK",
    "IM76AA", "JN23QH", "IO70WI", "HM58QM", "GF15WC", "JF96FB", "LG89SU", "IN80DK", "JO43XN", "GG66QK"};

// Ten frequencies across the HF bands, kHz; each station's are shifted a little.
const double kBandsKhz[kFrequencies] = {2182.0, 4146.0, 6231.5, 8352.0,  10145.5,
                                        12551.0, 14108.0, 16710.5, 18876.0, 22124.0};

double Milliseconds(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The value below which a share q (0 to 1) of the values lie (nearest rank).
double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

double Median(const std::vector<double>& values) { return Quantile(values, 0.5); }

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size();
}

int CountLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return static_cast<int>(file.readAll().count('\n'));
}

// The AirMail drive of the benchmark under `root`: drive_c with AirMail's
// folder and the ITS HF tree, and the profile Tidewell.Ini.  False with a
// reason in `error`.
bool BuildDrive(const QString& root, int model, QString& error) {
    const QString airmail = root + QStringLiteral("/drive_c/Program Files/AirMail");
    const QString binWin = root + QStringLiteral("/drive_c/itshfbc/bin_win");
    if (!QDir().mkpath(airmail) || !QDir().mkpath(binWin) ||
        !QDir().mkpath(root + QStringLiteral("/drive_c/itshfbc/RUN"))) {
        error = QStringLiteral("cannot create the drive folders under ") + root;
        return false;
    }

    QByteArray info, frequencies, selected;
    for (int s = 0; s < kStations; ++s) {
        const QByteArray id = "QBN" + QByteArray::number(100 + s);
        info += id + "=" + kLocators[s] + ":" + id + " Bench Station\r\n";
        frequencies += id + "=";
        for (int f = 0; f < kFrequencies; ++f) {
            // A "#" marks every other frequency Pactor 3, as AirMail's lists do.
            frequencies += QByteArray::number(kBandsKhz[f] + 1.5 * s, 'f', 1) + (f % 2 ? "#" : "");
            frequencies += f + 1 < kFrequencies ? "," : "\r\n";
        }
        selected += id + ",";
    }
    const QByteArray system = "[Station Info]\r\n" + info + "\r\n[Frequency List]\r\n" + frequencies +
                              "\r\n[Frequency Setup]\r\nSelected=" + selected + "\r\nScan=False\r\n";
    // The position report's time is the benchmark's clock: no age warning.
    const QByteArray airmailIni =
        "[Stations]\r\nLast System=BENCH\r\n\r\n"
        "[Position Report]\r\nLatitude=37\xb0" "41.20'N\r\nLongitude=025\xb0" "33.80'W\r\n"
        "DateTime=2026/06/06 11:00:00\r\n\r\n"
        "[Propagation]\r\nSSN=95\r\n";
    const QByteArray profile = "[AirMail Data]\r\nStartup=False\r\n"
                               "[Propagation Data]\r\nModel=" +
                               QByteArray::number(model) +
                               "\r\n[Station Data]\r\nAll Stations=False\r\nTop Stations=" +
                               QByteArray::number(kStations) + "\r\n";
    if (!WriteFile(airmail + QStringLiteral("/Airmail3.exe"), QByteArray()) ||
        !WriteFile(airmail + QStringLiteral("/Airmail.ini"), airmailIni) ||
        !WriteFile(airmail + QStringLiteral("/System.BENCH.ini"), system) ||
        !WriteFile(root + QStringLiteral("/Tidewell.Ini"), profile)) {
        error = QStringLiteral("cannot write the AirMail files under ") + airmail;
        return false;
    }

    for (const char* name : {"icepacw.exe", "voacapw.exe", "rec533w.exe"}) {
        const QString from = QStringLiteral(ITSHF_DEMO_BIN_WIN "/") + QLatin1String(name);
        const QString to = binWin + QLatin1Char('/') + QLatin1String(name);
        if (!QFile::copy(from, to)) {
            error = QStringLiteral("cannot install the stand-in ") + from + QStringLiteral(" as ") + to;
            return false;
        }
        QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return true;
}

struct Times {
    std::vector<double> ms;
    std::vector<double> cpuMs;  // this process's processor time (the programs' not included)
    bool ok = true;
};

double ProcessorMs() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Runs `work` `count` times, each checked by `built` and for `expectedRuns`
// program runs (counted in the stand-in's log).
Times TimeWork(const QString& what, const std::function<void()>& work, const std::function<bool()>& built,
               const QString& log, int count, int expectedRuns) {
    Times times;
    for (int i = 0; i < count; ++i) {
        const int before = CountLines(log);
        const auto start = SteadyClock::now();
        const double cpuStart = ProcessorMs();
        work();
        times.ms.push_back(Milliseconds(SteadyClock::now() - start));
        times.cpuMs.push_back(ProcessorMs() - cpuStart);
        const int runs = CountLines(log) - before;
        if (!built() || runs != expectedRuns) {
            std::fprintf(stderr, "%s %d: %s, %d program runs (expected %d)\n", qPrintable(what), i + 1,
                         built() ? "built" : "NOT built", runs, expectedRuns);
            times.ok = false;
        }
    }
    return times;
}

// The costs the stand-in is given (0: none).
void SetCosts(bool on) {
    if (on) {
        qputenv("ITSHF_STANDIN_SLEEP_MS", QByteArray::number(kStartMs));
        qputenv("ITSHF_STANDIN_CIRCUIT_MS", QByteArray::number(kCircuitMs));
    } else {
        qunsetenv("ITSHF_STANDIN_SLEEP_MS");
        qunsetenv("ITSHF_STANDIN_CIRCUIT_MS");
    }
}

// The program run on its own: the installed program on the deck the last
// update left, with the same command line and folder as the run driver uses
// and the environment in force (the costs), waited for exactly (a blocking
// wait that wakes when the program ends).
bool TimeStandin(const QString& root, int count, std::vector<double>& ms) {
    const QString itshfbc = root + QStringLiteral("/drive_c/itshfbc");
    QProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.setProgram(itshfbc + QStringLiteral("/bin_win/") + tw::PropagationProgramFile(tw::ModelVoacap));
    process.setArguments({itshfbc, QStringLiteral("sound.dat"), QStringLiteral("sound.out")});
    process.setWorkingDirectory(itshfbc + QStringLiteral("/RUN"));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    for (int i = 0; i < count; ++i) {
        const auto start = SteadyClock::now();
        process.start();
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return false;
        ms.push_back(Milliseconds(SteadyClock::now() - start));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int updates = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir root;
    QString error;
    if (!root.isValid() || !BuildDrive(root.path(), tw::ModelVoacap, error)) {
        std::fprintf(stderr, "tidewell-update-bench: %s\n",
                     qPrintable(error.isEmpty() ? QStringLiteral("no temporary folder") : error));
        return 1;
    }
    const QString log = root.filePath(QStringLiteral("standin.log"));
    qputenv("ITSHF_STANDIN_LOG", log.toLocal8Bit());
    qunsetenv("ITSHF_STANDIN_FAIL");
    SetCosts(false);
    qputenv("ITSHF_STANDIN_NO_VOACAPL", "1");  // the stand-in's own model

    tw::CommandLine line;
    line.command = tw::CommandLine::Command::BestList;
    line.driveC = root.filePath(QStringLiteral("drive_c"));
    line.profileFile = root.filePath(QStringLiteral("Tidewell.Ini"));
    line.utcSeconds = QDateTime(QDate(2026, 6, 6), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    QTextStream err(stderr);
    tw::ConsoleUserInterface ui(err);
    const tw::FixedTextMetrics metrics;
    tw::Application application(line, ui, metrics, root.path());
    tw::frmMain& main = application.main();
    main.Form_Load();
    // The first activation: AirMail's folders, then the first update (not timed).
    main.Form_Activate();
    if (!main.cmdStart.enabled || !main.propagationBest) {
        std::fprintf(stderr, "tidewell-update-bench: the first update did not build the list\n");
        return 1;
    }

    std::printf("Tidewell update benchmark: %d stations x %d frequencies, VOACAP, %d updates per case\n",
                kStations, kFrequencies, updates);
    const auto update = [&] { main.Update(false); };
    const auto listBuilt = [&] { return main.cmdStart.enabled; };
    bool ok = true;
    const auto standin = [&](int count) {
        std::vector<double> ms;
        if (!TimeStandin(root.path(), count, ms)) {
            std::fprintf(stderr, "tidewell-update-bench: the stand-in run on its own failed\n");
            ok = false;
        }
        return Median(ms);
    };

    // (a) One combined run against 20 separate runs, with the costs.
    SetCosts(true);
    main.settings.m_bPropagationCombinedRuns = false;
    const Times separate = TimeWork(QStringLiteral("update, one run per station"), update, listBuilt, log,
                                    updates, kStations);
    const double oneStationRun = standin(10);  // the last station's deck
    main.settings.m_bPropagationCombinedRuns = true;
    const Times combined = TimeWork(QStringLiteral("update"), update, listBuilt, log, updates, 1);
    const double separateRuns = kStations * oneStationRun;
    const double ratio = Median(combined.ms) / separateRuns;
    std::printf("\n(a) every program start costs %d ms, every circuit %d ms\n", kStartMs, kCircuitMs);
    std::printf("update, one combined run (median):                        %8.1f ms\n", Median(combined.ms));
    std::printf("%d separate program runs: %d x %.2f ms =                %8.1f ms\n", kStations, kStations,
                oneStationRun, separateRuns);
    std::printf("ratio update / separate runs:                             %8.3f (goal %.2f: %s)\n", ratio,
                kCombinedLimit, ratio <= kCombinedLimit ? "within" : "OVER");
    std::printf("update with one run per station (setting off):            %8.1f ms\n", Median(separate.ms));

    // (b) No costs: Tidewell's own work.
    SetCosts(false);
    const Times plain = TimeWork(QStringLiteral("update"), update, listBuilt, log, updates, 1);
    const double combinedRun = standin(20);
    const double ownPerStation = (Median(plain.ms) - combinedRun) / kStations;
    std::printf("\n(b) no costs\n");
    std::printf("update (median):                                          %8.1f ms\n", Median(plain.ms));
    std::printf("its one program run on its own:                           %8.2f ms\n", combinedRun);
    std::printf("Tidewell's own work per station:                          %8.2f ms (goal %.2f: %s)\n",
                ownPerStation, kOwnWorkLimitMs, ownPerStation <= kOwnWorkLimitMs ? "within" : "OVER");
    std::printf("Tidewell's processor time per station:                    %8.2f ms\n",
                Median(plain.cpuMs) / kStations);

    // (c) The best connect time view, short form.
    tw::frmPropagationBest& best = *main.propagationBest;
    const auto view = [&] { best.Update(QStringLiteral("BENCH"), false); };
    const auto viewBuilt = [&] { return best.Failure().isEmpty() && best.grdData.Rows() == 2; };
    std::printf("\n(c) best connect time view, %d stations x 24 hours\n", kStations);
    for (const bool costs : {true, false}) {
        SetCosts(costs);
        const Times times = TimeWork(QStringLiteral("view"), view, viewBuilt, log, updates, 1);
        const double run = standin(10);
        const double viewRatio = Median(times.ms) / run;
        std::printf("%s: view %.1f ms (processor %.1f ms), its program run alone %.1f ms, ratio %.3f",
                    costs ? "with the costs" : "no costs", Median(times.ms), Median(times.cpuMs), run, viewRatio);
        if (costs) std::printf(" (goal %.2f: %s)", kViewLimit, viewRatio <= kViewLimit ? "within" : "OVER");
        std::printf("\n");
        ok = ok && times.ok;
    }
    return ok && separate.ok && combined.ok && plain.ok ? 0 : 1;
}
