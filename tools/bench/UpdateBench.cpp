// tidewell-update-bench: what one update of the best list costs, and how much
// of it is Tidewell's own work rather than the propagation programs'.
//
//     tidewell-update-bench [updates [model]]   (default 5 updates per case, model 3)
//
// It builds a temporary AirMail drive with one system ("BENCH") of 20 stations
// of 10 frequencies each, all of them selected in AirMail and top stations set
// to 20, installs the ITS HF stand-in under the three program names, and runs
// the real update cycle (the composition root with a console user interface:
// Form_Load, the first activation, then Update) as headless mode does.
//
// Case (a): every program run sleeps 50 ms (ITSHF_STANDIN_SLEEP_MS=50).  The
// program runs' share of an update is 20 x (50 ms + the stand-in's own cost
// per run, measured separately by running it on the same deck and waiting
// for it exactly); the ratio of the update's time to that share shows what
// the update adds around the runs, and should be at most 1.05.
// Case (b): no sleep.  Tidewell's own work per station is the update's time
// less the runs' share (20 x the stand-in's own cost), divided by 20; it
// includes what the run driver's process wait adds to each run, shown by the
// same runs timed through that wait.
//
// Times are medians over the updates.  A benchmark, not a test: it prints its
// figures and exits non-zero only when something fails (an update that does
// not build its list, a run count other than 20, a stand-in run that fails).

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
#include <string>
#include <vector>

#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/ConsoleUserInterface.h"
#include "app/frmMain.h"
#include "platform/Process.h"
#include "propagation/PropagationTypes.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kStations = 20;
constexpr int kFrequencies = 10;
constexpr int kSleepMs = 50;
constexpr double kRatioLimit = 1.05;

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

struct UpdateTimes {
    std::vector<double> ms;
    bool ok = true;
};

// Runs `count` updates, each checked for a good build and exactly 20 program
// runs (counted in the stand-in's log).
UpdateTimes TimeUpdates(tw::frmMain& main, const QString& log, int count) {
    UpdateTimes times;
    for (int i = 0; i < count; ++i) {
        const int before = CountLines(log);
        const auto start = SteadyClock::now();
        main.Update(false);
        times.ms.push_back(Milliseconds(SteadyClock::now() - start));
        const int runs = CountLines(log) - before;
        if (!main.cmdStart.enabled || runs != kStations) {
            std::fprintf(stderr, "update %d: %s, %d program runs (expected %d)\n", i + 1,
                         main.cmdStart.enabled ? "list built" : "the list was NOT built", runs, kStations);
            times.ok = false;
        }
    }
    return times;
}

// The stand-in's own cost per run: the installed program run on the deck the
// last update left, with the same command line and folder as the run driver
// uses, and waited for exactly (a blocking wait that wakes when the program
// ends), so that whatever the driver's own wait adds counts as Tidewell's.
bool TimeStandin(const QString& root, int model, int count, int sleepMs, std::vector<double>& ms) {
    const QString itshfbc = root + QStringLiteral("/drive_c/itshfbc");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (sleepMs > 0)
        environment.insert(QStringLiteral("ITSHF_STANDIN_SLEEP_MS"), QString::number(sleepMs));
    else
        environment.remove(QStringLiteral("ITSHF_STANDIN_SLEEP_MS"));
    process.setProcessEnvironment(environment);
    process.setProgram(itshfbc + QStringLiteral("/bin_win/") + tw::PropagationProgramFile(model));
    process.setArguments({itshfbc, QStringLiteral("sound.dat"), QStringLiteral("sound.out")});
    process.setWorkingDirectory(itshfbc + QStringLiteral("/RUN"));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    for (int i = 0; i < count; ++i) {
        const auto start = SteadyClock::now();
        process.start();
        if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return false;
        ms.push_back(Milliseconds(SteadyClock::now() - start));
    }
    return true;
}

