// The run driver against real processes: small /bin/sh programs in a
// temporary drive C: stand in for the ITS HF programs, copying a canned
// output into place or failing in one way or another.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <memory>

#include "PropagationTestData.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "propagation/Propagation.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

using test::ReadSample;

const QString kNotFoundHint = QStringLiteral(
    "\r\n\r\nPlease check that ITS HF propagation prediction software has been installed.");

QDateTime Utc(int year, int month, int day, int hour, int minute) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

// Every program counts its runs and keeps each run's deck, arguments and
// whether an old output was still there.
const char* kPrelude =
    "#!/bin/sh\n"
    "n=$(cat runs 2>/dev/null || echo 0); n=$((n+1)); echo $n > runs\n"
    "cp sound.dat deck.$n\n"
    "printf '%s\\n' \"$@\" > args.$n\n"
    "[ -e sound.out ] && echo stale > stale.$n\n";

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

    // A program in "c:\itshfbc\bin_win\": the prelude, then `body`.
    void Program(const QString& file, const QString& body, bool executable = true) {
        const QString path = m_drive.path() + QStringLiteral("/itshfbc/bin_win/") + file;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(kPrelude);
        f.write(body.toUtf8() + "\n");
        f.close();
        namespace fs = std::filesystem;
        fs::permissions(path.toStdString(), executable
                                                ? fs::perms::owner_all
                                                : fs::perms::owner_read | fs::perms::owner_write);
    }

    // A canned output file outside the run folder; its path quoted for sh.
    QString Canned(const QByteArray& bytes, const QString& name = QStringLiteral("canned.out")) {
        const QString path = m_drive.path() + QLatin1Char('/') + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return QLatin1Char('\'') + path + QLatin1Char('\'');
    }

    // A program that copies the output into place (and ends with exit code 0).
    void CopyingProgram(const QString& file, const QByteArray& output) {
        Program(file, QStringLiteral("cp %1 sound.out").arg(Canned(output)));
    }

    int Runs() const {
        QFile f(Run(QStringLiteral("runs")));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    }

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

    bool Get(int model, const QDateTime& time, const std::vector<float>& frequencies,
             const PropagationPositions& positions = test::GuamPositions(), float ssn = 150.0f) {
        return propagation.PropagationGet(model, time, positions, frequencies, ssn, results, path);
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
    // A short limit keeps the hanging cases quick; the program default is 5 seconds.
    Propagation propagation {settings, ui, paths, *runner, clock, QStringLiteral("Tidewell"), 0.4};

    std::vector<PropagationResult> results;
    PropagationPath path;
    float ssn = 150.0f;
};

// --- batching ---

