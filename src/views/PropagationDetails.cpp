#include "views/PropagationDetails.h"

#include "airmail/AirMail.h"
#include "airmail/Stations.h"
#include "selection/BestList.h"
#include "selection/MainState.h"

namespace tw {

frmPropagationDetails::frmPropagationDetails(MainState& main, BestList& list, AirMail& airmail)
    : m_main(main), m_list(list), m_airmail(airmail) {
    BestGrid& best = m_main.best;
    grdFrequency.SetCompare(
        [this, &best](int row1, int row2) { return best.SortCompare(grdFrequency, row1, row2); });
    best.GridFrequencyHeader(grdFrequency, m_main.settings.m_bPropagationAdditionalData);
}

QString frmPropagationDetails::StationFromName(const QString& system, const QString& name) {
    return StationFromStationName(m_airmail, system, name);
}

bool frmPropagationDetails::Update(const QString& system, const QString& station,
                                   const QDateTime& time) {
    if (m_updating) return false;
    if (!system.isEmpty() && !station.isEmpty()) {
        m_system = system;
        m_station = station;
        m_time = time.toUTC();
        m_stationName = StationNameFromStation(m_airmail, system, station);
        caption = QString::fromLatin1(MainState::kCaption) +
                  QStringLiteral(" - Detailed Propagation Data by Frequency - ") + m_stationName +
                  QStringLiteral(" - ") + m_time.toString(QStringLiteral("hh:mm"));
    }
    if (m_system.isEmpty() || m_station.isEmpty()) return false;
    return UpdatePropagationDetails(m_system, m_station, m_time);
}

bool frmPropagationDetails::UpdatePropagationDetails(const QString& system,
                                                     const QString& station,
                                                     const QDateTime& time) {
    if (m_updating) return false;
    const ProfileReadsHeld held(m_airmail.profile());  // each file read once
    m_updating = true;
    emit changed();
    MainState& main = m_main;
    BestGrid& best = main.best;
    const Settings& settings = main.settings;
    // The views' station becomes the main window's current one, and the list
    // procedures below work on it.
    main.m_sSystem = system;
    main.m_sStation = station;
    main.m_sStationName = StationNameFromStation(m_airmail, system, station);

    grdFrequency.SetRedraw(false);
    best.GridFrequencyHeader(grdFrequency, settings.m_bPropagationAdditionalData);
    m_failure.clear();
    const int first = grdFrequency.FixedRows();
    int last = first - 1;
    bool ok = m_list.StationGetFrequencies(grdFrequency, first, last);
    if (!ok) {
        m_failure =
            QStringLiteral("The station %1 of %2 has no frequency list.").arg(station, system);
    } else if (last < first) {
        ok = false;
        m_failure = QStringLiteral("The station %1 of %2 has no frequency the programs predict for.")
                        .arg(station, system);
    } else if (m_list.evaluation().StationEvaluate(grdFrequency, first, last, time,
                                                   settings.m_bPropagationAdditionalData) !=
               StationOutcome::Evaluated) {
        ok = false;
        m_failure = QStringLiteral("The prediction for %1 of %2 failed.").arg(station, system);
    } else {
        // The user's own calls at the hour shown, as the list shows them at its own.
        m_list.LogRecordFill(grdFrequency, first, last, time, settings.m_bPropagationAdditionalData);
        // The same rules as the list's, so that the check marks agree with it
        // (the Pactor-mode rule leaves other systems than HAM as they are).
        m_list.FrequencyPactorFilter(grdFrequency, first, last);
        if (settings.m_bStationHighestFrequency)
            m_list.FrequencyHighestSelect(grdFrequency, first, last);
        else
            m_list.FrequencyTopSelect(grdFrequency, first, last);
        grdFrequency.Sort(first, last, best.m_iColFrequency, SortNumericAscending);
    }
    grdFrequency.SetTopRow(first);
    grdFrequency.SetRedraw(true);
    m_updating = false;
    emit changed();  // the window sizes itself to the grid
    return ok;
}

int frmPropagationDetails::WidthWanted() const {
    return kSizeMargin + grdFrequency.ColsWidth();
}

int frmPropagationDetails::HeightWanted() const {
    return kSizeMargin + grdFrequency.RowsHeight();
}

bool frmPropagationDetails::OnDataCell(int x, int y) const {
    const GridRowCol cell = m_main.best.GridGetRowCol(grdFrequency, x, y);
    return cell.iRow >= grdFrequency.FixedRows() && cell.iRow < grdFrequency.Rows() &&
           cell.iCol >= 1;
}

void frmPropagationDetails::grdFrequency_MouseMove(int button, int shift, int x, int y) {
    m_main.best.FrequencyMouseMove(grdFrequency, button, shift, x, y);
}

void frmPropagationDetails::grdFrequency_DblClick(int x, int y) {
    if (OnDataCell(x, y)) ShowHours();
}

void frmPropagationDetails::grdFrequency_MouseUp(int button, int, int x, int y) {
    if (button != MouseRight || !OnDataCell(x, y)) return;
    if (onFrequencyMenuPopup) onFrequencyMenuPopup(x, y);
}

void frmPropagationDetails::mnuFrequencyHours_Click() { ShowHours(); }

void frmPropagationDetails::ShowHours() {
    if (onShowHours && !m_system.isEmpty()) onShowHours(m_system, m_station, m_time);
}

}  // namespace tw
