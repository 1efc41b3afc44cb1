// The run driver against real processes in a temporary drive C: small /bin/sh
// programs that copy a sample output into place or fail in one way or
// another, and the real ITS HF stand-in programs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "PropagationTestData.h"
#include "common/Waiter.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "propagation/Propagation.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUserInterface.h"
#include "support/RealEngine.h"
#include "support/Standins.h"

namespace tw {
namespace {

using test::ReadSample;

// 2026-06-15 20:00 UTC, an hour of the guam sample.
const QDateTime kJune15At20(QDate(2026, 6, 15), QTime(20, 0), Qt::UTC);

// A program body that writes a sample's output as the answer to the deck it
// finds: the deck echoed in place of the sample's deck and, with
// `frequencies`, the deck's frequencies on every frequency line (the values
// below them stay the sample's).
QByteArray Answer(const char* sample, bool frequencies = true) {
    return QByteArray("awk 'NR == FNR { sub(/\\r$/, \"\"); deck[++n] = $0;"
                      " if ($1 == \"FREQUENCY\") f = substr($0, 11); next }\n"
                      "/^ 1234567890/ { print; print \"\"; for (i = 1; i <= n; i++) print \" \" deck[i];"
                      " echo = 1; next }\n"
                      "echo && /Coefficients/ { echo = 0 }\n"
                      "echo { next }\n") +
           (frequencies ? "/ FREQ$/ { s = f; while (length(s) < 55) s = s \"  0.0\";"
                          " $0 = substr($0, 1, 11) s \" FREQ\" }\n"
                        : "") +
           "{ print }' sound.dat '" TIDEWELL_SAMPLES_DIR "/" + sample + "' > sound.out";
}
// The guam sample's output as the answer.
const QByteArray kCopy = Answer("voacap-guam-2h.out");

class PropagationDriver : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(m_drive.isValid());
        ASSERT_TRUE(QDir(m_drive.path()).mkpath(QStringLiteral("itshfbc/bin_win")));
        ASSERT_TRUE(QDir(m_drive.path()).mkpath(QStringLiteral("itshfbc/RUN")));
        paths.SetDrive('c', m_drive.path().toStdString());
    }

    QString Run(const QString& name) const {
        return m_drive.path() + QStringLiteral("/itshfbc/RUN/") + name;
    }

    // A program in "c:\itshfbc\bin_win\" (or another folder of c:\itshfbc)
    // that counts its runs and keeps each run's deck, arguments and whether an
    // old output was still there, then runs `body`.
    void Program(const QString& file, const QByteArray& body = kCopy, bool executable = true,
                 const QString& folder = QStringLiteral("bin_win")) {
        QDir(m_drive.path()).mkpath(QStringLiteral("itshfbc/") + folder);
        const QString path = m_drive.path() + QStringLiteral("/itshfbc/") + folder + QLatin1Char('/') + file;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(
            "#!/bin/sh\n"
            "n=$(cat runs 2>/dev/null || echo 0); n=$((n+1)); echo $n > runs\n"
            "cp sound.dat deck.$n\n"
            "printf '%s\\n' \"$@\" > args.$n\n"
            "[ -e sound.out ] && echo stale > stale.$n\n" +
            body + "\n");
        f.close();
        namespace fs = std::filesystem;
        fs::permissions(path.toStdString(), executable
                                                ? fs::perms::owner_all
                                                : fs::perms::owner_read | fs::perms::owner_write);
    }

    int Runs() const { return RunFile(QStringLiteral("runs")).trimmed().toInt(); }

