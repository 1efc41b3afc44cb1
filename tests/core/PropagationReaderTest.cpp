#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "PropagationTestData.h"
#include "propagation/PropagationDecks.h"

namespace tw {
namespace {

using test::GuamRun;
using test::HonoluluRun;
using test::ReadSample;

// The guam sample's rows, transcribed from the file (the MUF column left out).
struct GuamHour {
    std::vector<const char*> mode;
    std::vector<float> angle, delay, height, signal, noise, snr;
};

const GuamHour kGuam[2] = {
    {{" 12 E", " 11 E", " 11 E", " 11 E", " 10F2", "  6F2", "  5F2", "  4F2", "  4F2", "  4F2"},
     {10.8f, 10.1f, 10.5f, 10.8f, 44.0f, 24.1f, 19.9f, 15.5f, 19.0f, 19.0f},
     {32.7f, 32.6f, 32.7f, 32.7f, 47.5f, 36.9f, 35.9f, 35.1f, 36.2f, 36.2f},
     {89, 93, 96, 98, 513, 429, 441, 471, 563, 563},
     {-893, -577, -404, -349, -212, -163, -154, -147, -163, -193},
     {-152, -157, -160, -162, -164, -166, -168, -170, -171, -173},
     {-741, -420, -244, -187, -48, 3, 14, 23, 9, -20}},
    {{" 12 E", " 11 E", " 11 E", " 11 E", " 10F2", "  6F2", "  5F2", "  4F2", "  4F2", "  4F2"},
     {10.8f, 10.1f, 10.5f, 10.7f, 43.8f, 24.1f, 19.8f, 15.5f, 18.9f, 18.9f},
     {32.7f, 32.6f, 32.7f, 32.7f, 47.4f, 36.9f, 35.9f, 35.1f, 36.2f, 36.2f},
     {89, 93, 96, 98, 511, 429, 440, 468, 560, 560},
     {-1091, -703, -487, -416, -224, -174, -162, -152, -164, -192},
     {-152, -157, -160, -161, -164, -166, -168, -170, -171, -173},
     {-939, -546, -327, -255, -60, -8, 6, 17, 7, -19}},
};

TEST(PropagationIcepacVoacapOutput, ReadsTheGuamSampleEveryRow) {
    const QByteArray output = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    ASSERT_FALSE(output.isEmpty());
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(IcepacVoacapReadOutput(output, GuamRun(), table, path, error))
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
    for (std::size_t k = 0; k < 2; ++k) {
        ASSERT_EQ(table[k].size(), 10u);
        for (std::size_t j = 0; j < 10; ++j) {
            const PropagationResult& r = table[k][j];
            const GuamHour& e = kGuam[k];
            SCOPED_TRACE(testing::Message() << "hour index " << k + 1 << ", frequency " << j + 1);
            EXPECT_EQ(r.Layer, QString::fromLatin1(e.mode[j]));
            EXPECT_FLOAT_EQ(r.TakeoffAngle, e.angle[j]);
            EXPECT_FLOAT_EQ(r.Delay, e.delay[j]);
            EXPECT_FLOAT_EQ(r.VirtualHeight, e.height[j]);
            EXPECT_FLOAT_EQ(r.Signal, e.signal[j]);
            EXPECT_FLOAT_EQ(r.Noise, e.noise[j]);
            EXPECT_FLOAT_EQ(r.Snr, e.snr[j]);
        }
    }
}

// The honolulu sample read a second way, by blank-separated words, as the
// reference for every hour and frequency.
struct WordTable {
    std::map<int, std::pair<double, double>> mufLuf;             // hour of day -> MUF, LUF (MHz)
    std::map<int, std::map<QString, std::vector<double>>> rows;  // hour of day -> label -> values
    std::vector<int> groupHours;                                 // method 20 hours in file order
};

WordTable ReadByWords(const QByteArray& output) {
    WordTable t;
    const QStringList lines = QString::fromLatin1(output).split(QLatin1Char('\n'));
    bool inTable = false;
    int hour = -1;
    for (const QString& line : lines) {
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (line.contains(QStringLiteral("GMT   LMT"))) {
            inTable = true;
            continue;
        }
        if (inTable && w.size() == 7) {
            const int h = static_cast<int>(w[0].toDouble()) % 24;
            t.mufLuf[h] = {w[5].toDouble(), std::fabs(w[6].toDouble())};
            continue;
        }
        if (inTable && line.startsWith(QLatin1Char('\f'))) inTable = false;
        if (w.size() > 2 && w.last() == QStringLiteral("FREQ")) {
            hour = static_cast<int>(w[0].toDouble()) % 24;
            t.groupHours.push_back(hour);
            continue;
        }
        for (const char* label : {"TANGLE", "DELAY", "HITE", "DBW", "SNRxx"}) {
            if (hour >= 0 && !w.isEmpty() && w.last() == QLatin1String(label)) {
                QString key = w.last();
                if (key == QStringLiteral("DBW")) key = w[w.size() - 2] + key;  // "SDBW", "NDBW"
                std::vector<double> v;
                for (int i = 1; i <= 5; ++i)
                    v.push_back(w[i].toDouble());  // word 0 is the MUF column
                t.rows[hour][key] = v;
            }
        }
    }
    return t;
}

TEST(PropagationIcepacVoacapOutput, ReadsTheHonoluluSampleByHour) {
    const QByteArray output = ReadSample(QStringLiteral("voacap-honolulu-24h.out"));
    ASSERT_FALSE(output.isEmpty());
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(IcepacVoacapReadOutput(output, HonoluluRun(), table, path, error))
        << error.toStdString();

    EXPECT_FLOAT_EQ(path.StationToShipAzimuth, 53.23f);
    EXPECT_FLOAT_EQ(path.StationAzimuth, 252.74f);
    EXPECT_FLOAT_EQ(path.Range, 2193.3f);

    // The table lists hour 1.0 first and 24.0 last; hour index 1 is hour 0,
    // printed 24.0, and takes that line's values.
    EXPECT_FLOAT_EQ(path.Muf[0], 26520.0f);
    EXPECT_FLOAT_EQ(path.Luf[0], 10260.0f);
    EXPECT_FLOAT_EQ(path.Muf[1], 24890.0f);
    EXPECT_FLOAT_EQ(path.Luf[1], 7840.0f);
    EXPECT_FLOAT_EQ(path.Luf[18], 11700.0f);  // "-11.70" at 18.0
    EXPECT_FLOAT_EQ(path.Muf[23], 27100.0f);

    const WordTable words = ReadByWords(output);
    ASSERT_EQ(words.mufLuf.size(), 24u);
    ASSERT_EQ(words.groupHours.size(), 24u);
    for (int k = 1; k <= 24; ++k) {
        const int hour = k - 1;
        SCOPED_TRACE(testing::Message() << "hour " << hour);
        EXPECT_EQ(words.groupHours[static_cast<std::size_t>(k - 1)], hour);
        EXPECT_NEAR(path.Muf[static_cast<std::size_t>(k - 1)], words.mufLuf.at(hour).first * 1000,
                    0.01);
        EXPECT_NEAR(path.Luf[static_cast<std::size_t>(k - 1)], words.mufLuf.at(hour).second * 1000,
                    0.01);
        const auto& rows = words.rows.at(hour);
        for (std::size_t j = 0; j < 5; ++j) {
            const PropagationResult& r = table[static_cast<std::size_t>(k - 1)][j];
            EXPECT_FLOAT_EQ(r.TakeoffAngle,
                            static_cast<float>(rows.at(QStringLiteral("TANGLE"))[j]));
            EXPECT_FLOAT_EQ(r.Delay, static_cast<float>(rows.at(QStringLiteral("DELAY"))[j]));
            EXPECT_FLOAT_EQ(r.VirtualHeight,
                            static_cast<float>(rows.at(QStringLiteral("HITE"))[j]));
            EXPECT_FLOAT_EQ(r.Signal, static_cast<float>(rows.at(QStringLiteral("SDBW"))[j]));
            EXPECT_FLOAT_EQ(r.Noise, static_cast<float>(rows.at(QStringLiteral("NDBW"))[j]));
            EXPECT_FLOAT_EQ(r.Snr, static_cast<float>(rows.at(QStringLiteral("SNRxx"))[j]));
            EXPECT_EQ(r.Layer.size(), 5);
        }
    }
    // Spot checks against the file as printed.
    EXPECT_EQ(table[0][0].Layer, QStringLiteral("  5 E"));  // 24.0, 3.6 MHz
    EXPECT_FLOAT_EQ(table[0][0].Snr, -78.0f);
    EXPECT_EQ(table[1][0].Layer, QStringLiteral("  4F2"));  // 1.0, 3.6 MHz
    EXPECT_FLOAT_EQ(table[1][4].Signal, -109.0f);
}

TEST(PropagationIcepacVoacapOutput, FillsOnlyTheBatchColumns) {
    // A batch of frequencies 11 to 15 of a longer list reads the output's
    // first five columns into indexes 11 to 15.
    PropagationRun run = HonoluluRun();
    std::vector<float> list(10, 1000.0f);
    list.insert(list.end(), run.Frequencies.begin(), run.Frequencies.end());
    run.Frequencies = list;
    run.FirstIndex = 11;
    run.LastIndex = 15;
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(IcepacVoacapReadOutput(ReadSample(QStringLiteral("voacap-honolulu-24h.out")), run,
                                       table, path, error));
    ASSERT_EQ(table[0].size(), 15u);
    EXPECT_FLOAT_EQ(table[0][10].Snr, -78.0f);
    EXPECT_FLOAT_EQ(table[0][14].Snr, 58.0f);
    EXPECT_EQ(table[0][9].Layer, QString());
    EXPECT_FLOAT_EQ(table[0][9].Snr, 0.0f);
}

struct BrokenOutput {
    const char* name;
    std::function<QByteArray(QByteArray)> edit;
    const char* errorPart;
};

TEST(PropagationIcepacVoacapOutput, BrokenOutputsFailWithADescription) {
    const QByteArray good = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    const BrokenOutput cases[] = {
        {"empty", [](QByteArray) { return QByteArray(); }, "Label \"MUF    LUF\" not found"},
        {"failed run",
         [](QByteArray) { return QByteArray(" ERROR IN INPUT\n *****END OF RUN*****\n"); },
         "Label \"MUF    LUF\" not found"},
        {"cut in the table", [](QByteArray b) { return b.left(b.indexOf("     21.0   6.7")); },
         "Output ends after \"MUF    LUF\""},
        {"cut before the last hour", [](QByteArray b) { return b.left(b.lastIndexOf("  S DBW")); },
         "Label \"S DBW\" not found"},
        {"field not a number",
         [](QByteArray b) { return b.replace("  -8    6   17", "  -8    x   17"); },
         "is not a number"},
        {"hour not of the run",
         [](QByteArray b) { return b.replace("     21.0   6.7", "     22.0   6.7"); },
         "is not for an hour of the run"},
        {"hour twice", [](QByteArray b) { return b.replace("     21.0   6.7", "     20.0   6.7"); },
         "repeats an hour"},
        {"azimuths overprinted",
         [](QByteArray b) { return b.replace("51.37  283.59", "51.37**283.59"); },
         "is not a number"},
    };
    for (const BrokenOutput& c : cases) {
        PropagationHours table;
        PropagationPath path;
        QString error;
        EXPECT_FALSE(IcepacVoacapReadOutput(c.edit(good), GuamRun(), table, path, error)) << c.name;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorPart)))
            << c.name << ": " << error.toStdString();
    }
}

