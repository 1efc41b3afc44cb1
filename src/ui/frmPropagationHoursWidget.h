#pragma once
// The 24-hour propagation window on screen: renders the core's
// frmPropagationHours (caption, grid, visibility, size) and forwards the
// mouse, the hour timer and the Data pop-up menu to it.

#include <QPointer>
#include <QWidget>

#include "common/UserInterface.h"

class QAction;
class QMenu;
class QTimer;

namespace tw {

class GridWidget;
class SnrColorKeyWidget;
class frmPropagationHours;

class frmPropagationHoursWidget : public QWidget {
    Q_OBJECT
public:
    frmPropagationHoursWidget(frmPropagationHours& model, const ITextMetrics& metrics,
                              QWidget* parent = nullptr);

    // The first time the window is shown, while `above` (the detailed view) is
    // visible, it opens directly below that window, left edges together
    // (else in the middle of the screen); set by the main window.
    void PlaceBelowOnFirstShow(QWidget* above) { m_above = above; }

    // For tests.
    GridWidget* grdData() const { return m_grid; }
    SnrColorKeyWidget* colorKey() const { return m_key; }
    QTimer* tmrHour() const { return m_tmrHour; }
    QMenu* mnuData() const { return m_mnuData; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    frmPropagationHours& m_model;
    const ITextMetrics& m_metrics;
    GridWidget* m_grid = nullptr;
    SnrColorKeyWidget* m_key = nullptr;
    QTimer* m_tmrHour = nullptr;
    QMenu* m_mnuData = nullptr;
    QAction* m_mnuDataSnr = nullptr;
    QAction* m_mnuDataReliability = nullptr;
    QAction* m_mnuDataLog = nullptr;
    QSize m_sized;  // the size last taken from the model (pixels)
    QPointer<QWidget> m_above;  // the detailed view
    bool m_shownBefore = false;
};

}  // namespace tw
