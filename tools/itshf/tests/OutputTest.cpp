#include "Deck.h"
#include "Output.h"
#include "SampleDecks.h"
#include "Support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace tw::itshf {
namespace {

namespace fs = std::filesystem;

TEST(Format, FieldsAreRightJustifiedAndOverflowAsAsterisks) {
    struct Case {
        double value;
        int width, decimals;  // decimals < 0: the I format
        const char* text;
    };
    for (const Case& c :
         {Case{0.5, 5, 2, " 0.50"}, Case{0.5, 3, 2, ".50"}, Case{-0.04, 5, 1, "  0.0"},
          Case{145, 5, 0, " 145."}, Case{-17.45, 7, 2, " -17.45"}, Case{99.96, 4, 1, "****"},
          Case{-1091, 5, -1, "-1091"}, Case{123456, 5, -1, "*****"}, Case{-0.4, 5, -1, "    0"},
          Case{2.5, 3, -1, "  3"}}) {
        const std::string text =
            c.decimals < 0 ? FormatI(c.value, c.width) : FormatF(c.value, c.width, c.decimals);
        EXPECT_EQ(text, c.text) << c.value;
    }
}

// The output for the real program's own sample decks repeats the real output
// line for line, but for the values of the sky: the deck's echo, the page
// heads, the path blocks (circuit, azimuths, kilometres, antennas, noise), the
// method 26 table with its hours in the order 1 to 24 and their local times,
// the method 20 FREQ lines with the hours in the deck's order and the
// frequencies, the row labels with their used and unused fields, and the
// transmitter gains.
TEST(Output, SamplesRepeatTheRealOutputButForTheSky) {
    for (const char* sample : {"voacap-guam-2h", "voacap-honolulu-24h"}) {
        SCOPED_TRACE(sample);
        const fs::path base = fs::path(TIDEWELL_SAMPLES_DIR) / sample;
        const std::vector<std::string> real = test::Lines(test::ReadText(base.string() + ".out"));
        const std::vector<std::string> ours = test::Lines(
            WriteOutput(Program::Voacap, ParseDeck(test::ReadText(base.string() + ".dat"))));
        ASSERT_EQ(ours.size(), real.size());
        // Lines 2 to 4 are the banner, where ours says that it is a stand-in.
        for (std::size_t i = 4; i < real.size(); ++i) {
            const std::string& r = real[i];
            const std::string& o = ours[i];
            SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + r);
            if (r.starts_with('\f')) {
                EXPECT_EQ(o.substr(0, 50), r.substr(0, 50));  // up to the program's name
            } else if (r.find(".voa") != std::string::npos) {
                EXPECT_EQ(o.substr(o.find(']')), r.substr(r.find(']')));  // after the file name
            } else if (real[i - 1].find("AZIMUTHS") != std::string::npos) {
                EXPECT_EQ(o.substr(0, 57), r.substr(0, 57));  // all but the nautical miles
                EXPECT_EQ(o.substr(67), r.substr(67));
            } else if (r.size() == 50) {  // the method 26 table, the only lines this long
                EXPECT_EQ(o.size(), r.size());
                EXPECT_EQ(o.substr(0, 15), r.substr(0, 15));  // the hour and its local time
            } else if (r.size() == 71 && r.substr(67) == "FREQ") {
                EXPECT_EQ(o.substr(0, 6), r.substr(0, 6));  // the hour
                EXPECT_EQ(o.substr(11), r.substr(11));      // the frequencies and the label
            } else if (r.size() == 73 && !r.ends_with("TGAIN ")) {
                EXPECT_EQ(o.size(), r.size());
                EXPECT_EQ(o.substr(66), r.substr(66));  // the label
                for (std::size_t c = 6; c < 66; c += 5) {
                    EXPECT_EQ(o.substr(c, 5) == "   - ", r.substr(c, 5) == "   - ") << c + 1;
                }
            } else if (r.find("END OF RUN") != std::string::npos) {
                EXPECT_EQ(o.substr(0, 21), r.substr(0, 21));
            } else {
                EXPECT_EQ(o, r);
            }
        }
    }
}

