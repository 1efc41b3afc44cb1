#include "Deck.h"
#include "Output.h"
#include "SampleDecks.h"
#include "Standin.h"
#include "Support.h"

#include <gtest/gtest.h>

namespace tw::itshf {
namespace {

using test::ReadIcepacVoacap;
using test::ReadRec533;
using test::ReadResult;
namespace fs = std::filesystem;

TEST(Format, FieldsAreRightJustifiedAndOverflowAsAsterisks) {
    struct Case {
        double value;
        int width, decimals;  // decimals < 0: the I format
        const char* text;
    };
    for (const Case& c : {Case{0.5, 5, 2, " 0.50"}, Case{0.5, 3, 2, ".50"}, Case{-0.04, 5, 1, "  0.0"},
                          Case{145, 5, 0, " 145."}, Case{-17.45, 7, 2, " -17.45"}, Case{99.96, 4, 1, "****"},
                          Case{-1091, 5, -1, "-1091"}, Case{123456, 5, -1, "*****"}, Case{-0.4, 5, -1, "    0"},
                          Case{2.5, 3, -1, "  3"}}) {
        EXPECT_EQ(c.decimals < 0 ? FormatI(c.value, c.width) : FormatF(c.value, c.width, c.decimals), c.text) << c.value;
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

// The output for the real program's own sample decks has the real output's
// shape line for line: page heads, the method 26 table with its hours, the
// method 20 FREQ lines (hour and frequency columns) and the row labels with
// their used and unused fields.
TEST(Output, SamplesHaveTheRealProgramsShapeLineForLine) {
    for (const char* sample : {"voacap-guam-2h", "voacap-honolulu-24h"}) {
        SCOPED_TRACE(sample);
        const fs::path dir = fs::path(TIDEWELL_SAMPLES_DIR);
        const fs::path dat = dir / (std::string(sample) + ".dat");
        if (!fs::exists(dat)) GTEST_SKIP() << "no sample at " << dat;
        const std::vector<std::string> real = Lines(test::ReadText(dir / (std::string(sample) + ".out")));
        const std::vector<std::string> ours = Lines(WriteOutput(Program::Voacap, ParseDeck(test::ReadText(dat))));
        ASSERT_EQ(ours.size(), real.size());
        bool inMethod26 = false;
        for (std::size_t i = 0; i < real.size(); ++i) {
            const std::string& r = real[i];
            const std::string& o = ours[i];
            SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + r);
            EXPECT_EQ(r.rfind('\f', 0) == 0, o.rfind('\f', 0) == 0);
            if (r.find("METHOD 26") != std::string::npos) inMethod26 = true;
            if (r.find("METHOD 20") != std::string::npos) inMethod26 = false;
            if (r.find("MUF    LUF") != std::string::npos || r.find("AZIMUTHS") != std::string::npos) {
                EXPECT_EQ(o, r);
            } else if (r.size() == 50 && inMethod26) {
                EXPECT_EQ(o.size(), r.size());
                EXPECT_EQ(o.substr(0, 9), r.substr(0, 9));  // the hour
            } else if (r.size() == 71 && r.substr(67) == "FREQ") {
                EXPECT_EQ(o.substr(0, 6), r.substr(0, 6));  // the hour
                EXPECT_EQ(o.substr(11), r.substr(11));      // the frequencies and the label
            } else if (r.size() == 73) {
                EXPECT_EQ(o.size(), r.size());
                EXPECT_EQ(o.substr(66), r.substr(66));      // the label
                for (std::size_t c = 6; c < 66; c += 5) {
                    EXPECT_EQ(o.substr(c, 5) == "   - ", r.substr(c, 5) == "   - ") << "column " << c + 1;
                }
            } else if (r.find("END OF RUN") != std::string::npos) {
                EXPECT_EQ(o.substr(0, 21), r.substr(0, 21));
            }
        }
    }
}

TEST(Output, Method26ListsHoursOneToTwentyFourAndMethod20KeepsTheDecksOrder) {
    const DeckParams params{.firstHour = 0, .hourCount = 2};
    const std::string out = WriteOutput(Program::Icepac, ParseDeck(IcepacVoacapDeck(params)));
    test::OutputLines lines(out);
    lines.Find("MUF    LUF");
    lines.Next();
    EXPECT_EQ(lines.Next().substr(0, 9), "      1.0");
    EXPECT_EQ(lines.Next().substr(0, 9), "     24.0");
    EXPECT_EQ(lines.Find(" FREQ").substr(0, 6), "  24.0");
    EXPECT_EQ(lines.Find(" FREQ").substr(0, 6), "   1.0");
}

TEST(Output, HeaderSaysItIsAStandIn) {
    for (Program p : {Program::Icepac, Program::Voacap, Program::Rec533}) {
        const std::string out = WriteOutput(p, ParseDeck(p == Program::Rec533 ? Rec533Deck({}) : IcepacVoacapDeck({})));
        const std::string head = out.substr(0, out.find('\f'));
        EXPECT_NE(head.find(std::string(ProgramTitle(p)) + "   STAND-IN"), std::string::npos);
        EXPECT_NE(head.find("not the ITS HF propagation program"), std::string::npos);
        EXPECT_NE(out.find(" *****END OF RUN*****"), std::string::npos);
    }
}

TEST(Output, AClosedPathPrintsTheLufAsTheMufWithAMinusSign) {
    // A long path by day at a low sunspot number: nothing reaches 40 dB.
    const DeckParams params{.txLat = 13.5, .txLon = 144.8, .month = 6, .firstHour = 22, .hourCount = 1, .sunspot = 0,
                            .takeoffAngle = 10};
    const Deck deck = ParseDeck(IcepacVoacapDeck(params));
    const PathGeometry path = ComputePath(deck.circuit);
    const HourSky sky = PredictHourSky(deck.Inputs(false), path, 22);
    ASSERT_TRUE(sky.lufClosed);
    test::OutputLines lines(WriteOutput(Program::Voacap, deck));
    lines.Find("MUF    LUF");
    lines.Next();
    const std::string row = lines.Next();
    EXPECT_EQ(row.substr(43, 7), FormatF(-sky.muf, 7, 2));
    EXPECT_EQ(row.substr(36, 7), FormatF(sky.muf, 7, 2));
}

// ---- Read back as the run driver reads ----------------------------------------

// The output of a run read back as the run driver reads it.
ReadResult ReadBack(Program program, const DeckParams& params) {
    const bool rec533 = program == Program::Rec533;
    const std::string out = WriteOutput(program, ParseDeck(rec533 ? Rec533Deck(params) : IcepacVoacapDeck(params)));
    return rec533 ? ReadRec533(out, params.hourCount, params.frequenciesKhz)
                  : ReadIcepacVoacap(out, params.hourCount, static_cast<int>(params.frequenciesKhz.size()));
}

// The station on one side of a 2000 nmi path along 35N, the vessel on the
// other; the midpoint is on the Greenwich meridian, so UT is its local time.
DeckParams Path2000(double sunspot, int hour) {
    return {.txLat = 35, .txLon = -20.5, .rxLat = 35, .rxLon = 20.5, .month = 3, .firstHour = hour, .hourCount = 2,
            .sunspot = sunspot, .takeoffAngle = 10};
}

TEST(ReadBack, EveryFieldTheDriverReadsIsANumber) {
    for (Program program : {Program::Icepac, Program::Voacap, Program::Rec533}) {
        for (int hours : {2, 24}) {
            SCOPED_TRACE(std::string(ProgramTitle(program)) + " " + std::to_string(hours));
            DeckParams params = Path2000(100, hours == 24 ? 0 : 23);
            params.hourCount = hours;
            const ReadResult r = ReadBack(program, params);
            ASSERT_TRUE(test::AllNumbers(r));
            EXPECT_NEAR(r.rangeNmi, 2001.5, 1.0);  // columns 60-66 hold "  2001."
            EXPECT_NEAR(r.stationToShipAzimuth, 78.0, 1.0);
            EXPECT_NEAR(r.stationAzimuth, 282.0, 1.0);
            for (const test::ReadHour& h : r.hours) {
                ASSERT_EQ(h.mode.size(), params.frequenciesKhz.size());
                for (const std::string& m : h.mode) EXPECT_TRUE(m.ends_with("F2") || m.ends_with(" E")) << m;
                EXPECT_GT(h.mufKhz, 3000);
                EXPECT_LT(h.mufKhz, 60000);
                EXPECT_GT(h.lufKhz, 0);
            }
        }
    }
}

TEST(ReadBack, Rec533SignalAndNoiseComeBackThroughTheFieldStrength) {
    DeckParams params = Path2000(100, 12);
    const Deck deck = ParseDeck(Rec533Deck(params));
    const PathGeometry path = ComputePath(deck.circuit);
    const HourSky sky = PredictHourSky(deck.Inputs(false), path, 12);
    const ReadResult r = ReadBack(Program::Rec533, params);
    ASSERT_TRUE(r.ok);
    for (std::size_t j = 0; j < params.frequenciesKhz.size(); ++j) {
        const FrequencyPrediction p = PredictFrequency(deck.Inputs(false), path, sky, params.frequenciesKhz[j] / 1000);
        EXPECT_NEAR(r.hours[0].signal[j], p.signalDbw, 0.51);
        EXPECT_NEAR(r.hours[0].noise[j], p.noiseDbw, 1.01);
        EXPECT_NEAR(r.hours[0].snr[j], p.snrAtReliabilityDb, 0.5);
    }
}

TEST(ReadBack, AFailedRunHasNoneOfTheLabels) {
    std::string bad = IcepacVoacapDeck({});
    bad.replace(bad.find("CIRCUIT"), 7, "CIRCXIT");
    for (Program p : {Program::Voacap, Program::Rec533}) {
        for (const std::string& out : {WriteOutput(p, ParseDeck(bad)), WriteUnreadableDeckOutput(p, "/x/sound.dat")}) {
            EXPECT_EQ(out.find("AZIMUTHS"), std::string::npos);
            EXPECT_EQ(out.find("MUF    LUF"), std::string::npos);
            EXPECT_EQ(out.find("END OF RUN"), std::string::npos);
            EXPECT_NE(out.find("ERROR"), std::string::npos);
            EXPECT_FALSE(ReadIcepacVoacap(out, 2, 10).ok);
            EXPECT_FALSE(ReadRec533(out, 2, DeckParams{}.frequenciesKhz).ok);
        }
    }
}

}  // namespace
}  // namespace tw::itshf
