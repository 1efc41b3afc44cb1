#pragma once
// The best connect time window on screen: renders the core's
// frmPropagationBest (caption, grid, visibility, size) and forwards the
// mouse, the hour timer and the Popup menu to it.

#include <QPointer>
#include <QWidget>

#include "common/UserInterface.h"

class QAction;
class QMenu;
class QTimer;

namespace tw {

class GridWidget;
class SnrColorKeyWidget;
class frmPropagationBest;

class frmPropagationBestWidget : public QWidget {
    Q_OBJECT
public:
    frmPropagationBestWidget(frmPropagationBest& model, const ITextMetrics& metrics,
                             QWidget* parent = nullptr);

    // The first time the window is shown, while `above` (the detailed view)
    // is visible, it opens directly below that window, left edges together
    // (else in the middle of the screen); set by the main window, which
    // knows both.
    void PlaceBelowOnFirstShow(QWidget* above) { m_above = above; }

    // For tests.
    GridWidget* grdData() const { return m_grid; }
    SnrColorKeyWidget* colorKey() const { return m_key; }
    QTimer* tmrHour() const { return m_tmrHour; }
    QMenu* mnuPopup() const { return m_mnuPopup; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    frmPropagationBest& m_model;
    const ITextMetrics& m_metrics;
    GridWidget* m_grid = nullptr;
    SnrColorKeyWidget* m_key = nullptr;
    QTimer* m_tmrHour = nullptr;
    QMenu* m_mnuPopup = nullptr;
    QAction* m_mnuPopupShort = nullptr;
    QAction* m_mnuPopupLong = nullptr;
    QAction* m_mnuPopupSnr = nullptr;
    QAction* m_mnuPopupReliability = nullptr;
    QSize m_sized;  // the size last taken from the model (pixels)
    QPointer<QWidget> m_above;  // the detailed view
    bool m_shownBefore = false;
};

}  // namespace tw
