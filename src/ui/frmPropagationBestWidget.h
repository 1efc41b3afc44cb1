#pragma once
// The best connect time window on screen: renders the core's
// frmPropagationBest (caption, grid, visibility, size) and forwards the
// mouse, the hour timer and the Popup menu to it.

#include <QWidget>

#include "common/UserInterface.h"

class QAction;
class QMenu;
class QTimer;

namespace tw {

class GridWidget;
class frmPropagationBest;

class frmPropagationBestWidget : public QWidget {
    Q_OBJECT
public:
    frmPropagationBestWidget(frmPropagationBest& model, const ITextMetrics& metrics,
                             QWidget* parent = nullptr);

    // For tests.
    GridWidget* grdData() const { return m_grid; }
    QTimer* tmrHour() const { return m_tmrHour; }
    QMenu* mnuPopup() const { return m_mnuPopup; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    frmPropagationBest& m_model;
    const ITextMetrics& m_metrics;
    GridWidget* m_grid = nullptr;
    QTimer* m_tmrHour = nullptr;
    QMenu* m_mnuPopup = nullptr;
    QAction* m_mnuPopupShort = nullptr;
    QAction* m_mnuPopupLong = nullptr;
    QSize m_sized;  // the size last taken from the model (pixels)
};

}  // namespace tw