    QByteArray RunFile(const QString& name) const {
        QFile f(Run(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The deck line that starts with `card` of run n.
    QByteArray DeckCard(int n, const QByteArray& card) const {
        for (const QByteArray& line : RunFile(QStringLiteral("deck.%1").arg(n)).split('\n')) {
            if (line.startsWith(card)) return line.trimmed();
        }
        return QByteArray();
    }

    // A prediction for 2026-06-15 at `minute` past 20:00 UTC, in the guam sample's hours.
    bool Get(int model, const std::vector<float>& frequencies, float ssn = 150.0f, int minute = 0) {
        const QDateTime time(QDate(2026, 6, 15), QTime(20, minute), Qt::UTC);
        return propagation.PropagationGet(model, time, test::kGuamPositions, frequencies, ssn,
                                          results, path);
    }

    // VOACAP's predictions for `count` hours from `firstHour` on a day of `month`, SSN 100.
    bool GetHours(int month, int firstHour, int count, const std::vector<float>& frequencies,
                  const PropagationPositions& positions = test::kGuamPositions) {
        return propagation.PropagationGetHours(ModelVoacap, month, firstHour, count, positions,
                                               frequencies, 100.0f, hours, path);
    }

    static std::vector<float> Frequencies(int n) {
        std::vector<float> f;
        for (int i = 1; i <= n; ++i) f.push_back(1000.0f * static_cast<float>(i));
        return f;
    }

    // "1" for a Valid result, "0" for one that is not, in list order.
    static std::string Valid(const std::vector<PropagationResult>& row) {
        std::string flags;
        for (const PropagationResult& r : row) flags += r.Valid ? '1' : '0';
        return flags;
    }

    QTemporaryDir m_drive;
    Settings settings;
    test::ScriptedUserInterface ui;
    platform::PathMapper paths;
    std::unique_ptr<platform::IProcessRunner> runner = platform::MakeProcessRunner();
    std::unique_ptr<platform::IFileLocks> locks = platform::MakeFileLocks();
    platform::ManualClock clock {platform::UtcFromFields({2031, 3, 1, 12, 0, 0})};
    // A short limit keeps the hanging case quick, yet long enough for a loaded machine (the
    // sanitizers, other tests) to start a shell script in it; the program default is 5 seconds.
    Propagation propagation {settings, ui, paths, *runner, *locks, clock, QStringLiteral("Tidewell"), 1.5};

    std::vector<PropagationResult> results;
    PropagationHours hours;
    PropagationPath path;
};

TEST_F(PropagationDriver, VoacapRunsOnceForEveryBatchOfTenAndNotForAnEmptyListOrNoHours) {
    Program(QStringLiteral("voacapw.exe"));
    EXPECT_FALSE(Get(ModelVoacap, {}));
    EXPECT_FALSE(GetHours(6, 0, 24, {}));
    EXPECT_FALSE(GetHours(6, 0, 0, Frequencies(3)));
    EXPECT_EQ(Runs(), 0);

    ASSERT_TRUE(Get(ModelVoacap, Frequencies(21))) << ui.LastMessage().toStdString();
    EXPECT_EQ(Runs(), 3);
    EXPECT_EQ(DeckCard(2, "FREQUENCY"),
              "FREQUENCY  11.0 12.0 13.0 14.0 15.0 16.0 17.0 18.0 19.0 20.0");
    EXPECT_EQ(DeckCard(3, "FREQUENCY"), "FREQUENCY  21.0");
    ASSERT_EQ(Valid(results), std::string(21, '1'));
    // Frequency i of a batch reads the output's column (i - 1) % 10 + 1.
    const float snrHour20[] = {-741, -420, -244, -187, -48, 3, 14, 23, 9, -20};
    for (std::size_t i = 0; i < 21; ++i) {
        EXPECT_FLOAT_EQ(results[i].Frequency, 1000.0f * static_cast<float>(i + 1));
        EXPECT_FLOAT_EQ(results[i].Snr, snrHour20[i % 10]) << i;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PropagationDriver, ACombinedRunServesEveryStationAndFallsBackToOneRunEach) {
    // The program: a deck of several circuits gets the three-circuit
    // sample's output as the answer, or `combined`; one circuit gets guam's.
    const QByteArray answer = Answer("voacap-3circuits-2h.out", false);
    const auto program = [](const QByteArray& combined) {
        return "if [ $(grep -c CIRCUIT sound.dat) -gt 1 ]; then " + combined + "; else " + kCopy + "; fi";
    };
    const struct {
        const char* what;
        int model;
        bool combined;
        QByteArray combinedRun;
        int kept;
        int runs;  // after the prepare and the guam station's prediction
    } cases[] = {
        {"VOACAP: one run for all", ModelVoacap, true, answer, 3, 1},
        {"the combined run fails twice", ModelVoacap, true, "exit 1", 0, 3},
        // The sample's output as it is: another deck's (of another year).
        {"the combined output answers another deck", ModelVoacap, true,
         "cp '" TIDEWELL_SAMPLES_DIR "/voacap-3circuits-2h.out' sound.out", 0, 3},
        {"combined runs off", ModelVoacap, false, answer, 0, 1},
        {"ICEPAC runs alone", ModelIcepac, true, answer, 0, 1},
    };
    std::vector<PropagationRequest> requests;
    for (const PropagationRun& run : test::ThreeCircuitRuns(6, 20, 2, 150.0f))
        requests.push_back({run.Positions, run.Frequencies});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(Run(QStringLiteral("runs")));
        Program(c.model == ModelVoacap ? QStringLiteral("voacapw.exe") : QStringLiteral("icepacw.exe"),
                program(c.combinedRun));
        settings.m_bPropagationCombinedRuns = c.combined;
        EXPECT_EQ(propagation.PropagationPrepare(c.model, kJune15At20, 150.0f, requests), c.kept);
        ASSERT_TRUE(Get(c.model, test::kGuamFrequencies));
        EXPECT_EQ(Runs(), c.runs);
        EXPECT_FLOAT_EQ(results[9].Snr, -20.0f);
        EXPECT_FLOAT_EQ(path.Range, 5125.2f);
        // A circuit's LUF in a deck of several is not its own: none is given.
        if (c.kept > 0)
            EXPECT_TRUE(std::isnan(path.Luf.front()));
        else
            EXPECT_FLOAT_EQ(path.Luf.front(), 17450.0f);
        EXPECT_TRUE(ui.messages.empty());
        propagation.PropagationPreparedClear();
    }
    // A kept batch serves one call: the next runs the program.
    Program(QStringLiteral("voacapw.exe"), program(answer));
    QFile::remove(Run(QStringLiteral("runs")));
    settings.m_bPropagationCombinedRuns = true;
    propagation.PropagationPrepare(ModelVoacap, kJune15At20, 150.0f, requests);
    ASSERT_TRUE(Get(ModelVoacap, test::kGuamFrequencies));
    ASSERT_TRUE(Get(ModelVoacap, test::kGuamFrequencies));
    EXPECT_EQ(Runs(), 2);
}

TEST(PropagationInterpolate, EveryValueByTheMinuteTheModeFromTheNearerHour) {
    PropagationHours two(2, std::vector<PropagationResult>(2));
    two[0][1] = {7100, QStringLiteral("  2F2"), 10, 3, 300, -100, -150, 50, 0, true};
    two[1][1] = {7100, QStringLiteral(" 12 E"), 20, 5, 200, -120, -140, 20, 0, true};
    const PropagationPath runPath {1000, 51.37f, 283.59f, {10000, 16000}, {4000, 5000}};
    std::vector<PropagationResult> out(2);
    PropagationPath p;
    PropagationInterpolate(two, runPath, 30, 2, 2, out, p);
    EXPECT_FALSE(out[0].Valid);  // not in the batch
    EXPECT_TRUE(out[1].Valid);
    EXPECT_EQ(test::Numbers(out[1]), (std::vector<float> {15, 4, 250, -110, -145, 35, -30}));
    EXPECT_EQ(out[1].Layer, QStringLiteral("12 E"));
    EXPECT_EQ(test::Numbers(p), (std::vector<float> {1000, 51.37f, 283.59f, 13000, 4500}));
    PropagationInterpolate(two, runPath, 29, 2, 2, out, p);
    EXPECT_EQ(out[1].Layer, QStringLiteral(" 2F2"));
}

TEST_F(PropagationDriver, StartsTheProgramWithRootDeckAndOutputAndTheClocksYear) {
    std::ofstream(Run(QStringLiteral("sound.out")).toStdString()) << "old";
    // A link planted in the deck's place is replaced; its target stays as it was.
    std::ofstream(Run(QStringLiteral("target")).toStdString()) << "kept";
    ASSERT_TRUE(QFile::link(Run(QStringLiteral("target")), Run(QStringLiteral("sound.dat"))));
    Program(QStringLiteral("voacapw.exe"));
    settings.m_fPropagationLayerAdjustEs = 0.0f;  // as in the sample
    ASSERT_TRUE(Get(ModelVoacap, test::kGuamFrequencies, 150.0f, 30));
    // Halfway between the hours: 14.1 MHz from SNR 14 to 6.
    EXPECT_FLOAT_EQ(results[6].Snr, 10.0f);
    EXPECT_EQ(RunFile(QStringLiteral("args.1")),
              QFile::encodeName(m_drive.path()) + "/itshfbc\nsound.dat\nsound.out\n");
    EXPECT_TRUE(RunFile(QStringLiteral("stale.1")).isEmpty());  // the old output was removed first
    // The deck is the sample's but for the year, which is the computer clock's.
    EXPECT_EQ(RunFile(QStringLiteral("deck.1")),
              ReadSample(QStringLiteral("voacap-guam-2h.dat"))
                  .replace("MONTH      2026", "MONTH      2031"));
    EXPECT_FALSE(QFileInfo(Run(QStringLiteral("sound.dat"))).isSymLink());
    EXPECT_EQ(RunFile(QStringLiteral("target")), "kept");
}

TEST_F(PropagationDriver, ABatchThatFailsTwiceStopsGetButNotGetHours) {
    // Runs 1, 3 and 4 fail: the first batch is cured by its retry, the second
    // fails on both attempts.
    Program(QStringLiteral("voacapw.exe"), QByteArray("case $n in 1|3|4) exit 1;; esac\n") + kCopy);
    EXPECT_FALSE(Get(ModelVoacap, Frequencies(25)));
    EXPECT_EQ(Runs(), 4);  // the third batch is not run
    // One message, from the second batch's retry.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("PropagationIcepacVoacap, Shell do not finish. voacapw.exe ended with an error."));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Tidewell"));
    EXPECT_EQ(ui.broughtToFront, std::vector<QString> {QStringLiteral("Tidewell")});
    EXPECT_EQ(Valid(results), "1111111111000000000000000");

    QFile::remove(Run(QStringLiteral("runs")));
    ui.ClearRecords();
    EXPECT_FALSE(GetHours(12, 20, 2, Frequencies(25)));
    EXPECT_EQ(Runs(), 5);  // the third batch is run all the same
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(DeckCard(5, "TIME"), "TIME         20   21    1    1");
    ASSERT_EQ(hours.size(), 2u);
    for (const auto& row : hours) {
        EXPECT_EQ(Valid(row), "1111111111000000000011111");
        for (std::size_t i = 0; i < 25; ++i)
            EXPECT_FLOAT_EQ(row[i].Frequency, 1000.0f * static_cast<float>(i + 1)) << i;
    }
    // Layer as printed, no interpolation.
    EXPECT_EQ(hours[1][20].Layer, QStringLiteral(" 12 E"));
    EXPECT_TRUE(path.Valid);
    EXPECT_EQ(std::pair(hours[1][20].Snr, path.Muf.at(1)), std::pair(-939.0f, 17760.0f));
}

TEST_F(PropagationDriver, HoursOfADayPlaceEachHourByItsOwnLine) {
    Program(QStringLiteral("voacapw.exe"), Answer("voacap-honolulu-24h.out"));
    settings.m_fPropagationLayerAdjustEs = 0.0f;  // as in the sample
    // The station at Honolulu, December, hours 0 to 23, five frequencies.
    ASSERT_TRUE(
        GetHours(12, 0, 24, {3600, 7100, 10200, 14100, 18100}, {38.6, -120.3, 21.3, -157.9}))
        << ui.LastMessage().toStdString();
    EXPECT_EQ(RunFile(QStringLiteral("deck.1")),
              ReadSample(QStringLiteral("voacap-honolulu-24h.dat"))
                  .replace("MONTH      2026", "MONTH      2031"));
    // The MUF and LUF table lists hour 1.0 first and 24.0 last; hour index 1 is
    // hour 0, printed 24.0, and takes that line's values.  The hour groups
    // follow in hour order from hour 0.  Layer as printed.
    EXPECT_EQ((std::vector<float> {path.Muf.at(0), path.Luf.at(0), path.Muf.at(1), path.Muf.at(23), hours[0][0].Snr,
                                   hours[1][4].Signal, hours[23][4].Snr}),
              (std::vector<float> {26520, 10260, 24890, 27100, -78, -109, 53}));
    EXPECT_EQ(hours[0][0].Layer, QStringLiteral("  5 E"));
    for (const auto& row : hours) EXPECT_EQ(Valid(row), "11111");
}

// One message on the second attempt, never a crash.
TEST_F(PropagationDriver, EveryFaultEndsInItsMessage) {
    using testing::MatchesRegex;
    using testing::StrEq;
    const std::string hint =
        " not found.\r\n\r\nPlease check that ITS HF propagation prediction software has been "
        "installed.";
    const std::string voacap = "PropagationIcepacVoacap, ";
    const std::string notRegular = voacap + "Output It is not a regular file.";
    // The program of the model is missing (no body) or runs `body`.
    struct Fault {
        const char* name;
        int model;
        const char* body;
        int runs;  // program runs made
        testing::Matcher<std::string> message;
        float ssn = 150.0f;
        bool executable = true;
        bool noRunFolder = false;
        void (*set)(Settings&) = nullptr;  // settings of the case
    };
    const std::string done = "Shell do not finish. ";
    const std::string check = ". Please check the %1 key of [Propagation Data] in C:\\Tidewell\\Tidewell.Ini.";
    const auto checkKey = [&](const char* key) { return QString::fromStdString(check).arg(QLatin1String(key)).toStdString(); };
    const Fault faults[] = {
        {"VOACAP missing", ModelVoacap, nullptr, 0, StrEq("Propagation Model VOACAP" + hint)},
        {"REC533 missing", ModelRec533, nullptr, 0, StrEq("Propagation Model REC533" + hint)},
        {"not executable", ModelVoacap, "exit 0", 0, StrEq(voacap + "Shell Permission denied"),
         150.0f, false},
        {"hanging", ModelVoacap, "sleep 30", 2, StrEq(voacap + "Shell do not finish.")},
        {"exit code 3", ModelVoacap, "exit 3", 2, StrEq(voacap + done + "voacapw.exe ended with an error.")},
        {"crash", ModelIcepac, "kill -SEGV $$", 2, StrEq(voacap + done + "icepacw.exe ended with an error.")},
        {"empty output", ModelVoacap, ": > sound.out", 2,
         StrEq(voacap + "Output Label \"MUF    LUF\" not found")},
        // What the program said names the cause: its error line, not a PAUSE prompt.
        {"error and its words", ModelVoacap,
         "echo 'At line 204 of file decred.for' >&2; echo 'Fortran runtime error: Bad value' >&2;"
         " echo 'Error termination. Backtrace:' >&2; exit 2",
         2, StrEq(voacap + done + "voacapw.exe ended with an error: Fortran runtime error: Bad value")},
        {"no output after a PAUSE", ModelVoacap,
         "echo 'PAUSE error in readant' >&2; echo ' Error=    2 OPENing antenna file=a.voa.'", 2,
         StrEq(voacap + "Output voacapw.exe wrote no \"sound.out\": Error= 2 OPENing antenna file=a.voa.")},
        {"no output, no word", ModelVoacap, "exit 0", 2,
         StrEq(voacap + "Output voacapw.exe wrote no \"sound.out\".")},
        {"tables missing, a word", ModelVoacap, "echo ' Run Directory:  x'; echo x > sound.out", 2,
         StrEq(voacap + "Output Label \"MUF    LUF\" not found (voacapw.exe: Run Directory: x)")},
        // Another deck's output, left by another program in the run folder.
        {"another deck's output", ModelVoacap, "cp '" TIDEWELL_SAMPLES_DIR "/voacap-guam-2h.out' sound.out", 2,
         StrEq(voacap + "Output \"sound.out\" is not the answer to the deck written: it echoes the card "
                        "\"MONTH 2026 6\" where the deck has \"MONTH 2031 6\". Another program may be running "
                        "a propagation program in the run folder \"c:\\itshfbc\\RUN\".")},
        // A number that does not fit the deck names its setting when it has one:
        // AirMail's sunspot number (the option set) is not Tidewell's.
        {"sunspot number 1000", ModelVoacap, kCopy.constData(), 0,
         StrEq(voacap + "Input, sunspot number 1000 does not fit format F5.1"), 1000.0f},
        {"REC533 sunspot number 1000 of the settings", ModelRec533, kCopy.constData(), 0,
         StrEq("PropagationRec533, Input sunspot number 1000 does not fit format F5.1" + checkKey("SunSpot Number")),
         1000.0f, true, false, [](Settings& s) { s.m_bPropagationSunSpotNumber = false; }},
        {"takeoff angle -1000", ModelVoacap, kCopy.constData(), 0,
         StrEq(voacap + "Input, takeoff angle -1000 does not fit format F5.1" + checkKey("Takeoff Angle")),
         150.0f, true, false, [](Settings& s) { s.m_fPropagationTakeoffAngle = -1000.0f; }},
        {"no run folder", ModelVoacap, kCopy.constData(), 0, MatchesRegex(voacap + "Open .+"), 150.0f, true,
         true},
        // An output that is a pipe or an endless device is never opened or read.
        {"output a pipe", ModelVoacap, "mkfifo sound.out", 2, StrEq(notRegular)},
        {"output /dev/zero", ModelVoacap, "ln -s /dev/zero sound.out", 2, StrEq(notRegular)},
        {"model 7", 7, "", 0,
         StrEq("PropagationGet, Model 7 Not Supported. The Model key of [Propagation Data] in "
               "C:\\Tidewell\\Tidewell.Ini must be 1 (ICEPAC), 2 (VOACAP) or 3 (REC533).")},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        settings = Settings();
        settings.m_sProfileFile = QStringLiteral("C:\\Tidewell\\Tidewell.Ini");
        if (f.set) f.set(settings);
        propagation.PropagationPreparedClear();  // each case an update of its own
        QDir(m_drive.path() + QStringLiteral("/itshfbc")).removeRecursively();
        SetUp();
        ui.ClearRecords();
        if (f.body && *f.body) Program(PropagationProgramFile(f.model), f.body, f.executable);
        if (f.noRunFolder) QDir(Run(QString())).removeRecursively();

        // The hanging program is given up at the limit (1.5 s a try), far
        // before its 30 s; the bound leaves room for a busy machine.
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(Get(f.model, test::kGuamFrequencies, f.ssn));
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
                  10.0);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_THAT(ui.messages[0].text.toStdString(), f.message);
        EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(ui.broughtToFront.size(), 1u);
        EXPECT_EQ(Runs(), f.runs);
        EXPECT_EQ(Valid(results), std::string(10, '0'));
        // A missing program is found before any file is touched.
        EXPECT_FALSE(!f.body && QFile::exists(Run(QStringLiteral("sound.dat"))));
    }
}

// Off Windows the VOACAP model runs the Linux engine "c:\itshfbc\bin_linux\voacapl"
// directly when it is there, with its own command line and antenna names;
// the other models keep their programs, and VOACAP counts as installed with
// the Linux engine alone.
TEST_F(PropagationDriver, TheLinuxVoacapEngineRunsDirectly) {
    Program(QStringLiteral("voacapl"), kCopy, true, QStringLiteral("bin_linux"));
    ASSERT_TRUE(propagation.PropagationProgramCheck(ModelVoacap, false));
    EXPECT_FALSE(propagation.PropagationProgramCheck(ModelIcepac, false));
    Program(QStringLiteral("voacapw.exe"), "exit 1");
    Program(QStringLiteral("icepacw.exe"));
    ASSERT_TRUE(Get(ModelVoacap, test::kGuamFrequencies)) << ui.LastMessage().toStdString();
    ASSERT_TRUE(Get(ModelIcepac, test::kGuamFrequencies)) << ui.LastMessage().toStdString();
    const QByteArray root = QFile::encodeName(m_drive.path()) + "/itshfbc";
    EXPECT_EQ(RunFile(QStringLiteral("args.1")),
              "-s\n--run-dir=" + root + "/RUN\n" + root + "\nsound.dat\nsound.out\n");
    EXPECT_EQ(DeckCard(1, "ANTENNA       1"),
              "ANTENNA       1    1    2   30     0.000[default/const17.voa  ]  0.0    0.1000");
    EXPECT_EQ(DeckCard(2, "ANTENNA       2"),
              "ANTENNA       2    2    2   30     0.000[DEFAULT\\SWWHIP.VOA   ]  0.0    0.0000");
    EXPECT_EQ(RunFile(QStringLiteral("args.2")), root + "\nsound.dat\nsound.out\n");
}

// A process runner that changes a start before the real one makes it.
class EditingRunner final : public platform::IProcessRunner {
public:
    EditingRunner(platform::IProcessRunner& real,
                  std::function<void(std::vector<std::string>&)> edit)
        : m_real(real), m_edit(std::move(edit)) {}
    platform::ProcessStart Start(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& folder, const std::string& output) override {
        std::vector<std::string> edited = arguments;
        m_edit(edited);
        return m_real.Start(program, edited, folder, output);
    }
    platform::ProcessEnd Wait(platform::ProcessId pid, double s) override { return m_real.Wait(pid, s); }
    std::optional<platform::ProcessEnd> Poll(platform::ProcessId pid) override { return m_real.Poll(pid); }
    void Kill(platform::ProcessId pid) override { m_real.Kill(pid); }

private:
    platform::IProcessRunner& m_real;
    std::function<void(std::vector<std::string>&)> m_edit;
};

// The real engine gives the sample's tables for the sample's circuit, and
// each of its ways of failing ends the run at once (its standard input is
// closed, so a PAUSE does not wait) with a message that names it and the
// cause; an old output is never read as the new one.
TEST_F(PropagationDriver, TheRealEngineGivesItsTablesOrSaysWhyNot) {
    TW_REQUIRE_VOACAPL(engine);
    ASSERT_EQ(test::InstallVoacapl(engine, m_drive.path()), QString());
    settings.m_fPropagationLayerAdjustEs = 0.0f;  // as in the sample
    const QString antennas = m_drive.path() + QStringLiteral("/itshfbc/antennas");
    const QString deck = Run(QStringLiteral("sound.dat"));
    const struct {
        const char* name;
        std::function<void(std::vector<std::string>&)> edit;
        std::string message;  // "" for a good run
    } cases[] = {
        {"good run", [](std::vector<std::string>&) {}, ""},
        {"antenna file missing", [&](std::vector<std::string>&) { QFile::remove(antennas); QDir().mkpath(antennas); },
         "Output voacapl wrote no \"sound.out\": Error= 2 OPENing antenna file=" +
             QFile::encodeName(antennas).toStdString() + "/default/const17.voa."},
        {"deck missing", [&](std::vector<std::string>&) { QFile::remove(deck); },
         "Output voacapl wrote no \"sound.out\"."},
        {"no data folder", [](std::vector<std::string>& a) { a[2] = "/nonexistent/itshfbc"; },
         "Shell do not finish. voacapl ended with an error: Error: Unable to open itshfbc directory at:"},
        {"damaged deck columns",
         [&](std::vector<std::string>&) {
             QFile file(deck);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             QByteArray text = file.readAll().replace("TIME         20", "TIME         2x");
             file.resize(0);
             file.write(text);
         },
         "Shell do not finish. voacapl ended with an error: Fortran runtime error: Bad value during integer read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.ClearRecords();
        // The antennas of the engine, whatever the case before did to them.
        if (!QFile::remove(antennas)) QDir().rmdir(antennas);
        ASSERT_TRUE(QFile::link(engine.dataTree + QStringLiteral("/antennas"), antennas));
        // The sample's output is left where the new one goes.
        QFile::remove(Run(QStringLiteral("sound.out")));
        QFile::copy(QStringLiteral(TIDEWELL_SAMPLES_DIR "/voacap-guam-2h.out"), Run(QStringLiteral("sound.out")));
        EditingRunner editing(*runner, c.edit);
        Propagation real {settings, ui, paths, editing, *locks, clock};
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = real.PropagationGet(ModelVoacap, kJune15At20, test::kGuamPositions,
                                            test::kGuamFrequencies, 150.0f, results, path);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 4.0);
        if (c.message.empty()) {
            ASSERT_TRUE(ok) << ui.LastMessage().toStdString();
            // The sample: hour 20, 14.1 MHz, and the MUF.
            EXPECT_FLOAT_EQ(results[6].Snr, 14.0f);
            EXPECT_FLOAT_EQ(path.Muf.front(), 17450.0f);
            // The engine's reliability, as its SNR and spreads give it.
            for (const PropagationResult& r : results)
                EXPECT_NEAR(ReliabilityShifted(r, 0.0), r.Rel, 2.0);
            continue;
        }
        EXPECT_FALSE(ok);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.LastMessage().toStdString(), "PropagationIcepacVoacap, " + c.message);
        EXPECT_EQ(Valid(results), std::string(10, '0'));
    }
}

// The stand-ins installed as the three program names: what the driver reads
// back must behave like the sky.  The path runs from the vessel of the demo
// (37.7N 25.7W) to a station about 2000 nautical miles west (Boston, FN42),
// whose midpoint near 48W sees local noon at about 15:10 UTC and midnight at
// about 03:10 UTC.
TEST_F(PropagationDriver, StandinsGiveAMufThatFollowsTheSunspotNumberTheSeasonAndTheHour) {
    ASSERT_EQ(test::InstallStandins(m_drive.path()), QString());
    // None of the stand-ins' failure switches.
    const test::ScopedEnv noFail {"ITSHF_STANDIN_FAIL", nullptr};
    const test::ScopedEnv noSleep {"ITSHF_STANDIN_SLEEP_MS", nullptr};
    Propagation standins {settings, ui, paths, *runner, *locks, clock};
    const std::vector<float> band {3585.0f,  5357.0f,  7070.0f,  10145.5f, 12551.0f,
                                   14108.0f, 18106.0f, 21110.0f, 24925.5f, 28118.0f};
    for (int model : {ModelIcepac, ModelVoacap, ModelRec533}) {
        SCOPED_TRACE(PropagationModelName(model).toStdString());
        // The MUF in kHz on the 15th of `month` 2026 at `hour` UTC.
        const auto muf = [&](int month, int hour, float ssn = 100.0f) {
            const QDateTime time(QDate(2026, month, 15), QTime(hour, 0), Qt::UTC);
            EXPECT_TRUE(standins.PropagationGet(model, time, {37.74, -25.67, 42.34, -71.06}, band,
                                                ssn, results, path))
                << ui.LastMessage().toStdString();
            return path.Muf.empty() ? 0.0f : path.Muf.front();
        };
        float previous = 0.0f;
        for (float ssn : {10.0f, 100.0f, 200.0f}) {
            const float m = muf(3, 15, ssn);
            EXPECT_GT(m, previous) << "sunspot number " << ssn;
            previous = m;
        }
        // The path as the program read it.
        EXPECT_NEAR(path.Range, 2079.0f, 10.0f);
        EXPECT_TRUE(path.Valid);
        // In every season the MUF is higher by day.
        for (int month : {3, 6, 12}) EXPECT_GT(muf(month, 15), 1.3f * muf(month, 3)) << month;
        // The reliability printed follows from the SNR and, where the program
        // prints them, its decile spreads: the SNR as its REL places it stays
        // within the whole dB printed.
        for (int hour = 0; hour < 24; hour += 2) {
            muf(6, hour);
            for (const PropagationResult& r : results) {
                EXPECT_GE(r.Rel, 0.0f);
                if (model == ModelRec533) continue;
                EXPECT_NEAR(ReliabilityShifted(r, 0.0), r.Rel, 1.0)
                    << r.Frequency << " kHz, SNR " << r.SnrMedian;
            }
        }
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage().toStdString();
}

// A process runner whose program runs until the test ends it: its output is
// then in place and a poll sees it ended with exit code 0.
class HeldRunner final : public platform::IProcessRunner {
public:
    platform::ProcessStart Start(const std::string&, const std::vector<std::string>&,
                                 const std::string&, const std::string&) override {
        ++starts;
        ended = false;
        return {7, 0};
    }
    platform::ProcessEnd Wait(platform::ProcessId, double) override {
        return platform::ProcessEnd::Unknown;
    }
    std::optional<platform::ProcessEnd> Poll(platform::ProcessId) override {
        return ended ? std::optional(platform::ProcessEnd::ExitedZero) : std::nullopt;
    }
    void Kill(platform::ProcessId) override { ++kills; }
    bool ended = false;
    int starts = 0;
    int kills = 0;
};

// With a waiter the run is polled while the window's events go on: it ends
// when the program does, is killed at the limit (counted on the waiter's
// clock), and is killed quietly, without a retry, once the update is given up.
// Once killed at the limit twice, the program gets a fifth of the limit per
// try for the rest of the update (the next station), still tried twice; a
// combined run is killed once, at its own limit, and the program counts as
// hanging at once.  A run waits its turn while another Tidewell's run holds
// the run folder, as long as it would wait for its program.
TEST_F(PropagationDriver, AWaitedRunLetsEventsThroughUntilItEndsOrIsKilled) {
    Program(QStringLiteral("voacapw.exe"));
    const QString stuck = QStringLiteral("PropagationIcepacVoacap, Shell do not finish.");
    const QString busy = QStringLiteral("PropagationIcepacVoacap, Open Another Tidewell is using the run "
                                        "folder \"c:\\itshfbc\\RUN\" and did not finish within 5 seconds.");
    // The second the program ends (0: never), the second the update is given
    // up, the second another Tidewell lets the run folder go (0: not held, -1:
    // never); the calls made ("g" a prediction, "p" a combined run of three
    // stations, "|" the end of an update).
    const std::tuple<const char*, int, int, int, bool, int, int, int, QString, const char*> cases[] = {
        {"ends in its second second", 2, 0, 0, true, 1, 0, 2, {}, "g"},
        {"still running at the limit", 0, 0, 0, false, 2, 2, 10, stuck, "g"},
        {"given up", 0, 1, 0, false, 1, 1, 1, {}, "g"},
        {"still running for the next station", 0, 0, 0, false, 4, 4, 12, stuck, "gg"},
        {"still running in the next update", 0, 0, 0, false, 4, 4, 20, stuck, "g|g"},
        {"a combined run still running", 0, 0, 0, false, 3, 3, 10, stuck, "pg"},
        {"another Tidewell's run first", 5, 0, 3, true, 1, 0, 5, {}, "g"},
        {"another Tidewell's run all along", 0, 0, -1, false, 0, 0, 10, busy, "g"},
        {"given up while waiting its turn", 0, 1, -1, false, 0, 0, 1, {}, "g"}};
    std::vector<PropagationRequest> requests;
    for (const PropagationRun& run : test::ThreeCircuitRuns(6, 20, 2, 150.0f))
        requests.push_back({run.Positions, run.Frequencies});
    for (const auto& [name, endAt, abandonAt, lockUntil, ok, starts, kills, seconds, told, calls] : cases) {
        SCOPED_TRACE(name);
        HeldRunner held;
        test::ScriptedUserInterface events;
        std::unique_ptr<platform::IHeldLock> other;
        int error = 0;
        if (lockUntil != 0) locks->TryLock(Run(QStringLiteral("tidewell.lock")).toStdString(), other, error);
        int second = 0;
        platform::ManualClock waited(0);
        ManualClockWaiter waiter(waited, events, [&, endAt = endAt, lockUntil = lockUntil] {
            if (++second == lockUntil) other.reset();
            if (second != endAt) return;
            QProcess::execute(QStringLiteral("/bin/sh"),
                              {QStringLiteral("-c"), "cd '" + Run(QString()) + "' && " + QString::fromUtf8(kCopy)});
            held.ended = true;
        });
        Propagation driver {settings, ui, paths, held, *locks, clock, QStringLiteral("Tidewell"), 5.0};
        driver.UseWaiter(&waiter);
        driver.Abandoned = [&, abandonAt = abandonAt] { return abandonAt > 0 && second >= abandonAt; };
        ui.ClearRecords();
        for (const char call : std::string(calls)) {
            if (call == '|') driver.PropagationPreparedClear();
            else if (call == 'p') EXPECT_EQ(driver.PropagationPrepare(ModelVoacap, kJune15At20, 150.0f, requests), 0);
            else EXPECT_EQ(driver.PropagationGet(ModelVoacap, kJune15At20, test::kGuamPositions, Frequencies(3),
                                                 150.0f, results, path), ok);
        }
        EXPECT_EQ(std::tuple(held.starts, held.kills, second), std::tuple(starts, kills, seconds));
        EXPECT_GE(events.processEventsCalls, 10 * seconds);
        EXPECT_EQ(ui.LastMessage(), told);
    }
}

}  // namespace
}  // namespace tw
