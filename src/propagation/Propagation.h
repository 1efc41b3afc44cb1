#pragma once
// The propagation run driver: what the chosen model predicts on the path from
// a station to the vessel for a list of frequencies, for the current time
// (`PropagationGet`) or a run of whole hours (`PropagationGetHours`).  The
// list is cut into batches of at most 10 frequencies; each batch is one run
// of the model's program on a deck written to "c:\itshfbc\RUN\sound.dat",
// read back from "c:\itshfbc\RUN\sound.out", and retried once when it fails
// (messages only on the retry).  One Tidewell at a time uses the run folder:
// each run holds the lock file "c:\itshfbc\RUN\tidewell.lock" from the
// deck's write to the output's read, and an output is taken only when it
// answers the deck just written (PropagationAnswerMismatch).

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileLock.h"
#include "platform/Process.h"
#include "propagation/PropagationDecks.h"
#include "propagation/PropagationTypes.h"

namespace tw {

class IUserInterface;
class IWaiter;
namespace platform {
class IClock;
class PathMapper;
}  // namespace platform

// The batches of a list of n frequencies: consecutive 1-based index ranges
// of at most 10, in list order (1 to 10, 11 to 20, ...).
std::vector<std::pair<int, int>> PropagationBatches(int frequencyCount);

// From a two-hour run (hour indexes 1 and 2) to the values at `minute` past
// the first hour, for the batch's frequency indexes: every number
// interpolated linearly, `SnrSlope` the second hour's Snr less the first's,
// `Layer` the mode of the first hour below minute 30 and of the second from
// minute 30, less its first character; `Muf` and `Luf` interpolated the
// same way into the path's single values, the path values taken over.  The
// results of the batch become Valid.
void PropagationInterpolate(const PropagationHours& twoHours, const PropagationPath& runPath,
                            int minute, int firstIndex, int lastIndex,
                            std::vector<PropagationResult>& results, PropagationPath& path);

// One station's circuit for a combined run: both ends of the path and the
// station's whole frequency list (cut into batches as PropagationGet does).
struct PropagationRequest {
    PropagationPositions Positions;
    std::vector<float> Frequencies;
};

// The stations' circuits, asked for only when a combined run is made.
using PropagationRequests = std::function<std::vector<PropagationRequest>()>;

class Propagation {
public:
    static constexpr double kWaitSeconds = 5.0;
    // A program that has been killed at the limit twice in an update (the
    // two tries of a batch), or once in a combined run, is given this share of the
    // limit for the rest of the update: every batch is still tried twice and
    // tells its failure, but a hanging program no longer costs the full
    // limit per try.  An update is the time between two of the calls that
    // begin or end one (PropagationPrepare, PropagationPrepareHours,
    // PropagationPreparedClear); a run that ends within its limit gives the
    // program the full limit again.
    static constexpr double kHungWaitShare = 0.2;
    // A combined run's limit, in limits of one run, whatever the number of
    // its circuits (docs/PROPAGATION.md has the engine's times for many
    // stations).  A combined run killed at it is not tried again, and the
    // program counts as hanging for the rest of the update, so that a
    // hanging program costs the update this limit and two shortened tries
    // (two limits in all) before the first station's message.
    static constexpr double kCombinedWaitShare = 1.6;

    // `waitSeconds` is the limit for one run of a program (5 seconds; tests
    // make it shorter); a run waits for another Tidewell's run in the run
    // folder (`locks`) as long.  Messages are shown after the window with
    // `mainCaption` has been brought to the front.
    Propagation(const Settings& settings, IUserInterface& ui, const platform::PathMapper& paths,
                platform::IProcessRunner& processes, platform::IFileLocks& locks,
                const platform::IClock& clock,
                QString mainCaption = QStringLiteral("Tidewell"),
                double waitSeconds = kWaitSeconds);

    // The prediction at `time` (UTC): one result per frequency, in list
    // order, with SnrSlope, and the path with one Muf and one Luf.  True when
    // every batch succeeded; false for an empty list.  After a batch that
    // failed twice nothing more is run; the earlier batches' values stay and
    // the rest are left as they were (not Valid).
    bool PropagationGet(int model, const QDateTime& time, const PropagationPositions& positions,
                        const std::vector<float>& frequencies, float sunspotNumber,
                        std::vector<PropagationResult>& results, PropagationPath& path);

    // The predictions for hour indexes 1 to hourCount (hour index k stands for
    // firstHour + k - 1) and every frequency, without SnrSlope, Layer as
    // printed; Muf and Luf per hour index.  Every batch is run even after one
    // fails.  True only when every batch succeeded; the results of a batch
    // that failed stay not Valid (the tables are reset first), those of the
    // others keep their values.  False without a run for an empty list or an
    // hour count outside 1 to 24.
    bool PropagationGetHours(int model, int month, int firstHour, int hourCount,
                             const PropagationPositions& positions,
                             const std::vector<float>& frequencies, float sunspotNumber,
                             PropagationHours& results, PropagationPath& path);

