// Whether an output answers the deck just written, on the real programs'
// outputs (tests/data/its-samples): each answers its own deck and runs, and
// tells what in it belongs to another deck.
#include <gtest/gtest.h>

#include "PropagationTestData.h"
#include "propagation/PropagationAnswer.h"

namespace tw {
namespace {

using test::ReadSample;

TEST(PropagationAnswer, EachOutputAnswersItsOwnDeckAndTellsWhatIsAnothers) {
    // A sample deck as voacapl was given it (`voacapl`), or as it is.
    const auto deck = [](const char* name, bool voacapl = true) {
        QByteArray text = ReadSample(QLatin1String(name) + QStringLiteral(".dat"));
        if (voacapl)
            text.replace("DEFAULT\\CONST17.VOA", "default/const17.voa")
                .replace("DEFAULT\\SWWHIP.VOA", "default/swwhip.voa");
        return text;
    };
    const auto with = [](PropagationRun run, auto change) {
        change(run);
        return run;
    };
    const PropagationRun guam = test::GuamRun();
    const PropagationRun honolulu = test::SampleRun(12, 0, 24, {38.6, -120.3, 21.3, -157.9},
                                                    {3600, 7100, 10200, 14100, 18100}, 100.0f);
    const PropagationRun tangier =
        test::SampleRun(6, 1, 24, {44.9, 20.5, 35.8, -5.9},
                        {6075, 7200, 9700, 11850, 13700, 15350, 17725, 21650, 25885}, 100.0f);
    const PropagationRun linux533 =
        test::SampleRun(12, 23, 2, test::kGuamPositions, {7100, 14100, 21100}, 150.0f);
    const std::vector<PropagationRun> three = test::ThreeCircuitRuns(6, 20, 2, 150.0f);
    const struct {
        const char* output;  // "": the guam sample twice
        QByteArray deck;     // empty: the pages alone are looked at
        std::vector<PropagationRun> runs;
        QString mismatch;
    } cases[] = {
        {"voacap-guam-2h", deck("voacap-guam-2h"), {guam}, {}},
        {"voacap-honolulu-24h", deck("voacap-honolulu-24h"), {honolulu}, {}},
        {"voacapw-anttyp99-3circuits-2h", deck("voacap-3circuits-2h", false), three, {}},
        {"rec533-windows-tangier-24h", deck("rec533-windows-tangier-24h", false), {tangier}, {}},
        {"rec533-linux-guam-2h", deck("rec533-linux-guam-2h", false), {linux533}, {}},
        // A circuit the program left out is passed over.
        {"voacap-3circuits-2h", {},
         {three[0], with(guam, [](auto& r) { r.Positions.StationLatitude = 0.5; }), three[1], three[2]},
         {}},
        // What belongs to another deck.
        {"voacap-guam-2h", deck("voacap-honolulu-24h"), {honolulu},
         "it echoes the card \"TIME 20 21 1 1\" where the deck has \"TIME 0 23 1 1\""},
        {"voacap-guam-2h", {}, {with(guam, [&](auto& r) { r.Positions = honolulu.Positions; })},
         "it names the circuit 13.50 N 144.80 E - 38.60 N 120.30 W"},
        {"voacap-3circuits-2h", {}, {three[0], three[2], three[1]},
         "it names the circuit 33.92 S 18.42 E - 38.60 N 120.30 W"},
        {"rec533-linux-guam-2h", {}, {with(linux533, [](auto& r) { r.FirstIndex = r.LastIndex = 2; })},
         "it lists the frequencies 7.1 14.1 21.1 0.0 0.0 0.0 0.0 0.0 0.0 0.0 MHz at hour 23"},
        {"rec533-windows-tangier-24h", {}, {with(tangier, [](auto& r) { r.HourCount = 23; })},
         "it gives hour 24, which the deck does not ask for"},
        {"", {}, {guam}, "it gives hour 20 twice"},
    };
    const QByteArray guamOut = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const QByteArray output =
            *c.output ? ReadSample(QLatin1String(c.output) + QStringLiteral(".out")) : guamOut + guamOut;
        ASSERT_FALSE(output.isEmpty());
        EXPECT_EQ(PropagationAnswerMismatch(output, c.deck, c.runs), c.mismatch);
    }
    // An output cut short (here in its echo) tells nothing of another deck.
    EXPECT_EQ(PropagationAnswerMismatch(guamOut.left(guamOut.indexOf("FPROB") + 3),
                                        deck("voacap-guam-2h"), {guam}),
              QString());
}

}  // namespace
}  // namespace tw
