// tidewell-update-bench: the processor time of one update of the best list
// and of one update of the best connect time view with the VOACAP model, and
// how much of it is Tidewell's own work rather than the propagation engine's.
//
//     tidewell-update-bench [runs [stations...]]
//
// (default 5 runs per figure; station counts for a profile of one size).
// For 5, 20 and 120 stations of 10 frequencies each it builds a temporary
// AirMail drive with one system ("BENCH"), every station selected in AirMail
// and top stations set to all of them, and runs the real update cycle as
// headless mode does (the composition root with a console user interface:
// Form_Load, the first activation, then Update).  Each case runs on every
// engine there is: the stand-in (bin_win/voacapw.exe with its own model)
// always, and the real engine voacapl when this machine has one
// (EngineInstall.h: TIDEWELL_VOACAPL or voacapl on the PATH), installed into
// the drive as bin_linux/voacapl.
//
// Every figure is processor time (user + system), the median of the runs:
// Tidewell's own from getrusage(RUSAGE_SELF), the engine's from
// RUSAGE_CHILDREN over the same span, and the engine run alone on the deck
// the update left, right after it (the same command line and folder, one
// child waited for with wait4, which gives that child's time); the ratio is
// the median of each update against the engine run after it.  Wall-clock
// time is not used: on a shared machine it swings by more than Tidewell's
// whole share.
//
// Goals: Tidewell's own work at most 0.3 ms per station at every size; with
// the real engine, an update at most 1.25 times the engine alone on its deck
// and the best connect time view (24 hours of every station, the short
// form) at most 1.15 times.  The stand-in's model costs next to nothing, so
// its ratios show Tidewell's share against a process start and are printed
// without a goal.
//
// A benchmark, not a test: it prints its figures and exits non-zero only when
// something fails: an update that does not build its list, a number of
// program runs other than expected (1 with the combined run, one per station
// with the setting off; counted as the decks written), an output that does not
// come from the engine under test, an engine run alone that fails.

#include <fcntl.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "EngineInstall.h"
#include "app/frmMain.h"
#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/ConsoleUserInterface.h"
#include "propagation/PropagationTypes.h"
#include "views/PropagationBest.h"

extern char** environ;

namespace {

constexpr int kFrequencies = 10;
const std::vector<int> kStationCounts = {5, 20, 120};
constexpr int kSeparateRunsStations = 20;  // the case also run with one run per station
constexpr double kOwnLimitMs = 0.30;
constexpr double kUpdateLimit = 1.25;
constexpr double kViewLimit = 1.15;
const char* const kEndOfRun = "*****END OF RUN*****";
const char* const kStandinBanner = "Stand-in model (Tidewell tools/itshf)";

// Ten frequencies across the HF bands, kHz; each station's are shifted a little.
const double kBandsKhz[kFrequencies] = {2182.0,  4146.0,  6231.5,  8352.0,  10145.5,
                                        12551.0, 14108.0, 16710.5, 18876.0, 22124.0};

// The middle value (of an even number, the upper of the two middle ones).
double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Station s's grid locator: fields spread over the world, never the vessel's
// own (HM, at 37.7N 25.7W), squares and subsquares varied.
QByteArray Locator(int s) {
    int lon = (s * 7 + 2) % 18;
    const int lat = (s * 5 + 4) % 18;
    if (lon == 7 && lat == 12) lon = 8;
    QByteArray text;
    text += static_cast<char>('A' + lon);
    text += static_cast<char>('A' + lat);
    text += static_cast<char>('0' + s % 10);
    text += static_cast<char>('0' + (s / 10 + s) % 10);
    text += static_cast<char>('A' + (s * 3) % 24);
    text += static_cast<char>('A' + (s * 11) % 24);
    return text;
}

// The AirMail drive of the benchmark under `root`: drive_c with AirMail's
// folder and the ITS HF tree with the stand-in, and the profile Tidewell.Ini.
bool BuildDrive(const QString& root, int stations, QString& error) {
    const QString airmail = root + QStringLiteral("/drive_c/Program Files/AirMail");
    const QString binWin = root + QStringLiteral("/drive_c/itshfbc/bin_win");
    if (!QDir().mkpath(airmail) || !QDir().mkpath(binWin) ||
        !QDir().mkpath(root + QStringLiteral("/drive_c/itshfbc/RUN"))) {
        error = QStringLiteral("cannot create the drive folders under ") + root;
        return false;
    }
    QByteArray info, frequencies, selected;
    for (int s = 0; s < stations; ++s) {
        const QByteArray id = "QBN" + QByteArray::number(100 + s);
        info += id + "=" + Locator(s) + ":" + id + " Bench Station\r\n";
        frequencies += id + "=";
        for (int f = 0; f < kFrequencies; ++f) {
            // A "#" marks every other frequency Pactor 3, as AirMail's lists do.
            frequencies += QByteArray::number(kBandsKhz[f] + 1.5 * s, 'f', 1) + (f % 2 ? "#" : "");
            frequencies += f + 1 < kFrequencies ? "," : "\r\n";
        }
        selected += id + ",";
    }
    const QByteArray system = "[Station Info]\r\n" + info + "\r\n[Frequency List]\r\n" +
                              frequencies + "\r\n[Frequency Setup]\r\nSelected=" + selected +
                              "\r\nScan=False\r\n";
    // The position report's time is the benchmark's clock: no age warning.
    const QByteArray airmailIni =
        "[Stations]\r\nLast System=BENCH\r\n\r\n"
        "[Position Report]\r\nLatitude=37\xb0"
        "41.20'N\r\nLongitude=025\xb0"
        "33.80'W\r\n"
        "DateTime=2026/06/06 11:00:00\r\n\r\n"
        "[Propagation]\r\nSSN=95\r\n";
    const QByteArray profile =
        "[AirMail Data]\r\nStartup=False\r\n"
        "[Propagation Data]\r\nModel=" +
        QByteArray::number(tw::ModelVoacap) +
        "\r\n[Station Data]\r\nAll Stations=False\r\nTop Stations=" + QByteArray::number(stations) +
        "\r\n";
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
            error =
                QStringLiteral("cannot install the stand-in ") + from + QStringLiteral(" as ") + to;
            return false;
        }
        QFile::setPermissions(
            to, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return true;
}

double Ms(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
}
double Ms(const rusage& u) {
    return Ms(u.ru_utime) + Ms(u.ru_stime);
}

double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return Ms(usage);
}

