#pragma once
// The Ham Station tab of the options dialog on screen: the date label, the
// two grids (AirMail's HAM station file above, "FreqList.rtf" below) and the
// Check and Info buttons, rendering the core's HamStation.  The dialog adds
// it as a tab; it works as a window of its own as well.

#include <QWidget>

#include "common/UserInterface.h"

class QLabel;
class QPushButton;

namespace tw {

class GridWidget;
class HamStation;

class HamStationPage : public QWidget {
    Q_OBJECT
public:
    HamStationPage(HamStation& model, const ITextMetrics& metrics, QWidget* parent = nullptr);

    // For tests.
    QLabel* lblHamStation() const { return m_label; }
    GridWidget* grdHamStationAirMail() const { return m_gridAirMail; }
    GridWidget* grdHamStationFile() const { return m_gridFile; }
    QPushButton* cmdHamStationCheck() const { return m_check; }
    QPushButton* cmdHamStationInfo() const { return m_info; }

private:
    void Sync();

    HamStation& m_model;
    QLabel* m_label = nullptr;
    GridWidget* m_gridAirMail = nullptr;
    GridWidget* m_gridFile = nullptr;
    QPushButton* m_check = nullptr;
    QPushButton* m_info = nullptr;
};

}  // namespace tw
