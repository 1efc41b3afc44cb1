#pragma once
// Grid: the cell table model behind every grid of the program (the best list,
// the working grid, the views and editors).  It holds display text only, with
// per-cell alignment, bold, colours and a check-mark picture, merged equal
// cells in chosen columns, a current cell, a redraw switch, column widths and
// row heights in twips with the positions that follow the scrolling, a
// tooltip, sorting of a row range (numeric or by a comparison callback), and
// a hidden text per row that travels with it.
// A widget only renders a Grid and forwards the mouse.

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

namespace tw {

// A colour as red, green, blue: r + 256 g + 65536 b.
using Color = quint32;
constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
constexpr int ColorRed(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int ColorGreen(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColorBlue(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

// The relative luminance of a colour (0 black to 1 white) and the contrast
// ratio of two colours (1 to 21), as the accessibility guidelines for web
// content define them.
double RelativeLuminance(Color c);
double ContrastRatio(Color a, Color b);
// The text colour that reads on a background: black or white, whichever
// contrasts more (at least 4.5:1 on any background).
Color ReadableTextColor(Color back);

// Cell alignment values (vertically centred).
enum Alignment : qint16 { AlignLeft = 1, AlignCenter = 4, AlignRight = 7 };

// Cell pictures: none, the unchecked box, the checked box.
enum Picture : int { PictureNone = 0, PictureUnchecked = 1, PictureChecked = 2 };

// Sort requests: built-in numeric ascending / descending by the selected
// column, or custom through the comparison callback.
enum SortKind : int { SortNone = 0, SortNumericAscending = 3, SortNumericDescending = 4, SortCustom = 9 };

// Frames drawn around a whole column, over its cells: none, a solid frame, a
// dashed one.  A column may carry both; the dashed one is drawn on the
// column's outer edge, over the solid one's outer line.  Neither reaches the
// text: the column must be wide enough for its text and the solid frame.
enum ColFrame : int { FrameNone = 0, FrameSolid = 1, FrameDashed = 2 };

// Mouse buttons and shift keys as the grid's mouse events carry them: the
// button values may be or-ed (buttons held during a move); the shift value is
// a bit set of the keys held.
enum MouseButton : int { MouseNone = 0, MouseLeft = 1, MouseRight = 2, MouseMiddle = 4 };
enum ShiftKey : int { ShiftNone = 0, ShiftShift = 1, ShiftCtrl = 2, ShiftAlt = 4 };

class Grid : public QObject {
    Q_OBJECT
public:
    static constexpr Color kDefaultBackColor = Rgb(255, 255, 255);
    static constexpr Color kFixedBackColor = Rgb(212, 208, 200);
    static constexpr Color kDefaultForeColor = Rgb(0, 0, 0);  // the text on white
    static constexpr int kDefaultRowHeight = 240;  // twips
    static constexpr int kDefaultColWidth = 960;   // twips
    // The room a cell keeps free left and right of its text, in pixels.
    static constexpr int kTextMarginLeftPixels = 2;
    static constexpr int kTextMarginRightPixels = 3;

    explicit Grid(QObject* parent = nullptr);

    // Shape.  Growing keeps the cells present; new cells are empty.
    int Rows() const;
    void SetRows(int rows);
    int Cols() const;
    void SetCols(int cols);
    int FixedRows() const;
    void SetFixedRows(int rows);
    void AddRow();               // one empty row at the end
    void RemoveRow(int row);     // the rows below move up
    void MoveRow(int from, int to);

    // Current cell.
    int Row() const;
    void SetRow(int row);
    int Col() const;
    void SetCol(int col);

    // Cells.
    QString Text(int row, int col) const;
    void SetText(int row, int col, const QString& text);
    qint16 CellAlignment(int row, int col) const;
    void SetCellAlignment(int row, int col, qint16 alignment);
    bool Bold(int row, int col) const;
    void SetBold(int row, int col, bool bold);
    Color BackColor(int row, int col) const;   // fixed rows default to kFixedBackColor
    void SetBackColor(int row, int col, Color color);
    // The text colour follows the background: ReadableTextColor.
    Color ForeColor(int row, int col) const;
    int CellPicture(int row, int col) const;
    void SetCellPicture(int row, int col, int picture);

    // Columns and rows, sizes in twips.
    // A column or row that does not exist has size 0; a negative size set
    // gives the default.
    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);
    // The frames of a column (ColFrame bits).
    int ColFrames(int col) const;
    void SetColFrames(int col, int frames);
    bool MergeCol(int col) const;
    void SetMergeCol(int col, bool merge);
    // Whether (row, col) is drawn merged with the row above: both are
    // non-fixed rows, col is a merge column, and the two rows have equal
    // text in col and in every merge column left of it.  So a range column
    // merges only within one station's block, even when two neighbouring
    // stations happen to have the same range.  Rows of different row data
    // never merge.
    bool MergedWithAbove(int row, int col) const;
    // A text kept with a row and never shown: it moves with the row when rows
    // are sorted, moved or removed (the best list keeps each row's station
    // identifier here).  Empty for a new row.
    QString RowData(int row) const;
    void SetRowData(int row, const QString& data);
    int RowHeight(int row) const;
    // The width of all columns and the height of the first `rows` rows (all
    // of them when negative), twips: what a window needs to show the grid.
    int ColsWidth() const;
    int RowsHeight(int rows = -1) const;
    void SetRowHeight(int row, int twips);

    // Scrolling: the first scrolled (non-fixed) row and column shown.
    // Both are kept within the scrollable range: TopRow from the first
    // non-fixed row up to MaxTopRow, LeftCol from 0 up to MaxLeftCol.
    int TopRow() const;
    void SetTopRow(int row);
    int LeftCol() const;
    void SetLeftCol(int col);
    // The last top row that still fills the client area (the last row when the
    // client size is not known); the same for the left column.
    int MaxTopRow() const;
    int MaxLeftCol() const;
    // The visible client area, in twips, set by the widget.
    void SetClientSize(int widthTwips, int heightTwips);
    int ClientHeight() const;
    int ClientWidth() const;
    // A fixed row, or a scrolled row shown whole (the top row also when it is
    // taller than the client area).  Without a known client size every row
    // counts as visible.
    bool RowIsVisible(int row) const;

    // Positions relative to the grid's client area, following the scrolling.
    // A row or column scrolled out above or left has a negative position.
    int ColPos(int col) const;
    int RowPos(int row) const;

    // Redraw switch: while off, changes are not announced; switching it on announces them.
    bool Redraw() const;
    void SetRedraw(bool redraw);

    // Tooltip text of the grid.
    QString ToolTipText() const;
    void SetToolTipText(const QString& text);

    // Sorting of rows first..last (inclusive) by column col.  Numeric kinds
    // compare the leading number of the text (0 when none); the custom kind
    // calls the comparison callback with two row indexes (-1, 0, 1).  The sort
    // is stable.
    using Compare = std::function<int(int row1, int row2)>;
    void SetCompare(Compare compare);
    void Sort(int firstRow, int lastRow, int col, int kind);

signals:
    // Emitted after any change while redraw is on (and when it is switched on).
    void changed();
    // Emitted whenever the tooltip text changes.
    void toolTipChanged();

private:
    struct Cell {
        QString text;
        qint16 alignment = AlignLeft;
        bool bold = false;
        bool hasBack = false;
        Color back = kDefaultBackColor;
        int picture = PictureNone;
    };
    bool InRange(int row, int col) const;
    Cell* At(int row, int col);
    const Cell& At(int row, int col) const;
    // One field of a cell, announced when it changes; nothing outside the grid.
    template <typename T>
    void SetCell(int row, int col, T Cell::*field, const T& value);
    int FixedHeight() const;
    void Touch();

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_row = 0;
    int m_col = 0;
    int m_topRow = 0;
    int m_leftCol = 0;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    bool m_redraw = true;
    bool m_dirty = false;
    QString m_toolTip;
    QVector<QVector<Cell>> m_cells;
    QVector<int> m_colWidths;
    QVector<bool> m_mergeCols;
    QVector<int> m_colFrames;
    QVector<int> m_rowHeights;
    QVector<QString> m_rowData;
    Compare m_compare;
};

// The leading number of a text ("12.5 dB" gives 12.5, "abc" gives 0), as the
// grids' numeric sorts and the readers of cell texts take it.
double LeadingNumber(const QString& text);

// The text without its leading blanks (only " " counts as a blank).
QString TextTrimLeadingBlanks(const QString& text);

}  // namespace tw