// The decks the run driver writes into the RUN folder: one per program run.
// The driver writes the deck beside its place and renames it over it, which
// shows as "sound.dat" created (Qt renames by a new link) or moved in; a deck
// written in place shows as closed after a change.  Either way counts once.
// (The real engine opens its deck for writing too, and closes it unchanged.)
class DeckCounter {
  public:
    explicit DeckCounter(const QString& runFolder) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(runFolder).constData(),
                              IN_CREATE | IN_MOVED_TO | IN_MODIFY | IN_CLOSE);
    }
    ~DeckCounter() {
        if (m_fd >= 0) ::close(m_fd);
    }
    DeckCounter(const DeckCounter&) = delete;
    DeckCounter& operator=(const DeckCounter&) = delete;

    // The decks written since the last call (-1 when they cannot be counted).
    int Take() {
        if (m_fd < 0) return -1;
        int decks = 0;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string(event->name) == "sound.dat") {
                    if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                        ++decks;
                        m_placed = true;
                    }
                    if (event->mask & IN_MODIFY) m_changed = true;
                    if ((event->mask & IN_CLOSE_WRITE) && m_changed && !m_placed) ++decks;
                    if (event->mask & IN_CLOSE) m_changed = m_placed = false;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return decks;
    }

  private:
    int m_fd = -1;
    bool m_changed = false;  // written since its last close
    bool m_placed = false;   // created or moved in since its last close
};

// One engine: how the run driver starts it, and how to tell its output.
struct Engine {
    QString title;
    std::optional<tw::bench::RealEngine> real;  // nothing: the stand-in

    // The command line the run driver gives the engine on drive C: `driveC`.
    std::vector<std::string> Command(const QString& driveC) const {
        const std::string itshfbc =
            QFile::encodeName(driveC + QStringLiteral("/itshfbc")).toStdString();
        if (real)
            return {itshfbc + "/bin_linux/voacapl",
                    "-s",
                    "--run-dir=" + itshfbc + "/RUN",
                    itshfbc,
                    "sound.dat",
                    "sound.out"};
        return {itshfbc + "/bin_win/" + tw::PropagationProgramFile(tw::ModelVoacap).toStdString(),
                itshfbc, "sound.dat", "sound.out"};
    }
    bool Produced(const QByteArray& output) const {
        return output.contains(kEndOfRun) && output.contains(kStandinBanner) == !real;
    }
};

// The engine run alone on the deck in the RUN folder, as the run driver runs
// it: the processor time of that one child, or nothing when it failed.
std::optional<double> RunAlone(const Engine& engine, const QString& driveC) {
    const std::vector<std::string> command = engine.Command(driveC);
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string run =
        QFile::encodeName(driveC + QStringLiteral("/itshfbc/RUN")).toStdString();
    // The old output goes first, as the run driver removes it: the real
    // engine writes over a file that is there without shortening it.
    QFile::remove(driveC + QStringLiteral("/itshfbc/RUN/sound.out"));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, run.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return std::nullopt;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    if (!engine.Produced(ReadFile(driveC + QStringLiteral("/itshfbc/RUN/sound.out"))))
        return std::nullopt;
    return Ms(usage);
}

