#include "Deck.h"
#include "SampleDecks.h"
#include "Support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tw::itshf {
namespace {

// (The ICEPAC/VOACAP layout is also read from the real samples, in OutputTest.)
TEST(Deck, ReadsBothLayoutsByColumns) {
    const DeckParams params{.txLat = -33.87, .txLon = 151.21, .rxLat = 0, .rxLon = -0.5,
                            .month = 11, .firstHour = 23, .sunspot = 87.5, .qIndex = 4,
                            .noiseDbw = -150, .takeoffAngle = 7.5, .reliability = 90,
                            .frequenciesKhz = {4000, 26100}};
    std::string lf = Rec533Deck(params), midnight = IcepacVoacapDeck(params);
    std::erase(lf, '\r');
    midnight.replace(midnight.find("23   24"), 7, "22    2");
    struct Case {
        const char* name;
        std::string text;
        std::vector<int> methods, hours;  // hour 0 is written 24
        double qIndex;                    // REC533 has none
    };
    for (const Case& c :
         {Case{"ICEPAC/VOACAP", IcepacVoacapDeck(params), {26, 20}, {23, 24}, 4},
          Case{"REC533", Rec533Deck(params), {0}, {23, 24}, 0},
          Case{"REC533, LF line ends", lf, {0}, {23, 24}, 0},
          Case{"across midnight", midnight, {26, 20}, {22, 23, 24, 1, 2}, 4}}) {
        SCOPED_TRACE(c.name);
        const Deck d = ParseDeck(c.text);
        ASSERT_TRUE(d.ok()) << d.error;
        EXPECT_EQ(d.Hours(), c.hours);
        EXPECT_DOUBLE_EQ(d.qIndex, c.qIndex);
        EXPECT_DOUBLE_EQ(d.circuit.txLat, -33.87);
        EXPECT_DOUBLE_EQ(d.circuit.txLon, 151.21);
        EXPECT_DOUBLE_EQ(d.circuit.rxLat, 0);  // written "  .00S"
        EXPECT_DOUBLE_EQ(d.circuit.rxLon, -0.5);
        EXPECT_DOUBLE_EQ(d.noiseDbw, -150);
        EXPECT_DOUBLE_EQ(d.minAngleDeg, 7.5);
        EXPECT_DOUBLE_EQ(d.reliabilityPct, 90);
        EXPECT_DOUBLE_EQ(d.requiredSnrDb, 40);
        EXPECT_DOUBLE_EQ(d.factorF2, 1);
        EXPECT_EQ(d.antennas[1].name, "DEFAULT\\SWWHIP.VOA   ");
        ASSERT_EQ(d.runs.size(), c.methods.size());
        for (std::size_t i = 0; i < c.methods.size(); ++i) {
            EXPECT_EQ(d.runs[i].method, c.methods[i]);
        }
        EXPECT_EQ(d.runs.back().frequencies, (std::vector<double>{4.0, 26.1}));
        EXPECT_TRUE(d.quit);
        const SkyInputs in = d.Inputs(true);
        EXPECT_TRUE(in.auroral);
        EXPECT_FALSE(d.Inputs(false).auroral);
        EXPECT_DOUBLE_EQ(in.rxGainDbi, 0);
    }
    // The gain comes from a CONST antenna's name, in any case.
    EXPECT_DOUBLE_EQ(AntennaGainDbi("default/const17.voa"), 17);
}

// One deck, three circuits: every EXECUTE keeps the circuit and the
// frequencies in force at it.
TEST(Deck, EachRunOfASeveralCircuitDeckKeepsItsOwnCircuit) {
    const std::vector<double> circuits[] = {  // the transmitter, then the frequencies
        {13.5, 144.8, 3.6, 5.4, 7.1, 8.1, 10.2, 12.4, 14.1, 16.6, 18.1, 21.1},
        {21.3, -157.9, 3.6, 7.1, 10.1, 14.1, 18.1},
        {-33.92, 18.42, 7.1, 10.1, 14.1, 18.1, 21.1, 24.9}};
    for (const char* hours : {"2h", "24h"}) {
        SCOPED_TRACE(hours);
        const std::string name = "/voacap-3circuits-" + std::string(hours) + ".dat";
        const Deck d = ParseDeck(test::ReadText(TIDEWELL_SAMPLES_DIR + name));
        ASSERT_EQ(d.runs.size(), 6u);
        EXPECT_EQ(d.CircuitCount(), 3);
        for (std::size_t i = 0; i < d.runs.size(); ++i) {
            const DeckRun& r = d.runs[i];
            const std::vector<double>& c = circuits[i / 2];
            const Circuit& rc = r.circuit;
            EXPECT_EQ(std::vector({rc.txLat, rc.txLon, rc.rxLat, rc.rxLon}),
                      std::vector({c[0], c[1], 38.6, -120.3})) << i;
            EXPECT_EQ(r.method, i % 2 ? 20 : 26) << i;
            const std::vector<double> frequencies(c.begin() + 2, i % 2 ? c.end() : c.begin() + 2);
            EXPECT_EQ(r.frequencies, frequencies) << i;
        }
    }
}

TEST(Deck, AnUnreadableDeckSaysWhere) {
    struct Case {
        const char *from, *to;  // the change to a good deck
        const char* errorPart;
    };
    for (const Case& c :
         {Case{"100.0", "1O0.0", "line 5 (SUNSPOT)"}, Case{"21.30N", "21.30X", "column 16"},
          Case{"21.30N", "91.30N", "out of range"}, Case{"2026    6", "2026   13", "month"},
          Case{"20   21", "25   26", "hours"}, Case{"0.000[", "0.000 ", "brackets"},
          Case{" 21.1", "123.4", "100 MHz"}, Case{"CIRCUIT", "LABEL  ", "no circuit"},
          Case{"TIME", "LABL", "no TIME"}, Case{"FREQUENCY", "LABEL    ", "no frequencies"}}) {
        SCOPED_TRACE(c.errorPart);
        std::string deck = IcepacVoacapDeck({});
        const Deck d = ParseDeck(deck.replace(deck.find(c.from), std::strlen(c.from), c.to));
        EXPECT_FALSE(d.ok());
        EXPECT_NE(d.error.find(c.errorPart), std::string::npos) << d.error;
    }
    // Without EXECUTE there is nothing to run.
    EXPECT_FALSE(ParseDeck("LINEMAX      55\r\nQUIT\r\n").ok());
}

}  // namespace
}  // namespace tw::itshf
