#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "PropagationTestData.h"
#include "propagation/PropagationDecks.h"

namespace tw {
namespace {

using test::GuamRun;
using test::ReadSample;

TEST(PropagationIcepacVoacapOutput, ReadsTheGuamSample) {
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(IcepacVoacapReadOutput(ReadSample(QStringLiteral("voacap-guam-2h.out")), GuamRun(),
                                       table, path, error))
        << error.toStdString();

    // The path values whole, not cut to the fixed columns.
    EXPECT_FLOAT_EQ(path.StationToShipAzimuth, 51.37f);
    EXPECT_FLOAT_EQ(path.StationAzimuth, 283.59f);
    EXPECT_FLOAT_EQ(path.Range, 5125.2f);
    // The LUF printed negative is read as its magnitude.
    ASSERT_EQ(path.Muf.size(), 2u);
    EXPECT_FLOAT_EQ(path.Muf[0], 17450.0f);
    EXPECT_FLOAT_EQ(path.Luf[0], 17450.0f);
    EXPECT_FLOAT_EQ(path.Muf[1], 17760.0f);
    EXPECT_FLOAT_EQ(path.Luf[1], 17760.0f);

    ASSERT_EQ(table.size(), 2u);
    ASSERT_EQ(table[1].size(), 10u);
    EXPECT_EQ(table[0][0].Layer, QStringLiteral(" 12 E"));
    EXPECT_EQ(table[1][9].Layer, QStringLiteral("  4F2"));
    // Every row as printed, at the first and the last frequency of both hours.
    const struct {
        const char* row;
        float PropagationResult::*field;
        float values[4];  // hour index 1 then 2, frequency 1 then 10
    } rows[] = {
        {"ANGLE", &PropagationResult::TakeoffAngle, {10.8f, 19.0f, 10.8f, 18.9f}},
        {"DELAY", &PropagationResult::Delay, {32.7f, 36.2f, 32.7f, 36.2f}},
        {"V HITE", &PropagationResult::VirtualHeight, {89, 563, 89, 560}},
        {"S DBW", &PropagationResult::Signal, {-893, -193, -1091, -192}},
        {"N DBW", &PropagationResult::Noise, {-152, -173, -152, -173}},
        {"SNRxx", &PropagationResult::Snr, {-741, -20, -939, -19}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        for (std::size_t n = 0; n < 4; ++n) {
            EXPECT_FLOAT_EQ(table[n / 2][n % 2 * 9].*r.field, r.values[n]) << n;
        }
    }
}

// `from` replaced by `to` in `output`, or the output cut before it when `to`
// is null.
QByteArray Broken(QByteArray output, const char* from, const char* to) {
    return to ? output.replace(from, to) : output.left(output.indexOf(from));
}

TEST(PropagationIcepacVoacapOutput, BrokenOutputsFailWithADescription) {
    const struct {
        const char* from;
        const char* to;
        const char* errorPart;
    } cases[] = {
        {"MUF    LUF", nullptr, "Label \"MUF    LUF\" not found"},
        {"     21.0   6.7", nullptr, "Output ends after \"MUF    LUF\""},
        {"-1091", nullptr, "Label \"S DBW\" not found"},  // in the last hour's row
        {"     21.0   6.7", "     22.0   6.7", "is not for an hour of the run"},
        {"     21.0   6.7", "     20.0   6.7", "repeats an hour"},
        {"51.37  283.59", "51.37**283.59", "is not a number"},
        {"       15.6 10.8 10.1", "       15.6      10.1", "is not a number"},  // an angle
    };
    PropagationHours table;
    PropagationPath path;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << (c.to ? c.to : "cut"));
        table.clear();
        path = PropagationPath();
        QString error;
        EXPECT_FALSE(IcepacVoacapReadOutput(
            Broken(ReadSample(QStringLiteral("voacap-guam-2h.out")), c.from, c.to), GuamRun(),
            table, path, error));
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorPart))) << error.toStdString();
    }
    // What was read before the failure stays.
    EXPECT_FLOAT_EQ(path.Range, 5125.2f);
    EXPECT_EQ(table[0][0].Layer, QStringLiteral(" 12 E"));
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

