#pragma once
// The station map window: paints the core's frmStationMap, shows a station's
// details while the mouse rests on it, selects its row in the list on a
// click, and tells the model its frame (kept in the profile).

#include <QWidget>

#include "common/UserInterface.h"

namespace tw {

class frmStationMap;

class frmStationMapWidget : public QWidget {
    Q_OBJECT
public:
    frmStationMapWidget(frmStationMap& model, const ITextMetrics& metrics, QWidget* parent = nullptr);

    // The station under the mouse; -1 for none.
    int Hovered() const { return m_hovered; }
    // The station whose dot is at a point of the window; -1 for none.
    int StationAtPixel(QPointF pixel) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();
    void ReportFrame();
    void SetHovered(int index);

    frmStationMap& m_model;
    const ITextMetrics& m_metrics;
    int m_hovered = -1;
    bool m_shownBefore = false;
};

}  // namespace tw
