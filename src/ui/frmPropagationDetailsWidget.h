#pragma once
// The detailed propagation window on screen: renders the core's
// frmPropagationDetails (caption, grid, visibility, size) and forwards the
// mouse and the Frequency pop-up menu to it.

#include <QPointer>
#include <QWidget>

#include "common/UserInterface.h"

class QMenu;

namespace tw {

class GridWidget;
class frmPropagationDetails;

class frmPropagationDetailsWidget : public QWidget {
    Q_OBJECT
public:
    frmPropagationDetailsWidget(frmPropagationDetails& model, const ITextMetrics& metrics,
                                QWidget* parent = nullptr);

    // The first time the window is shown, while `above` (the 24-hour view) is
    // visible, it opens directly below that window, left edges together
    // (else in the middle of the screen); set by the main window.
    void PlaceBelowOnFirstShow(QWidget* above) { m_above = above; }

    // For tests.
    GridWidget* grdFrequency() const { return m_grid; }
    QMenu* mnuFrequency() const { return m_mnuFrequency; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    frmPropagationDetails& m_model;
    const ITextMetrics& m_metrics;
    GridWidget* m_grid = nullptr;
    QMenu* m_mnuFrequency = nullptr;
    QSize m_sized;  // the size last taken from the model (pixels)
    QPointer<QWidget> m_above;  // the 24-hour view
    bool m_shownBefore = false;
};

}  // namespace tw
