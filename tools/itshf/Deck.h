#pragma once
// The input deck of the ITS HF programs, read by its fixed columns.  One
// reader serves both layouts: the ICEPAC/VOACAP deck (CIRCUIT, SYSTEM,
// FREQUENCY, METHOD, EXECUTE) and the REC533 deck (TRANS, RECVR, SYST, NOIS,
// FREQ, EXEC).  Columns are counted from 1.
//
// Cards set the state in force and stay in force until the same card comes
// again, so one deck may run several circuits: after the common cards, each
// circuit repeats CIRCUIT (or TRANS/RECVR), its FREQUENCY, METHOD and EXECUTE
// cards.  Every EXECUTE keeps the circuit in force at it.

#include "SkyModel.h"

#include <string>
#include <vector>

namespace tw::itshf {

struct DeckAntenna {
    bool present = false;
    std::string name;       // as written between the brackets ("DEFAULT\CONST17.VOA  ")
    double beamAzimuth = 0;
    double powerKw = 0;
};

// One EXECUTE (or EXEC) of the deck with the state in force at that point.
struct DeckRun {
    int method = 0;                    // 26 or 20 for ICEPAC/VOACAP; 0 for REC533
    std::vector<double> frequencies;   // MHz, in deck order (at most 11)
    Circuit circuit;
    // Counts the circuit cards (CIRCUIT, TRANS, RECVR) read before the run:
    // runs with the same number belong to the same circuit.
    int circuitNumber = 0;
};

struct Deck {
    std::vector<std::string> lines;    // the deck as read, line ends removed (for the echo)
    std::string coefficients = "CCIR";
    bool haveTime = false;
    int firstHour = 0;                 // as written (0 to 24)
    int lastHour = 0;
    int hourStep = 1;
    bool haveMonth = false;
    int year = 0;
    int month = 0;
    double sunspot = 0;
    double qIndex = 0;
    bool haveTransmitter = false;
    bool haveReceiver = false;
    Circuit circuit;                   // the last one read; each run keeps its own
    double systemPowerKw = 0;          // SYSTEM field 1 (VOACAP)
    double noiseDbw = -145;            // always stored negative
    double minAngleDeg = 3;
    double reliabilityPct = 50;
    double requiredSnrDb = 40;
    double multipathPowerDb = 3;
    double multipathDelayMs = 0.1;
    double factorE = 1, factorF1 = 1, factorF2 = 1, factorEs = 0;
    DeckAntenna antennas[2];           // 1: transmitter, 2: receiver
    std::vector<DeckRun> runs;
    bool quit = false;
    std::string error;                 // empty when the deck was read

    bool ok() const { return error.empty(); }
    // The requested hours in deck order, hour 0 written as 24.
    std::vector<int> Hours() const;
    // How many circuits the runs go through (a run of a new circuit number
    // starts one); 0 for a deck with an error, which runs nothing.
    int CircuitCount() const;
    // The sky inputs of this deck (ICEPAC flavour when icepac is set).
    SkyInputs Inputs(bool icepac) const;
};

// Reads a deck text (CR LF or LF line ends).  Never throws: a deck that cannot
// be read comes back with `error` set and `runs` holding the runs read before.
Deck ParseDeck(const std::string& text);

// The characters of a line from 1-based column `column`, `width` long (short
// lines give what there is).
std::string DeckField(const std::string& line, int column, int width);

// Gain in dBi that the stand-in gives an antenna file name: the number of a
// "CONSTnn" name (any case, either slash), otherwise 0.
double AntennaGainDbi(const std::string& name);

}  // namespace tw::itshf
