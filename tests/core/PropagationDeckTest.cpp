#include <gtest/gtest.h>

#include <QList>

#include "PropagationTestData.h"
#include "propagation/PropagationDecks.h"

namespace tw {
namespace {

using test::GuamRun;
using test::HonoluluRun;
using test::ReadSample;

QList<QByteArray> Lines(const QByteArray& deck) {
    // Every line ends with CR LF: the split leaves one empty piece at the end.
    QList<QByteArray> lines = deck.split('\n');
    EXPECT_TRUE(lines.last().isEmpty());
    lines.removeLast();
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
        EXPECT_FALSE(line.contains('\r'));
    }
    return lines;
}

// Columns are 1-based.
QByteArray Columns(const QByteArray& line, int first, int last) {
    return line.mid(first - 1, last - first + 1);
}

PropagationRun Rec533Run(std::vector<float> frequencies) {
    PropagationRun run = GuamRun();
    run.Model = ModelRec533;
    run.Frequencies = std::move(frequencies);
    run.FirstIndex = 1;
    run.LastIndex = static_cast<int>(run.Frequencies.size());
    return run;
}

TEST(PropagationIcepacVoacapDeck, IsByteForByteTheDeckOfTheRealSamples) {
    for (const auto& [run, name] : {std::pair {GuamRun(), "voacap-guam-2h.dat"},
                                    std::pair {HonoluluRun(), "voacap-honolulu-24h.dat"}}) {
        const QByteArray expected = ReadSample(QString::fromLatin1(name));
        ASSERT_FALSE(expected.isEmpty()) << "sample missing: " << name;
        QByteArray deck;
        QString error;
        ASSERT_TRUE(IcepacVoacapDeck(run, 2026, deck, error)) << error.toStdString();
        EXPECT_EQ(deck.toStdString(), expected.toStdString()) << name;
    }
}

TEST(PropagationIcepacVoacapDeck, ColumnsOfTheVariableCards) {
    PropagationRun run = GuamRun();
    run.Model = ModelIcepac;
    run.FirstHour = 23;
    run.HourCount = 2;
    run.Positions.StationLatitude = 0.0;
    run.Positions.StationLongitude = 0.0;
    run.Positions.OwnLatitude = -0.5;
    run.Positions.OwnLongitude = -5.25;
    run.Inputs.NoiseLevel = -150.0f;
    run.Inputs.LayerAdjustF2 = 0.7f;
    run.Inputs.LayerAdjustEs = 0.7f;
    run.Inputs.IonCoefficients = QStringLiteral("CCIR");
    run.FirstIndex = 3;
    run.LastIndex = 4;
    QByteArray deck;
    QString error;
    ASSERT_TRUE(IcepacVoacapDeck(run, 2031, deck, error)) << error.toStdString();
    const QList<QByteArray> lines = Lines(deck);
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[1], "COEFFS    CCIR");
    EXPECT_EQ(lines[2], "TIME         23   24    1    1");
    EXPECT_EQ(lines[3], "MONTH      2031    6");
    // Latitude and longitude 0 are written "S" and "W".
    EXPECT_EQ(lines[6], "CIRCUIT     .00S      .00W      .50S     5.25W        0");
    EXPECT_EQ(Columns(lines[6], 10, 16), "   .00S");
    EXPECT_EQ(Columns(lines[6], 20, 26), "   .00W");
    EXPECT_EQ(Columns(lines[6], 30, 36), "   .50S");
    EXPECT_EQ(Columns(lines[6], 40, 46), "  5.25W");
    EXPECT_EQ(Columns(lines[6], 51, 55), "    0");
    EXPECT_EQ(lines[7], "SYSTEM      1.0 150. 10.0 50.0 40.0   .0 10.0");
    EXPECT_EQ(lines[8], "FPROB      1.00 1.00  .70  .70");
    // Only the batch's frequencies.
    EXPECT_EQ(lines[13], "FREQUENCY   7.1  8.1");
}

TEST(PropagationIcepacVoacapDeck, NumbersTooWideFailWithTheirDescription) {
    PropagationRun run = GuamRun();
    run.Inputs.SunspotNumber = 1000.0f;
    QByteArray deck = "untouched";
    QString error;
    EXPECT_FALSE(IcepacVoacapDeck(run, 2026, deck, error));
    EXPECT_EQ(error, QStringLiteral("sunspot number 1000 does not fit format F5.1"));
    EXPECT_EQ(deck, "untouched");

    run = GuamRun();
    run.Frequencies[0] = 1000000.0f;  // 1000 MHz
    EXPECT_FALSE(IcepacVoacapDeck(run, 2026, deck, error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("frequency "))) << error.toStdString();

    run = GuamRun();
    run.Inputs.SunspotNumber = 999.94f;  // still fits
    EXPECT_TRUE(IcepacVoacapDeck(run, 2026, deck, error));
}

