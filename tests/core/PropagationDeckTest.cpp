#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "PropagationTestData.h"
#include "propagation/PropagationDecks.h"

namespace tw {
namespace {

using test::GuamRun;

// (The decks of the real samples are checked byte for byte through the run
// driver.)
TEST(PropagationIcepacVoacapDeck, VariableCards) {
    PropagationRun run =
        test::SampleRun(6, 23, 2, {-0.5, -5.25, 0.0, 0.0}, test::kGuamFrequencies, 150.0f);
    run.Model = ModelIcepac;
    run.Inputs.NoiseLevel = -150.0f;
    run.Inputs.LayerAdjustF2 = run.Inputs.LayerAdjustEs = 0.7f;
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
    // The Linux engine reads the antenna files in lower case with "/"; nothing else changes.
    QByteArray voacaplDeck;
    ASSERT_TRUE(IcepacVoacapDeck(run, 2026, voacaplDeck, error, AntennaNames::Voacapl));
    EXPECT_EQ(voacaplDeck, QByteArray(deck)
                         .replace("[DEFAULT\\CONST17.VOA  ]", "[default/const17.voa  ]")
                         .replace("[DEFAULT\\SWWHIP.VOA   ]", "[default/swwhip.voa   ]"));
    EXPECT_NE(voacaplDeck, deck);
}

TEST(PropagationRec533Deck, EveryLineInItsColumns) {
    PropagationRun run =
        test::SampleRun(12, 0, 24, test::kGuamPositions, test::kGuamFrequencies, 150.0f);
    run.FirstIndex = 2;  // only the batch's frequencies, from the second on
    QByteArray deck;
    QString error;
    ASSERT_TRUE(Rec533Deck(run, 1999, deck, error)) << error.toStdString();
    // The transmitter is the station, the receiver the vessel.
    EXPECT_EQ(deck.replace("\r\n", "\n").toStdString(), R"(OUTPUT        6    0
COEFFS    URSI
SUNSPOT   150.0
TIME          0   23    1
MONTH      1999   12
TRANS     Transmit              13.50N    144.80E  S     D
RECVR     Receieve              38.60N    120.30W  S     D
SYST           1.000010.00    0  0.0
ANTENNA       1    1    2   30     0.000[DEFAULT\CONST17.VOA  ]  0.0    0.1000
ANTENNA       2    2    2   30     0.000[DEFAULT\SWWHIP.VOA   ]  0.0    0.0000
NOIS       -145    1   40   50
FREQ          5.4    7.1    8.1   10.2   12.4   14.1   16.6   18.1   21.1
EXEC
QUIT
)");
}

TEST(PropagationDecks, InputsThatDoNotFitTheDeckAreRefused) {
    using Deck = bool (*)(const PropagationRun&, int, QByteArray&, QString&);
    const Deck voacap = [](const PropagationRun& r, int year, QByteArray& deck, QString& error) {
        return IcepacVoacapDeck(r, year, deck, error);
    };
    const struct {
        const char* name;
        Deck deck;
        std::function<void(PropagationRun&)> edit;
        const char* error;
    } cases[] = {
        // The first failure is the one reported.
        {"sunspot number and frequency too wide", voacap,
         [](PropagationRun& r) { r.Inputs.SunspotNumber = r.Frequencies[0] = 1000000.0f; },
         "sunspot number 1000000 does not fit format F5.1"},
        {"line break", voacap,
         [](PropagationRun& r) { r.Inputs.IonCoefficients = QStringLiteral("URSI\r\nQUIT"); },
         "ionospheric coefficients \"URSI QUIT\" hold a line break"},
        {"frequency 0", voacap, [](PropagationRun& r) { r.Frequencies[4] = 0.0f; },
         "frequency 0 kHz is not above 0"},
        {"batch beyond the list", voacap, [](PropagationRun& r) { r.LastIndex = 11; },
         "Frequency indexes 1 to 11 do not fit a list of 10"},
        {"REC533 takeoff angle too wide", &Rec533Deck,
         [](PropagationRun& r) { r.Inputs.TakeoffAngle = 100.0f; },
         "takeoff angle 100 does not fit format F5.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PropagationRun run = GuamRun();
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