// The figures of one kind of work on one drive: medians of the runs.
struct Figures {
    double ownMs = 0;     // Tidewell's processor time
    double updateMs = 0;  // Tidewell's and the engine's
    double aloneMs = 0;   // the engine alone on the deck the work left
    double ratio = 0;     // update / engine alone, of each run and the engine run after it
    bool ok = true;
};

// Runs `work` `runs` times, each checked by `built`, for `expectedRuns`
// program runs and for an output of the engine, and each followed by the
// engine alone on its deck (unless `alone` is false): the pairs share the
// machine's state of the moment, so the ratio is taken pair by pair.
Figures Measure(const char* what, const Engine& engine, const QString& driveC, DeckCounter& decks,
                const std::function<void()>& work, const std::function<bool()>& built,
                int expectedRuns, int runs, bool alone = true) {
    Figures figures;
    std::vector<double> own, total, engineAlone, ratios;
    for (int i = 0; i < runs; ++i) {
        decks.Take();
        const double self = CpuMs(RUSAGE_SELF);
        const double children = CpuMs(RUSAGE_CHILDREN);
        work();
        const double ownMs = CpuMs(RUSAGE_SELF) - self;
        const double totalMs = ownMs + CpuMs(RUSAGE_CHILDREN) - children;
        own.push_back(ownMs);
        total.push_back(totalMs);
        const int written = decks.Take();
        const QString output = driveC + QStringLiteral("/itshfbc/RUN/sound.out");
        const bool fromEngine = engine.Produced(ReadFile(output));
        if (!built() || written != expectedRuns || !fromEngine) {
            std::fprintf(stderr,
                         "%s, %s, run %d: list %s, %d program runs (expected %d), output %s\n",
                         what, qPrintable(engine.title), i + 1, built() ? "built" : "NOT built",
                         written, expectedRuns, fromEngine ? "of the engine" : "NOT of the engine");
            figures.ok = false;
        }
        if (!alone) continue;
        const std::optional<double> ms = RunAlone(engine, driveC);
        if (!ms || *ms <= 0.0) {
            std::fprintf(stderr, "%s, %s: the engine run alone failed\n", what,
                         qPrintable(engine.title));
            figures.ok = false;
            break;
        }
        engineAlone.push_back(*ms);
        ratios.push_back(totalMs / *ms);
    }
    figures.ownMs = Median(own);
    figures.updateMs = Median(total);
    figures.aloneMs = Median(engineAlone);
    figures.ratio = Median(ratios);
    return figures;
}

const char* Verdict(bool within) {
    return within ? "within" : "OVER";
}

// What the runs on one engine gave, for the goals.
struct EngineResult {
    double worstOwnPerStation = 0;
    double bestOwnPerStation = 1e9;
    double worstUpdateRatio = 0;
    double worstViewRatio = 0;
    bool ok = true;
};

void PrintRow(const char* what, int stations, const Figures& f) {
    std::printf("%-6s %4d   %9.3f ms %10.2f ms %10.2f ms %10.2f ms %8.3f\n", what, stations,
                f.ownMs / stations, f.ownMs, f.updateMs, f.aloneMs, f.ratio);
}

