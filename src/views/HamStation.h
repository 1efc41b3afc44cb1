#pragma once
// The Ham Station tab of the options dialog: AirMail's two lists of the
// amateur radio stations compared, the "HAM" system file (the one AirMail
// connects with) and the station directory "FreqList.rtf" (read through the
// station information window's readers).  Each grid lists one row per
// frequency group of a station (Station, Tx Rc, Frequency); the rows both
// lists share are removed, so what is left in the upper grid is only in
// AirMail's system file and what is left in the lower grid only in the
// directory.  A click on a station remembers it for "Info", which opens the
// station information window on it (a double click opens it at once).
// The Qt page (ui/HamStationPage) renders these models.

#include <QDateTime>
#include <QObject>
#include <QString>

#include "common/Controls.h"
#include "common/Grid.h"
#include "common/UserInterface.h"

namespace tw {

class AirMail;
class MainState;
class frmStationInfo;

// The date label's text: "Last Modified:  mm/dd/yyyy" ("/" separates the
// parts whatever the locale), "Last Modified:  N/A" for an invalid date.
QString HamStationDateText(const QDateTime& date);

class HamStation : public QObject {
    Q_OBJECT
public:
    static constexpr int kColStation = 0;
    static constexpr int kColTxRc = 1;
    static constexpr int kColFrequency = 2;

    HamStation(MainState& main, const ITextMetrics& metrics, AirMail& airmail,
               frmStationInfo& stationInfo);

    // --- controls ---
    Control lblHamStation;
    Grid grdHamStationAirMail;
    Grid grdHamStationFile;
    Control cmdHamStationCheck;
    Control cmdHamStationInfo;
    bool cmdHamStationInfoVisible = false;
    // The station last clicked in either grid.
    QString Station() const { return m_station; }

    // --- procedures ---
    // The tab's load step: with headerOnly only the date label, otherwise the
    // whole check.  False when AirMail's system file could not be read (the
    // check went on without it).
    bool HamStationLoad(bool headerOnly);
    // Rows from AirMail's system file "System.<system>.ini"; false after a
    // message when it cannot be read (the check goes on).
    bool HamStationGetAirmail(Grid& grid, const QString& system);
    // Rows from "FreqList.rtf".
    void HamStationGetFile(Grid& grid);
    // Removes the rows the two grids share; "No Errors" in both when nothing
    // is left.
    void HamStationCompare(Grid& a, Grid& b);

    // --- events; (x, y) in twips relative to the grid ---
    void cmdHamStationCheck_Click() { HamStationLoad(false); }
    void cmdHamStationInfo_Click();
    void grdHamStation_Click(Grid& grid, int x, int y);
    void grdHamStation_DblClick(Grid& grid, int x, int y);
    // The same by cell (headless use and tests).
    void StationClick(Grid& grid, int row, int col);

signals:
    // The label, the Info button or the remembered station changed.
    void changed();

private:
    void GridReset(Grid& grid);
    void AppendRow(Grid& grid, const QString& station, int group, const QString& frequencies);
    void WidenFrequency(Grid& grid, const QString& text);
    void OpenStation();

    MainState& m_main;
    const ITextMetrics& m_metrics;
    AirMail& m_airmail;
    frmStationInfo& m_stationInfo;
    QString m_station;
};

}  // namespace tw
