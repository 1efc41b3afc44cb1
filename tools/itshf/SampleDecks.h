#pragma once
// Decks in the two layouts the ITS HF programs take, for the stand-in's tests
// and benchmark (lines end with CR LF, numbers in the Fortran field widths).

#include <string>
#include <vector>

namespace tw::itshf {

struct DeckParams {
    double txLat = 21.3, txLon = -157.9;    // the station (transmitter)
    double rxLat = 38.6, rxLon = -120.3;    // the vessel (receiver)
    int year = 2026;
    int month = 6;
    int firstHour = 20;
    int hourCount = 2;
    double sunspot = 100;
    double qIndex = 3;
    double noiseDbw = -145;
    double takeoffAngle = 3;
    double reliability = 50;
    std::vector<double> frequenciesKhz{3600, 5400, 7100, 8100, 10200, 12400, 14100, 16600, 18100, 21100};
};

// The ICEPAC/VOACAP deck: method 26, then the frequencies and method 20.
std::string IcepacVoacapDeck(const DeckParams& params);

// The REC533 deck.
std::string Rec533Deck(const DeckParams& params);

}  // namespace tw::itshf