// Every case on one engine.
EngineResult RunEngine(const Engine& engine, int runs, const std::vector<int>& stationCounts) {
    EngineResult result;
    std::printf("\n%s\n", qPrintable(engine.title));
    std::printf(
        "       stations  own/station  own         update      engine alone   update/engine\n");
    for (const int stations : stationCounts) {
        QTemporaryDir root;
        QString error;
        if (!root.isValid() || !BuildDrive(root.path(), stations, error) ||
            (engine.real && !tw::bench::InstallRealEngine(
                                *engine.real, root.filePath(QStringLiteral("drive_c")), error))) {
            std::fprintf(
                stderr, "tidewell-update-bench: %s\n",
                qPrintable(error.isEmpty() ? QStringLiteral("no temporary folder") : error));
            result.ok = false;
            return result;
        }
        const QString driveC = root.filePath(QStringLiteral("drive_c"));
        DeckCounter decks(driveC + QStringLiteral("/itshfbc/RUN"));

        tw::CommandLine line;
        line.command = tw::CommandLine::Command::BestList;
        line.driveC = driveC;
        line.profileFile = root.filePath(QStringLiteral("Tidewell.Ini"));
        line.utcSeconds = QDateTime(QDate(2026, 6, 6), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
        QTextStream err(stderr);
        tw::ConsoleUserInterface ui(err);
        const tw::FixedTextMetrics metrics;
        tw::Application application(line, ui, metrics, root.path());
        tw::frmMain& main = application.main();
        main.Form_Load();
        main.Form_Activate();  // AirMail's folders, then the first update (not measured)
        if (!main.cmdStart.enabled || !main.propagationBest) {
            std::fprintf(
                stderr,
                "tidewell-update-bench: the first update of %d stations did not build the list\n",
                stations);
            result.ok = false;
            return result;
        }

        const auto update = [&] { main.Update(false); };
        const auto listBuilt = [&] { return main.cmdStart.enabled; };
        main.settings.m_bPropagationCombinedRuns = true;
        const Figures combined =
            Measure("update", engine, driveC, decks, update, listBuilt, 1, runs);
        PrintRow("update", stations, combined);

        tw::frmPropagationBest& best = *main.propagationBest;
        const auto view = [&] { best.Update(QStringLiteral("BENCH"), false); };
        const auto viewBuilt = [&] { return best.Failure().isEmpty() && best.grdData.Rows() == 2; };
        const Figures viewFigures =
            Measure("view", engine, driveC, decks, view, viewBuilt, 1, runs);
        PrintRow("view", stations, viewFigures);

        const double own = combined.ownMs / stations;
        result.worstOwnPerStation = std::max(result.worstOwnPerStation, own);
        result.bestOwnPerStation = std::min(result.bestOwnPerStation, own);
        result.worstUpdateRatio = std::max(result.worstUpdateRatio, combined.ratio);
        result.worstViewRatio = std::max(result.worstViewRatio, viewFigures.ratio);
        result.ok = result.ok && combined.ok && viewFigures.ok;

        if (stations == kSeparateRunsStations) {
            main.settings.m_bPropagationCombinedRuns = false;
            const Figures separate = Measure("update, one run per station", engine, driveC, decks,
                                             update, listBuilt, stations, 1, false);
            main.settings.m_bPropagationCombinedRuns = true;
            std::printf(
                "update of %d stations with one run per station (setting off): own %.2f ms, "
                "update %.2f ms\n",
                stations, separate.ownMs, separate.updateMs);
            result.ok = result.ok && separate.ok;
        }
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<int> stationCounts;
    for (int i = 2; i < argc; ++i) stationCounts.push_back(std::clamp(std::atoi(argv[i]), 2, 500));
    if (stationCounts.empty()) stationCounts = kStationCounts;
    qunsetenv("ITSHF_STANDIN_FAIL");
    qunsetenv("ITSHF_STANDIN_LOG");
    qunsetenv("ITSHF_STANDIN_SLEEP_MS");
    qunsetenv("ITSHF_STANDIN_CIRCUIT_MS");
    qputenv("ITSHF_STANDIN_NO_VOACAPL", "1");  // the stand-in's own model

    std::printf(
        "Tidewell update benchmark: VOACAP, %d frequencies per station, %d runs per figure\n"
        "processor time (user + system), medians; own = Tidewell (RUSAGE_SELF), update = own and "
        "the\n"
        "engine it ran (RUSAGE_CHILDREN), engine alone = the engine on the same deck (wait4)\n",
        kFrequencies, runs);

    std::vector<Engine> engines = {
        {QStringLiteral("stand-in (bin_win/voacapw.exe, its own model)"), std::nullopt}};
    QString why;
    if (const auto real = tw::bench::FindRealEngine(why)) {
        engines.push_back(
            {QStringLiteral("voacapl (%1, data %2)").arg(real->program, real->itshfbc), real});
    } else {
        std::printf("\nno real engine (%s): the stand-in only\n", qPrintable(why));
    }

    bool ok = true;
    std::vector<EngineResult> results;
    for (const Engine& engine : engines) {
        results.push_back(RunEngine(engine, runs, stationCounts));
        ok = ok && results.back().ok;
    }

    std::printf("\ngoals\n");
    for (std::size_t i = 0; i < engines.size(); ++i) {
        const EngineResult& r = results[i];
        std::printf("%s:\n", qPrintable(engines[i].title));
        std::printf(
            "  own work per station: %.3f to %.3f ms (goal at most %.2f at every size: %s)\n",
            r.bestOwnPerStation, r.worstOwnPerStation, kOwnLimitMs,
            Verdict(r.worstOwnPerStation <= kOwnLimitMs));
        if (engines[i].real) {
            std::printf("  update / engine: at most %.3f (goal %.2f: %s)\n", r.worstUpdateRatio,
                        kUpdateLimit, Verdict(r.worstUpdateRatio <= kUpdateLimit));
            std::printf("  view / engine:   at most %.3f (goal %.2f: %s)\n", r.worstViewRatio,
                        kViewLimit, Verdict(r.worstViewRatio <= kViewLimit));
        }
    }
    if (engines.size() == 1)
        std::printf("update / engine and view / engine goals: not measured, no real engine\n");
    return ok ? 0 : 1;
}