TEST(PropagationIcepacVoacapOutput, AngleThatIsNotANumberIsAFailure) {
    QByteArray output = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    output.replace("       15.6 10.8 10.1", "       15.6      10.1");
    PropagationHours table;
    PropagationPath path;
    QString error;
    EXPECT_FALSE(IcepacVoacapReadOutput(output, GuamRun(), table, path, error));
    // What was read before the failure stays.
    EXPECT_FLOAT_EQ(path.Range, 5125.2f);
    EXPECT_EQ(table[0][0].Layer, QStringLiteral(" 12 E"));
}

TEST(PropagationHourIndex, PlacesPrintedHoursInTheRun) {
    // printed hour, first hour of the run, hours of the run: hour index (0: none)
    for (const auto& [printed, first, count, index] :
         {std::tuple{24.0, 0, 24, 1}, std::tuple{0.0, 0, 24, 1}, std::tuple{1.0, 0, 24, 2}, std::tuple{23.0, 0, 24, 24},
          std::tuple{23.0, 23, 2, 1}, std::tuple{24.0, 23, 2, 2}, std::tuple{22.0, 23, 2, 0}, std::tuple{20.5, 20, 2, 0},
          std::tuple{25.0, 0, 24, 0}})
        EXPECT_EQ(PropagationHourIndex(printed, first, count), index) << printed << " in " << first << "+" << count;
}

