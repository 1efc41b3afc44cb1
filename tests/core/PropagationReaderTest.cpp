#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "PropagationTestData.h"
#include "propagation/Propagation.h"
#include "propagation/PropagationDecks.h"

namespace tw {
namespace {

using test::GuamRun;
using test::Numbers;
using test::ReadSample;
using testing::FloatNear;
using testing::Pointwise;

TEST(PropagationIcepacVoacapOutput, ReadsTheGuamSample) {
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(IcepacVoacapReadOutput(ReadSample(QStringLiteral("voacap-guam-2h.out")), GuamRun(),
                                       table, path, error))
        << error.toStdString();
    // The path values whole, not cut to the fixed columns; the LUF printed
    // negative is read as its magnitude.
    EXPECT_EQ(Numbers(path),
              (std::vector<float> {5125.2f, 51.37f, 283.59f, 17450, 17760, 17450, 17760}));
    ASSERT_EQ(table.size(), 2u);
    ASSERT_EQ(table[1].size(), 10u);
    EXPECT_EQ(table[0][0].Layer, QStringLiteral(" 12 E"));
    EXPECT_EQ(table[1][9].Layer, QStringLiteral("  4F2"));
    // Every row as printed, at the first and the last frequency of both hours.
    EXPECT_EQ(Numbers(table[0][0]), (std::vector<float> {10.8f, 32.7f, 89, -893, -152, -741, 0}));
    EXPECT_EQ(Numbers(table[0][9]), (std::vector<float> {19.0f, 36.2f, 563, -193, -173, -20, 0}));
    EXPECT_EQ(Numbers(table[1][0]), (std::vector<float> {10.8f, 32.7f, 89, -1091, -152, -939, 0}));
    EXPECT_EQ(Numbers(table[1][9]), (std::vector<float> {18.9f, 36.2f, 560, -192, -173, -19, 0}));
}

TEST(PropagationIcepacVoacapCircuits, OneDeckAndOneOutputServeThreeStations) {
    // The 2-hour sample last: its tables stay for the checks below.
    const std::vector<PropagationRun> runs = test::ThreeCircuitRuns(6, 20, 2, 150.0f);
    const std::pair<const char*, std::vector<PropagationRun>> samples[] = {
        {"voacap-3circuits-24h", test::ThreeCircuitRuns(12, 0, 24, 100.0f)}, {"voacap-3circuits-2h", runs}};
    std::vector<PropagationHours> tables;
    std::vector<PropagationPath> paths;
    for (const auto& [sample, sampleRuns] : samples) {
        SCOPED_TRACE(sample);
        QByteArray deck;
        QString error;
        ASSERT_TRUE(IcepacVoacapCircuitsDeck(sampleRuns, 2026, deck, error));
        EXPECT_EQ(deck, ReadSample(QLatin1String(sample) + QStringLiteral(".dat")));
        const QByteArray output = ReadSample(QLatin1String(sample) + QStringLiteral(".out"));
        EXPECT_EQ(IcepacVoacapReadCircuits(output, sampleRuns, tables, paths), std::vector<QString>(3));
        const float ranges[] = {5125.2f, 2193.3f, 8805.4f};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(paths[i].Range, ranges[i]);
            ASSERT_EQ(tables[i].size(), static_cast<std::size_t>(sampleRuns[i].HourCount));
            EXPECT_EQ(tables[i].back().size(), sampleRuns[i].Frequencies.size());
        }
    }

    // The first circuit reads as the same circuit run alone.
    PropagationHours alone;
    PropagationPath alonePath;
    QString error;
    ASSERT_TRUE(IcepacVoacapReadOutput(ReadSample(QStringLiteral("voacap-guam-2h.out")), GuamRun(),
                                       alone, alonePath, error));
    EXPECT_EQ(Numbers(paths[0]), Numbers(alonePath));
    for (std::size_t h = 0; h < 2; ++h)
        for (std::size_t f = 0; f < 10; ++f)
            EXPECT_EQ(Numbers(tables[0][h][f]), Numbers(alone[h][f])) << h << " " << f;

