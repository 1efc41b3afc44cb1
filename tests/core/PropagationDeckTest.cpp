#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "PropagationTestData.h"
#include "propagation/PropagationDecks.h"

namespace tw {
namespace {

using test::GuamRun;

TEST(PropagationIcepacVoacapDeck, IsByteForByteTheDeckOfTheRealSamples) {
    for (const auto& [run, name] : {std::pair {GuamRun(), "voacap-guam-2h.dat"},
                                    std::pair {test::HonoluluRun(), "voacap-honolulu-24h.dat"}}) {
        const QByteArray expected = test::ReadSample(QString::fromLatin1(name));
        ASSERT_FALSE(expected.isEmpty()) << "sample missing: " << name;
        QByteArray deck;
        QString error;
        ASSERT_TRUE(IcepacVoacapDeck(run, 2026, deck, error)) << error.toStdString();
        EXPECT_EQ(deck.toStdString(), expected.toStdString()) << name;
    }
}

TEST(PropagationIcepacVoacapDeck, VariableCards) {
    PropagationRun run = GuamRun();
    run.Model = ModelIcepac;
    run.FirstHour = 23;
    run.Positions = {-0.5, -5.25, 0.0, 0.0};
    run.Inputs.NoiseLevel = -150.0f;
    run.Inputs.LayerAdjustF2 = 0.7f;
    run.Inputs.LayerAdjustEs = 0.7f;
    run.Inputs.IonCoefficients = QStringLiteral("CCIR");
    run.FirstIndex = 3;
    run.LastIndex = 4;
    QByteArray deck;
    QString error;
    ASSERT_TRUE(IcepacVoacapDeck(run, 2026, deck, error)) << error.toStdString();
    // The hour after 23 is 24; latitude and longitude 0 are written "S" and
    // "W"; only the batch's frequencies are on the card.
    for (const char* line : {"COEFFS    CCIR", "TIME         23   24    1    1",
                             "CIRCUIT     .00S      .00W      .50S     5.25W        0",
                             "SYSTEM      1.0 150. 10.0 50.0 40.0   .0 10.0",
                             "FPROB      1.00 1.00  .70  .70", "FREQUENCY   7.1  8.1"}) {
        EXPECT_TRUE(deck.contains("\r\n" + QByteArray(line) + "\r\n")) << line;
    }
}

TEST(PropagationRec533Deck, EveryLineInItsColumns) {
    PropagationRun run = GuamRun();
    run.Model = ModelRec533;
    run.FirstHour = 0;
    run.HourCount = 24;
    run.Month = 12;
    run.FirstIndex = 2;  // only the batch's frequencies, from the second on
    QByteArray deck;
    QString error;
    ASSERT_TRUE(Rec533Deck(run, 1999, deck, error)) << error.toStdString();
    // The transmitter is the station, the receiver the vessel.
    EXPECT_EQ(deck.toStdString(),
              std::string("OUTPUT        6    0\r\n"
                          "COEFFS    URSI\r\n"
                          "SUNSPOT   150.0\r\n"
                          "TIME          0   23    1\r\n"
                          "MONTH      1999   12\r\n"
                          "TRANS     Transmit              13.50N    144.80E  S     D\r\n"
                          "RECVR     Receieve              38.60N    120.30W  S     D\r\n"
                          "SYST           1.000010.00    0  0.0\r\n"
                          "ANTENNA       1    1    2   30     0.000[DEFAULT\\CONST17.VOA  ]  0.0"
                          "    0.1000\r\n"
                          "ANTENNA       2    2    2   30     0.000[DEFAULT\\SWWHIP.VOA   ]  0.0"
                          "    0.0000\r\n"
                          "NOIS       -145    1   40   50\r\n"
                          "FREQ          5.4    7.1    8.1   10.2   12.4   14.1   16.6"
                          "   18.1   21.1\r\n"
                          "EXEC\r\n"
                          "QUIT\r\n"));
}

TEST(PropagationDecks, InputsThatDoNotFitTheDeckAreRefused) {
    using Deck = bool (*)(const PropagationRun&, int, QByteArray&, QString&);
    const struct {
        const char* name;
        Deck deck;
        std::function<void(PropagationRun&)> edit;
        const char* error;
    } cases[] = {
        // The first failure is the one reported.
        {"sunspot number and frequency too wide", &IcepacVoacapDeck,
         [](PropagationRun& r) {
             r.Inputs.SunspotNumber = 1000.0f;
             r.Frequencies[0] = 1000000.0f;
         },
         "sunspot number 1000 does not fit format F5.1"},
        {"line break", &IcepacVoacapDeck,
         [](PropagationRun& r) { r.Inputs.IonCoefficients = QStringLiteral("URSI\r\nQUIT"); },
         "ionospheric coefficients \"URSI QUIT\" hold a line break"},
        {"frequency 0", &IcepacVoacapDeck, [](PropagationRun& r) { r.Frequencies[4] = 0.0f; },
         "frequency 0 kHz is not above 0"},
        {"batch beyond the list", &IcepacVoacapDeck, [](PropagationRun& r) { r.LastIndex = 11; },
         "Frequency indexes 1 to 11 do not fit a list of 10"},
        {"REC533 takeoff angle too wide", &Rec533Deck,
         [](PropagationRun& r) { r.Inputs.TakeoffAngle = 100.0f; },
         "takeoff angle 100 does not fit format F5.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PropagationRun run = GuamRun();
        if (c.deck == &Rec533Deck) run.Model = ModelRec533;
        c.edit(run);
        QByteArray deck = "untouched";
        QString error;
        EXPECT_FALSE(c.deck(run, 2026, deck, error));
        EXPECT_EQ(deck, "untouched");
        EXPECT_EQ(error, QString::fromLatin1(c.error));
    }
}

}  // namespace
}  // namespace tw
