#pragma once
// The runs of the two real VOACAP samples (deck and output) in
// tests/data/its-samples, shared by the propagation tests.  Both samples take
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

// "voacap-honolulu-24h": the station at Honolulu, December, SSN 100, hours 0
// to 23, five frequencies.
inline PropagationRun HonoluluRun() {
    return SampleRun(12, 0, 24, {38.6, -120.3, 21.3, -157.9}, {3600, 7100, 10200, 14100, 18100},
                     100.0f);
}

}  // namespace tw::test
