#include "propagation/Propagation.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <limits>
#include <system_error>
#include <thread>

#include "common/FileRead.h"
#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "common/Waiter.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "propagation/PropagationAnswer.h"
#include "propagation/PropagationDecks.h"
#include "settings/SettingsProfile.h"

namespace tw {

namespace {

const QString kInstallRoot = QStringLiteral("c:\\itshfbc");
const QString kProgramFolder = QStringLiteral("c:\\itshfbc\\bin_win\\");
const QString kRunFolder = QStringLiteral("c:\\itshfbc\\RUN");
const QString kDeckFile = QStringLiteral("sound.dat");
const QString kOutputFile = QStringLiteral("sound.out");
// Held by the Tidewell that uses the run folder.
const QString kLockFile = QStringLiteral("tidewell.lock");
// The Linux VOACAP engine, run directly in place of voacapw.exe off Windows.
const QString kLinuxVoacap = QStringLiteral("c:\\itshfbc\\bin_linux\\voacapl");

// The most of a program's standard output and error that is read for the
// cause of a failure.
constexpr qint64 kEngineLogLimit = 64 * 1024;

constexpr int kBatchSize = 10;

// The platform layer's paths are UTF-8, on Windows too.
QString FileName(const std::string& native) { return QString::fromStdString(native); }

float Between(float first, float second, double fraction) {
    return static_cast<float>((second - first) * fraction + first);
}

}  // namespace

std::vector<std::pair<int, int>> PropagationBatches(int frequencyCount) {
    std::vector<std::pair<int, int>> batches;
    for (int first = 1; first <= frequencyCount; first += kBatchSize) {
        batches.emplace_back(first, std::min(first + kBatchSize - 1, frequencyCount));
    }
    return batches;
}

void PropagationInterpolate(const PropagationHours& twoHours, const PropagationPath& runPath,
                            int minute, int firstIndex, int lastIndex,
                            std::vector<PropagationResult>& results, PropagationPath& path) {
    const double f = minute / 60.0;
    for (int i = firstIndex; i <= lastIndex; ++i) {
        const auto j = static_cast<std::size_t>(i - 1);
        const PropagationResult& a = twoHours.at(0).at(j);
        const PropagationResult& b = twoHours.at(1).at(j);
        PropagationResult& r = results.at(j);
        r.TakeoffAngle = Between(a.TakeoffAngle, b.TakeoffAngle, f);
        r.Delay = Between(a.Delay, b.Delay, f);
        r.VirtualHeight = Between(a.VirtualHeight, b.VirtualHeight, f);
        r.Signal = Between(a.Signal, b.Signal, f);
        r.Noise = Between(a.Noise, b.Noise, f);
        r.Snr = Between(a.Snr, b.Snr, f);
        r.SnrSlope = b.Snr - a.Snr;
        // What the model leaves out in either hour stays out.
        const auto given = [f](float x, float y) { return x < 0 || y < 0 ? -1.0f : Between(x, y, f); };
        r.Rel = given(a.Rel, b.Rel);
        r.SnrMedian = Between(a.SnrMedian, b.SnrMedian, f);
        r.SnrLower = given(a.SnrLower, b.SnrLower);
        r.SnrUpper = given(a.SnrUpper, b.SnrUpper);
        r.Layer = (minute < 30 ? a.Layer : b.Layer).mid(1);
        r.Valid = true;
    }
    path.Range = runPath.Range;
    path.StationToShipAzimuth = runPath.StationToShipAzimuth;
    path.StationAzimuth = runPath.StationAzimuth;
    path.Muf.assign(1, Between(runPath.Muf.at(0), runPath.Muf.at(1), f));
    path.Luf.assign(1, Between(runPath.Luf.at(0), runPath.Luf.at(1), f));
    path.Valid = true;
}

// What differs between the two run procedures.
struct Propagation::ModelRun {
    QString procedure;    // leads the messages
    QString inputPrefix;  // "Input " or "Input, "
    QString unable;       // when the start gives no process id
    bool (*deck)(const PropagationRun&, int, AntennaNames, QByteArray&, QString&);
    bool (*read)(const QByteArray&, const PropagationRun&, PropagationHours&, PropagationPath&,
                 QString&);
};

Propagation::Propagation(const Settings& settings, IUserInterface& ui,
                         const platform::PathMapper& paths, platform::IProcessRunner& processes,
                         platform::IFileLocks& locks, const platform::IClock& clock,
                         QString mainCaption, double waitSeconds)
    : m_settings(settings),
      m_ui(ui),
      m_paths(paths),
      m_processes(processes),
      m_locks(locks),
      m_clock(clock),
      m_mainCaption(std::move(mainCaption)),
      m_waitSeconds(waitSeconds) {}

bool Propagation::PropagationGet(int model, const QDateTime& time,
                                 const PropagationPositions& positions,
                                 const std::vector<float>& frequencies, float sunspotNumber,
                                 std::vector<PropagationResult>& results, PropagationPath& path) {
    const int n = static_cast<int>(frequencies.size());
    if (n < 1 || !time.isValid()) return false;
    const QDateTime utc = time.toUTC();
    const int minute = utc.time().minute();

    if (results.size() < frequencies.size()) results.resize(frequencies.size());
    for (int i = 0; i < n; ++i) {
        results[static_cast<std::size_t>(i)].Frequency = frequencies[static_cast<std::size_t>(i)];
        results[static_cast<std::size_t>(i)].Valid = false;
    }
    path.Valid = false;

    PropagationRun run;
    run.Model = model;
    run.Month = utc.date().month();
    run.FirstHour = utc.time().hour();
    run.HourCount = 2;  // this hour and the next
    run.Positions = positions;
    run.Frequencies = frequencies;
    run.Inputs = PropagationInputsFrom(m_settings, sunspotNumber);

    for (const auto& [first, last] : PropagationBatches(n)) {
        run.FirstIndex = first;
        run.LastIndex = last;
        PropagationHours twoHours;
        PropagationPath runPath;
        if (!RunBatch(run, twoHours, runPath)) return false;
        PropagationInterpolate(twoHours, runPath, minute, first, last, results, path);
    }
    return true;
}

bool Propagation::PropagationGetHours(int model, int month, int firstHour, int hourCount,
                                      const PropagationPositions& positions,
                                      const std::vector<float>& frequencies, float sunspotNumber,
                                      PropagationHours& results, PropagationPath& path) {
    const int n = static_cast<int>(frequencies.size());
    if (n < 1 || hourCount < 1 || hourCount > 24) return false;

    // Fresh tables: a result stays not Valid until a run of its batch succeeds.
    results.assign(static_cast<std::size_t>(hourCount),
                   std::vector<PropagationResult>(static_cast<std::size_t>(n)));
    for (auto& row : results) {
        for (int i = 0; i < n; ++i) {
            row[static_cast<std::size_t>(i)].Frequency = frequencies[static_cast<std::size_t>(i)];
        }
    }
    path = PropagationPath();
    path.Muf.assign(static_cast<std::size_t>(hourCount), 0.0f);
    path.Luf.assign(static_cast<std::size_t>(hourCount), 0.0f);

    PropagationRun run;
    run.Model = model;
    run.Month = month;
    run.FirstHour = firstHour;
    run.HourCount = hourCount;
    run.Positions = positions;
    run.Frequencies = frequencies;
    run.Inputs = PropagationInputsFrom(m_settings, sunspotNumber);

    // Every batch is run; the call succeeds only when all of them did, so a
    // failed batch is never reported as a success of the whole.
    bool all = true;
    for (const auto& [first, last] : PropagationBatches(n)) {
        run.FirstIndex = first;
        run.LastIndex = last;
        PropagationHours table;
        PropagationPath runPath;
        if (!RunBatch(run, table, runPath)) {
            all = false;
            continue;
        }
        for (std::size_t k = 0; k < results.size(); ++k) {
            for (int i = first; i <= last; ++i) {
                const auto j = static_cast<std::size_t>(i - 1);
                const float frequency = results[k][j].Frequency;
                results[k][j] = table[k][j];
                results[k][j].Frequency = frequency;
                results[k][j].Valid = true;
            }
        }
        path = runPath;
        path.Valid = true;
    }
    return all;
}

bool Propagation::RunBatch(const PropagationRun& batch, PropagationHours& table,
                           PropagationPath& path) {
    // Two attempts: the first silent, the second with its messages.
    if (TakePrepared(batch, table, path)) return true;
    PropagationRun run = batch;
    for (bool showErrors : {false, true}) {
        if (IsAbandoned()) return false;
        run.ShowErrors = showErrors;
        bool ok = false;
        switch (run.Model) {
            case ModelIcepac:
            case ModelVoacap: ok = PropagationIcepacVoacap(run, table, path); break;
            case ModelRec533: ok = PropagationRec533(run, table, path); break;
            default:
                // A model number of the profile that names no program.
                if (showErrors)
                    Message(QStringLiteral("PropagationGet, Model %1 Not Supported. The Model key of "
                                           "[Propagation Data] in %2 must be 1 (ICEPAC), 2 (VOACAP) "
                                           "or 3 (REC533).")
                                .arg(run.Model)
                                .arg(m_settings.m_sProfileFile));
                break;
        }
        if (ok) return true;
    }
    return false;
}

bool Propagation::PropagationRec533(const PropagationRun& run, PropagationHours& table,
                                    PropagationPath& path) {
    if (run.Model != ModelRec533) return false;
    const ModelRun model {QStringLiteral("PropagationRec533"), QStringLiteral("Input "),
                          QStringLiteral("Unable to execute REC533 program."),
                          [](const PropagationRun& r, int year, AntennaNames, QByteArray& deck,
                             QString& error) { return Rec533Deck(r, year, deck, error); },
                          &Rec533ReadOutput};
    return Execute(model, run, table, path);
}

bool Propagation::PropagationIcepacVoacap(const PropagationRun& run, PropagationHours& table,
                                          PropagationPath& path) {
    if (run.Model != ModelIcepac && run.Model != ModelVoacap) return false;
    const ModelRun model {QStringLiteral("PropagationIcepacVoacap"), QStringLiteral("Input, "),
                          run.Model == ModelIcepac
                              ? QStringLiteral("Unable to execute ICEPACW program.")
                              : QStringLiteral("Unable to execute VOACAP program."),
                          [](const PropagationRun& r, int year, AntennaNames antennas,
                             QByteArray& deck, QString& error) {
                              return IcepacVoacapDeck(r, year, deck, error, antennas);
                          },
                          &IcepacVoacapReadOutput};
    return Execute(model, run, table, path);
}

bool Propagation::Execute(const ModelRun& model, const PropagationRun& run, PropagationHours& table,
                          PropagationPath& path) {
    // A missing program is found before any file is touched.
    const std::optional<Engine> engine = PropagationEngine(run.Model);
    if (!engine) {
        if (run.ShowErrors) ProgramMissingMessage(run.Model);
        return false;
    }

    auto fail = [&](const QString& text) {
        if (run.ShowErrors && !text.isEmpty()) Message(text);
        return false;
    };
    const QString& name = model.procedure;
    const int year = platform::FieldsFromUtc(m_clock.NowUtc()).year;
    QByteArray deck;
    QString error;
    if (!model.deck(run, year, engine->Antennas(), deck, error)) {
        return fail(name + QStringLiteral(", ") + model.inputPrefix + error +
                    SettingOfDeckError(error));
    }
    QByteArray output;
    if (!RunDeck(model, *engine, deck, m_waitSeconds, output, error)) return fail(error);
    if (const QString other = PropagationAnswerMismatch(output, deck, {run}); !other.isEmpty()) {
        return fail(name + QStringLiteral(", Output \"%1\" is not the answer to the deck written: "
                                          "%2. Another program may be running a propagation "
                                          "program in the run folder \"%3\".")
                               .arg(kOutputFile, other, kRunFolder));
    }
    if (!model.read(output, run, table, path, error)) {
        // An output without its tables: what the program said, if anything, is the cause.
        const QString cause = run.ShowErrors ? EngineCause() : QString();
        return fail(name + QStringLiteral(", Output ") + error +
                    (cause.isEmpty() ? QString()
                                     : QStringLiteral(" (%1: %2)").arg(engine->name, cause)));
    }
    return true;
}

// A deck's number that does not fit its field and comes from a key of
// Tidewell.Ini: where to mend it (". Please check the Takeoff Angle key of
// [Propagation Data] in C:\...\Tidewell.Ini.").  The sunspot number is the
// profile's only while AirMail's is not used.
QString Propagation::SettingOfDeckError(const QString& error) const {
    const struct {
        const char* what;  // as the deck's errors name the number
        float Settings::*member;
    } settings[] = {{"sunspot number", &Settings::m_fPropagationSunSpotNumber},
                    {"takeoff angle", &Settings::m_fPropagationTakeoffAngle},
                    {"noise level", &Settings::m_fPropagationNoiseLevel}};
    for (const auto& s : settings) {
        if (!error.startsWith(QLatin1String(s.what) + QLatin1Char(' '))) continue;
        QString section, key;
        if ((s.member == &Settings::m_fPropagationSunSpotNumber && m_settings.m_bPropagationSunSpotNumber) ||
            !ProfileKeyOf(s.member, section, key))
            return QString();
        return QStringLiteral(". Please check the %1 key of [%2] in %3.")
            .arg(key, section, m_settings.m_sProfileFile);
    }
    return QString();
}

std::optional<Propagation::Engine> Propagation::PropagationEngine(int model) const {
    const QString file = PropagationProgramFile(model);
    if (file.isEmpty()) return std::nullopt;
    // Errors of the look-up count as "not there".
    const auto exists = [this](const QString& path) { return QFileInfo::exists(FileName(NativePath(path))); };
#ifndef Q_OS_WIN
    if (model == ModelVoacap && exists(kLinuxVoacap))
        return Engine {kLinuxVoacap, QStringLiteral("voacapl"), true};
#endif
    if (exists(kProgramFolder + file))
        return Engine {kProgramFolder + file, file, false};
    return std::nullopt;
}

QString Propagation::EngineLogFile() {
    if (!m_logFolder) m_logFolder = std::make_unique<QTemporaryDir>();
    if (!m_logFolder->isValid()) return QString();
    return m_logFolder->filePath(QStringLiteral("engine.log"));
}

// The line of the program's last output that says why it failed: the first
// that speaks of an error (not the prompt of a PAUSE, which the engine may
// write before the error itself), else the first that is not empty; nothing
// when the program said nothing.
QString Propagation::EngineCause() const {
    if (!m_logFolder || !m_logFolder->isValid()) return QString();
    QByteArray bytes;
    QString ignored;
    if (!ReadFileBounded(m_logFolder->filePath(QStringLiteral("engine.log")), bytes, ignored,
                         kFileReadLimit) ||
        bytes.isEmpty())
        return QString();
    bytes.truncate(kEngineLogLimit);
    QString first;
    // The engine pads its texts with NUL characters: like every control
    // character they count as blanks.
    for (char& c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n') c = ' ';
    }
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = AnsiToUnicode(raw).simplified();
        if (line.isEmpty()) continue;
        if (first.isEmpty()) first = line;
        if (line.contains(QLatin1String("error"), Qt::CaseInsensitive) &&
            !line.startsWith(QLatin1String("PAUSE")))
            return line.left(300);
    }
    return first.left(300);
}