    const QByteArray output = ReadSample(QStringLiteral("voacap-3circuits-2h.out"));
    // A circuit the program left out, or a run whose circuit is not in the
    // output, fails alone; the others are still read from their own pages.
    const qsizetype second = output.indexOf("METHOD 26", output.indexOf("METHOD 26") + 1);
    const qsizetype third = output.indexOf("METHOD 26", second + 1);
    QByteArray withoutSecond = output;
    withoutSecond.remove(second, third - second);
    std::vector<PropagationRun> moved = runs, retuned = runs;
    moved[1].Positions.StationLatitude = 21.4;
    retuned[1].Frequencies[0] = 3700;
    const struct {
        const char* what;
        QByteArray output;
        std::vector<PropagationRun> runs;
    } faults[] = {{"second circuit left out", withoutSecond, runs},
                  {"second run not in the output", output, moved},
                  {"second run's first frequency not in the output", output, retuned}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        EXPECT_EQ(IcepacVoacapReadCircuits(fault.output, fault.runs, tables, paths),
                  (std::vector<QString> {{}, QStringLiteral("Circuit 2 of 3 not found"), {}}));
        EXPECT_FLOAT_EQ(paths[2].Range, 8805.4f);
    }
}

// Every value read for the runs: per circuit its error, its path's numbers,
// then each result's layer and numbers.
std::vector<QString> ReadAll(const QByteArray& output, const std::vector<PropagationRun>& runs) {
    std::vector<PropagationHours> tables;
    std::vector<PropagationPath> paths;
    std::vector<QString> all = IcepacVoacapReadCircuits(output, runs, tables, paths);
    PropagationHours alone;
    PropagationPath alonePath;
    QString error;
    all.push_back(IcepacVoacapReadOutput(output, runs[0], alone, alonePath, error) ? QString()
                                                                                 : error);
    tables.push_back(alone);
    paths.push_back(alonePath);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        for (float n : Numbers(paths[i])) all.push_back(QString::number(n));
        for (const auto& row : tables[i])
            for (const PropagationResult& r : row) {
                all.push_back(r.Layer);
                for (float n : Numbers(r)) all.push_back(QString::number(n));
            }
    }
    return all;
}

// With bin_win\anttyp99.exe beside it the Windows engine adds three fields
// after "FREQ" on every method 20 frequency line, and writes CR LF and form
// feeds: the circuits read as from the same deck's output without them.
TEST(PropagationIcepacVoacapOutput, FieldsAfterTheFrequencyLabelAreNotRead) {
    const struct {
        const char* windows;
        const char* linux;
        std::vector<PropagationRun> runs;
    } samples[] = {
        {"voacapw-anttyp99-guam-2h.out", "voacap-guam-2h.out", {GuamRun()}},
        {"voacapw-anttyp99-3circuits-2h.out", "voacap-3circuits-2h.out",
         test::ThreeCircuitRuns(6, 20, 2, 150.0f)},
    };
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.windows);
        const QByteArray windows = ReadSample(QLatin1String(sample.windows));
        ASSERT_TRUE(windows.contains(" 0.0 FREQ     5.7 14.2 ****\r\n"));
        const std::vector<QString> read = ReadAll(windows, sample.runs);
        EXPECT_EQ(read, ReadAll(ReadSample(QLatin1String(sample.linux)), sample.runs));
        // No circuit failed: the errors come first.
        EXPECT_EQ(std::vector<QString>(read.begin(), read.begin() + sample.runs.size() + 1),
                  std::vector<QString>(sample.runs.size() + 1));
    }
}

TEST(PropagationHourIndex, PlacesPrintedHoursInTheRun) {
    // printed hour, first hour of the run, hours of the run: hour index (0: none)
    for (const auto& [printed, first, count, index] :
         {std::tuple{24.0, 0, 24, 1}, std::tuple{0.0, 0, 24, 1}, std::tuple{1.0, 0, 24, 2},
          std::tuple{23.0, 0, 24, 24}, std::tuple{23.0, 23, 2, 1}, std::tuple{24.0, 23, 2, 2},
          std::tuple{22.0, 23, 2, 0}, std::tuple{20.5, 20, 2, 0}, std::tuple{25.0, 0, 24, 0}}) {
        EXPECT_EQ(PropagationHourIndex(printed, first, count), index)
            << printed << " in " << first << "+" << count;
    }
}

// "rec533-windows-tangier-24h": the Windows REC533 program's output for
// hours 1 to 24 and nine frequencies.
PropagationRun TangierRun() {
    return test::SampleRun(6, 1, 24, {44.9, 20.5, 35.8, -5.9},
                           {6075, 7200, 9700, 11850, 13700, 15350, 17725, 21650, 25885}, 100.0f);
}