TEST_F(PropagationDriver, VoacapRunsOnceForEveryBatch) {
    CopyingProgram(QStringLiteral("voacapw.exe"), ReadSample(QStringLiteral("voacap-guam-2h.out")));
    const struct {
        int n;
        std::vector<QByteArray> cards;
    } cases[] = {
        {10, {"FREQUENCY   1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0"}},
        {11, {"FREQUENCY   1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0", "FREQUENCY  11.0"}},
        {25,
         {"FREQUENCY   1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0",
          "FREQUENCY  11.0 12.0 13.0 14.0 15.0 16.0 17.0 18.0 19.0 20.0",
          "FREQUENCY  21.0 22.0 23.0 24.0 25.0"}},
    };
    for (const auto& c : cases) {
        QFile::remove(Run(QStringLiteral("runs")));
        results.clear();
        ASSERT_TRUE(Get(ModelVoacap, Utc(2026, 6, 15, 20, 0), Frequencies(c.n)))
            << ui.LastMessage().toStdString();
        EXPECT_EQ(Runs(), static_cast<int>(c.cards.size())) << c.n;
        for (std::size_t i = 0; i < c.cards.size(); ++i) {
            EXPECT_EQ(DeckCard(static_cast<int>(i) + 1, "FREQUENCY"), c.cards[i]) << c.n;
        }
        ASSERT_EQ(results.size(), static_cast<std::size_t>(c.n));
        for (int i = 0; i < c.n; ++i) {
            // Frequency i of a batch reads the output's column (i - 1) % 10 + 1.
            const PropagationResult& r = results[static_cast<std::size_t>(i)];
            EXPECT_TRUE(r.Valid);
            EXPECT_FLOAT_EQ(r.Frequency, 1000.0f * static_cast<float>(i + 1));
            static const float kSnrHour20[] = {-741, -420, -244, -187, -48, 3, 14, 23, 9, -20};
            EXPECT_FLOAT_EQ(r.Snr, kSnrHour20[i % 10]) << i;
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PropagationDriver, Rec533RunsOnceForEveryBatch) {
    const QByteArray output = test::Rec533Output(
        QStringLiteral(" 51.37"), QStringLiteral("283.59"), QStringLiteral(" 5125.2"),
        {test::Rec533UniformHour(QStringLiteral("17.4"), QStringLiteral(" 5.0"), 10, 10),
         test::Rec533UniformHour(QStringLiteral("18.4"), QStringLiteral(" 6.0"), 20, 10)});
    CopyingProgram(QStringLiteral("rec533w.exe"), output);
    ASSERT_TRUE(Get(ModelRec533, Utc(2026, 6, 15, 20, 30), Frequencies(11)))
        << ui.LastMessage().toStdString();
    EXPECT_EQ(Runs(), 2);
    EXPECT_EQ(DeckCard(1, "FREQ"),
              "FREQ          1.0    2.0    3.0    4.0    5.0    6.0    7.0    8.0    9.0   10.0");
    EXPECT_EQ(DeckCard(2, "FREQ"), "FREQ         11.0");
    EXPECT_EQ(DeckCard(1, "TIME"), "TIME         20   21    1");
    // Field j holds 10 + j in the first hour and 20 + j in the second: at
    // minute 30 halfway between.
    EXPECT_FLOAT_EQ(results[0].Snr, 16.0f);
    EXPECT_FLOAT_EQ(results[9].Snr, 25.0f);
    EXPECT_FLOAT_EQ(results[10].Snr, 16.0f);
    EXPECT_FLOAT_EQ(results[10].SnrSlope, 10.0f);
    EXPECT_FLOAT_EQ(results[10].Delay, -1.0f);
    EXPECT_FLOAT_EQ(results[10].VirtualHeight, -1.0f);
    EXPECT_EQ(results[10].Layer, QStringLiteral(" 1F2"));
    EXPECT_FLOAT_EQ(path.Muf.at(0), 17900.0f);
    EXPECT_FLOAT_EQ(path.Luf.at(0), 5500.0f);
    EXPECT_FLOAT_EQ(path.Range, 5125.2f);
}

// --- interpolation ---

// The guam output with the second hour's modes changed, so that the hour a
// mode comes from shows.
QByteArray GuamWithSecondHourModes() {
    QByteArray out = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    const qsizetype at = out.lastIndexOf("  MODE");
    const qsizetype start = out.lastIndexOf('\n', at) + 1;
    QByteArray line = "        4F2";
    for (int j = 1; j <= 10; ++j) line += QString::number(j).rightJustified(3).toLatin1() + "F1";
    line += "   -  MODE  ";
    return out.replace(start, out.indexOf('\n', at) - start, line);
}

TEST_F(PropagationDriver, InterpolatesByTheMinute) {
    CopyingProgram(QStringLiteral("voacapw.exe"), GuamWithSecondHourModes());
    const struct {
        int minute;
        const char* layer;  // of 14.1 MHz, less its first character
    } cases[] = {{0, " 5F2"}, {29, " 5F2"}, {30, " 7F1"}, {59, " 7F1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minute);
        ASSERT_TRUE(Get(ModelVoacap, Utc(2026, 6, 15, 20, c.minute), test::GuamFrequencies()));
        const double f = c.minute / 60.0;
        const PropagationResult& r = results[6];  // 14.1 MHz: SNR 14 then 6
        EXPECT_EQ(r.Layer, QString::fromLatin1(c.layer));
        EXPECT_NEAR(r.Snr, 14 + (6 - 14) * f, 1e-4);
        EXPECT_FLOAT_EQ(r.SnrSlope, -8.0f);
        EXPECT_NEAR(r.TakeoffAngle, 19.9 + (19.8 - 19.9) * f, 1e-4);
        EXPECT_NEAR(r.Delay, 35.9, 1e-4);
        EXPECT_NEAR(r.VirtualHeight, 441 + (440 - 441) * f, 1e-4);
        EXPECT_NEAR(r.Signal, -154 + (-162 + 154) * f, 1e-4);
        EXPECT_NEAR(r.Noise, -168, 1e-4);
        EXPECT_NEAR(path.Muf.at(0), 17450 + 310 * f, 1e-2);
        EXPECT_NEAR(path.Luf.at(0), 17450 + 310 * f, 1e-2);
        EXPECT_FLOAT_EQ(path.StationToShipAzimuth, 51.37f);
        EXPECT_FLOAT_EQ(path.StationAzimuth, 283.59f);
        EXPECT_FLOAT_EQ(path.Range, 5125.2f);
        if (c.minute == 0) {
            // At the whole hour every value is that hour's.
            EXPECT_FLOAT_EQ(results[1].Signal, -577.0f);
            EXPECT_FLOAT_EQ(results[1].Snr, -420.0f);
        }
    }
}

TEST_F(PropagationDriver, InterpolationOfARunFromItsTables) {
    PropagationHours two(2, std::vector<PropagationResult>(2));
    two[0][1] = {7100, QStringLiteral("  2F2"), 10, 3, 300, -100, -150, 50, 0, true};
    two[1][1] = {7100, QStringLiteral(" 12 E"), 20, 5, 200, -120, -140, 20, 0, true};
    PropagationPath runPath;
    runPath.Range = 1000;
    runPath.Muf = {10000, 16000};
    runPath.Luf = {4000, 5000};
    std::vector<PropagationResult> out(2);
    PropagationPath p;
    PropagationInterpolate(two, runPath, 30, 2, 2, out, p);
    EXPECT_FALSE(out[0].Valid);
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
    PropagationInterpolate(two, runPath, 29, 2, 2, out, p);
    EXPECT_EQ(out[1].Layer, QStringLiteral(" 2F2"));
}

TEST_F(PropagationDriver, AtHour23TheRunCoversHours23And24) {
    QByteArray out = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    out.replace("     20.0   5.7", "     23.0   5.7").replace("     21.0   6.7", "     24.0   6.7");
    CopyingProgram(QStringLiteral("voacapw.exe"), out);
    ASSERT_TRUE(Get(ModelVoacap, Utc(2026, 6, 15, 23, 15), test::GuamFrequencies()))
        << ui.LastMessage().toStdString();
    EXPECT_EQ(DeckCard(1, "TIME"), "TIME         23   24    1    1");
    EXPECT_NEAR(path.Muf.at(0), 17450 + 310 * 0.25, 1e-2);

    // A table whose hours are not the run's is not read as if they were.
    CopyingProgram(QStringLiteral("voacapw.exe"), ReadSample(QStringLiteral("voacap-guam-2h.out")));
    EXPECT_FALSE(Get(ModelVoacap, Utc(2026, 6, 15, 23, 15), test::GuamFrequencies()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.LastMessage().startsWith(
        QStringLiteral("PropagationIcepacVoacap, Output MUF and LUF line")))
        << ui.LastMessage().toStdString();
}

// --- the run itself ---

TEST_F(PropagationDriver, StartsTheProgramWithRootDeckAndOutputAndTheClocksYear) {
    QFile stale(Run(QStringLiteral("sound.out")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    CopyingProgram(QStringLiteral("voacapw.exe"), ReadSample(QStringLiteral("voacap-guam-2h.out")));
    settings.m_fPropagationLayerAdjustEs = 0.0f;  // as in the sample
    ASSERT_TRUE(Get(ModelVoacap, Utc(2026, 6, 15, 20, 0), test::GuamFrequencies()));
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

TEST_F(PropagationDriver, AFailureCuredByTheRetryShowsNothing) {
    Program(QStringLiteral("voacapw.exe"),
            QStringLiteral("[ $n -eq 1 ] && exit 1\ncp %1 sound.out")
                .arg(Canned(ReadSample(QStringLiteral("voacap-guam-2h.out")))));
    EXPECT_TRUE(Get(ModelVoacap, Utc(2026, 6, 15, 20, 0), test::GuamFrequencies()));
    EXPECT_EQ(Runs(), 2);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(results[0].Valid);
}

// A program whose runs 2 and 3 fail (the second batch's two attempts).
QString FailingSecondBatch(const QString& canned) {
    return QStringLiteral("if [ $n -eq 2 ] || [ $n -eq 3 ]; then exit 1; fi\ncp %1 sound.out")
        .arg(canned);
}

TEST_F(PropagationDriver, GetStopsAtTheFirstBatchThatFailsTwice) {
    Program(QStringLiteral("voacapw.exe"),
            FailingSecondBatch(Canned(ReadSample(QStringLiteral("voacap-guam-2h.out")))));
    EXPECT_FALSE(Get(ModelVoacap, Utc(2026, 6, 15, 20, 0), Frequencies(25)));
    EXPECT_EQ(Runs(), 3);  // the third batch is not run
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("PropagationIcepacVoacap, Shell do not finish."));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Tidewell"));
    EXPECT_EQ(ui.broughtToFront, std::vector<QString> {QStringLiteral("Tidewell")});
    ASSERT_EQ(results.size(), 25u);
    for (std::size_t i = 0; i < 25; ++i) EXPECT_EQ(results[i].Valid, i < 10) << i;
    EXPECT_FLOAT_EQ(results[0].Snr, -741.0f);
}

TEST_F(PropagationDriver, HoursRunEveryBatchAndReportAnyFailure) {
    Program(QStringLiteral("voacapw.exe"),
            FailingSecondBatch(Canned(ReadSample(QStringLiteral("voacap-guam-2h.out")))));
    PropagationHours hours;
    PropagationPath hoursPath;
    EXPECT_FALSE(propagation.PropagationGetHours(ModelVoacap, 6, 20, 2, test::GuamPositions(),
                                                 Frequencies(25), 150.0f, hours, hoursPath));
    EXPECT_EQ(Runs(), 4);  // the third batch is run all the same
    EXPECT_EQ(ui.messages.size(), 1u);
    ASSERT_EQ(hours.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        ASSERT_EQ(hours[k].size(), 25u);
        for (std::size_t i = 0; i < 25; ++i) {
            const bool filled = i < 10 || i >= 20;
            EXPECT_EQ(hours[k][i].Valid, filled) << k << " " << i;
            EXPECT_FLOAT_EQ(hours[k][i].Frequency, 1000.0f * static_cast<float>(i + 1));
            if (!filled) {
                EXPECT_FLOAT_EQ(hours[k][i].Snr, 0.0f);
                EXPECT_TRUE(hours[k][i].Layer.isEmpty());
            }
        }
    }
    // Layer as printed, no interpolation.
    EXPECT_EQ(hours[1][20].Layer, QStringLiteral(" 12 E"));
    EXPECT_FLOAT_EQ(hours[1][20].Snr, -939.0f);
    EXPECT_TRUE(hoursPath.Valid);
    EXPECT_FLOAT_EQ(hoursPath.Muf.at(1), 17760.0f);
}

TEST_F(PropagationDriver, HoursOfADayPlaceEachHourByItsOwnLine) {
    CopyingProgram(QStringLiteral("voacapw.exe"),
                   ReadSample(QStringLiteral("voacap-honolulu-24h.out")));
    PropagationHours hours;
    PropagationPath hoursPath;
    ASSERT_TRUE(propagation.PropagationGetHours(ModelVoacap, 12, 0, 24, test::HonoluluPositions(),
                                                test::HonoluluFrequencies(), 100.0f, hours,
                                                hoursPath))
        << ui.LastMessage().toStdString();
    EXPECT_EQ(Runs(), 1);
    EXPECT_EQ(DeckCard(1, "TIME"), "TIME          0   23    1    1");
    ASSERT_EQ(hoursPath.Muf.size(), 24u);
    EXPECT_FLOAT_EQ(hoursPath.Muf[0], 26520.0f);  // hour 0, printed 24.0 at the end of the table
    EXPECT_FLOAT_EQ(hoursPath.Luf[0], 10260.0f);
    EXPECT_FLOAT_EQ(hoursPath.Muf[1], 24890.0f);
    EXPECT_FLOAT_EQ(hoursPath.Muf[23], 27100.0f);
    EXPECT_EQ(hours[0][0].Layer, QStringLiteral("  5 E"));  // 3.6 MHz at hour 0, as printed
    EXPECT_FLOAT_EQ(hours[0][0].Snr, -78.0f);
    EXPECT_FLOAT_EQ(hours[1][0].Snr, -15.0f);
    EXPECT_FLOAT_EQ(hours[0][0].SnrSlope, 0.0f);
    for (const auto& row : hours) {
        for (const PropagationResult& r : row) EXPECT_TRUE(r.Valid);
    }
}

TEST_F(PropagationDriver, NothingRunsForAnEmptyListOrNoModel) {
    CopyingProgram(QStringLiteral("voacapw.exe"), ReadSample(QStringLiteral("voacap-guam-2h.out")));
    PropagationHours hours;
    EXPECT_FALSE(Get(ModelVoacap, Utc(2026, 6, 15, 20, 0), {}));
    EXPECT_FALSE(propagation.PropagationGetHours(ModelVoacap, 6, 0, 24, test::GuamPositions(), {},
                                                 150.0f, hours, path));
    EXPECT_FALSE(propagation.PropagationGetHours(ModelVoacap, 6, 0, 0, test::GuamPositions(),
                                                 Frequencies(3), 150.0f, hours, path));
    EXPECT_FALSE(Get(4, Utc(2026, 6, 15, 20, 0), Frequencies(3)));
    EXPECT_FALSE(Get(0, Utc(2026, 6, 15, 20, 0), Frequencies(3)));
    EXPECT_EQ(Runs(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

// --- failures: one message on the second attempt, never a crash ---

TEST_F(PropagationDriver, EveryFaultEndsInItsMessage) {
    // The program of the model is missing (no body, no output), runs `body`
    // ("%1" the path of a copy of the guam output), or copies `output` into place.
    struct Fault {
        const char* name;
        int model = ModelVoacap;
        const char* body = nullptr;
        QByteArray output = QByteArray();  // null: none
        const char* message = "";  // whole text, or its start with "..."
        int runs = 2;              // program runs made
        bool executable = true;
        float ssn = 150.0f;
        bool noRunFolder = false;
    };
    const QByteArray guam = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    const Fault faults[] = {
        {.name = "program missing", .message = "Propagation Model VOACAP not found.", .runs = 0},
        {.name = "ICEPAC missing", .model = ModelIcepac, .message = "Propagation Model ICEPAC not found.", .runs = 0},
        {.name = "REC533 missing", .model = ModelRec533, .message = "Propagation Model REC533 not found.", .runs = 0},
        {.name = "not executable", .body = "exit 0", .message = "PropagationIcepacVoacap, Shell Permission denied",
         .runs = 0, .executable = false},
        {.name = "hanging", .body = "sleep 30", .message = "PropagationIcepacVoacap, Shell do not finish."},
        {.name = "crashing", .body = "kill -SEGV $$", .message = "PropagationIcepacVoacap, Shell do not finish."},
        {.name = "exit code 1", .body = "cp %1 sound.out\nexit 1", .message = "PropagationIcepacVoacap, Shell do not finish."},
        {.name = "REC533 exit code 3", .model = ModelRec533, .body = "exit 3",
         .message = "PropagationRec533, Shell do not finish."},
        {.name = "no output", .body = "exit 0", .message = "PropagationIcepacVoacap, Output ..."},
        {.name = "empty output", .body = ": > sound.out",
         .message = "PropagationIcepacVoacap, Output Label \"MUF    LUF\" not found"},
        {.name = "REC533 empty output", .model = ModelRec533, .body = ": > sound.out",
         .message = "PropagationRec533, Output Label \"AZIMUTHS\" not found"},
        {.name = "truncated output", .output = guam.left(guam.indexOf("SNRxx")),
         .message = "PropagationIcepacVoacap, Output Label \"SNRxx\" not found"},
        {.name = "field not a number", .output = QByteArray(guam).replace(" 22 -741 -420", " 22 -7X1 -420"),
         .message = "PropagationIcepacVoacap, Output Field \" -7X1\" in column 12 ..."},
        {.name = "sunspot number 1000", .output = guam,
         .message = "PropagationIcepacVoacap, Input, sunspot number 1000 does not fit format F5.1", .runs = 0,
         .ssn = 1000.0f},
        {.name = "REC533 sunspot number 1000", .model = ModelRec533, .output = guam,
         .message = "PropagationRec533, Input sunspot number 1000 does not fit format F5.1", .runs = 0, .ssn = 1000.0f},
        {.name = "no run folder", .output = guam, .message = "PropagationIcepacVoacap, Open ...", .runs = 0,
         .noRunFolder = true},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        QDir(m_drive.path() + QStringLiteral("/itshfbc")).removeRecursively();
        SetUp();
        ui.ClearRecords();
        results.clear();
        const QString file = f.model == ModelRec533   ? QStringLiteral("rec533w.exe")
                             : f.model == ModelIcepac ? QStringLiteral("icepacw.exe")
                                                      : QStringLiteral("voacapw.exe");
        if (f.body) Program(file, QString::fromLatin1(f.body).replace(QStringLiteral("%1"), Canned(guam)), f.executable);
        if (!f.output.isNull()) CopyingProgram(file, f.output);
        if (f.noRunFolder) QDir(Run(QString())).removeRecursively();

        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(Get(f.model, Utc(2026, 6, 15, 20, 0), test::GuamFrequencies(), test::GuamPositions(), f.ssn));
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 2.0);

        ASSERT_EQ(ui.messages.size(), 1u);
        const QString text = ui.messages[0].text;
        QString expected = QString::fromLatin1(f.message);
        if (expected.endsWith(QStringLiteral("..."))) {
            expected.chop(3);
            EXPECT_TRUE(text.startsWith(expected)) << text.toStdString();
            EXPECT_GT(text.size(), expected.size()) << "the error's description follows";
        } else {
            if (expected.endsWith(QStringLiteral(" not found."))) expected += kNotFoundHint;
            EXPECT_EQ(text, expected);
        }
        EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(ui.broughtToFront.size(), 1u);
        EXPECT_EQ(Runs(), f.runs);
        for (const PropagationResult& r : results) EXPECT_FALSE(r.Valid);
        // A missing program is found before any file is touched.
        EXPECT_FALSE(!f.body && f.output.isNull() && QFile::exists(Run(QStringLiteral("sound.dat"))));
    }
}

}  // namespace
}  // namespace tw