// One deck of three circuits: the page heads (with their page numbers), the
// circuit lines and the one END OF RUN of the real output; and the pages of
// each circuit, but for their numbers, are those of the circuit run alone.
TEST(Output, SeveralCircuitsGiveEachCircuitsPagesInDeckOrder) {
    const std::string base = TIDEWELL_SAMPLES_DIR "/voacap-3circuits-2h";
    const std::vector<std::string> deck = test::Lines(test::ReadText(base + ".dat"));
    const auto heads = [](const std::string& text) {
        std::vector<std::string> kept, all = test::Lines(text);
        for (std::size_t i = 1; i < all.size(); ++i) {
            const std::string& l = all[i];
            if (l.starts_with('\f')) kept.push_back(l.substr(0, 50) + l.substr(l.size() - 8));
            if (all[i - 1].find("AZIMUTHS") != std::string::npos) {
                kept.push_back(l.substr(0, 57) + l.substr(67));  // but for the nautical miles
            }
            if (l.find("END OF RUN") != std::string::npos) kept.push_back(l.substr(0, 21));
        }
        return kept;
    };
    // The common cards (ten lines) and the deck's lines [from, to).
    const auto run = [&](std::size_t from, std::size_t to) {
        std::string text;
        for (std::size_t i = 0; i < to; ++i) text += i < 10 || i >= from ? deck[i] + "\n" : "";
        return WriteOutput(Program::Voacap, ParseDeck(text));
    };
    const auto pages = [](const std::string& out) {
        const std::string text = out.substr(out.find('\f'), out.find(" *****END") - out.find('\f'));
        return std::regex_replace(text, std::regex("PAGE +[0-9]+\n"), "\n");
    };
    const std::string all = run(10, deck.size());
    EXPECT_EQ(heads(all), heads(test::ReadText(base + ".out")));
    EXPECT_EQ(heads(all).size(), 13u);
    EXPECT_EQ(pages(all), pages(run(10, 16)) + pages(run(16, 22)) + pages(run(22, 28)));
}

TEST(Output, AClosedPathPrintsTheLufAsTheMufWithAMinusSign) {
    // A long path by day at a low sunspot number: nothing reaches 40 dB.
    const DeckParams params{.txLat = 13.5, .txLon = 144.8, .month = 6, .firstHour = 22,
                            .hourCount = 1, .sunspot = 0, .takeoffAngle = 10};
    const std::string out = WriteOutput(Program::Voacap, ParseDeck(IcepacVoacapDeck(params)));
    const std::string row = test::LineAfter(out, "MUF    LUF", 2);
    EXPECT_EQ(row.substr(43, 7), FormatF(-std::stod(row.substr(36, 7)), 7, 2)) << row;
}

// The run driver reads a REC533 output's signal from the field strength in dB
// above 1 uV/m, its noise through the signal-to-noise ratio: each a 5-wide
// field per frequency from column 9.
TEST(Output, Rec533SignalAndNoiseComeBackThroughTheFieldStrength) {
    const DeckParams params{.txLat = 35, .txLon = -20.5, .rxLat = 35, .rxLon = 20.5, .month = 3,
                            .firstHour = 12, .takeoffAngle = 10, .reliability = 90};
    const Deck deck = ParseDeck(Rec533Deck(params));
    const SkyInputs in = deck.Inputs(false);
    const PathGeometry path = ComputePath(deck.circuit);
    const HourSky sky = PredictHourSky(in, path, 12);
    const std::string out = WriteOutput(Program::Rec533, deck);
    for (std::size_t j = 0; j < params.frequenciesKhz.size(); ++j) {
        const auto field = [&](const char* label) {
            return std::stod(test::LineAfter(out, label).substr(8 + 5 * j, 5));
        };
        const double mhz = params.frequenciesKhz[j] / 1000;
        const double signal = field("DBU") - 137 - 20 * std::log10(mhz / 20);
        const FrequencyPrediction p = PredictFrequency(in, path, sky, mhz);
        EXPECT_NEAR(signal, p.signalDbw, 0.51) << mhz;
        EXPECT_NEAR(signal - field("S/N"), p.noiseDbw, 1.01) << mhz;
        EXPECT_NEAR(field("SNxx"), p.snrAtReliabilityDb, 0.5) << mhz;
    }
}

}  // namespace
}  // namespace tw::itshf
