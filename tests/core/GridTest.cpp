// The cell table model: shape, merging, scrolling, the redraw switch, a
// faulty sort callback and the leading number of a cell's text.  Sorting by
// numbers and by the callback is walked by the best list's rules.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "common/Grid.h"

using namespace tw;

namespace {

class GridTest : public ::testing::Test {
protected:
    // `rows` rows (one fixed) and `cols` columns, every cell "r,c".
    void Fill(int rows, int cols) {
        grid.SetCols(cols);
        grid.SetRows(rows);
        grid.SetFixedRows(1);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) grid.SetText(r, c, QString::asprintf("%d,%d", r, c));
    }
    QStringList Column(int col) const {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) out << grid.Text(r, col);
        return out;
    }

    Grid grid;
};

}  // namespace

TEST_F(GridTest, ShapeChangesKeepCellsAndOutOfRangeAccessIsHarmless) {
    Fill(3, 2);
    grid.SetBackColor(1, 1, Rgb(1, 2, 3));
    grid.SetRows(5);
    grid.SetCols(4);
    EXPECT_EQ(grid.Text(2, 1), "2,1");
    EXPECT_EQ(grid.BackColor(1, 1), Rgb(1, 2, 3));
    EXPECT_EQ(grid.Text(4, 3), "");
    EXPECT_EQ(grid.ColWidth(3), Grid::kDefaultColWidth);

    // Writes outside are ignored, reads give the defaults.
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {5, 0}, {0, 4}, {99, 99}}) {
        grid.SetText(r, c, "x");
        grid.SetBackColor(r, c, Rgb(9, 9, 9));
        grid.SetCellPicture(r, c, PictureChecked);
        EXPECT_EQ(grid.Text(r, c), "");
        EXPECT_EQ(grid.BackColor(r, c), Grid::kDefaultBackColor);
        EXPECT_EQ(grid.CellPicture(r, c), PictureNone);
        EXPECT_FALSE(grid.MergedWithAbove(r, c));
    }
    grid.RemoveRow(17);
    grid.MoveRow(0, 42);
    EXPECT_EQ(grid.Rows(), 5);
    EXPECT_EQ(grid.ColWidth(-1), 0);
    EXPECT_EQ(grid.RowHeight(5), 0);

    // Rows removed and moved keep their attributes; the current row follows its row up.
    grid.SetCellPicture(3, 1, PictureChecked);
    grid.SetRowData(3, "three");
    grid.SetRow(3);
    grid.RemoveRow(2);
    EXPECT_EQ(Column(0), QStringList({"1,0", "", ""}));
    EXPECT_EQ(grid.CellPicture(2, 1), PictureChecked);
    EXPECT_EQ(grid.Row(), 2);
    grid.MoveRow(1, 3);
    EXPECT_EQ(Column(0), QStringList({"", "", "1,0"}));
    EXPECT_EQ(grid.RowData(1), "three");
    grid.Sort(1, 3, 0, SortNumericDescending);  // "1,0" first
    EXPECT_EQ(grid.RowData(2), "three");

    // The header row stays fixed through a shrink to nothing.
    grid.SetRows(0);
    grid.SetRows(2);
    EXPECT_EQ(grid.FixedRows(), 1);
}

TEST_F(GridTest, MergesOnlyWithinTheMergedColumnsToTheLeft) {
    Fill(6, 4);
    for (int c : {0, 1, 3}) grid.SetMergeCol(c, true);
    // Station, range and azimuth of rows 1 to 5; the frequencies (column 2) all differ.
    const char* rows[5][3] = {{"A", "100", "10"}, {"A", "100", "10"}, {"B", "100", "10"},
                              {"B", "100", "12"}, {"B", "100", "12"}};
    for (int r = 1; r <= 5; ++r)
        for (int c : {0, 1, 3}) grid.SetText(r, c, rows[r - 1][c == 3 ? 2 : c]);
    // Rows 6 and 7: two stations of the same name, told apart by their row data.
    grid.SetRows(8);
    for (int r = 6; r <= 7; ++r) {
        for (int c : {0, 1, 3}) grid.SetText(r, c, "A");
        grid.SetRowData(r, r == 6 ? "A1" : "A2");
    }

    // Not below the header, not in a column that does not merge, not across
    // stations even on the same range, not on different texts.
    const std::tuple<int, int, bool> cases[] = {{1, 0, false}, {2, 0, true},  {2, 2, false},
                                                {3, 1, false}, {3, 3, false}, {4, 3, false},
                                                {5, 3, true},  {7, 0, false}};
    for (const auto& [row, col, merged] : cases)
        EXPECT_EQ(grid.MergedWithAbove(row, col), merged) << row << "," << col;
}

