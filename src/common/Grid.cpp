#include "common/Grid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace tw {

namespace {

// Stable merge sort of the indexes by a "less" that may be inconsistent (a
// faulty comparison callback): every access stays inside the vector whatever
// the answers are.
template <typename Less>
void StableMergeSort(std::vector<int>& items, Less less) {
    const std::size_t n = items.size();
    std::vector<int> buffer(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                // Take from the right only when it is strictly less: stable.
                if (less(items[j], items[i]))
                    buffer[k++] = items[j++];
                else
                    buffer[k++] = items[i++];
            }
            while (i < mid) buffer[k++] = items[i++];
            while (j < hi) buffer[k++] = items[j++];
        }
        items.swap(buffer);
    }
}

}  // namespace

Grid::Grid(QObject* parent) : QObject(parent) {}

// ---- shape -------------------------------------------------------------

int Grid::Rows() const { return m_rows; }

void Grid::SetRows(int rows) {
    rows = std::max(0, rows);
    if (rows == m_rows) return;
    m_cells.resize(rows);
    for (int r = m_rows; r < rows; ++r) m_cells[r] = QVector<Cell>(m_cols);
    m_rowHeights.resize(rows);
    for (int r = m_rows; r < rows; ++r) m_rowHeights[r] = kDefaultRowHeight;
    m_rowData.resize(rows);
    for (int r = m_rows; r < rows; ++r) m_rowData[r].clear();
    m_rows = rows;
    if (m_row >= m_rows) m_row = std::max(0, m_rows - 1);
    Touch();
}

int Grid::Cols() const { return m_cols; }

void Grid::SetCols(int cols) {
    cols = std::max(0, cols);
    if (cols == m_cols) return;
    for (auto& row : m_cells) row.resize(cols);
    m_colWidths.resize(cols);
    m_mergeCols.resize(cols);
    m_colFrames.resize(cols);
    for (int c = m_cols; c < cols; ++c) {
        m_colWidths[c] = kDefaultColWidth;
        m_mergeCols[c] = false;
        m_colFrames[c] = FrameNone;
    }
    m_cols = cols;
    if (m_col >= m_cols) m_col = std::max(0, m_cols - 1);
    Touch();
}

// The fixed row count is kept as set; while the grid has fewer rows, all of
// them are fixed.  So a grid shrunk to nothing and grown again keeps its header.
int Grid::FixedRows() const { return std::min(m_fixedRows, m_rows); }

void Grid::SetFixedRows(int rows) {
    rows = std::max(0, rows);
    if (rows == m_fixedRows) return;
    m_fixedRows = rows;
    Touch();
}

void Grid::AddRow() { SetRows(m_rows + 1); }

void Grid::RemoveRow(int row) {
    if (row < 0 || row >= m_rows) return;
    m_cells.removeAt(row);
    m_rowHeights.removeAt(row);
    m_rowData.removeAt(row);
    --m_rows;
    if (m_row > row) --m_row;
    if (m_row >= m_rows) m_row = std::max(0, m_rows - 1);
    Touch();
}

void Grid::MoveRow(int from, int to) {
    if (from < 0 || from >= m_rows || to < 0 || to >= m_rows || from == to) return;
    m_cells.move(from, to);
    m_rowHeights.move(from, to);
    m_rowData.move(from, to);
    Touch();
}

// ---- current cell ------------------------------------------------------

int Grid::Row() const { return m_row; }

void Grid::SetRow(int row) {
    if (row < 0 || row >= m_rows || row == m_row) return;
    m_row = row;
    Touch();
}

int Grid::Col() const { return m_col; }

void Grid::SetCol(int col) {
    if (col < 0 || col >= m_cols || col == m_col) return;
    m_col = col;
    Touch();
}

// ---- cells -------------------------------------------------------------

bool Grid::InRange(int row, int col) const { return row >= 0 && row < m_rows && col >= 0 && col < m_cols; }

Grid::Cell* Grid::At(int row, int col) { return InRange(row, col) ? &m_cells[row][col] : nullptr; }

const Grid::Cell& Grid::At(int row, int col) const {
    static const Cell kEmpty;
    return InRange(row, col) ? m_cells[row][col] : kEmpty;
}

