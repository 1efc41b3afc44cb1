#pragma once
// The detailed propagation view (frmPropagationDetails): everything the
// model predicts for one station at one time, one row per frequency in
// ascending order, with the columns of the best list (range, azimuths,
// frequency, LUF-MUF, layer, takeoff angle, signal, noise, SNR and slope) and
// its check marks.  The rows are built by the best list's own procedures
// (frequencies, evaluation, the Pactor-mode and frequency rules) aimed at this
// window's grid.  The Qt window (ui/frmPropagationDetailsWidget) renders the
// grid and forwards the mouse; headless mode prints the grid.
//
// Like the main window's own views, an update makes the shown system and
// station the main window's current ones (m_sSystem, m_sStation).  The list
// and the connection process keep theirs (MainState::ListSystem), so a view of
// another system never changes what Start types into AirMail's Terminal.

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

#include "common/Grid.h"
#include "common/WindowModel.h"

namespace tw {

class AirMail;
class BestList;
class MainState;

class frmPropagationDetails : public WindowModel {
    Q_OBJECT
public:
    static constexpr int kSizeMargin = 100;  // twips around the grid

    frmPropagationDetails(MainState& main, BestList& list, AirMail& airmail);

    // --- controls ---
    QString caption = QStringLiteral("Tidewell - Detailed Propagation Data");
    Grid grdFrequency;

    // Shown or hidden; the window lives on while hidden.

    // Shows the prediction for `station` (identifier) of `system` at `time`
    // (UTC).  An empty system or station uses the remembered ones and their
    // time.  True when the grid holds the prediction; otherwise it keeps its
    // header and the rows added so far, and Failure() says why (the user has
    // been told through messages where there were any).  A request while an
    // update runs is ignored.
    bool Update(const QString& system, const QString& station, const QDateTime& time);
    // Fills the grid for the system, the station and the time.
    bool UpdatePropagationDetails(const QString& system, const QString& station,
                                  const QDateTime& time);
    QString Failure() const { return m_failure; }
    bool Updating() const { return m_updating; }

    // The station's identifier for the text of the best list's Station column
    // (a display name for SAILMAIL).
    QString StationFromName(const QString& system, const QString& name);

    QString System() const { return m_system; }
    QString Station() const { return m_station; }
    QString StationName() const { return m_stationName; }
    QDateTime Time() const { return m_time; }
    // The client size that shows the whole grid with its margin (twips).
    int WidthWanted() const;
    int HeightWanted() const;

    // --- events; (x, y) in twips relative to the grid ---
    void grdFrequency_MouseMove(int button, int shift, int x, int y);
    void grdFrequency_DblClick(int x, int y);
    void grdFrequency_MouseUp(int button, int shift, int x, int y);
    void mnuFrequencyHours_Click();

    // The 24-hour view of this window's system and station on the day of its time.
    std::function<void(const QString& system, const QString& station, const QDateTime& time)>
        onShowHours;
    // The Frequency pop-up menu at (x, y) of the grid.
    std::function<void(int x, int y)> onFrequencyMenuPopup;

private:
    bool OnDataCell(int x, int y) const;
    void ShowHours();

    MainState& m_main;
    BestList& m_list;
    AirMail& m_airmail;
    bool m_updating = false;
    QString m_system;
    QString m_station;
    QString m_stationName;
    QDateTime m_time;
    QString m_failure;
};

}  // namespace tw
