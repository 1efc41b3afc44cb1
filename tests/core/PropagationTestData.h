#pragma once
// The real VOACAP samples (deck and output) in tests/data/its-samples and the
// run of the guam sample, shared by the propagation tests.  Both samples take
// the default inputs but for an Es layer adjustment of 0.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

#include "propagation/PropagationTypes.h"

namespace tw::test {

inline QByteArray ReadSample(const QString& name) {
    QFile file(QStringLiteral(TIDEWELL_SAMPLES_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline const std::vector<float> kGuamFrequencies = {3600,  5400,  7100,  8100,  10200,
                                                    12400, 14100, 16600, 18100, 21100};
inline const PropagationPositions kGuamPositions = {38.6, -120.3, 13.5, 144.8};

// A run of ten or fewer frequencies, all in one batch, with the samples' inputs.
inline PropagationRun SampleRun(int month, int firstHour, int hourCount,
                                PropagationPositions positions, std::vector<float> frequencies,
                                float sunspotNumber) {
    PropagationInputs inputs;
    inputs.SunspotNumber = sunspotNumber;
    inputs.LayerAdjustEs = 0.0f;
    const int n = static_cast<int>(frequencies.size());
    return {ModelVoacap, month, firstHour, hourCount, positions, 1, n, frequencies, inputs, false};
}

// "voacap-guam-2h": the station at Guam, the vessel off California, June,
// SSN 150, hours 20 and 21, ten frequencies.
inline PropagationRun GuamRun() {
    return SampleRun(6, 20, 2, kGuamPositions, kGuamFrequencies, 150.0f);
}

// "voacap-3circuits-*": three circuits to the guam sample's vessel in one
// deck, from Guam (the guam sample's ten frequencies), Honolulu (five) and
// Cape Town (six).
inline std::vector<PropagationRun> ThreeCircuitRuns(int month, int firstHour, int hourCount,
                                                    float sunspotNumber) {
    const PropagationPositions vessel = kGuamPositions;
    auto from = [&](double latitude, double longitude) {
        PropagationPositions at = vessel;
        at.StationLatitude = latitude;
        at.StationLongitude = longitude;
        return at;
    };
    return {SampleRun(month, firstHour, hourCount, vessel, kGuamFrequencies, sunspotNumber),
            SampleRun(month, firstHour, hourCount, from(21.3, -157.9),
                      {3600, 7100, 10100, 14100, 18100}, sunspotNumber),
            SampleRun(month, firstHour, hourCount, from(-33.92, 18.42),
                      {7100, 10100, 14100, 18100, 21100, 24900}, sunspotNumber)};
}

// The numbers of a result: takeoff angle, delay, virtual height, signal,
// noise, SNR and SNR slope.
inline std::vector<float> Numbers(const PropagationResult& r) {
    return {r.TakeoffAngle, r.Delay, r.VirtualHeight, r.Signal, r.Noise, r.Snr, r.SnrSlope};
}

// The numbers of a path: range, both azimuths, every MUF, then every LUF.
inline std::vector<float> Numbers(const PropagationPath& p) {
    std::vector<float> numbers {p.Range, p.StationToShipAzimuth, p.StationAzimuth};
    numbers.insert(numbers.end(), p.Muf.begin(), p.Muf.end());
    numbers.insert(numbers.end(), p.Luf.begin(), p.Luf.end());
    return numbers;
}

}  // namespace tw::test