TEST(PropagationRec533Output, ReadsTheWindowsProgramsOutput) {
    const QByteArray sample = ReadSample(QStringLiteral("rec533-windows-tangier-24h.out"));
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(Rec533ReadOutput(sample, TangierRun(), table, path, error)) << error.toStdString();
    ASSERT_EQ(table.size(), 24u);
    EXPECT_EQ(std::vector<float>({path.Range, path.StationToShipAzimuth, path.StationAzimuth,
                                  path.Muf[0], path.Luf[0], path.Muf[23], path.Luf[23]}),
              std::vector<float>({1318.1f, 57.41f, 254.73f, 15300, 2900, 16500, 3100}));
    // Hour 1 at 15.35 MHz, hour 6 at 6.075 MHz (two E hops): the
    // signal from the field strength, the noise through the S/N, the
    // reliability from FS/N in percent, no delay, height or spreads.
    const auto signal = [](double dbu, double mhz) { return dbu - 137 - 20 * std::log10(mhz / 20); };
    const struct {
        std::size_t hour, frequency;
        const char* layer;
        std::vector<float> numbers;  // angle, delay, height, signal, noise, SNR, slope
        float rel;
    } rows[] = {
        {0, 5, "  1F2", {16, -1, -1, float(signal(66, 15.35)), float(signal(66, 15.35) - 100), 82, 0}, 98},
        {5, 0, "  2E ", {7, -1, -1, float(signal(45, 6.075)), float(signal(45, 6.075) - 74), 59, 0}, 55},
    };
    for (const auto& r : rows) {
        const PropagationResult& result = table[r.hour][r.frequency];
        EXPECT_EQ(result.Layer, QLatin1String(r.layer));
        EXPECT_THAT(Numbers(result), Pointwise(FloatNear(1e-3f), r.numbers));
        EXPECT_FLOAT_EQ(result.Rel, r.rel);
        EXPECT_EQ(std::vector<float>({result.SnrLower, result.SnrUpper}), std::vector<float>({-1, -1}));
    }
    // At minute 20 of hour 1 the 15.35 MHz reliability lies a third of the
    // way from 98 (hour 1) to 92 (hour 2); an antenna offset leaves none.
    std::vector<PropagationResult> results(9);
    PropagationPath at;
    PropagationInterpolate(table, path, 20, 1, 9, results, at);
    EXPECT_FLOAT_EQ(results[5].Rel, 96.0f);
    EXPECT_EQ(ReliabilityShifted(results[5], 0.0), results[5].Rel);
    EXPECT_EQ(ReliabilityShifted(results[5], 6.0), -1.0);

    // A LUF printed negative, from column 64, is read as its magnitude (the
    // OPMUF: no frequency up to it reaches the required reliability); a long
    // path's dashes in place of the mode and the angle give an angle of 0.
    const struct {
        const char* from;
        const char* to;
        float luf;
        const char* layer;
    } edits[] = {
        {"FREQ  2.9 15.0  19.1", "FREQ-19.1 15.0  19.1", 19100, "  1F2"},
        {"FREQ  2.9 15.0  19.1", "FREQ -9.7  7.7   9.7", 9700, "  1F2"},
        {"     1F2  1F2  1F2  1F2  1F2  1F2  1F2  1F2  1F2  1F2  0   MODE\r\n"
         "      16    4    5    7    9   12   16   16   17   18    0 ANGL",
         "      -    -    -    -    -    -    -    -    -    -    -  MODE\r\n"
         "      -    -    -    -    -    -    -    -    -    -    -  ANGL",
         2900, "   - "},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.to);
        ASSERT_TRUE(sample.contains(e.from));
        ASSERT_TRUE(Rec533ReadOutput(QByteArray(sample).replace(e.from, e.to), TangierRun(), table,
                                     path, error));
        EXPECT_FLOAT_EQ(path.Luf[0], e.luf);
        EXPECT_EQ(table[0][0].Layer, QLatin1String(e.layer));
        EXPECT_FLOAT_EQ(table[0][0].TakeoffAngle, e.layer[3] == '-' ? 0.0f : 4.0f);
    }
}