// The same runs through the process service that the run driver uses, whose
// wait checks for the program's end in steps: its median minus the exact
// one is what the wait adds to a run.
bool TimeStandinThroughRunner(const QString& root, int model, int count, std::vector<double>& ms) {
    const std::string itshfbc = (root + QStringLiteral("/drive_c/itshfbc")).toStdString();
    const std::string program = itshfbc + "/bin_win/" + tw::PropagationProgramFile(model).toStdString();
    auto runner = tw::platform::MakeProcessRunner();
    for (int i = 0; i < count; ++i) {
        const auto start = SteadyClock::now();
        const tw::platform::ProcessStart started = runner->Start(program, {itshfbc, "sound.dat", "sound.out"},
                                                                 itshfbc + "/RUN");
        if (started.pid <= 0 || runner->Wait(started.pid, 5.0) != tw::platform::ProcessEnd::ExitedZero)
            return false;
        ms.push_back(Milliseconds(SteadyClock::now() - start));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int updates = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int model = argc > 2 ? std::atoi(argv[2]) : tw::ModelRec533;
    if (tw::PropagationProgramFile(model).isEmpty()) {
        std::fprintf(stderr, "usage: tidewell-update-bench [updates [model 1-3]]\n");
        return 2;
    }

    QTemporaryDir root;
    QString error;
    if (!root.isValid() || !BuildDrive(root.path(), model, error)) {
        std::fprintf(stderr, "tidewell-update-bench: %s\n",
                     qPrintable(error.isEmpty() ? QStringLiteral("no temporary folder") : error));
        return 1;
    }
    const QString log = root.filePath(QStringLiteral("standin.log"));
    qputenv("ITSHF_STANDIN_LOG", log.toLocal8Bit());
    qunsetenv("ITSHF_STANDIN_FAIL");
    qunsetenv("ITSHF_STANDIN_SLEEP_MS");
    qputenv("ITSHF_STANDIN_NO_VOACAPL", "1");  // the stand-in's own model for VOACAP too

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
    if (!main.cmdStart.enabled) {
        std::fprintf(stderr, "tidewell-update-bench: the first update did not build the list\n");
        return 1;
    }

    std::printf("Tidewell update benchmark: %d stations x %d frequencies, model %d (%s), %d updates per case\n",
                kStations, kFrequencies, model, qPrintable(tw::PropagationModelName(model)), updates);

    // The stand-in on its own, before and after the timed updates.
    std::vector<double> standinRuns, sleepingRuns, runnerRuns;
    const auto timeStandin = [&] {
        if (TimeStandin(root.path(), model, 50, 0, standinRuns) &&
            TimeStandin(root.path(), model, 10, kSleepMs, sleepingRuns) &&
            TimeStandinThroughRunner(root.path(), model, 50, runnerRuns))
            return true;
        std::fprintf(stderr, "tidewell-update-bench: the stand-in run on its own failed\n");
        return false;
    };
    if (!timeStandin()) return 1;

    qputenv("ITSHF_STANDIN_SLEEP_MS", QByteArray::number(kSleepMs));
    const UpdateTimes slept = TimeUpdates(main, log, updates);
    qunsetenv("ITSHF_STANDIN_SLEEP_MS");
    const UpdateTimes plain = TimeUpdates(main, log, updates);
    if (!timeStandin()) return 1;
    const double standinMs = Median(standinRuns);
    const double runnerMs = Median(runnerRuns);
    std::printf("stand-in's own cost per run, median of %zu runs:          %8.2f ms (quartiles %.2f to %.2f)\n",
                standinRuns.size(), standinMs, Quantile(standinRuns, 0.25), Quantile(standinRuns, 0.75));
    // With the sleep the program's own cost comes out a little higher (the
    // sleep's own overshoot, a processor that has slowed down meanwhile).
    const double sleepingOwnMs = Median(sleepingRuns) - kSleepMs;
    std::printf("the same with ITSHF_STANDIN_SLEEP_MS=%d, less the %d ms:    %8.2f ms (median of %zu runs)\n",
                kSleepMs, kSleepMs, sleepingOwnMs, sleepingRuns.size());
    std::printf("no sleep, through the run driver's process wait:          %8.2f ms (quartiles %.2f to %.2f)\n",
                runnerMs, Quantile(runnerRuns, 0.25), Quantile(runnerRuns, 0.75));

    // (a) every run sleeps 50 ms.
    const double sleptUpdate = Median(slept.ms);
    const double sleptRuns = kStations * (kSleepMs + sleepingOwnMs);
    const double ratio = sleptUpdate / sleptRuns;
    std::printf("\n(a) ITSHF_STANDIN_SLEEP_MS=%d\n", kSleepMs);
    std::printf("update (median):                                          %8.1f ms\n", sleptUpdate);
    std::printf("its %d program runs: %d x (%d ms + %.2f ms) =              %8.1f ms\n", kStations, kStations,
                kSleepMs, sleepingOwnMs, sleptRuns);
    std::printf("ratio update / program runs:                              %8.3f (limit %.2f: %s)\n", ratio,
                kRatioLimit, ratio <= kRatioLimit ? "within" : "OVER");

    // (b) no sleep: Tidewell's own work.
    const double plainUpdate = Median(plain.ms);
    const double plainRuns = kStations * standinMs;
    std::printf("\n(b) no sleep\n");
    std::printf("update (median):                                          %8.1f ms\n", plainUpdate);
    std::printf("its %d program runs: %d x %.2f ms =                       %8.1f ms\n", kStations, kStations,
                standinMs, plainRuns);
    std::printf("Tidewell's own work per station:                          %8.2f ms\n",
                (plainUpdate - plainRuns) / kStations);

    return slept.ok && plain.ok ? 0 : 1;
}