// --- REC533 ---

TEST(PropagationRec533Output, ReadsEveryRowOfEveryHour) {
    test::Rec533Hour h1;
    h1.muf = QStringLiteral("17.4");
    h1.luf = QStringLiteral(" 5.2");
    h1.mode = {QStringLiteral(" 1F2 "), QStringLiteral("     ")};
    h1.angle = {QStringLiteral(" 12.5"), QStringLiteral("     ")};
    h1.dbu = {QStringLiteral("   40"), QStringLiteral("  -12")};
    h1.sn = {QStringLiteral("   30"), QStringLiteral("   -5")};
    h1.snxx = {QStringLiteral("   22"), QStringLiteral("  -17")};
    test::Rec533Hour h2 = h1;
    h2.muf = QStringLiteral("18.0");
    h2.luf = QStringLiteral(" 6.0");
    h2.snxx = {QStringLiteral("   25"), QStringLiteral("  -10")};

    PropagationRun run = GuamRun();
    run.Model = ModelRec533;
    run.Frequencies = {14000.0f, 7000.0f};
    run.LastIndex = 2;
    const QByteArray output = test::Rec533Output(QStringLiteral(" 51.37"), QStringLiteral("283.59"),
                                                 QStringLiteral(" 5125.2"), {h1, h2});
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(Rec533ReadOutput(output, run, table, path, error)) << error.toStdString();

    EXPECT_FLOAT_EQ(path.StationToShipAzimuth, 51.37f);
    EXPECT_FLOAT_EQ(path.StationAzimuth, 283.59f);
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
}