TEST(PropagationIcepacVoacapDeck, InputsThatWouldBreakTheDeckAreRefused) {
    PropagationRun run = GuamRun();
    run.Inputs.IonCoefficients = QStringLiteral("URSI\r\nQUIT");
    QByteArray deck;
    QString error;
    EXPECT_FALSE(IcepacVoacapDeck(run, 2026, deck, error));
    EXPECT_TRUE(error.contains(QStringLiteral("line break"))) << error.toStdString();

    run = GuamRun();
    run.Frequencies[4] = 0.0f;
    EXPECT_FALSE(IcepacVoacapDeck(run, 2026, deck, error));
    EXPECT_EQ(error, QStringLiteral("frequency 0 kHz is not above 0"));

    run = GuamRun();
    run.LastIndex = 11;  // beyond the list
    EXPECT_FALSE(IcepacVoacapDeck(run, 2026, deck, error));
}

TEST(PropagationRec533Deck, EveryLineInItsColumns) {
    QByteArray deck;
    QString error;
    ASSERT_TRUE(Rec533Deck(Rec533Run({14100.0f}), 2026, deck, error)) << error.toStdString();
    const QList<QByteArray> lines = Lines(deck);
    const QList<QByteArray> expected = {
        "OUTPUT        6    0",
        "COEFFS    URSI",
        "SUNSPOT   150.0",
        "TIME         20   21    1",
        "MONTH      2026    6",
        "TRANS     Transmit              13.50N    144.80E  S     D",
        "RECVR     Receieve              38.60N    120.30W  S     D",
        "SYST           1.000010.00    0  0.0",
        "ANTENNA       1    1    2   30     0.000[DEFAULT\\CONST17.VOA  ]  0.0    0.1000",
        "ANTENNA       2    2    2   30     0.000[DEFAULT\\SWWHIP.VOA   ]  0.0    0.0000",
        "NOIS       -145    1   40   50",
        "FREQ         14.1",
        "EXEC",
        "QUIT",
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;

    // The transmitter is the station, the receiver the vessel.
    EXPECT_EQ(Columns(lines[5], 32, 37), " 13.50");
    EXPECT_EQ(Columns(lines[5], 38, 38), "N");
    EXPECT_EQ(Columns(lines[5], 43, 48), "144.80");
    EXPECT_EQ(Columns(lines[5], 49, 49), "E");
    EXPECT_EQ(Columns(lines[5], 50, 58), "  S     D");
    EXPECT_EQ(Columns(lines[6], 43, 49), "120.30W");
}

TEST(PropagationRec533Deck, ZeroPositionsAndHalfDegrees) {
    PropagationRun run = Rec533Run({7100.0f});
    run.Positions = {0.0, 0.0, 0.5, -0.5};  // own 0/0, station 0.5 N 0.5 W
    QByteArray deck;
    QString error;
    ASSERT_TRUE(Rec533Deck(run, 2026, deck, error));
    const QList<QByteArray> lines = Lines(deck);
    EXPECT_EQ(lines[5], "TRANS     Transmit                .50N       .50W  S     D");
    EXPECT_EQ(lines[6], "RECVR     Receieve                .00S       .00W  S     D");
}

TEST(PropagationRec533Deck, FrequencyCardOfOneAndOfTenFrequencies) {
    QByteArray deck;
    QString error;
    ASSERT_TRUE(Rec533Deck(Rec533Run({3600.0f}), 2026, deck, error));
    EXPECT_EQ(Lines(deck)[11], "FREQ          3.6");

    ASSERT_TRUE(Rec533Deck(Rec533Run(test::GuamFrequencies()), 2026, deck, error));
    const QByteArray freq = Lines(deck)[11];
    EXPECT_EQ(freq,
              "FREQ          3.6    5.4    7.1    8.1   10.2   12.4   14.1   16.6   18.1   21.1");
    EXPECT_EQ(freq.size(), 10 + 10 * 7);
    for (int j = 0; j < 10; ++j) EXPECT_EQ(freq[10 + 7 * j + 6] != ' ', true) << j;
}

TEST(PropagationRec533Deck, HoursTimeAndYear) {
    PropagationRun run = Rec533Run({14100.0f});
    run.FirstHour = 0;
    run.HourCount = 24;
    run.Month = 12;
    QByteArray deck;
    QString error;
    ASSERT_TRUE(Rec533Deck(run, 1999, deck, error));
    EXPECT_EQ(Lines(deck)[3], "TIME          0   23    1");
    EXPECT_EQ(Lines(deck)[4], "MONTH      1999   12");
}

TEST(PropagationRec533Deck, NumbersTooWideFailWithTheirDescription) {
    PropagationRun run = Rec533Run({14100.0f});
    run.Inputs.SunspotNumber = 1000.0f;
    QByteArray deck;
    QString error;
    EXPECT_FALSE(Rec533Deck(run, 2026, deck, error));
    EXPECT_EQ(error, QStringLiteral("sunspot number 1000 does not fit format F5.1"));

    run = Rec533Run({14100.0f});
    run.Inputs.TakeoffAngle = 100.0f;  // "100.00" is six columns
    EXPECT_FALSE(Rec533Deck(run, 2026, deck, error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("takeoff angle"))) << error.toStdString();
}

}  // namespace
}  // namespace tw
