// Whether an output answers the deck just written, on the real programs'
// outputs (tests/data/its-samples): each answers its own deck and runs, and
// tells what in it belongs to another deck.
#include <gtest/gtest.h>

#include "PropagationTestData.h"
#include "propagation/PropagationAnswer.h"

namespace tw {
namespace {

using test::ReadSample;
using test::SampleRun;

// A sample deck as voacapl was given it.
QByteArray VoacaplDeck(const char* name) {
    return ReadSample(QLatin1String(name))
        .replace("[DEFAULT\\CONST17.VOA  ]", "[default/const17.voa  ]")
        .replace("[DEFAULT\\SWWHIP.VOA   ]", "[default/swwhip.voa   ]");
}

TEST(PropagationAnswer, EachOutputAnswersItsOwnDeckAndTellsWhatIsAnothers) {
    const PropagationRun guam = test::GuamRun();
    const PropagationPositions honoluluPath {38.6, -120.3, 21.3, -157.9};
    const PropagationRun honolulu =
        SampleRun(12, 0, 24, honoluluPath, {3600, 7100, 10200, 14100, 18100}, 100.0f);
    PropagationRun tangier = SampleRun(6, 1, 24, {44.9, 20.5, 35.8, -5.9},
                                       {6075, 7200, 9700, 11850, 13700, 15350, 17725, 21650, 25885}, 100.0f);
    PropagationRun linux533 = SampleRun(12, 23, 2, test::kGuamPositions, {7100, 14100, 21100}, 150.0f);
    tangier.Model = linux533.Model = ModelRec533;
    const std::vector<PropagationRun> three = test::ThreeCircuitRuns(6, 20, 2, 150.0f);
    const auto with = [](PropagationRun run, auto change) {
        change(run);
        return run;
    };
    const QByteArray guamOut = ReadSample(QStringLiteral("voacap-guam-2h.out"));
    const struct {
        const char* output;
        QByteArray deck;  // empty: the pages alone are looked at
        std::vector<PropagationRun> runs;
        QString mismatch;
    } cases[] = {
        {"voacap-guam-2h.out", VoacaplDeck("voacap-guam-2h.dat"), {guam}, {}},
        {"voacapw-anttyp99-guam-2h.out", ReadSample(QStringLiteral("voacap-guam-2h.dat")), {guam}, {}},
        {"voacap-honolulu-24h.out", VoacaplDeck("voacap-honolulu-24h.dat"), {honolulu}, {}},
        {"voacap-3circuits-2h.out", VoacaplDeck("voacap-3circuits-2h.dat"), three, {}},
        {"voacapw-anttyp99-3circuits-2h.out", ReadSample(QStringLiteral("voacap-3circuits-2h.dat")), three, {}},
        {"voacap-3circuits-24h.out", VoacaplDeck("voacap-3circuits-24h.dat"),
         test::ThreeCircuitRuns(12, 0, 24, 100.0f), {}},
        {"rec533-windows-tangier-24h.out", ReadSample(QStringLiteral("rec533-windows-tangier-24h.dat")),
         {tangier}, {}},
        {"rec533-linux-guam-2h.out", ReadSample(QStringLiteral("rec533-linux-guam-2h.dat")), {linux533}, {}},
        // A circuit the program left out is passed over.
        {"voacap-3circuits-2h.out", {},
         {three[0], with(guam, [](PropagationRun& r) { r.Positions.StationLatitude = 0.5; }), three[1], three[2]}, {}},
        // Another deck's output.
        {"voacap-guam-2h.out", VoacaplDeck("voacap-honolulu-24h.dat"), {honolulu},
         "it echoes the card \"TIME 20 21 1 1\" where the deck has \"TIME 0 23 1 1\""},
        {"voacap-guam-2h.out", {}, {with(guam, [&](PropagationRun& r) { r.Positions = honoluluPath; })},
         "it names the circuit 13.50 N 144.80 E - 38.60 N 120.30 W"},
        {"voacap-3circuits-2h.out", {}, {three[0], three[2], three[1]},
         "it names the circuit 33.92 S 18.42 E - 38.60 N 120.30 W"},
        {"voacap-guam-2h.out", {}, {with(guam, [](PropagationRun& r) { r.Frequencies[9] = 21200; })},
         "it lists the frequencies 3.6 5.4 7.1 8.1 10.2 12.4 14.1 16.6 18.1 21.1 0.0 MHz at hour 20"},
        {"rec533-linux-guam-2h.out", {}, {with(linux533, [](PropagationRun& r) { r.FirstIndex = r.LastIndex = 2; })},
         "it lists the frequencies 7.1 14.1 21.1 0.0 0.0 0.0 0.0 0.0 0.0 0.0 MHz at hour 23"},
        {"rec533-windows-tangier-24h.out", {}, {with(tangier, [](PropagationRun& r) { r.HourCount = 23; })},
         "it gives hour 24, which the deck does not ask for"},
        {"", {}, {guam}, "it gives hour 20 twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        // The last case: one output after another.
        const QByteArray output = *c.output ? ReadSample(QLatin1String(c.output)) : guamOut + guamOut;
        ASSERT_FALSE(output.isEmpty());
        EXPECT_EQ(PropagationAnswerMismatch(output, c.deck, c.runs), c.mismatch);
    }
    // An output cut short (here in its echo) tells nothing of another deck.
    EXPECT_EQ(PropagationAnswerMismatch(guamOut.left(guamOut.indexOf("FPROB") + 3),
                                        VoacaplDeck("voacap-guam-2h.dat"), {guam}),
              QString());
}

}  // namespace
}  // namespace tw