TEST(PropagationRec533Output, BrokenOutputsFail) {
    PropagationRun run = GuamRun();
    run.Model = ModelRec533;
    run.Frequencies = {14000.0f};
    run.LastIndex = 1;
    const test::Rec533Hour hour =
        test::Rec533UniformHour(QStringLiteral("17.4"), QStringLiteral(" 5.2"), 10, 1);
    const QByteArray good = test::Rec533Output(QStringLiteral(" 51.37"), QStringLiteral("283.59"),
                                               QStringLiteral(" 5125.2"), {hour, hour});
    PropagationHours table;
    PropagationPath path;
    QString error;
    ASSERT_TRUE(Rec533ReadOutput(good, run, table, path, error)) << error.toStdString();

    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray(), "Label \"AZIMUTHS\" not found"},
        {good.left(good.lastIndexOf("SNxx")), "Label \"SNxx\" not found"},
        {QByteArray(good).replace("DBU        11", "DBU        ??"), "is not a number"},
        {QByteArray(good).replace("FREQ17.4", "FREQ    "), "is not a number"},
    };
    for (const auto& [output, part] : cases) {
        EXPECT_FALSE(Rec533ReadOutput(output, run, table, path, error)) << part;
        EXPECT_TRUE(error.contains(QString::fromLatin1(part))) << error.toStdString();
    }
}

}  // namespace
}  // namespace tw
