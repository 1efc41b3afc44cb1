#pragma once
// The settings record: every user option of the program, with its default,
// kept in the profile file "Tidewell.Ini" beside the executable.

#include <QString>

namespace tw {

// The in-class values are the defaults; Initialize() restores them.
struct Settings {
    QString m_sAirMailDirectoryData = QStringLiteral("C:\\Program Files\\AirMail");
    QString m_sAirMailDirectoryProgram = QStringLiteral("C:\\Program Files\\AirMail");
    bool m_bAirMailLatLonCheck = true;
    qint32 m_iAirMailLatLonCheckDays = 7;
    bool m_bAirMailLatLonEdit = false;
    bool m_bAirMailLatLonEditPrompt = true;
    bool m_bAirMailLastConnectCheck = true;
    qint32 m_iAirMailLastConnectCheckMinutes = 15;
    bool m_bAirMailResize = true;
    bool m_bAirMailStartup = true;
    bool m_bAirMailStationCheck = false;
    QString m_sProfileFile;  // program folder + "\\Tidewell.Ini", set by Initialize
    bool m_bPropagationAdditionalData = false;
    // Put every station's circuits into one program run where the model's
    // program reads such decks (VOACAP); off: one run per station.
    bool m_bPropagationCombinedRuns = true;
    // Rebuild the list by itself when the UTC hour turns (the main window).
    bool m_bPropagationHourlyRefresh = true;
    QString m_sPropagationIonCoefficients = QStringLiteral("URSI");
    float m_fPropagationLayerAdjustE = 1.0f;
    float m_fPropagationLayerAdjustEs = 0.7f;
    float m_fPropagationLayerAdjustF1 = 1.0f;
    float m_fPropagationLayerAdjustF2 = 1.0f;
    qint32 m_iPropagationModel = 3;
    float m_fPropagationMultipathDelay = 10.0f;
    float m_fPropagationMultipathPower = 0.0f;
    float m_fPropagationNoiseLevel = -145.0f;
    float m_fPropagationQIndex = 3.0f;
    float m_fPropagationReliability = 50.0f;
    bool m_bPropagationSunSpotNumber = true;
    float m_fPropagationSunSpotNumber = 170.0f;
    float m_fPropagationTakeoffAngle = 10.0f;
    float m_fPropagationTimeShift = 0.0f;
    bool m_bRadioFrequency = false;
    bool m_bStationAllStations = false;
    bool m_bStationHighestFrequency = true;
    float m_fStationHighestSnrRange = 3.0f;
    // Rank the stations by the chance of a connection, the prediction's
    // reliability weighed with the user's own calls in AirMail's log.
    bool m_bStationHistoryRanking = false;
    // The days of AirMail's log that count for the Log column, that ranking
    // and the 24-hour view's Log.
    qint32 m_iStationHistoryDays = 60;
    // The connection process: after a call without answer, the station's
    // other rows wait for the next round.
    bool m_bStationNextAfterNoAnswer = false;
    bool m_bStationOffset = false;
    qint32 m_iStationPactorMode = 0;
    qint32 m_iStationTopFrequencies = 1;
    qint32 m_iStationTopStations = 5;
};

// Propagation models (m_iPropagationModel).
enum PropagationModel : qint32 { ModelIcepac = 1, ModelVoacap = 2, ModelRec533 = 3 };

}  // namespace tw