TEST_F(GridTest, PositionsFollowTheScrolling) {
    Fill(20, 3);
    for (int c = 0; c < 3; ++c) grid.SetColWidth(c, 1000);
    // No client size known: any row may be the top row, never a fixed one.
    grid.SetTopRow(18);
    EXPECT_EQ(grid.TopRow(), 18);
    grid.SetTopRow(-5);
    EXPECT_EQ(grid.TopRow(), 1);

    // Room for the header and 5 rows of 240 twips.
    grid.SetClientSize(2000, 6 * 240);
    EXPECT_EQ(grid.MaxTopRow(), 15);
    grid.SetTopRow(18);
    EXPECT_EQ(grid.TopRow(), 15);
    grid.SetTopRow(4);
    EXPECT_EQ(grid.RowPos(6), 720);
    EXPECT_EQ(grid.RowPos(1), -480);  // scrolled out above
    EXPECT_FALSE(grid.RowIsVisible(3));
    EXPECT_TRUE(grid.RowIsVisible(8));
    EXPECT_FALSE(grid.RowIsVisible(9));

    EXPECT_EQ(grid.MaxLeftCol(), 1);
    grid.SetLeftCol(1);
    EXPECT_EQ(grid.ColPos(0), -1000);
    EXPECT_EQ(grid.ColPos(2), 1000);
    // What a window needs to show it all, or its first rows.
    grid.SetColWidth(1, 0);
    grid.SetRowHeight(2, 500);
    EXPECT_EQ(grid.ColsWidth(), 2000);
    EXPECT_EQ(grid.RowsHeight(), 19 * 240 + 500);
    EXPECT_EQ(grid.RowsHeight(3), 2 * 240 + 500);
    grid.SetColWidth(1, 1000);
    grid.SetRowHeight(2, 240);

    // Growing the client area pulls the top row back.
    grid.SetClientSize(2000, 30 * 240);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(GridTest, RedrawOffHoldsTheChangeSignalsUntilSwitchedOn) {
    Fill(3, 3);
    QSignalSpy spy(&grid, &Grid::changed);
    grid.SetRedraw(false);
    grid.SetText(1, 1, "new");
    EXPECT_EQ(spy.count(), 0);
    grid.SetRedraw(true);
    EXPECT_EQ(spy.count(), 1);
    grid.SetText(1, 1, "newer");
    EXPECT_EQ(spy.count(), 2);
}

// Every row less than every other: a sort that trusts the answers runs off its rows.
TEST_F(GridTest, InconsistentCallbackNeitherCrashesNorLosesRows) {
    Fill(60, 1);
    QStringList expected = Column(0);
    grid.SetCompare([](int, int) { return -1; });
    grid.Sort(1, 59, 0, SortCustom);
    QStringList after = Column(0);
    after.sort();
    expected.sort();
    EXPECT_EQ(after, expected);
}

TEST_F(GridTest, LeadingNumberReadsTheNumberAtTheStart) {
    const std::pair<const char*, double> cases[] = {
        {"12.5 dB", 12.5}, {"      14108.0(p3)", 14108.0}, {"-7", -7.0},  {"+3", 3.0},
        {"abc", 0.0},      {"", 0.0},  {"  1F2  ", 1.0},    {".5", 0.5},  {"-", 0.0},
        {"1e3x", 1000.0},  {"2E", 2.0}, {"<LUF", 0.0},      {"3.", 3.0},  {"1.2.3", 1.2},
    };
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
}