// Every row of the real samples: the reliability the engine printed, from
// its SNR and decile spreads as the engine's formula gives it.  The median
// SNR is printed whole, so the formula on it alone is off by up to 4 points;
// the engine's own REL places the median within its printed dB.
TEST(PropagationIcepacVoacapOutput, TheReliabilityIsTheEnginesFromItsSnrAndSpreads) {
    const std::vector<std::pair<const char*, std::vector<PropagationRun>>> samples = {
        {"voacap-guam-2h.out", {GuamRun()}},
        {"voacap-honolulu-24h.out",
         {test::SampleRun(12, 0, 24, {38.6, -120.3, 21.3, -157.9}, {3600, 7100, 10200, 14100, 18100},
                          100.0f)}},
        {"voacap-3circuits-2h.out", test::ThreeCircuitRuns(6, 20, 2, 150.0f)},
        {"voacap-3circuits-24h.out", test::ThreeCircuitRuns(12, 0, 24, 100.0f)}};
    int rows = 0;
    PropagationResult r;  // hour 20 at 16.6 MHz from Guam
    for (const auto& [sample, runs] : samples) {
        std::vector<PropagationHours> tables;
        std::vector<PropagationPath> paths;
        IcepacVoacapReadCircuits(ReadSample(QLatin1String(sample)), runs, tables, paths);
        if (rows == 0) r = tables[0][0][7];
        for (const PropagationHours& table : tables) {
            for (const auto& hour : table) {
                for (const PropagationResult& each : hour) {
                    SCOPED_TRACE(std::string(sample) + " SNR " + std::to_string(each.SnrMedian));
                    ASSERT_GE(each.Rel, 0.0f);
                    EXPECT_NEAR(ReliabilityFromSnr(each.SnrMedian, each.SnrLower, each.SnrUpper), each.Rel, 4.0);
                    EXPECT_NEAR(ReliabilityShifted(each, 0.0), each.Rel, 2.0);
                    ++rows;
                }
            }
        }
    }
    EXPECT_EQ(rows, 686);
    // Guam's SNR 23, upper spread 16.6 dB, REL 0.09; 10 dB more (the median
    // placed at 22.6) gives about 28 %, 10 dB less about 2 %.
    EXPECT_EQ(std::vector<float>({r.SnrMedian, r.Rel, r.SnrLower, r.SnrUpper}),
              std::vector<float>({23, 9, 26.8f, 16.6f}));
    EXPECT_NEAR(ReliabilityShifted(r, 10.0), 28.4, 0.2);
    EXPECT_NEAR(ReliabilityShifted(r, -10.0), 1.7, 0.2);
}

// `from` replaced by `to` in `output`, or the output cut before it when `to`
// is null.
QByteArray Broken(QByteArray output, const char* from, const char* to) {
    return to ? output.replace(from, to) : output.left(output.indexOf(from));
}

TEST(PropagationOutputs, BrokenOutputsFailWithADescription) {
    const struct {
        bool rec533;  // the REC533 sample, else the guam sample
        const char* from;
        const char* to;
        const char* errorPart;
    } cases[] = {
        {true, "AZIMUTHS", nullptr, "Label \"AZIMUTHS\" not found"},
        {true, "   61 -999 SNxx\r\n End", nullptr, "Label \"SNxx\" not found"},  // the last hour's
        {true, "  69   71   71   70   69   69   66", "  69   ??   71   70   69   69   66", "is not a number"},
        {true, "  1 15.3", "  1 15.x", "is not a number"},
        {false, "MUF    LUF", nullptr, "Label \"MUF    LUF\" not found"},
        {false, "     21.0   6.7", nullptr, "Output ends after \"MUF    LUF\""},
        {false, "-1091", nullptr, "Label \"S DBW\" not found"},  // in the last hour's row
        {false, "     21.0   6.7", "     22.0   6.7", "is not for an hour of the run"},
        {false, "     21.0   6.7", "     20.0   6.7", "repeats an hour"},
        {false, "51.37  283.59", "51.37**283.59", "is not a number"},
        {false, "       15.6 10.8 10.1", "       15.6      10.1", "is not a number"},  // an angle
    };
    const QByteArray rec533 = ReadSample(QStringLiteral("rec533-windows-tangier-24h.out"));
    const QByteArray guam = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    PropagationHours table;
    PropagationPath path;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << (c.to ? c.to : "cut"));
        table.clear();
        path = PropagationPath();
        QString error;
        const auto read = c.rec533 ? &Rec533ReadOutput : &IcepacVoacapReadOutput;
        EXPECT_FALSE(read(Broken(c.rec533 ? rec533 : guam, c.from, c.to),
                          c.rec533 ? TangierRun() : GuamRun(), table, path, error));
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorPart))) << error.toStdString();
    }
    // What was read before the failure stays.
    EXPECT_FLOAT_EQ(path.Range, 5125.2f);
    EXPECT_EQ(table[0][0].Layer, QStringLiteral(" 12 E"));
}

}  // namespace
}  // namespace tw