template <typename T>
void Grid::SetCell(int row, int col, T Cell::*field, const T& value) {
    if (Cell* cell = At(row, col); cell && cell->*field != value) {
        cell->*field = value;
        Touch();
    }
}

QString Grid::Text(int row, int col) const { return At(row, col).text; }

void Grid::SetText(int row, int col, const QString& text) {
    SetCell(row, col, &Cell::text, text);
}

qint16 Grid::CellAlignment(int row, int col) const { return At(row, col).alignment; }

void Grid::SetCellAlignment(int row, int col, qint16 alignment) {
    SetCell(row, col, &Cell::alignment, alignment);
}

bool Grid::Bold(int row, int col) const { return At(row, col).bold; }

void Grid::SetBold(int row, int col, bool bold) {
    SetCell(row, col, &Cell::bold, bold);
}

Color Grid::BackColor(int row, int col) const {
    if (!InRange(row, col)) return kDefaultBackColor;
    const Cell& cell = At(row, col);
    if (cell.hasBack) return cell.back;
    return row >= 0 && row < FixedRows() ? kFixedBackColor : kDefaultBackColor;
}

void Grid::SetBackColor(int row, int col, Color color) {
    if (Cell* cell = At(row, col); cell && (!cell->hasBack || cell->back != color)) {
        cell->hasBack = true;
        cell->back = color;
        Touch();
    }
}

Color Grid::ForeColor(int row, int col) const { return ReadableTextColor(BackColor(row, col)); }

int Grid::CellPicture(int row, int col) const { return At(row, col).picture; }

void Grid::SetCellPicture(int row, int col, int picture) {
    SetCell(row, col, &Cell::picture, picture);
}

// ---- columns and rows --------------------------------------------------

int Grid::ColWidth(int col) const { return col >= 0 && col < m_cols ? m_colWidths[col] : 0; }

void Grid::SetColWidth(int col, int twips) {
    if (col < 0 || col >= m_cols) return;
    if (twips < 0) twips = kDefaultColWidth;
    if (m_colWidths[col] == twips) return;
    m_colWidths[col] = twips;
    Touch();
}

int Grid::ColFrames(int col) const { return col >= 0 && col < m_cols ? m_colFrames[col] : FrameNone; }

void Grid::SetColFrames(int col, int frames) {
    if (col < 0 || col >= m_cols || m_colFrames[col] == frames) return;
    m_colFrames[col] = frames;
    Touch();
}

bool Grid::MergeCol(int col) const { return col >= 0 && col < m_cols && m_mergeCols[col]; }

void Grid::SetMergeCol(int col, bool merge) {
    if (col < 0 || col >= m_cols || m_mergeCols[col] == merge) return;
    m_mergeCols[col] = merge;
    Touch();
}

bool Grid::MergedWithAbove(int row, int col) const {
    if (!InRange(row, col) || row - 1 < FixedRows() || !m_mergeCols[col]) return false;
    if (m_rowData[row] != m_rowData[row - 1]) return false;
    for (int c = 0; c <= col; ++c) {
        if (m_mergeCols[c] && m_cells[row][c].text != m_cells[row - 1][c].text) return false;
    }
    return true;
}

QString Grid::RowData(int row) const { return row >= 0 && row < m_rows ? m_rowData[row] : QString(); }

void Grid::SetRowData(int row, const QString& data) {
    if (row < 0 || row >= m_rows) return;
    m_rowData[row] = data;  // not shown: nothing to announce
}

int Grid::RowHeight(int row) const { return row >= 0 && row < m_rows ? m_rowHeights[row] : 0; }

void Grid::SetRowHeight(int row, int twips) {
    if (row < 0 || row >= m_rows) return;
    if (twips < 0) twips = kDefaultRowHeight;
    if (m_rowHeights[row] == twips) return;
    m_rowHeights[row] = twips;
    Touch();
}

// ---- scrolling and positions -------------------------------------------

int Grid::FixedHeight() const {
    int h = 0;
    for (int r = 0; r < FixedRows(); ++r) h += m_rowHeights[r];
    return h;
}

