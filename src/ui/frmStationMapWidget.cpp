#include "ui/frmStationMapWidget.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/ScreenPlacement.h"
#include "ui/StationMapPainter.h"
#include "views/StationMap.h"

namespace tw {

frmStationMapWidget::frmStationMapWidget(frmStationMap& model, const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setObjectName(QStringLiteral("frmStationMap"));
    setMouseTracking(true);
    setMinimumSize(240, 240);
    resize(700, 700);
    connect(&m_model, &frmStationMap::changed, this, &frmStationMapWidget::Sync);
    Sync();
}

void frmStationMapWidget::Sync() {
    setWindowTitle(m_model.caption);
    if (m_model.Visible() && !isVisible()) {
        QWidget* like = parentWidget() ? parentWidget()->window() : nullptr;
        if (!m_shownBefore && m_model.WindowStateNormal()) {
            // Where it was left last time (the profile), kept on the screen.
            m_shownBefore = true;
            SetFrameOnScreen(this,
                             QRect(m_model.WindowLeft() / m_metrics.TwipsPerPixelX(),
                                   m_model.WindowTop() / m_metrics.TwipsPerPixelY(),
                                   m_model.WindowWidth() / m_metrics.TwipsPerPixelX(),
                                   m_model.WindowHeight() / m_metrics.TwipsPerPixelY()),
                             like);
        } else {
            PlaceOnShow(this, nullptr, m_shownBefore);
        }
    }
    if (m_model.Visible() != isVisible()) {
        setVisible(m_model.Visible());
        ReportFrame();
    }
    // The stations may have changed under the mouse.
    m_hovered = -1;
    setToolTip(QString());
    update();
}

int frmStationMapWidget::StationAtPixel(QPointF pixel) const {
    const MapFrame frame = MapFrameFor(width(), height());
    return m_model.StationAt(frame.PointAt(pixel.x(), pixel.y()),
                             (StationMapDotRadius(size()) + 3.0) / frame.radius);
}

void frmStationMapWidget::SetHovered(int index) {
    if (index == m_hovered) return;
    m_hovered = index;
    setToolTip(m_model.StationToolTip(index));
    update();
}

void frmStationMapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintStationMap(painter, size(), m_model, m_hovered);
}

void frmStationMapWidget::mouseMoveEvent(QMouseEvent* event) {
    // Qt shows the tooltip when the mouse rests; it follows the station under it.
    SetHovered(StationAtPixel(event->position()));
    if (m_hovered < 0) QToolTip::hideText();
}

void frmStationMapWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_model.StationClick(StationAtPixel(event->position()));
}

void frmStationMapWidget::leaveEvent(QEvent*) { SetHovered(-1); }

void frmStationMapWidget::ReportFrame() {
    if (!isVisible() || (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect frame = frameGeometry();
    m_model.SetWindowLeft(frame.x() * m_metrics.TwipsPerPixelX());
    m_model.SetWindowTop(frame.y() * m_metrics.TwipsPerPixelY());
    m_model.SetWindowWidth(frame.width() * m_metrics.TwipsPerPixelX());
    m_model.SetWindowHeight(frame.height() * m_metrics.TwipsPerPixelY());
}

void frmStationMapWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    ReportFrame();
}

void frmStationMapWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ReportFrame();
}

// Closing only hides: the window lives on for the next time.
void frmStationMapWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

}  // namespace tw
