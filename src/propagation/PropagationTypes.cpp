#include "propagation/PropagationTypes.h"

#include <algorithm>
#include <cmath>

namespace tw {

PropagationInputs PropagationInputsFrom(const Settings& settings, float sunspotNumber) {
    PropagationInputs in;
    in.SunspotNumber = sunspotNumber;
    in.QIndex = settings.m_fPropagationQIndex;
    in.NoiseLevel = settings.m_fPropagationNoiseLevel;
    in.TakeoffAngle = settings.m_fPropagationTakeoffAngle;
    in.Reliability = settings.m_fPropagationReliability;
    in.MultipathPower = settings.m_fPropagationMultipathPower;
    in.MultipathDelay = settings.m_fPropagationMultipathDelay;
    in.IonCoefficients = settings.m_sPropagationIonCoefficients;
    in.LayerAdjustE = settings.m_fPropagationLayerAdjustE;
    in.LayerAdjustF1 = settings.m_fPropagationLayerAdjustF1;
    in.LayerAdjustF2 = settings.m_fPropagationLayerAdjustF2;
    in.LayerAdjustEs = settings.m_fPropagationLayerAdjustEs;
    return in;
}

QString PropagationProgramFile(int model) {
    switch (model) {
        case ModelIcepac: return QStringLiteral("icepacw.exe");
        case ModelVoacap: return QStringLiteral("voacapw.exe");
        case ModelRec533: return QStringLiteral("rec533w.exe");
        default: return QString();
    }
}

QString PropagationModelName(int model) {
    switch (model) {
        case ModelIcepac: return QStringLiteral("ICEPAC");
        case ModelVoacap: return QStringLiteral("VOACAP");
        case ModelRec533: return QStringLiteral("REC533");
        default: return QString();
    }
}

namespace {

// 10 % of a normal distribution lies this many standard deviations out.
constexpr double kDecileDeviations = 1.28;

double NormalCdf(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

// The z with NormalCdf(z) = p, 0 < p < 1.
double NormalQuantile(double p) {
    double low = -10.0, high = 10.0;
    for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2;
        (NormalCdf(mid) < p ? low : high) = mid;
    }
    return (low + high) / 2;
}

}  // namespace

double ReliabilityFromSnr(double median, double lower, double upper, double required) {
    const double spread = median >= required ? lower : upper;
    if (spread <= 0) return median >= required ? 100.0 : 0.0;
    return 100.0 * NormalCdf((median - required) * kDecileDeviations / spread);
}

double ReliabilityShifted(const PropagationResult& result, double shiftDb) {
    if (result.Rel < 0) return -1.0;
    const bool spreads = result.SnrLower >= 0 && result.SnrUpper >= 0;
    if (!spreads) return shiftDb == 0.0 ? static_cast<double>(result.Rel) : -1.0;
    double median = result.SnrMedian;
    const double p = static_cast<double>(result.Rel) / 100.0;
    if (p > 0 && p < 1) {
        const double z = NormalQuantile(p);
        const double spread = z >= 0 ? result.SnrLower : result.SnrUpper;
        median = std::clamp(kRequiredSnrDb + z * spread / kDecileDeviations, median - 0.5, median + 0.5);
    }
    return ReliabilityFromSnr(median + shiftDb, result.SnrLower, result.SnrUpper);
}

void PropagationSizeTables(PropagationHours& table, PropagationPath& path, int hourCount,
                           int frequencyCount) {
    const auto hours = static_cast<std::size_t>(hourCount > 0 ? hourCount : 0);
    const auto frequencies = static_cast<std::size_t>(frequencyCount > 0 ? frequencyCount : 0);
    if (table.size() < hours) table.resize(hours);
    for (auto& row : table) {
        if (row.size() < frequencies) row.resize(frequencies);
    }
    if (path.Muf.size() < hours) path.Muf.resize(hours, 0.0f);
    if (path.Luf.size() < hours) path.Luf.resize(hours, 0.0f);
}

}  // namespace tw