int Grid::MaxTopRow() const {
    const int fixed = FixedRows();
    if (m_rows <= fixed) return fixed;
    if (m_clientHeight <= 0) return m_rows - 1;
    const int room = m_clientHeight - FixedHeight();
    int top = m_rows - 1;
    int used = m_rowHeights[top];
    while (top - 1 >= fixed && used + m_rowHeights[top - 1] <= room) {
        --top;
        used += m_rowHeights[top];
    }
    return top;
}

int Grid::MaxLeftCol() const {
    if (m_cols <= 0) return 0;
    if (m_clientWidth <= 0) return m_cols - 1;
    int left = m_cols - 1;
    int used = m_colWidths[left];
    while (left - 1 >= 0 && used + m_colWidths[left - 1] <= m_clientWidth) {
        --left;
        used += m_colWidths[left];
    }
    return left;
}

int Grid::TopRow() const { return std::clamp(m_topRow, FixedRows(), std::max(FixedRows(), MaxTopRow())); }

void Grid::SetTopRow(int row) {
    const int before = TopRow();
    m_topRow = std::clamp(row, FixedRows(), std::max(FixedRows(), MaxTopRow()));
    if (TopRow() != before) Touch();
}

int Grid::LeftCol() const { return std::clamp(m_leftCol, 0, MaxLeftCol()); }

void Grid::SetLeftCol(int col) {
    const int before = LeftCol();
    m_leftCol = std::clamp(col, 0, MaxLeftCol());
    if (LeftCol() != before) Touch();
}

void Grid::SetClientSize(int widthTwips, int heightTwips) {
    widthTwips = std::max(0, widthTwips);
    heightTwips = std::max(0, heightTwips);
    if (widthTwips == m_clientWidth && heightTwips == m_clientHeight) return;
    m_clientWidth = widthTwips;
    m_clientHeight = heightTwips;
    Touch();
}

int Grid::ClientHeight() const { return m_clientHeight; }
int Grid::ClientWidth() const { return m_clientWidth; }

bool Grid::RowIsVisible(int row) const {
    if (row < 0 || row >= m_rows) return false;
    if (m_clientHeight <= 0 || row < FixedRows()) return true;
    const int top = TopRow();
    if (row < top) return false;
    return row == top || RowPos(row) + m_rowHeights[row] <= m_clientHeight;
}

int Grid::ColPos(int col) const {
    if (col < 0 || col >= m_cols) return 0;
    const int left = LeftCol();
    int pos = 0;
    if (col >= left) {
        for (int c = left; c < col; ++c) pos += m_colWidths[c];
    } else {
        for (int c = col; c < left; ++c) pos -= m_colWidths[c];
    }
    return pos;
}

int Grid::RowPos(int row) const {
    if (row < 0 || row >= m_rows) return 0;
    const int fixed = FixedRows();
    int pos = 0;
    if (row < fixed) {
        for (int r = 0; r < row; ++r) pos += m_rowHeights[r];
        return pos;
    }
    const int top = TopRow();
    pos = FixedHeight();
    if (row >= top) {
        for (int r = top; r < row; ++r) pos += m_rowHeights[r];
    } else {
        for (int r = row; r < top; ++r) pos -= m_rowHeights[r];
    }
    return pos;
}

// ---- redraw, tooltip ---------------------------------------------------

bool Grid::Redraw() const { return m_redraw; }

void Grid::SetRedraw(bool redraw) {
    if (redraw == m_redraw) return;
    m_redraw = redraw;
    if (m_redraw) {
        m_dirty = false;
        emit changed();
    }
}

QString Grid::ToolTipText() const { return m_toolTip; }

void Grid::SetToolTipText(const QString& text) {
    if (text == m_toolTip) return;
    m_toolTip = text;
    emit toolTipChanged();
}

void Grid::Touch() {
    if (m_redraw)
        emit changed();
    else
        m_dirty = true;
}

// ---- sorting -----------------------------------------------------------

void Grid::SetCompare(Compare compare) { m_compare = std::move(compare); }

