#include "ui/GridWidget.h"

#include <QStyle>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

constexpr int kPicturePixels = 16;

QColor ToQColor(Color c) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c)); }

int ButtonValue(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return MouseLeft;
    case Qt::RightButton: return MouseRight;
    case Qt::MiddleButton: return MouseMiddle;
    default: return MouseNone;
    }
}

int ButtonsValue(Qt::MouseButtons buttons) {
    int value = MouseNone;
    if (buttons & Qt::LeftButton) value |= MouseLeft;
    if (buttons & Qt::RightButton) value |= MouseRight;
    if (buttons & Qt::MiddleButton) value |= MouseMiddle;
    return value;
}

int ShiftValue(Qt::KeyboardModifiers modifiers) {
    int value = ShiftNone;
    if (modifiers & Qt::ShiftModifier) value |= ShiftShift;
    if (modifiers & Qt::ControlModifier) value |= ShiftCtrl;
    if (modifiers & Qt::AltModifier) value |= ShiftAlt;
    return value;
}

// The check-box pictures, drawn at (x, y) in 16 x 16 pixels: a white box with
// a dark frame, with a tick when checked.
void DrawPicture(QPainter& painter, int x, int y, int picture) {
    if (picture != PictureUnchecked && picture != PictureChecked) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect box(x + 2, y + 2, 12, 12);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    if (picture == PictureChecked) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[3] = {QPointF(x + 4.5, y + 8.0), QPointF(x + 7.0, y + 10.5), QPointF(x + 11.5, y + 5.0)};
        painter.drawPolyline(tick, 3);
    }
    painter.restore();
}

// The frozen picture of a grid being rebuilt: in shades of grey, washed
// towards the background, so that the old rows read as out of date.
QPixmap Greyed(const QPixmap& picture, const QColor& wash) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    QColor veil = wash;
    veil.setAlphaF(0.4f);
    painter.fillRect(image.rect(), veil);
    painter.end();
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

}  // namespace

GridWidget::GridWidget(Grid& grid, const ITextMetrics& metrics, QWidget* parent)
    : QAbstractScrollArea(parent), m_grid(grid), m_metrics(metrics) {
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    connect(&m_grid, &Grid::changed, this, &GridWidget::GridChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncing) m_grid.SetTopRow(value);
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncing) m_grid.SetLeftCol(value);
    });
    SyncScrollBars();
}

// ---- conversions -------------------------------------------------------

int GridWidget::PixelsToTwipsX(int px) const { return px * m_metrics.TwipsPerPixelX(); }
int GridWidget::PixelsToTwipsY(int px) const { return px * m_metrics.TwipsPerPixelY(); }

int GridWidget::TwipsToPixelsX(int twips) const {
    return static_cast<int>(std::lround(static_cast<double>(twips) / std::max(1, m_metrics.TwipsPerPixelX())));
}

int GridWidget::TwipsToPixelsY(int twips) const {
    return static_cast<int>(std::lround(static_cast<double>(twips) / std::max(1, m_metrics.TwipsPerPixelY())));
}

QRect GridWidget::CellRect(int row, int col) const {
    if (row < 0 || row >= m_grid.Rows() || col < 0 || col >= m_grid.Cols()) return {};
    const int x0 = TwipsToPixelsX(m_grid.ColPos(col));
    const int x1 = TwipsToPixelsX(m_grid.ColPos(col) + m_grid.ColWidth(col));
    const int y0 = TwipsToPixelsY(m_grid.RowPos(row));
    const int y1 = TwipsToPixelsY(m_grid.RowPos(row) + m_grid.RowHeight(row));
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

QPixmap GridWidget::Picture(int picture) {
    QPixmap pixmap(kPicturePixels, kPicturePixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    DrawPicture(painter, 0, 0, picture);
    return pixmap;
}

QSize GridWidget::FittingSize(int widthTwips, int heightTwips) const {
    const int extra = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return QSize(widthTwips / std::max(1, m_metrics.TwipsPerPixelX()) + extra,
                 heightTwips / std::max(1, m_metrics.TwipsPerPixelY()) + extra);
}

QSize GridWidget::sizeHint() const {
    const int width = m_grid.ColsWidth();
    const int height = m_grid.RowsHeight(10);
    return QSize(TwipsToPixelsX(width) + 2 * frameWidth() + verticalScrollBar()->sizeHint().width(),
                 TwipsToPixelsY(height) + 2 * frameWidth());
}

// ---- model changes -----------------------------------------------------

void GridWidget::SetFrozen(bool frozen) {
    if (frozen == m_isFrozen) return;
    m_frozen = frozen ? Greyed(viewport()->grab(), palette().color(QPalette::Window)) : QPixmap();
    m_isFrozen = frozen;
    setEnabled(!frozen);
    if (!frozen) GridChanged();
}

void GridWidget::GridChanged() {
    if (m_isFrozen) return;  // shown when thawed
    SyncScrollBars();
    viewport()->update();
}

void GridWidget::SyncScrollBars() {
    m_syncing = true;
    const int fixed = m_grid.FixedRows();
    QScrollBar* v = verticalScrollBar();
    v->setRange(fixed, std::max(fixed, m_grid.MaxTopRow()));
    const int rowsShown = m_grid.ClientHeight() / Grid::kDefaultRowHeight - fixed;
    v->setPageStep(std::max(1, rowsShown));
    v->setValue(m_grid.TopRow());
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, m_grid.Cols() > 0 ? m_grid.MaxLeftCol() : 0);
    h->setPageStep(1);
    h->setValue(m_grid.LeftCol());
    m_syncing = false;
}

void GridWidget::ReportClientSize() {
    m_grid.SetClientSize(PixelsToTwipsX(viewport()->width()), PixelsToTwipsY(viewport()->height()));
}

void GridWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    ReportClientSize();
    SyncScrollBars();
}

