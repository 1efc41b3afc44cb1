#pragma once
// Renders a tw::Grid and forwards the mouse.  Sizes and positions come from
// the grid in twips and are turned into pixels with the text metrics; mouse
// positions go back as twips relative to the grid's client area (the
// viewport), buttons and shift keys as tw::MouseButton / tw::ShiftKey values.
// The vertical scroll bar moves the grid's top row, the horizontal one its
// left column.  The tooltip is the grid's ToolTipText.

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QRect>

#include <functional>

#include "common/Grid.h"
#include "common/UserInterface.h"

namespace tw {

class GridWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    GridWidget(Grid& grid, const ITextMetrics& metrics, QWidget* parent = nullptr);

    Grid& grid() const { return m_grid; }

    // Mouse events; (x, y) in twips relative to the grid.  A press sends
    // onMouseDown; a release onMouseUp and then, for the left button, onClick
    // (not for the release that ends a double click); a double click
    // onDblClick.  onMouseMove gets the buttons held.
    std::function<void(int button, int shift, int x, int y)> onMouseDown;
    std::function<void(int button, int shift, int x, int y)> onMouseUp;
    std::function<void(int button, int shift, int x, int y)> onMouseMove;
    std::function<void(int x, int y)> onClick;
    std::function<void(int x, int y)> onDblClick;
    // A key pressed while the grid has the focus; true when it was used.
    // Left and Right that are not used scroll the columns.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    // The selected row, framed across the grid (in the highlight colour while
    // the grid has the focus); without it the current cell is framed while
    // the grid has the focus.  Below 1: no row; then the focus frames the grid.
    std::function<int()> selectedRow;

    // The pixel rectangle of a cell in the viewport (merged cells not joined).
    QRect CellRect(int row, int col) const;
    // Conversions between viewport pixels and twips.
    int PixelsToTwipsX(int px) const;
    int PixelsToTwipsY(int px) const;
    int TwipsToPixelsX(int twips) const;
    int TwipsToPixelsY(int twips) const;

    // The pictures of the grid's cells: the unchecked and checked box (16 x 16).
    static QPixmap Picture(int picture);

    QSize sizeHint() const override;
    // The pixel size of a grid widget that shows `widthTwips` by `heightTwips`
    // of cells whole, with room for the scroll bars: a window resized to fit
    // its grid from a smaller size still shows them at that moment, and
    // without the room they would narrow the grid enough to stay.
    QSize FittingSize(int widthTwips, int heightTwips) const;

    // While frozen the grid shows the picture it had when it froze, greyed, and takes
    // no input: the model is being rebuilt underneath (an update).  Thawing
    // shows the model again.
    void SetFrozen(bool frozen);
    bool Frozen() const { return m_isFrozen; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void GridChanged();
    bool m_isFrozen = false;
    QPixmap m_frozen;
    void SyncScrollBars();
    void ReportClientSize();
    void RefreshToolTip(const QPoint& globalPos);
    void PaintCell(class QPainter& painter, int row, int col, const QRect& rect) const;
    void PaintFocus(class QPainter& painter) const;
    void PaintFrames(class QPainter& painter) const;

    Grid& m_grid;
    const ITextMetrics& m_metrics;
    bool m_syncing = false;
    bool m_afterDoubleClick = false;
    bool m_pressed = false;
};

}  // namespace tw