    // Combined runs.  A program start costs far more than a circuit, so
    // before the per-station calls of an update the caller may hand over
    // every station's circuit at once: with the VOACAP model (and
    // m_bPropagationCombinedRuns set) all batches of all requests go into one
    // deck and one run of the program, tried twice without messages, and
    // each batch's tables are kept.  The PropagationGet or PropagationGetHours
    // call that asks for exactly such a batch (same inputs, hours and
    // frequencies) then takes the kept tables instead of running the program;
    // any other batch, and every batch of a combined run that failed, runs
    // alone as before, with its own messages.  So results and messages are
    // those of one run per station, but for the LUF: a circuit's method 26
    // LUF depends on the circuits before it in the deck, so the kept tables
    // carry none (NaN), and a caller that shows the LUF must not combine.
    // Other models (and fewer than two batches) run nothing here.  Returns
    // the number of batches kept.
    int PropagationPrepare(int model, const QDateTime& time, float sunspotNumber,
                           const std::vector<PropagationRequest>& requests);
    int PropagationPrepareHours(int model, int month, int firstHour, int hourCount,
                                float sunspotNumber,
                                const std::vector<PropagationRequest>& requests);
    // Drops the kept tables (the update is over).
    void PropagationPreparedClear() {
        m_prepared.clear();
        m_limitHits.clear();
    }
    // Whether a model's runs are combined under the current settings.
    bool PropagationCombines(int model) const;

    // One run of a model's program (REC533, or ICEPAC/VOACAP) into the
    // tables; true when the deck was written, the program ended in time with
    // exit code 0 and its output, an answer to the deck, was read.
    bool PropagationRec533(const PropagationRun& run, PropagationHours& table,
                           PropagationPath& path);
    bool PropagationIcepacVoacap(const PropagationRun& run, PropagationHours& table,
                                 PropagationPath& path);

    // Whether the model's program is installed: "c:\itshfbc\bin_win\" + its
    // program file, or off Windows for VOACAP also the Linux engine
    // "c:\itshfbc\bin_linux\voacapl"; when not and `showErrors` is set, a
    // message says so.
    bool PropagationProgramCheck(int model, bool showErrors);

    // How the process ended: ExitedZero within `seconds` with exit code 0,
    // Failed with another exit code (or a crash), Killed when it was still
    // running at the limit (or the update was abandoned) and was killed.  A
    // process that cannot be waited for (already gone) counts as ExitedZero.  With a waiter the program is
    // polled while the window's events go on (the clock keeps ticking, menus
    // open), the limit counting on the waiter's monotonic clock; without one
    // the call blocks in the process runner (headless runs, benchmarks).
    platform::ProcessEnd ProcessWait(platform::ProcessId pid, double seconds);

    // How runs are waited for (see ProcessWait); nullptr blocks.  The waiter
    // must outlive the driver's use of it.
    void UseWaiter(IWaiter* waiter) { m_waiter = waiter; }

    // Asked before every attempt and while a program runs: once it answers
    // true (the window is closing during an update) the running program is
    // killed and the call ends at once with false, without a retry and
    // without a message.
    std::function<bool()> Abandoned;

    // The program that carries out a model's runs on this machine.  Off
    // Windows the VOACAP model runs the Linux VOACAP engine when
    // "c:\itshfbc\bin_linux\voacapl" exists, directly, with its own command
    // line ("voacapl -s --run-dir=<c:\itshfbc\RUN> <c:\itshfbc> sound.dat
    // sound.out") and antenna names; else, and on Windows always,
    // "c:\itshfbc\bin_win\" + the model's program file with the ITS HF
    // command line.  The engine's data tree (antennas, coefficients) is
    // "c:\itshfbc" itself, as in an ITS HF installation.
    struct Engine {
        QString program;  // Windows path
        QString name;     // its file name, in messages
        bool voacapl = false;
        AntennaNames Antennas() const { return voacapl ? AntennaNames::Voacapl : AntennaNames::Windows; }
    };
    std::optional<Engine> PropagationEngine(int model) const;

private:
    struct ModelRun;
    struct Prepared {
        PropagationRun run;
        PropagationHours table;
        PropagationPath path;
    };
    int Prepare(const PropagationRun& common, const std::vector<PropagationRequest>& requests);
    bool TakePrepared(const PropagationRun& run, PropagationHours& table, PropagationPath& path);
    bool RunDeck(const ModelRun& model, const Engine& engine, const QByteArray& deck,
                 double waitSeconds, QByteArray& output, QString& error, int hitsOfAKill = 1);
    bool TakeRunFolder(const QString& procedure, double waitSeconds,
                       std::unique_ptr<platform::IHeldLock>& held, QString& error);
    QString SettingOfDeckError(const QString& error) const;
    void ProgramMissingMessage(int model);
    QString EngineLogFile();
    QString EngineCause() const;
    bool RunBatch(const PropagationRun& run, PropagationHours& table, PropagationPath& path);
    bool Execute(const ModelRun& model, const PropagationRun& run, PropagationHours& table,
                 PropagationPath& path);
    void Message(const QString& text);
    std::string NativePath(const QString& windowsPath) const;
    bool IsAbandoned() const { return Abandoned && Abandoned(); }

    const Settings& m_settings;
    IUserInterface& m_ui;
    const platform::PathMapper& m_paths;
    platform::IProcessRunner& m_processes;
    platform::IFileLocks& m_locks;
    const platform::IClock& m_clock;
    QString m_mainCaption;
    double m_waitSeconds;
    IWaiter* m_waiter = nullptr;
    std::vector<Prepared> m_prepared;
    // Per program (its Windows path), how often it was killed at the limit
    // in this update since it last ended in time; under the lock file's
    // Windows path, how often the wait for another Tidewell's run did not
    // end in time since a run last took the lock.
    QHash<QString, int> m_limitHits;
    // Where a program's standard output and error go, so that a failed run
    // can say what the program said (made at the first run).
    std::unique_ptr<QTemporaryDir> m_logFolder;
};

}  // namespace tw