// A REC533 output of two hours and two frequencies in the reader's layout:
// the path line after "AZIMUTHS", then per hour the "FREQ" line (MUF at
// column 5, LUF at 65) and rows of five-column fields from column 9.
QByteArray Rec533Output() {
    auto row = [](const char* label, const char* fields) {
        return QString::fromLatin1(label).leftJustified(8) + QLatin1String(fields);
    };
    QStringList lines = {
        QStringLiteral("  TRANSMITTER             RECEIVER            AZIMUTHS       N. MI."),
        QStringLiteral("  13.50 N  144.80 E - 38.60 N  120.30 W    51.37  283.59    5125.2")};
    for (const auto& [muf, luf, snxx] :
         {std::tuple{"17.4", " 5.2", "   22  -17"}, std::tuple{"18.0", " 6.0", "   25  -10"}}) {
        lines << QString() << (QStringLiteral("FREQ") + QLatin1String(muf)).leftJustified(64) + luf
              << row("MODE", " 1F2      ") << row("ANGL", " 12.5     ") << row("DBU", "   40  -12")
              << row("S/N", "   30   -5") << row("SNxx", snxx);
    }
    return lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n  END OF RUN\r\n";
}

TEST(PropagationRec533Output, ReadsEveryRowOfEveryHourAndFailsOnABrokenOne) {
    PropagationRun run = GuamRun();
    run.Model = ModelRec533;
    run.Frequencies = {14000.0f, 7000.0f};
    run.LastIndex = 2;
    const QByteArray good = Rec533Output();
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(Rec533ReadOutput(good, run, table, path, error)) << error.toStdString();

    EXPECT_FLOAT_EQ(path.Range, 5125.2f);
    EXPECT_FLOAT_EQ(path.Muf[0], 17400.0f);
    EXPECT_FLOAT_EQ(path.Luf[0], 5200.0f);
    EXPECT_FLOAT_EQ(path.Muf[1], 18000.0f);
    EXPECT_FLOAT_EQ(path.Luf[1], 6000.0f);

    const PropagationResult& a = table[0][0];
    EXPECT_EQ(a.Layer, QStringLiteral(" 1F2 "));
    EXPECT_FLOAT_EQ(a.TakeoffAngle, 12.5f);
    EXPECT_FLOAT_EQ(a.Delay, -1.0f);
    EXPECT_FLOAT_EQ(a.VirtualHeight, -1.0f);
    // 40 dB above 1 uV/m at 14.0 MHz: 40 - 137 - 20 log10(0.7), about -93.9 dBW.
    EXPECT_NEAR(a.Signal, -93.902, 0.001);
    EXPECT_NEAR(a.Noise, -93.902 - 30, 0.001);
    EXPECT_FLOAT_EQ(a.Snr, 22.0f);

    // A blank mode stays five blanks; a blank angle is 0, not a failure.
    const PropagationResult& b = table[0][1];
    EXPECT_EQ(b.Layer, QStringLiteral("     "));
    EXPECT_FLOAT_EQ(b.TakeoffAngle, 0.0f);
    EXPECT_NEAR(b.Signal, -12 - 137 - 20 * std::log10(0.35), 0.001);
    EXPECT_NEAR(b.Noise, b.Signal + 5, 0.001);
    EXPECT_FLOAT_EQ(table[1][0].Snr, 25.0f);
    EXPECT_FLOAT_EQ(table[1][1].Snr, -10.0f);

    const struct {
        const char* from;
        const char* to;
        const char* errorPart;
    } broken[] = {
        {"  TRANSMITTER", nullptr, "Label \"AZIMUTHS\" not found"},
        {"SNxx       25", nullptr, "Label \"SNxx\" not found"},  // the last hour's
        {"DBU        40", "DBU        ??", "is not a number"},
        {"FREQ17.4", "FREQ    ", "is not a number"},
    };
    for (const auto& c : broken) {
        EXPECT_FALSE(Rec533ReadOutput(Broken(good, c.from, c.to), run, table, path, error))
            << c.from;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorPart))) << error.toStdString();
    }
}

}  // namespace
}  // namespace tw
