#pragma once
// The values a propagation run works with: what the model predicts per
// frequency and hour, what it gives for the path, the inputs of a run and the
// description of one run (one batch of at most 10 frequencies over a run of
// whole hours).

#include <QString>

#include <vector>

#include "settings/Settings.h"

namespace tw {

// What the model predicts for one frequency at one hour.
// The frequencies the ITS HF programs predict for (the HF band they model),
// kHz: below it their decks print the frequency as nothing, from far above it
// their outputs lose their layout.
inline constexpr double kPropagationMinKHz = 2000.0;
inline constexpr double kPropagationMaxKHz = 30000.0;
inline bool PropagationFrequencyInRange(double kHz) {
    return kHz >= kPropagationMinKHz && kHz <= kPropagationMaxKHz;
}

struct PropagationResult {
    float Frequency = 0.0f;      // kHz, the input frequency (never changed by a run)
    QString Layer;               // mode as printed by the model: hops and layer
    float TakeoffAngle = 0.0f;   // degrees
    float Delay = 0.0f;          // milliseconds; -1 when the model does not give it
    float VirtualHeight = 0.0f;  // kilometres; -1 when the model does not give it
    float Signal = 0.0f;         // dBW
    float Noise = 0.0f;          // dBW
    float Snr = 0.0f;            // dB at the required reliability
    float SnrSlope = 0.0f;       // dB per hour (PropagationGet only)
    // The circuit reliability: the chance, in percent, that the SNR reaches
    // the required SNR (kRequiredSnrDb); -1 when the model does not give it.
    float Rel = -1.0f;
    // The median SNR and its lower and upper decile spreads (dB below and
    // above the median), which the reliability follows from; the spreads are
    // -1 when the model does not give them.
    float SnrMedian = 0.0f;
    float SnrLower = -1.0f;
    float SnrUpper = -1.0f;
    // True once a run that covered this frequency has succeeded; values of a
    // frequency whose runs all failed are not predictions.
    bool Valid = false;
};

// The SNR (dB, 1 Hz) a Pactor link needs: the required SNR of every deck.
inline constexpr double kRequiredSnrDb = 40.0;

// The reliability (percent) of a median SNR with its decile spreads: the
// SNR taken as normal about the median with the lower spread below it and
// the upper above it, each the 10 % point (1.28 standard deviations).
double ReliabilityFromSnr(double median, double lower, double upper,
                          double required = kRequiredSnrDb);

// The reliability of a result once an antenna offset has moved its SNR by
// `shiftDb`; -1 when it cannot be had (the model gave no reliability, or an
// offset moved the SNR of a model that gave no spreads).  The printed median
// is a whole number; the engine's own reliability places it within that dB.
double ReliabilityShifted(const PropagationResult& result, double shiftDb);

// What a run gives for the path as a whole.
struct PropagationPath {
    float Range = 0.0f;                 // nautical miles
    float StationToShipAzimuth = 0.0f;  // degrees, at the station toward the vessel
    float StationAzimuth = 0.0f;        // degrees, at the vessel toward the station
    std::vector<float> Muf;             // kHz, per hour index (element 0 is hour index 1)
    std::vector<float> Luf;             // kHz, per hour index
    bool Valid = false;                 // true once any run has succeeded
};

// Results per hour index (outer, element 0 is hour index 1) and frequency
// index (inner, element 0 is the caller's first frequency).
using PropagationHours = std::vector<std::vector<PropagationResult>>;

// The run inputs that come from the settings and the sunspot number.
struct PropagationInputs {
    float SunspotNumber = 100.0f;
    float QIndex = 3.0f;
    float NoiseLevel = -145.0f;  // dBW
    float TakeoffAngle = 10.0f;  // degrees
    float Reliability = 50.0f;   // percent
    float MultipathPower = 0.0f;
    float MultipathDelay = 10.0f;
    QString IonCoefficients = QStringLiteral("URSI");
    float LayerAdjustE = 1.0f;
    float LayerAdjustF1 = 1.0f;
    float LayerAdjustF2 = 1.0f;
    float LayerAdjustEs = 0.7f;

    bool operator==(const PropagationInputs&) const = default;
};

PropagationInputs PropagationInputsFrom(const Settings& settings, float sunspotNumber);

// Both ends of the path, decimal degrees, north and east positive.  The
// station is the transmitter of every deck, the vessel the receiver.
struct PropagationPositions {
    double OwnLatitude = 0.0;
    double OwnLongitude = 0.0;
    double StationLatitude = 0.0;
    double StationLongitude = 0.0;

    bool operator==(const PropagationPositions&) const = default;
};

// One run of a model: one batch of the caller's frequency list over a run of
// whole hours.
struct PropagationRun {
    int Model = ModelRec533;
    int Month = 1;      // 1 to 12
    int FirstHour = 0;  // hour of day of hour index 1
    int HourCount = 1;  // hour index k stands for FirstHour + k - 1
    PropagationPositions Positions;
    int FirstIndex = 1;  // the batch: 1-based indexes into Frequencies
    int LastIndex = 0;
    std::vector<float> Frequencies;  // the caller's whole list, kHz
    PropagationInputs Inputs;
    bool ShowErrors = false;
};

// The program file ("rec533w.exe") and the name in messages ("REC533") of a
// model; empty for a number that is no model.
QString PropagationProgramFile(int model);
QString PropagationModelName(int model);

// Makes the tables hold at least hourCount hours of frequencyCount results
// and hourCount MUF and LUF values (existing values are kept).
void PropagationSizeTables(PropagationHours& table, PropagationPath& path, int hourCount,
                           int frequencyCount);

}  // namespace tw
