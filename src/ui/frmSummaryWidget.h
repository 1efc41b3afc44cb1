#pragma once
// The connection history window on screen: renders the core's frmSummary
// (the range's two dates, Update, the report list, the station grid) and
// forwards Update.  Closing only hides it; it is made again only with the
// main window.

#include <QWidget>

#include "views/Summary.h"

class QDateEdit;
class QListWidget;
class QPushButton;

namespace tw {

class GridWidget;

class frmSummaryWidget : public QWidget {
    Q_OBJECT
public:
    frmSummaryWidget(frmSummary& model, const ITextMetrics& metrics, QWidget* parent = nullptr);

    // For tests: the widgets by their control names.
    QDateEdit* dtStart() const { return m_dtStart; }
    QDateEdit* dtStop() const { return m_dtStop; }
    QPushButton* cmdUpdate() const { return m_cmdUpdate; }
    QListWidget* lstSummary() const { return m_lstSummary; }
    GridWidget* grdStations() const { return m_grdStations; }

    // Shows the model anew and brings the window up (centred the first time).
    void ShowRequested();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Sync();

    frmSummary& m_model;
    QDateEdit* m_dtStart = nullptr;
    QDateEdit* m_dtStop = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QListWidget* m_lstSummary = nullptr;
    GridWidget* m_grdStations = nullptr;
    bool m_placed = false;
};

}  // namespace tw
