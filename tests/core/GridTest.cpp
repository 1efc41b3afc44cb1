#include <gtest/gtest.h>

#include <QSignalSpy>

#include <random>

#include "common/Grid.h"

using namespace tw;

namespace {

// A grid of `rows` rows (one fixed) and `cols` columns, every cell "r,c".
void Fill(Grid& grid, int rows, int cols) {
    grid.SetCols(cols);
    grid.SetRows(rows);
    grid.SetFixedRows(1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) grid.SetText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
}

QStringList Column(const Grid& grid, int col) {
    QStringList out;
    for (int r = 1; r < grid.Rows(); ++r) out << grid.Text(r, col);
    return out;
}

}  // namespace

TEST(GridTest, ResizingKeepsCellsAndOutOfRangeAccessIsHarmless) {
    Grid grid;
    Fill(grid, 3, 2);
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
}

TEST(GridTest, FixedRowsAreShadedAndSurviveShrinkingToNothing) {
    Grid grid;
    Fill(grid, 3, 2);
    EXPECT_EQ(grid.BackColor(0, 0), Grid::kFixedBackColor);
    EXPECT_EQ(grid.BackColor(1, 0), Grid::kDefaultBackColor);
    grid.SetRows(0);
    grid.SetRows(2);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.BackColor(0, 0), Grid::kFixedBackColor);
}

TEST(GridTest, RemoveAndMoveRowsKeepTheirAttributes) {
    Grid grid;
    Fill(grid, 5, 2);
    grid.SetCellPicture(3, 1, PictureChecked);
    grid.SetRow(4);
    grid.RemoveRow(2);
    EXPECT_EQ(Column(grid, 0), QStringList({"1,0", "3,0", "4,0"}));
    EXPECT_EQ(grid.CellPicture(2, 1), PictureChecked);
    EXPECT_EQ(grid.Row(), 3);  // the current row follows its row up
    grid.MoveRow(1, 3);
    EXPECT_EQ(Column(grid, 0), QStringList({"3,0", "4,0", "1,0"}));
}

TEST(GridTest, MergesOnlyWithinTheMergedColumnsToTheLeft) {
    Grid grid;
    grid.SetCols(4);
    grid.SetRows(6);
    grid.SetFixedRows(1);
    grid.SetMergeCol(0, true);
    grid.SetMergeCol(1, true);
    grid.SetMergeCol(3, true);
    // station, range, frequency, azimuth
    const char* rows[6][4] = {{"Station", "Range", "Freq", "Az"}, {"A", "100", "1", "10"}, {"A", "100", "2", "10"},
                              {"B", "100", "3", "10"},           {"B", "100", "4", "12"}, {"B", "100", "5", "12"}};
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 4; ++c) grid.SetText(r, c, rows[r][c]);

    struct Case {
        int row, col;
        bool merged;
    } cases[] = {
        {1, 0, false},  // the row above is the fixed header
        {2, 0, true},   {2, 1, true}, {2, 2, false},  // not a merge column
        {2, 3, true},
        {3, 0, false},  // another station
        {3, 1, false},  // same range, but the station column does not merge here
        {3, 3, false},  // same azimuth, another station
        {4, 3, false},  // azimuth differs
        {5, 3, true},
    };
    for (const Case& c : cases) EXPECT_EQ(grid.MergedWithAbove(c.row, c.col), c.merged) << c.row << "," << c.col;
}