// ---- painting ----------------------------------------------------------

void GridWidget::PaintCell(QPainter& painter, int row, int col, const QRect& rect) const {
    const bool fixed = row < m_grid.FixedRows();
    painter.fillRect(rect, ToQColor(m_grid.BackColor(row, col)));

    painter.setPen(fixed ? QColor(128, 128, 128) : QColor(192, 192, 192));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());

    // The picture sits at the cell's top left corner, where the mouse finds it.
    DrawPicture(painter, rect.left(), rect.top(), m_grid.CellPicture(row, col));

    const QString text = m_grid.Text(row, col);
    if (text.isEmpty()) return;
    QFont font = this->font();
    font.setBold(m_grid.Bold(row, col));
    painter.setFont(font);
    painter.setPen(ToQColor(m_grid.ForeColor(row, col)));
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    switch (m_grid.CellAlignment(row, col)) {
    case AlignCenter: flags |= Qt::AlignHCenter; break;
    case AlignRight: flags |= Qt::AlignRight; break;
    default: flags |= Qt::AlignLeft; break;
    }
    painter.drawText(rect.adjusted(Grid::kTextMarginLeftPixels, 0, -Grid::kTextMarginRightPixels, -1), flags, text);
}

void GridWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    if (m_isFrozen) {
        painter.fillRect(viewport()->rect(), palette().color(QPalette::Mid));
        painter.drawPixmap(0, 0, m_frozen);
        return;
    }
    const int width = viewport()->width();
    const int height = viewport()->height();
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Mid));

    const int rows = m_grid.Rows();
    const int cols = m_grid.Cols();
    const int fixed = m_grid.FixedRows();
    const int top = m_grid.TopRow();
    const int left = m_grid.LeftCol();

    auto rowTop = [&](int r) { return TwipsToPixelsY(m_grid.RowPos(r)); };
    auto rowBottom = [&](int r) { return TwipsToPixelsY(m_grid.RowPos(r) + m_grid.RowHeight(r)); };

    auto paintRow = [&](int r, bool mergeDown) {
        for (int c = left; c < cols; ++c) {
            const int x0 = TwipsToPixelsX(m_grid.ColPos(c));
            if (x0 >= width) break;
            const int x1 = TwipsToPixelsX(m_grid.ColPos(c) + m_grid.ColWidth(c));
            if (x1 <= x0) continue;
            int last = r;
            if (mergeDown) {
                // Drawn by the first row of its merged run (or the top row shown).
                if (r != top && m_grid.MergedWithAbove(r, c)) continue;
                while (last + 1 < rows && m_grid.MergedWithAbove(last + 1, c) && rowTop(last + 1) < height) ++last;
            }
            PaintCell(painter, r, c, QRect(QPoint(x0, rowTop(r)), QPoint(x1 - 1, rowBottom(last) - 1)));
        }
    };

    // Scrolled rows first, kept below the fixed ones.
    const int fixedBottom = fixed > 0 ? rowBottom(fixed - 1) : 0;
    painter.save();
    painter.setClipRect(QRect(0, fixedBottom, width, std::max(0, height - fixedBottom)));
    for (int r = top; r < rows; ++r) {
        if (rowTop(r) >= height) break;
        paintRow(r, true);
    }
    painter.restore();
    for (int r = 0; r < fixed; ++r) paintRow(r, false);

    PaintFrames(painter);
    PaintFocus(painter);
}

