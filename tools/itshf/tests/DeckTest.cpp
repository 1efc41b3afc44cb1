#include "Deck.h"
#include "SampleDecks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tw::itshf {
namespace {

// Replaces line `number` (1-based) of a CR LF deck.
std::string WithLine(const std::string& deck, int number, const std::string& line) {
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) start = deck.find("\r\n", start) + 2;
    const std::size_t end = deck.find("\r\n", start);
    return deck.substr(0, start) + line + deck.substr(end);
}

std::string WithoutLine(const std::string& deck, int number) {
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) start = deck.find("\r\n", start) + 2;
    return deck.substr(0, start) + deck.substr(deck.find("\r\n", start) + 2);
}

TEST(Deck, ReadsTheIcepacVoacapLayoutByColumns) {
    const DeckParams params{.txLat = -33.87, .txLon = 151.21, .rxLat = 0, .rxLon = -0.5, .month = 11, .firstHour = 23,
                            .sunspot = 87.5, .qIndex = 4, .noiseDbw = -150, .takeoffAngle = 7.5, .reliability = 90};
    const Deck d = ParseDeck(IcepacVoacapDeck(params));
    ASSERT_TRUE(d.ok()) << d.error;
    EXPECT_EQ(d.coefficients, "URSI");
    EXPECT_EQ(d.Hours(), (std::vector<int>{23, 24}));
    EXPECT_EQ(d.year, 2026);
    EXPECT_EQ(d.month, 11);
    EXPECT_DOUBLE_EQ(d.sunspot, 87.5);
    EXPECT_DOUBLE_EQ(d.qIndex, 4);
    EXPECT_DOUBLE_EQ(d.circuit.txLat, -33.87);
    EXPECT_DOUBLE_EQ(d.circuit.txLon, 151.21);
    EXPECT_DOUBLE_EQ(d.circuit.rxLat, 0);   // written "  .00S"
    EXPECT_DOUBLE_EQ(d.circuit.rxLon, -0.5);
    EXPECT_DOUBLE_EQ(d.noiseDbw, -150);     // written positive, "150."
    EXPECT_DOUBLE_EQ(d.minAngleDeg, 7.5);
    EXPECT_DOUBLE_EQ(d.reliabilityPct, 90);
    EXPECT_DOUBLE_EQ(d.requiredSnrDb, 40);
    EXPECT_DOUBLE_EQ(d.multipathDelayMs, 10);
    EXPECT_DOUBLE_EQ(d.factorF2, 1);
    EXPECT_DOUBLE_EQ(d.factorEs, 0);
    EXPECT_EQ(d.antennas[0].name, "DEFAULT\\CONST17.VOA  ");
    EXPECT_EQ(d.antennas[1].name, "DEFAULT\\SWWHIP.VOA   ");
    EXPECT_DOUBLE_EQ(d.antennas[0].powerKw, 0.1);
    ASSERT_EQ(d.runs.size(), 2u);
    EXPECT_EQ(d.runs[0].method, 26);
    EXPECT_EQ(d.runs[1].method, 20);
    EXPECT_EQ(d.runs[1].frequencies,
              (std::vector<double>{3.6, 5.4, 7.1, 8.1, 10.2, 12.4, 14.1, 16.6, 18.1, 21.1}));
    EXPECT_TRUE(d.quit);

    const SkyInputs in = d.Inputs(true);
    EXPECT_TRUE(in.auroral);
    EXPECT_DOUBLE_EQ(in.txGainDbi, 17);
    EXPECT_DOUBLE_EQ(in.rxGainDbi, 0);
    EXPECT_DOUBLE_EQ(in.powerKw, 0.1);
    EXPECT_FALSE(d.Inputs(false).auroral);
}