void Grid::Sort(int firstRow, int lastRow, int col, int kind) {
    firstRow = std::max(0, firstRow);
    lastRow = std::min(m_rows - 1, lastRow);
    if (firstRow >= lastRow) return;

    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(lastRow - firstRow + 1));
    for (int r = firstRow; r <= lastRow; ++r) order.push_back(r);

    if (kind == SortNumericAscending || kind == SortNumericDescending) {
        if (col < 0 || col >= m_cols) return;
        QVector<double> value(m_rows);
        for (int r = firstRow; r <= lastRow; ++r) value[r] = LeadingNumber(m_cells[r][col].text);
        if (kind == SortNumericAscending)
            StableMergeSort(order, [&](int a, int b) { return value[a] < value[b]; });
        else
            StableMergeSort(order, [&](int a, int b) { return value[a] > value[b]; });
    } else if (kind == SortCustom) {
        if (!m_compare) return;
        // The callback reads the rows where they stand: the grid is left as it
        // is until the new order is known.
        const Compare compare = m_compare;
        StableMergeSort(order, [&](int a, int b) { return compare(a, b) < 0; });
    } else {
        return;
    }

    // The callback may have changed the shape; apply the order only when the
    // rows are still there.
    if (lastRow >= m_rows) return;
    bool moved = false;
    QVector<QVector<Cell>> cells(lastRow - firstRow + 1);
    QVector<int> heights(lastRow - firstRow + 1);
    QVector<QString> data(lastRow - firstRow + 1);
    for (int i = 0; i < static_cast<int>(order.size()); ++i) {
        moved = moved || order[static_cast<std::size_t>(i)] != firstRow + i;
        cells[i] = m_cells[order[static_cast<std::size_t>(i)]];
        heights[i] = m_rowHeights[order[static_cast<std::size_t>(i)]];
        data[i] = m_rowData[order[static_cast<std::size_t>(i)]];
    }
    if (!moved) return;
    for (int i = 0; i < cells.size(); ++i) {
        m_cells[firstRow + i] = std::move(cells[i]);
        m_rowHeights[firstRow + i] = heights[i];
        m_rowData[firstRow + i] = std::move(data[i]);
    }
    Touch();
}

// ---- colours ----------------------------------------------------------

double RelativeLuminance(Color c) {
    const auto linear = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(ColorRed(c)) + 0.7152 * linear(ColorGreen(c)) +
           0.0722 * linear(ColorBlue(c));
}

double ContrastRatio(Color a, Color b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Color ReadableTextColor(Color back) {
    constexpr Color black = Rgb(0, 0, 0);
    constexpr Color white = Rgb(255, 255, 255);
    return ContrastRatio(back, black) >= ContrastRatio(back, white) ? black : white;
}

// ---- texts -------------------------------------------------------------

// Like the grids' readers have always taken a number from a cell: leading
// blanks skipped, an optional sign, digits with one decimal point, an optional
// exponent; whatever follows is ignored; no number gives 0.
double LeadingNumber(const QString& text) {
    // The number's characters are ASCII; they are gathered as bytes and read
    // with from_chars, which rounds as QString::toDouble does and needs no
    // locale (the grids' sorts read a number for every comparison).
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto digit = [&](qsizetype at) { return at < n && text[at] >= u'0' && text[at] <= u'9'; };
    while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i;
    std::string number;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    bool digits = false;
    for (; digit(i); ++i, digits = true) number += static_cast<char>(text[i].unicode());
    if (i < n && text[i] == u'.') {
        number += '.';
        for (++i; digit(i); ++i, digits = true) number += static_cast<char>(text[i].unicode());
    }
    if (!digits) return 0.0;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += static_cast<char>(text[j++].unicode());
        if (digit(j)) {
            for (; digit(j); ++j) exponent += static_cast<char>(text[j].unicode());
            number += exponent;
        }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) return 0.0;
    return negative ? -value : value;
}

QString TextTrimLeadingBlanks(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' ')) ++i;
    return text.mid(i);
}

int Grid::ColsWidth() const {
    int width = 0;
    for (int c = 0; c < Cols(); ++c) width += ColWidth(c);
    return width;
}

int Grid::RowsHeight(int rows) const {
    const int n = rows < 0 ? Rows() : std::min(rows, Rows());
    int height = 0;
    for (int r = 0; r < n; ++r) height += RowHeight(r);
    return height;
}

}  // namespace tw