// The column frames, from the header to the last row shown: a dark line with
// a light one inside, so that the frame shows on light and dark cells alike.
void GridWidget::PaintFrames(QPainter& painter) const {
    if (m_grid.Rows() <= 0) return;
    const int bottom = std::min(viewport()->height(),
                                TwipsToPixelsY(m_grid.RowPos(m_grid.Rows() - 1) +
                                               m_grid.RowHeight(m_grid.Rows() - 1)));
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (int c = m_grid.LeftCol(); c < m_grid.Cols(); ++c) {
        const int frames = m_grid.ColFrames(c);
        const int x0 = TwipsToPixelsX(m_grid.ColPos(c));
        const int x1 = TwipsToPixelsX(m_grid.ColPos(c) + m_grid.ColWidth(c));
        if (frames == FrameNone || x1 - x0 < 8) continue;
        const QRect column(QPoint(x0, 0), QPoint(x1 - 1, bottom - 1));
        if (frames & FrameSolid) {
            painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawRect(QRectF(column).adjusted(1, 1, -1, -1));
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(column.adjusted(2, 2, -3, -3));
        }
        if (frames & FrameDashed) {
            // On the column's outer edge, where no text reaches (the cells
            // keep their margins; the header's digits fill its height), over
            // the solid frame's outer line when the column has both.
            const QRect edge = column.adjusted(0, 0, -1, -1);
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(edge);
            painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            painter.drawRect(edge);
        }
    }
    painter.restore();
}

void GridWidget::PaintFocus(QPainter& painter) const {
    const int rows = m_grid.Rows();
    const int cols = m_grid.Cols();
    painter.setBrush(Qt::NoBrush);
    if (!selectedRow) {
        // The current cell, while the grid has the focus.
        if (!hasFocus() || m_grid.Row() >= rows || m_grid.Col() >= cols || !m_grid.RowIsVisible(m_grid.Row())) return;
        const QRect cell = CellRect(m_grid.Row(), m_grid.Col());
        if (cell.width() <= 1 || cell.height() <= 1) return;
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        painter.drawRect(cell.adjusted(1, 1, -2, -2));
        return;
    }
    // The selected row, framed across the columns shown; the cells keep their
    // colours, which carry meaning.  With the focus the frame is two pixels in
    // the highlight colour, without it one dotted pixel.
    const int row = selectedRow();
    const QColor highlight = palette().color(QPalette::Highlight);
    if (row >= m_grid.FixedRows() && row < rows && m_grid.RowIsVisible(row)) {
        int right = 0;
        for (int c = m_grid.LeftCol(); c < cols; ++c)
            right = std::max(right, TwipsToPixelsX(m_grid.ColPos(c) + m_grid.ColWidth(c)));
        right = std::min(right, viewport()->width());
        const int top = TwipsToPixelsY(m_grid.RowPos(row));
        const int bottom = TwipsToPixelsY(m_grid.RowPos(row) + m_grid.RowHeight(row));
        const QRect band(QPoint(0, top), QPoint(right - 1, bottom - 1));
        if (hasFocus()) {
            painter.setPen(QPen(highlight, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawRect(QRectF(band).adjusted(1, 1, -1, -1));
        } else {
            painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
            painter.drawRect(band.adjusted(0, 0, -1, -1));
        }
    } else if (hasFocus()) {
        painter.setPen(QPen(highlight, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
    }
}

// ---- keyboard ----------------------------------------------------------

void GridWidget::keyPressEvent(QKeyEvent* event) {
    if (onKeyDown && onKeyDown(event->key(), event->modifiers())) {
        viewport()->update();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        m_grid.SetLeftCol(m_grid.LeftCol() + (event->key() == Qt::Key_Left ? -1 : 1));
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void GridWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void GridWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- mouse and tooltip -------------------------------------------------

void GridWidget::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    m_afterDoubleClick = false;
    const QPoint p = event->position().toPoint();
    if (onMouseDown) onMouseDown(ButtonValue(event->button()), ShiftValue(event->modifiers()), PixelsToTwipsX(p.x()), PixelsToTwipsY(p.y()));
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int x = PixelsToTwipsX(p.x());
    const int y = PixelsToTwipsY(p.y());
    const bool click = m_pressed && !m_afterDoubleClick && event->button() == Qt::LeftButton &&
                       viewport()->rect().contains(p);
    m_pressed = false;
    m_afterDoubleClick = false;
    if (onMouseUp) onMouseUp(ButtonValue(event->button()), ShiftValue(event->modifiers()), x, y);
    if (click && onClick) onClick(x, y);
    viewport()->update();  // the selection may have moved
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    m_pressed = true;
    m_afterDoubleClick = true;
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    if (onDblClick) onDblClick(PixelsToTwipsX(p.x()), PixelsToTwipsY(p.y()));
}

void GridWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (onMouseMove) onMouseMove(ButtonsValue(event->buttons()), ShiftValue(event->modifiers()), PixelsToTwipsX(p.x()), PixelsToTwipsY(p.y()));
    RefreshToolTip(event->globalPosition().toPoint());
}

// A tooltip already shown follows the grid's text as the mouse moves on.
void GridWidget::RefreshToolTip(const QPoint& globalPos) {
    if (!QToolTip::isVisible()) return;
    const QString text = m_grid.ToolTipText();
    if (text.isEmpty())
        QToolTip::hideText();
    else if (QToolTip::text() != text)
        QToolTip::showText(globalPos, text, viewport());
}

bool GridWidget::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = m_grid.ToolTipText();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, viewport());
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace tw
