#pragma once
// The 24-hour propagation window on screen: renders the core's
// frmPropagationHours (caption, grid, visibility, size) and forwards the
// mouse, the hour timer and the Data pop-up menu to it.

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
    QSize m_sized;  // the size last taken from the model (pixels)
};

}  // namespace tw