TEST(Deck, ReadsTheRec533LayoutByColumns) {
    const DeckParams params{.txLat = 13.5, .txLon = 144.8, .noiseDbw = -140, .takeoffAngle = 10, .reliability = 75,
                            .frequenciesKhz = {4000, 26100}};
    const std::string text = Rec533Deck(params);
    // The same deck with LF line ends reads the same.
    std::string lf = text;
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    for (const std::string& t : {text, lf}) {
        const Deck d = ParseDeck(t);
        ASSERT_TRUE(d.ok()) << d.error;
        EXPECT_DOUBLE_EQ(d.circuit.txLat, 13.5);
        EXPECT_DOUBLE_EQ(d.circuit.txLon, 144.8);
        EXPECT_DOUBLE_EQ(d.circuit.rxLat, 38.6);
        EXPECT_DOUBLE_EQ(d.circuit.rxLon, -120.3);
        EXPECT_DOUBLE_EQ(d.noiseDbw, -140);
        EXPECT_DOUBLE_EQ(d.reliabilityPct, 75);
        EXPECT_DOUBLE_EQ(d.requiredSnrDb, 40);
        EXPECT_DOUBLE_EQ(d.minAngleDeg, 10);
        EXPECT_EQ(d.Hours(), (std::vector<int>{20, 21}));
        ASSERT_EQ(d.runs.size(), 1u);
        EXPECT_EQ(d.runs[0].method, 0);
        EXPECT_EQ(d.runs[0].frequencies, (std::vector<double>{4.0, 26.1}));
    }
}

TEST(Deck, AnUnreadableDeckSaysWhere) {
    struct Case {
        int line;
        const char* replacement;  // nullptr: the line is removed
        const char* errorPart;
    };
    const std::string good = IcepacVoacapDeck({});
    for (const Case& b :
         {Case{5, "SUNSPOT   1O0.0  3.0", "line 5 (SUNSPOT)"},
          Case{7, "CIRCUIT   21.30X   157.90W    38.60N   120.30W        0", "column 16"},
          Case{7, "CIRCUIT   91.30N   157.90W    38.60N   120.30W        0", "out of range"},
          Case{4, "MONTH      2026   13", "month"}, Case{3, "TIME         25   26    1    1", "hours"},
          Case{10, "ANTENNA       1    1    2   30     0.000 DEFAULT\\CONST17.VOA    0.0    0.1000", "brackets"},
          Case{14, "FREQUENCY 123.4", "100 MHz"}, Case{7, nullptr, "no circuit"}, Case{14, nullptr, "no frequencies"},
          Case{3, nullptr, "no TIME"}}) {
        SCOPED_TRACE(b.errorPart);
        const Deck d = ParseDeck(b.replacement ? WithLine(good, b.line, b.replacement) : WithoutLine(good, b.line));
        EXPECT_FALSE(d.ok());
        EXPECT_NE(d.error.find(b.errorPart), std::string::npos) << d.error;
    }
    // Without EXECUTE there is nothing to run.
    EXPECT_FALSE(ParseDeck("").ok());
    EXPECT_FALSE(ParseDeck("LINEMAX      55\r\nQUIT\r\n").ok());
}

TEST(Deck, HourZeroIsWrittenAs24AndRunsMayCrossMidnight) {
    struct Case {
        int first, last;
        std::vector<int> hours;
    };
    for (const Case& c : {Case{20, 21, {20, 21}}, Case{23, 24, {23, 24}}, Case{0, 1, {24, 1}}, Case{5, 5, {5}},
                          Case{22, 2, {22, 23, 24, 1, 2}},
                          Case{0, 23, {24, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}}}) {
        Deck d;
        d.haveTime = true;
        d.firstHour = c.first;
        d.lastHour = c.last;
        EXPECT_EQ(d.Hours(), c.hours) << c.first << "-" << c.last;
    }
}

TEST(Deck, AntennaGainComesFromAConstName) {
    EXPECT_DOUBLE_EQ(AntennaGainDbi("DEFAULT\\CONST17.VOA  "), 17);
    EXPECT_DOUBLE_EQ(AntennaGainDbi("default/const17.voa"), 17);
    EXPECT_DOUBLE_EQ(AntennaGainDbi("CONST3.VOA"), 3);
    EXPECT_DOUBLE_EQ(AntennaGainDbi("DEFAULT\\SWWHIP.VOA   "), 0);
    EXPECT_DOUBLE_EQ(AntennaGainDbi("DEFAULT\\CONST.VOA"), 0);
}

TEST(Deck, FieldsBeyondTheLineAreBlank) {
    EXPECT_EQ(DeckField("ABCDEF", 3, 2), "CD");
    EXPECT_EQ(DeckField("ABCDEF", 5, 10), "EF");
    EXPECT_EQ(DeckField("ABCDEF", 7, 3), "");
}

}  // namespace
}  // namespace tw::itshf
