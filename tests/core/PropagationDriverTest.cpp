// The run driver against real processes in a temporary drive C: small /bin/sh
// programs that copy a sample output into place or fail in one way or
// another, and the real ITS HF stand-in programs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "PropagationTestData.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "propagation/Propagation.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUserInterface.h"
#include "support/Standins.h"

namespace tw {
namespace {

using test::ReadSample;

// Copies the guam sample's output into place.
const char* const kCopy = "cp '" TIDEWELL_SAMPLES_DIR "/voacap-guam-2h.out' sound.out";

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

    // A program in "c:\itshfbc\bin_win\" that counts its runs and keeps each
    // run's deck, arguments and whether an old output was still there, then
    // runs `body`.
    void Program(const QString& file, const QByteArray& body = kCopy, bool executable = true) {
        const QString path = m_drive.path() + QStringLiteral("/itshfbc/bin_win/") + file;
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

    static std::vector<float> Frequencies(int n) {
        std::vector<float> f;
        for (int i = 1; i <= n; ++i) f.push_back(1000.0f * static_cast<float>(i));
        return f;
    }

    QTemporaryDir m_drive;
    Settings settings;
    test::ScriptedUserInterface ui;
    platform::PathMapper paths;
    std::unique_ptr<platform::IProcessRunner> runner = platform::MakeProcessRunner();
    platform::ManualClock clock {platform::UtcFromFields({2031, 3, 1, 12, 0, 0})};
    // A short limit keeps the hanging case quick; the program default is 5 seconds.
    Propagation propagation {settings, ui, paths, *runner, clock, QStringLiteral("Tidewell"), 0.4};

    std::vector<PropagationResult> results;
    PropagationPath path;
};

TEST_F(PropagationDriver, VoacapRunsOnceForEveryBatchOfTen) {
    Program(QStringLiteral("voacapw.exe"));
    ASSERT_TRUE(Get(ModelVoacap, Frequencies(21))) << ui.LastMessage().toStdString();
    EXPECT_EQ(Runs(), 3);
    EXPECT_EQ(DeckCard(1, "FREQUENCY"),
              "FREQUENCY   1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0");
    EXPECT_EQ(DeckCard(2, "FREQUENCY"),
              "FREQUENCY  11.0 12.0 13.0 14.0 15.0 16.0 17.0 18.0 19.0 20.0");
    EXPECT_EQ(DeckCard(3, "FREQUENCY"), "FREQUENCY  21.0");
    ASSERT_EQ(results.size(), 21u);
    for (std::size_t i = 0; i < 21; ++i) {
        // Frequency i of a batch reads the output's column (i - 1) % 10 + 1.
        static const float kSnrHour20[] = {-741, -420, -244, -187, -48, 3, 14, 23, 9, -20};
        EXPECT_TRUE(results[i].Valid) << i;
        EXPECT_FLOAT_EQ(results[i].Frequency, 1000.0f * static_cast<float>(i + 1));
        EXPECT_FLOAT_EQ(results[i].Snr, kSnrHour20[i % 10]) << i;
    }
    EXPECT_TRUE(ui.messages.empty());
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
    EXPECT_FLOAT_EQ(out[1].TakeoffAngle, 15);
    EXPECT_FLOAT_EQ(out[1].Delay, 4);
    EXPECT_FLOAT_EQ(out[1].VirtualHeight, 250);
    EXPECT_FLOAT_EQ(out[1].Signal, -110);
    EXPECT_FLOAT_EQ(out[1].Noise, -145);
    EXPECT_FLOAT_EQ(out[1].Snr, 35);
    EXPECT_FLOAT_EQ(out[1].SnrSlope, -30);
    EXPECT_EQ(out[1].Layer, QStringLiteral("12 E"));
    EXPECT_FLOAT_EQ(p.Muf.at(0), 13000);
    EXPECT_FLOAT_EQ(p.Luf.at(0), 4500);
    EXPECT_FLOAT_EQ(p.Range, 1000);
    EXPECT_FLOAT_EQ(p.StationToShipAzimuth, 51.37f);
    EXPECT_FLOAT_EQ(p.StationAzimuth, 283.59f);
    PropagationInterpolate(two, runPath, 29, 2, 2, out, p);
    EXPECT_EQ(out[1].Layer, QStringLiteral(" 2F2"));
}

TEST_F(PropagationDriver, StartsTheProgramWithRootDeckAndOutputAndTheClocksYear) {
    QFile stale(Run(QStringLiteral("sound.out")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    Program(QStringLiteral("voacapw.exe"));
    settings.m_fPropagationLayerAdjustEs = 0.0f;  // as in the sample
    ASSERT_TRUE(Get(ModelVoacap, test::kGuamFrequencies, 150.0f, 30));
    // Halfway between the hours: 14.1 MHz from SNR 14 to 6, the MUF from 17.45 to 17.76 MHz.
    EXPECT_FLOAT_EQ(results[6].Snr, 10.0f);
    EXPECT_FLOAT_EQ(path.Muf.at(0), 17605.0f);
    const QByteArray root = QByteArray::fromStdString(paths.ToNative("c:\\itshfbc"));
    EXPECT_TRUE(root.endsWith("/itshfbc"));
    EXPECT_EQ(RunFile(QStringLiteral("args.1")), root + "\nsound.dat\nsound.out\n");
    EXPECT_TRUE(RunFile(QStringLiteral("stale.1")).isEmpty());  // the old output was removed first
    // The year is the computer clock's, the month the run's.
    EXPECT_EQ(DeckCard(1, "MONTH"), "MONTH      2031    6");
    // Otherwise the deck is the sample's.
    QByteArray deck = RunFile(QStringLiteral("deck.1"));
    EXPECT_EQ(deck.replace("MONTH      2031", "MONTH      2026"),
              ReadSample(QStringLiteral("voacap-guam-2h.dat")));
}

TEST_F(PropagationDriver, ABatchThatFailsTwiceStopsGetButNotGetHours) {
    // Runs 1, 3 and 4 fail: the first batch is cured by its retry, the second
    // fails on both attempts.
    Program(QStringLiteral("voacapw.exe"), QByteArray("case $n in 1|3|4) exit 1;; esac\n") + kCopy);
    EXPECT_FALSE(Get(ModelVoacap, Frequencies(25)));
    EXPECT_EQ(Runs(), 4);  // the third batch is not run
    // One message, from the second batch's retry.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("PropagationIcepacVoacap, Shell do not finish."));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Tidewell"));
    EXPECT_EQ(ui.broughtToFront, std::vector<QString> {QStringLiteral("Tidewell")});
    ASSERT_EQ(results.size(), 25u);
    for (std::size_t i = 0; i < 25; ++i) EXPECT_EQ(results[i].Valid, i < 10) << i;
    EXPECT_FLOAT_EQ(results[0].Snr, -741.0f);

    QFile::remove(Run(QStringLiteral("runs")));
    ui.ClearRecords();
    PropagationHours hours;
    EXPECT_FALSE(propagation.PropagationGetHours(ModelVoacap, 12, 20, 2, test::kGuamPositions,
                                                 Frequencies(25), 100.0f, hours, path));
    EXPECT_EQ(Runs(), 5);  // the third batch is run all the same
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(DeckCard(5, "TIME"), "TIME         20   21    1    1");
    EXPECT_EQ(DeckCard(5, "MONTH"), "MONTH      2031   12");
    EXPECT_EQ(DeckCard(5, "SUNSPOT"), "SUNSPOT   100.0  3.0");
    ASSERT_EQ(hours.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        ASSERT_EQ(hours[k].size(), 25u);
        for (std::size_t i = 0; i < 25; ++i) {
            SCOPED_TRACE(testing::Message() << "hour index " << k + 1 << ", frequency " << i + 1);
            EXPECT_EQ(hours[k][i].Valid, i < 10 || i >= 20);
            EXPECT_FLOAT_EQ(hours[k][i].Frequency, 1000.0f * static_cast<float>(i + 1));
        }
    }
    // Layer as printed, no interpolation.
    EXPECT_EQ(hours[1][20].Layer, QStringLiteral(" 12 E"));
    EXPECT_FLOAT_EQ(hours[1][20].Snr, -939.0f);
    EXPECT_TRUE(path.Valid);
    EXPECT_FLOAT_EQ(path.Muf.at(1), 17760.0f);
}

TEST_F(PropagationDriver, HoursOfADayPlaceEachHourByItsOwnLine) {
    Program(QStringLiteral("voacapw.exe"),
            "cp '" TIDEWELL_SAMPLES_DIR "/voacap-honolulu-24h.out' sound.out");
    const PropagationRun run = test::HonoluluRun();
    PropagationHours hours;
    ASSERT_TRUE(propagation.PropagationGetHours(ModelVoacap, 12, 0, 24, run.Positions,
                                                run.Frequencies, 100.0f, hours, path))
        << ui.LastMessage().toStdString();
    EXPECT_EQ(Runs(), 1);
    // The MUF and LUF table lists hour 1.0 first and 24.0 last; hour index 1 is
    // hour 0, printed 24.0, and takes that line's values.  The hour groups
    // follow in hour order from hour 0.  Layer as printed.
    ASSERT_EQ(path.Muf.size(), 24u);
    EXPECT_FLOAT_EQ(path.Muf[0], 26520.0f);
    EXPECT_FLOAT_EQ(path.Luf[0], 10260.0f);
    EXPECT_FLOAT_EQ(path.Muf[1], 24890.0f);
    EXPECT_FLOAT_EQ(path.Muf[23], 27100.0f);
    EXPECT_EQ(hours[0][0].Layer, QStringLiteral("  5 E"));
    EXPECT_FLOAT_EQ(hours[0][0].Snr, -78.0f);
    EXPECT_FLOAT_EQ(hours[1][4].Signal, -109.0f);
    EXPECT_FLOAT_EQ(hours[23][4].Snr, 53.0f);
    for (const auto& row : hours) {
        for (const PropagationResult& r : row) EXPECT_TRUE(r.Valid);
    }
}

TEST_F(PropagationDriver, NothingRunsForAnEmptyListOrNoHours) {
    Program(QStringLiteral("voacapw.exe"));
    PropagationHours hours;
    EXPECT_FALSE(Get(ModelVoacap, {}));
    EXPECT_FALSE(propagation.PropagationGetHours(ModelVoacap, 6, 0, 24, test::kGuamPositions, {},
                                                 150.0f, hours, path));
    EXPECT_FALSE(propagation.PropagationGetHours(ModelVoacap, 6, 0, 0, test::kGuamPositions,
                                                 Frequencies(3), 150.0f, hours, path));
    EXPECT_EQ(Runs(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

// One message on the second attempt, never a crash.
TEST_F(PropagationDriver, EveryFaultEndsInItsMessage) {
    // The program of the model is missing (no body) or runs `body`.
    struct Fault {
        const char* name;
        int model;
        const char* body;
        int runs;             // program runs made
        const char* message;  // whole text (the hint follows "not found."), or its start with "..."
        float ssn = 150.0f;
        bool executable = true;
        bool noRunFolder = false;
    };
    const Fault faults[] = {
        {"VOACAP missing", ModelVoacap, nullptr, 0, "Propagation Model VOACAP not found."},
        {"ICEPAC missing", ModelIcepac, nullptr, 0, "Propagation Model ICEPAC not found."},
        {"REC533 missing", ModelRec533, nullptr, 0, "Propagation Model REC533 not found."},
        {"not executable", ModelVoacap, "exit 0", 0,
         "PropagationIcepacVoacap, Shell Permission denied", 150.0f, false},
        {"hanging", ModelVoacap, "sleep 30", 2, "PropagationIcepacVoacap, Shell do not finish."},
        {"exit code 1", ModelVoacap,
         "cp '" TIDEWELL_SAMPLES_DIR "/voacap-guam-2h.out' sound.out; exit 1", 2,
         "PropagationIcepacVoacap, Shell do not finish."},
        {"no output", ModelVoacap, "exit 0", 2, "PropagationIcepacVoacap, Output ..."},
        {"empty output", ModelVoacap, ": > sound.out", 2,
         "PropagationIcepacVoacap, Output Label \"MUF    LUF\" not found"},
        {"REC533 empty output", ModelRec533, ": > sound.out", 2,
         "PropagationRec533, Output Label \"AZIMUTHS\" not found"},
        {"sunspot number 1000", ModelVoacap, kCopy, 0,
         "PropagationIcepacVoacap, Input, sunspot number 1000 does not fit format F5.1", 1000.0f},
        {"REC533 sunspot number 1000", ModelRec533, kCopy, 0,
         "PropagationRec533, Input sunspot number 1000 does not fit format F5.1", 1000.0f},
        {"no run folder", ModelVoacap, kCopy, 0, "PropagationIcepacVoacap, Open ...", 150.0f, true,
         true},
        // An output that is a pipe or an endless device is never opened or read.
        {"output a pipe", ModelVoacap, "mkfifo sound.out", 2,
         "PropagationIcepacVoacap, Output It is not a regular file."},
        {"output /dev/zero", ModelVoacap, "ln -s /dev/zero sound.out", 2,
         "PropagationIcepacVoacap, Output It is not a regular file."},
        {"model 7", 7, "", 0,
         "PropagationGet, Model 7 Not Supported. The Model key of [Propagation Data] in "
         "C:\\Tidewell\\Tidewell.Ini must be 1 (ICEPAC), 2 (VOACAP) or 3 (REC533)."},
    };
    settings.m_sProfileFile = QStringLiteral("C:\\Tidewell\\Tidewell.Ini");
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        QDir(m_drive.path() + QStringLiteral("/itshfbc")).removeRecursively();
        SetUp();
        ui.ClearRecords();
        results.clear();
        if (f.body && *f.body) Program(PropagationProgramFile(f.model), f.body, f.executable);
        if (f.noRunFolder) QDir(Run(QString())).removeRecursively();

        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(Get(f.model, test::kGuamFrequencies, f.ssn));
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
                  2.0);

        ASSERT_EQ(ui.messages.size(), 1u);
        const QString text = ui.messages[0].text;
        QString expected = QString::fromLatin1(f.message);
        if (!f.body) {
            expected += QStringLiteral(
                "\r\n\r\nPlease check that ITS HF propagation prediction software has been "
                "installed.");
        }
        if (expected.endsWith(QStringLiteral("..."))) {
            expected.chop(3);
            EXPECT_TRUE(text.startsWith(expected)) << text.toStdString();
            EXPECT_GT(text.size(), expected.size()) << "the error's description follows";
        } else {
            EXPECT_EQ(text, expected);
        }
        EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(ui.broughtToFront.size(), 1u);
        EXPECT_EQ(Runs(), f.runs);
        for (const PropagationResult& r : results) EXPECT_FALSE(r.Valid);
        // A missing program is found before any file is touched.
        EXPECT_FALSE(!f.body && QFile::exists(Run(QStringLiteral("sound.dat"))));
    }
}

// The stand-ins installed as the three program names: what the driver reads
// back must behave like the sky.
class PropagationStandin : public PropagationDriver, public ::testing::WithParamInterface<int> {
public:
    void SetUp() override {
        ASSERT_TRUE(m_drive.isValid());
        ASSERT_EQ(test::InstallStandins(m_drive.path()), QString());
        paths.SetDrive('c', m_drive.path().toStdString());
    }

    // The prediction across the band for the 15th of `month` 2026 at `hour`
    // UTC, on a path from the vessel of the demo (37.7N 25.7W) to a station
    // about 2000 nautical miles west (Boston, FN42), whose midpoint near 48W
    // sees local noon at about 15:10 UTC and midnight at about 03:10 UTC.
    // The MUF it gives in kHz.
    float Muf(int month, int hour, float ssn = 100.0f) {
        const QDateTime time(QDate(2026, month, 15), QTime(hour, 0), Qt::UTC);
        const std::vector<float> band {3585.0f,  5357.0f,  7070.0f,  10145.5f, 12551.0f,
                                      14108.0f, 18106.0f, 21110.0f, 24925.5f, 28118.0f};
        EXPECT_TRUE(standins.PropagationGet(GetParam(), time, {37.74, -25.67, 42.34, -71.06}, band,
                                            ssn, results, path))
            << ui.LastMessage().toStdString();
        return path.Muf.empty() ? 0.0f : path.Muf.front();
    }

    // The frequency with the best SNR of the last prediction.
    float BestFrequency() const {
        const auto best = std::max_element(
            results.begin(), results.end(),
            [](const PropagationResult& a, const PropagationResult& b) { return a.Snr < b.Snr; });
        return best == results.end() ? 0.0f : best->Frequency;
    }

    // The stand-ins' own model for VOACAP too, and none of their failure switches.
    test::ScopedEnv noVoacapl {"ITSHF_STANDIN_NO_VOACAPL", "1"};
    test::ScopedEnv noFail {"ITSHF_STANDIN_FAIL", nullptr};
    test::ScopedEnv noSleep {"ITSHF_STANDIN_SLEEP_MS", nullptr};
    Propagation standins {settings, ui, paths, *runner, clock};
};

TEST_P(PropagationStandin, TheMufFollowsTheSunspotNumberTheSeasonAndTheHour) {
    for (int hour : {15, 3}) {
        float previous = 0.0f;
        for (float ssn : {10.0f, 100.0f, 200.0f}) {
            const float muf = Muf(3, hour, ssn);
            EXPECT_GT(muf, previous) << "hour " << hour << ", sunspot number " << ssn;
            previous = muf;
        }
    }
    // The path as the program read it.
    EXPECT_NEAR(path.Range, 2079.0f, 10.0f);
    EXPECT_TRUE(path.Valid);

    // In every season the MUF and the best frequency are higher by day.
    for (int month : {3, 6, 12}) {
        SCOPED_TRACE(month);
        const float dayMuf = Muf(month, 15);
        const float dayBest = BestFrequency();
        EXPECT_GT(dayMuf, 1.3f * Muf(month, 3));
        EXPECT_GT(dayBest, BestFrequency());
    }

    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Models, PropagationStandin,
                         ::testing::Values(ModelIcepac, ModelVoacap, ModelRec533),
                         [](const auto& info) {
                             return PropagationModelName(info.param).toStdString();
                         });

}  // namespace
}  // namespace tw
