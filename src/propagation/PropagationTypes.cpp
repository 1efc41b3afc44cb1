#include "propagation/PropagationTypes.h"

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