// Waits its turn for the run folder (another Tidewell's run in it) on the
// waiter, as a program's run is waited for: at most `waitSeconds`, or the
// shortened limit once two waits in the update did not end in time.
bool Propagation::TakeRunFolder(const QString& procedure, double waitSeconds,
                                std::unique_ptr<platform::IHeldLock>& held, QString& error) {
    const QString lockFile = kRunFolder + QLatin1Char('\\') + kLockFile;
    const std::string native = NativePath(lockFile);
    int code = 0;
    const auto tryLock = [&] { return m_locks.TryLock(native, held, code); };
    platform::LockTry result = tryLock();
    const double limit = m_limitHits.value(lockFile) >= 2
                             ? std::min(waitSeconds, m_waitSeconds * kHungWaitShare)
                             : waitSeconds;
    if (result == platform::LockTry::Busy) {
        const auto taken = [&] {
            if (IsAbandoned()) return true;
            result = tryLock();
            return result != platform::LockTry::Busy;
        };
        if (m_waiter) {
            m_waiter->WaitUntil(taken, limit);
        } else {
            const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(limit);
            while (!taken() && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    switch (result) {
    case platform::LockTry::Taken: m_limitHits.remove(lockFile); return true;
    case platform::LockTry::Failed:
        error = procedure + QStringLiteral(", Open ") + SystemErrorText(code);
        return false;
    case platform::LockTry::Busy: break;
    }
    if (IsAbandoned()) {
        error.clear();  // given up on purpose: nothing to tell
        return false;
    }
    ++m_limitHits[lockFile];
    error = procedure + QStringLiteral(", Open Another Tidewell is using the run folder \"%1\" and "
                                       "did not finish within %2 seconds.")
                            .arg(kRunFolder, QString::number(limit));
    return false;
}

bool Propagation::RunDeck(const ModelRun& model, const Engine& engine, const QByteArray& deck,
                          double waitSeconds, QByteArray& output, QString& error, int hitsOfAKill) {
    auto fail = [&](const QString& text) {
        error = text;
        return false;
    };
    const QString& name = model.procedure;

    // The run folder is this run's from the deck's write to the output's read.
    std::unique_ptr<platform::IHeldLock> held;
    if (!TakeRunFolder(name, waitSeconds, held, error)) return false;

    // The deck: written beside its place and renamed over it, so that the
    // file in the run folder is replaced, never written through (a link
    // planted there keeps its target unchanged).
    const std::string deckName = NativePath(kRunFolder + QLatin1Char('\\') + kDeckFile);
    QTemporaryFile deckFile(FileName(deckName) + QStringLiteral(".XXXXXX"));
    if (!deckFile.open()) {
        return fail(name + QStringLiteral(", Open ") + deckFile.errorString());
    }
    if (deckFile.write(deck) != deck.size() || !deckFile.flush()) {
        const QString text = deckFile.errorString();
        deckFile.close();
        return fail(name + QStringLiteral(", ") + model.inputPrefix + text);
    }
    deckFile.close();
    deckFile.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                            QFileDevice::ReadOther);
    // The old deck (or a link in its place: the link goes, never its
    // target) is removed first, as a rename does not replace a file on
    // Windows; the run folder is the run's own.
    QFile::remove(FileName(deckName));
    if (!deckFile.rename(FileName(deckName)))
        return fail(name + QStringLiteral(", Open ") + deckFile.errorString());
    deckFile.setAutoRemove(false);  // the deck in place stays after the run

    // The old output goes first.  One that cannot be removed would be read as
    // this run's output when the program fails to replace it, so the run
    // stops here instead.
    const QString outputName = FileName(NativePath(kRunFolder + QLatin1Char('\\') + kOutputFile));
    QFile::remove(outputName);
    if (QFile::exists(outputName)) {
        return fail(
            name + QStringLiteral(", Output ") +
            QStringLiteral("The previous output \"%1\" cannot be removed").arg(kOutputFile));
    }

    // The program: its full path, then the install root, the deck and the
    // output; the Linux engine silent and told the run folder first.
    const std::string program = NativePath(engine.program);
    std::vector<std::string> arguments;
    if (engine.voacapl) arguments = {"-s", "--run-dir=" + NativePath(kRunFolder)};
    arguments.insert(arguments.end(), {NativePath(kInstallRoot), kDeckFile.toStdString(),
                                       kOutputFile.toStdString()});
    const QString log = EngineLogFile();
    const platform::ProcessStart start =
        m_processes.Start(program, arguments, NativePath(kRunFolder),
                          log.isEmpty() ? std::string() : log.toUtf8().toStdString());
    if (start.pid <= 0) {
        if (start.error != 0)
            return fail(name + QStringLiteral(", Shell ") + SystemErrorText(start.error));
        return fail(model.unable);
    }
    const bool hung = m_limitHits.value(engine.program) >= 2;
    const platform::ProcessEnd end =
        ProcessWait(start.pid, hung ? std::min(waitSeconds, m_waitSeconds * kHungWaitShare) : waitSeconds);
    if (end == platform::ProcessEnd::Killed) {
        if (!IsAbandoned()) m_limitHits[engine.program] += hitsOfAKill;
    } else {
        m_limitHits.remove(engine.program);
    }
    switch (end) {
    case platform::ProcessEnd::ExitedZero:
    case platform::ProcessEnd::Unknown: break;
    case platform::ProcessEnd::Failed: {
        // An exit code other than 0, or a crash: the program ran and gave up.
        const QString cause = EngineCause();
        return fail(name + QStringLiteral(", Shell do not finish. ") + engine.name +
                    QStringLiteral(" ended with an error") +
                    (cause.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + cause));
    }
    case platform::ProcessEnd::Killed:
        if (IsAbandoned()) return fail(QString());  // killed on purpose: nothing to tell
        return fail(name + QStringLiteral(", Shell do not finish."));
    }

    // The output.  A program may end well and write none (the real engine
    // does so when it cannot read the deck or an antenna file).
    if (!QFileInfo::exists(outputName)) {
        const QString cause = EngineCause();
        return fail(name + QStringLiteral(", Output ") + engine.name +
                    QStringLiteral(" wrote no \"%1\"").arg(kOutputFile) +
                    (cause.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + cause));
    }
    if (QString readError; !ReadFileBounded(outputName, output, readError)) {
        return fail(name + QStringLiteral(", Output ") + readError);
    }
    return true;
}

bool Propagation::PropagationCombines(int model) const {
    return model == ModelVoacap && m_settings.m_bPropagationCombinedRuns;
}

int Propagation::PropagationPrepare(int model, const QDateTime& time, float sunspotNumber,
                                    const std::vector<PropagationRequest>& requests) {
    PropagationPreparedClear();
    if (!time.isValid()) return 0;
    const QDateTime utc = time.toUTC();
    PropagationRun common;
    common.Model = model;
    common.Month = utc.date().month();
    common.FirstHour = utc.time().hour();
    common.HourCount = 2;  // as PropagationGet runs it
    common.Inputs = PropagationInputsFrom(m_settings, sunspotNumber);
    return Prepare(common, requests);
}

int Propagation::PropagationPrepareHours(int model, int month, int firstHour, int hourCount,
                                         float sunspotNumber,
                                         const std::vector<PropagationRequest>& requests) {
    PropagationPreparedClear();
    if (hourCount < 1 || hourCount > 24) return 0;
    PropagationRun common;
    common.Model = model;
    common.Month = month;
    common.FirstHour = firstHour;
    common.HourCount = hourCount;
    common.Inputs = PropagationInputsFrom(m_settings, sunspotNumber);
    return Prepare(common, requests);
}

int Propagation::Prepare(const PropagationRun& common,
                         const std::vector<PropagationRequest>& requests) {
    if (!PropagationCombines(common.Model)) return 0;
    std::vector<PropagationRun> runs;
    for (const PropagationRequest& request : requests) {
        PropagationRun run = common;
        run.Positions = request.Positions;
        run.Frequencies = request.Frequencies;
        for (const auto& [first, last] : PropagationBatches(static_cast<int>(run.Frequencies.size()))) {
            run.FirstIndex = first;
            run.LastIndex = last;
            runs.push_back(run);
        }
    }
    // One circuit gains nothing; a missing program is reported by the runs that follow.
    const std::optional<Engine> engine = PropagationEngine(common.Model);
    if (runs.size() < 2 || !engine) return 0;

    const ModelRun model {QStringLiteral("PropagationIcepacVoacap"), QStringLiteral("Input, "),
                          QStringLiteral("Unable to execute VOACAP program."), nullptr, nullptr};
    QByteArray deck;
    QString error;
    const int year = platform::FieldsFromUtc(m_clock.NowUtc()).year;
    if (!IcepacVoacapCircuitsDeck(runs, year, deck, error, engine->Antennas())) return 0;

    // Two tries, both silent, but for a run killed at the limit: that program
    // hangs, and the separate runs that follow have the shortened limit.  A
    // run that gives any circuit is not tried again: the circuits it lacks
    // run alone.
    for (int attempt = 0; attempt < 2 && m_prepared.empty(); ++attempt) {
        if (IsAbandoned()) return 0;
        QByteArray output;
        if (!RunDeck(model, *engine, deck, m_waitSeconds * kCombinedWaitShare, output, error, 2)) {
            if (m_limitHits.value(engine->program) >= 2) break;
            continue;
        }
        if (!PropagationAnswerMismatch(output, deck, runs).isEmpty()) continue;
        std::vector<PropagationHours> tables;
        std::vector<PropagationPath> paths;
        const std::vector<QString> errors = IcepacVoacapReadCircuits(output, runs, tables, paths);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (!errors[i].isEmpty()) continue;
            // A circuit's LUF in a deck of several depends on the circuits
            // before it (the engine keeps state), so it is not the one its own
            // run gives: it is not kept.
            for (float& luf : paths[i].Luf) luf = std::numeric_limits<float>::quiet_NaN();
            m_prepared.push_back({runs[i], std::move(tables[i]), std::move(paths[i])});
        }
    }
    return static_cast<int>(m_prepared.size());
}

bool Propagation::TakePrepared(const PropagationRun& run, PropagationHours& table,
                               PropagationPath& path) {
    const auto same = [&run](const Prepared& p) {
        const PropagationRun& r = p.run;
        return r.Model == run.Model && r.Month == run.Month && r.FirstHour == run.FirstHour &&
               r.HourCount == run.HourCount && r.Positions == run.Positions &&
               r.FirstIndex == run.FirstIndex && r.LastIndex == run.LastIndex &&
               r.Frequencies == run.Frequencies && r.Inputs == run.Inputs;
    };
    const auto it = std::find_if(m_prepared.begin(), m_prepared.end(), same);
    if (it == m_prepared.end()) return false;
    table = std::move(it->table);
    path = std::move(it->path);
    m_prepared.erase(it);
    return true;
}

bool Propagation::PropagationProgramCheck(int model, bool showErrors) {
    if (PropagationEngine(model)) return true;
    if (showErrors) ProgramMissingMessage(model);
    return false;
}

void Propagation::ProgramMissingMessage(int model) {
    if (PropagationProgramFile(model).isEmpty()) return;  // no model: RunBatch says so
    Message(QStringLiteral("Propagation Model ") + PropagationModelName(model) +
            QStringLiteral(" not found.") + QStringLiteral("\r\n\r\n") +
            QStringLiteral(
                "Please check that ITS HF propagation prediction software has been installed."));
}

platform::ProcessEnd Propagation::ProcessWait(platform::ProcessId pid, double seconds) {
    using platform::ProcessEnd;
    ProcessEnd end = ProcessEnd::Killed;
    if (m_waiter) {
        std::optional<ProcessEnd> polled;
        m_waiter->WaitUntil(
            [&] {
                if (IsAbandoned()) return true;
                polled = m_processes.Poll(pid);
                return polled.has_value();
            },
            seconds);
        if (!polled) {
            // Over the limit, or the update is being abandoned.
            m_processes.Kill(pid);
            return ProcessEnd::Killed;
        }
        end = *polled;
    } else {
        end = m_processes.Wait(pid, seconds);
    }
    return end == ProcessEnd::Unknown ? ProcessEnd::ExitedZero : end;  // gone: taken as ended
}

void Propagation::Message(const QString& text) {
    m_ui.BringToFront(m_mainCaption);
    MessageRequest box;
    box.text = text;
    m_ui.MessageBox(box);
}

std::string Propagation::NativePath(const QString& windowsPath) const {
    return m_paths.ToNative(UnicodeToAnsi(windowsPath).toStdString());
}

}  // namespace tw
