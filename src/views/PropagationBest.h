#pragma once
// The best connect time view (frmPropagationBest): for every station of the
// current AirMail system the best predicted SNR of each UTC hour of the day,
// coloured by its strength (SnrColor).  The long form has one row per station
// (its label, its range and each hour's best frequency); the short form folds
// all stations into one row, "Snr".  The current hour's column is marked
// (HighlightHourHeader) and follows the clock.  The Qt window
// (ui/frmPropagationBestWidget) renders the grid and forwards the mouse, the
// timer and the pop-up menu; headless mode prints the grid.
//
// Placement: the window would sit directly below the detailed view, which
// this build does not have; it opens where the window system puts it.

#include <QObject>
#include <QString>

#include <functional>

#include "common/Controls.h"
#include "common/WindowModel.h"
#include "common/Grid.h"
#include "common/UserInterface.h"
#include "views/PropagationHours.h"

namespace tw {

class AirMail;
class MainState;
class Position;

class frmPropagationBest : public WindowModel {
    Q_OBJECT
public:
    static constexpr int kCols = 50;
    static constexpr int kColLabel = 0;
    static constexpr int kColRange = 1;
    static constexpr int kColFirstHour = 2;     // hour h in column h + 2
    static constexpr int kColFirstOffset = 26;  // the offset of column c in c + 24
    static constexpr int kSizeMargin = 110;     // twips around the grid
    static constexpr const char* kCaption =
        "Tidewell - Best Connect Time - SNR by Hour (bigger is better)";
    static constexpr const char* kCaptionReliability =
        "Tidewell - Best Connect Time - Reliability by Hour (%)";

    frmPropagationBest(MainState& main, const ITextMetrics& metrics, AirMail& airmail,
                       Position& position, PropagationGetHoursFunction propagationGetHours);

    // --- controls ---
    QString caption = QString::fromLatin1(kCaption);
    Grid grdData;
    TimerControl tmrHour;
    // The pop-up menu's ticks: "Short Form", "Long Form".
    bool mnuPopupShortChecked = false;
    bool mnuPopupLongChecked = false;


    // Rebuilds the grid for every station of `system`, one row per station
    // (bLong) or all folded into one.  The main window's status bar shows the
    // station in hand and how far the run is.  True when every station was
    // predicted; otherwise the grid keeps the stations done so far and
    // Failure() says why (the user has been told through messages where there
    // were any).  A request while an update runs, here or elsewhere
    // (othersBusy), is ignored and gives false.
    // A run that cannot be made at all (no system, no position, no station,
    // no frequency left to predict for) leaves the grid empty and says why
    // in a message whose text Failure() gives.
    bool Update(const QString& system, bool bLong);
    QString Failure() const { return m_failure; }
    // Whether the message of Failure() has been shown.
    bool FailureTold() const { return m_failureTold; }
    bool Updating() const { return m_updating; }
    // Another update running programs on the same working files.
    std::function<bool()> othersBusy;
    // The combined run of all stations' circuits before the stations are
    // predicted one by one (empty: one run per station).
    PropagationPrepareHoursFunction PropagationPrepareHours;

    QString System() const { return m_system; }
    bool LongForm() const { return m_long; }
    int HourCol() const { return m_hourCol; }
    // The client size that shows the whole grid with its margin (twips).
    int WidthWanted() const;
    int HeightWanted() const;

    // --- events; (x, y) in twips relative to the grid ---
    void tmrHour_Timer();
    void grdData_MouseMove(int button, int shift, int x, int y);
    void grdData_MouseUp(int button, int shift, int x, int y);
    void mnuPopupShort_Click() { Update(m_system, false); }
    void mnuPopupLong_Click() { Update(m_system, true); }
    // The menu's "SNR" and "Reliability": what the cells show, the grid
    // built again.
    HourValues Values() const { return m_values; }
    void SetValues(HourValues values) { m_values = values; }
    void mnuPopupValues_Click(HourValues values) {
        m_values = values;
        Update(m_system, m_long);
    }

    // The Popup menu at (x, y) of the grid.
    std::function<void(int x, int y)> onPopup;

private:
    void Layout();
    // The grid emptied and the message: false.
    bool Cannot(const QString& why);
    bool AddFrequencies(const QString& station);
    void PactorFilter(int first);
    // `time` shifted by m_fPropagationTimeShift hours.
    QDateTime PropagationShifted(const QDateTime& time) const;
    // The stations' circuits for a combined run, read without messages; a
    // station whose frequencies or position cannot be had is left out.
    std::vector<PropagationRequest> StationRequests(const QStringList& stations,
                                                    const PropagationPositions& own);
    bool FillPrediction(const QString& station, int first);
    void Fold(int first, const QString& label);
    void HighlightHour(int col);

    MainState& m_main;
    const ITextMetrics& m_metrics;
    AirMail& m_airmail;
    Position& m_position;
    PropagationGetHoursFunction m_propagationGetHours;
    bool m_updating = false;
    bool m_long = false;
    HourValues m_values = HourValues::Snr;
    QString m_system;
    int m_hourCol = -1;
    QString m_failure;
    bool m_failureTold = false;
    int m_mouseRow = -2;
    int m_mouseCol = -2;
};

}  // namespace tw