TEST(GridTest, PositionsFollowTheScrolling) {
    Grid grid;
    Fill(grid, 20, 3);
    for (int c = 0; c < 3; ++c) grid.SetColWidth(c, 1000);
    // No client size known: any row may be the top row.
    grid.SetTopRow(18);
    EXPECT_EQ(grid.TopRow(), 18);
    grid.SetTopRow(-5);
    EXPECT_EQ(grid.TopRow(), 1);  // never a fixed row

    // Room for the header and 5 rows of 240 twips.
    grid.SetClientSize(2000, 6 * 240);
    EXPECT_EQ(grid.MaxTopRow(), 15);
    grid.SetTopRow(18);
    EXPECT_EQ(grid.TopRow(), 15);
    grid.SetTopRow(4);
    EXPECT_EQ(grid.RowPos(0), 0);
    EXPECT_EQ(grid.RowPos(4), 240);
    EXPECT_EQ(grid.RowPos(6), 720);
    EXPECT_EQ(grid.RowPos(3), 0);  // scrolled out above
    EXPECT_EQ(grid.RowPos(1), -480);
    EXPECT_TRUE(grid.RowIsVisible(0));
    EXPECT_FALSE(grid.RowIsVisible(3));
    EXPECT_TRUE(grid.RowIsVisible(8));
    EXPECT_FALSE(grid.RowIsVisible(9));

    EXPECT_EQ(grid.MaxLeftCol(), 1);
    grid.SetLeftCol(1);
    EXPECT_EQ(grid.ColPos(0), -1000);
    EXPECT_EQ(grid.ColPos(2), 1000);

    // Growing the client area pulls the top row back.
    grid.SetClientSize(2000, 30 * 240);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST(GridTest, RedrawOffHoldsTheChangeSignalsUntilSwitchedOn) {
    Grid grid;
    Fill(grid, 3, 3);
    QSignalSpy spy(&grid, &Grid::changed);
    grid.SetRedraw(false);
    grid.SetText(1, 1, "new");
    grid.AddRow();
    EXPECT_EQ(spy.count(), 0);
    grid.SetRedraw(true);
    EXPECT_EQ(spy.count(), 1);
    grid.SetText(1, 1, "newer");
    EXPECT_EQ(spy.count(), 2);
}

TEST(GridTest, NumericSortIsStableAndKeepsRowsWhole) {
    Grid grid;
    grid.SetCols(2);
    grid.SetRows(6);
    grid.SetFixedRows(1);
    const char* values[] = {"", "      7030.0", "14108.0(p3)", "abc", "7030", "-3.5 dB"};
    for (int r = 1; r < 6; ++r) {
        grid.SetText(r, 0, values[r]);
        grid.SetText(r, 1, QString::number(r));
        grid.SetBold(r, 1, r == 2);
    }
    grid.Sort(1, 5, 0, SortNumericDescending);
    EXPECT_EQ(Column(grid, 1), QStringList({"2", "1", "4", "3", "5"}));
    EXPECT_TRUE(grid.Bold(1, 1));
    grid.Sort(1, 5, 0, SortNumericAscending);
    EXPECT_EQ(Column(grid, 1), QStringList({"5", "3", "1", "4", "2"}));
    // A range leaves the rows outside it alone.
    grid.Sort(2, 3, 0, SortNumericDescending);
    EXPECT_EQ(Column(grid, 1), QStringList({"5", "1", "3", "4", "2"}));
}

TEST(GridTest, CustomSortAsksTheCallbackAboutRowsInPlace) {
    Grid grid;
    grid.SetCols(1);
    grid.SetRows(5);
    grid.SetFixedRows(1);
    const QStringList texts = {"b", "d", "a", "c"};
    for (int r = 1; r < 5; ++r) grid.SetText(r, 0, texts[r - 1]);
    grid.SetCompare([&](int r1, int r2) {
        EXPECT_GE(r1, 1);
        EXPECT_LE(r2, 4);
        return QString::compare(grid.Text(r1, 0), grid.Text(r2, 0));
    });
    grid.Sort(1, 4, 0, SortCustom);
    EXPECT_EQ(Column(grid, 0), QStringList({"a", "b", "c", "d"}));
}

TEST(GridTest, InconsistentCallbackNeitherCrashesNorLosesRows) {
    Grid grid;
    grid.SetCols(1);
    grid.SetRows(60);
    for (int r = 0; r < 60; ++r) grid.SetText(r, 0, QString::number(r));
    std::mt19937 random(7);
    grid.SetCompare([&](int, int) { return static_cast<int>(random() % 3) - 1; });
    grid.Sort(0, 59, 0, SortCustom);
    QStringList all;
    for (int r = 0; r < 60; ++r) all << grid.Text(r, 0);
    all.sort();
    QStringList expected;
    for (int r = 0; r < 60; ++r) expected << QString::number(r);
    expected.sort();
    EXPECT_EQ(all, expected);
}

TEST(GridTest, LeadingNumberReadsTheNumberAtTheStart) {
    const std::pair<const char*, double> cases[] = {
        {"12.5 dB", 12.5},   {"      14108.0(p3)", 14108.0}, {"-7", -7.0},  {"+3", 3.0},   {"abc", 0.0},
        {"", 0.0},           {"  1F2  ", 1.0},               {".5", 0.5},   {"-", 0.0},    {"1e3x", 1000.0},
        {"2E", 2.0},         {"<LUF", 0.0},                  {"3.", 3.0},   {"1.2.3", 1.2},
    };
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
}
