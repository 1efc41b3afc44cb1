// The best grid: its header, the check marks, clicks and tooltips, the sort
// key table, the cell colours and the blinking cell.  The captions shown in
// each layout are checked by the window and end-to-end tests.

#include <gtest/gtest.h>

#include "selection/BestGrid.h"
#include "support/ScriptedUserInterface.h"

using namespace tw;

namespace {

// 105 twips per character, 15 twips per pixel.
class BestGridTest : public ::testing::Test {
protected:
    Settings settings;
    test::ScriptedUserInterface ui;
    FixedTextMetrics metrics;
    BestGrid best{settings, ui, metrics, QStringLiteral("Tidewell")};
    Grid& grid = best.grdFrequency;

    // Rows of (station, frequency, snr), all checked, white.
    void AddRows(std::initializer_list<std::tuple<const char*, const char*, const char*>> rows) {
        for (const auto& [station, frequency, snr] : rows) {
            const int r = grid.Rows();
            grid.AddRow();
            best.GridSetCell(grid, r, best.m_iColStation, station, AlignLeft, false);
            best.GridSetCell(grid, r, best.m_iColFrequency, frequency, AlignLeft, false);
            best.GridSetChecked(grid, r, best.m_iColFrequency, true);
            best.GridSetCell(grid, r, best.m_iColSnr, snr, AlignRight, true);
        }
    }
    // The twips point `px` pixels right of and 5 pixels below a cell's top left corner.
    std::pair<int, int> PointIn(int row, int col, int px) {
        return {grid.ColPos(col) + px * 15, grid.RowPos(row) + 5 * 15};
    }
};

}  // namespace

// The header starts a new list: the last list's rows, colours and blink cell
// go, the columns not wanted are hidden without captions, and the redraw
// switch is left as it was.
TEST_F(BestGridTest, HeaderStartsAFreshListInTheLayoutOfTheSettings) {
    for (bool additional : {false, true}) {
        SCOPED_TRACE(additional);
        AddRows({{"A", "7030.0", "5"}});
        best.GridSetCellColor(grid, 0, 3, best.m_lColorShared);
        best.GridBlinkCell(1, best.m_iColFrequency);
        grid.SetRedraw(additional);
        best.GridFrequencyHeader(grid, additional);
        EXPECT_EQ(grid.Redraw(), additional);
        EXPECT_FALSE(best.tmrBlink.enabled);
        EXPECT_EQ(best.m_iBlinkRow, -1);
        EXPECT_EQ(grid.BackColor(0, 3), Grid::kFixedBackColor);
        int shown = 0;
        for (int col = 0; col < grid.Cols(); ++col) {
            EXPECT_EQ(grid.CellAlignment(0, col), AlignCenter);
            shown += grid.ColWidth(col) > 0;
            EXPECT_TRUE(grid.ColWidth(col) > 0 || col == best.m_iColP3 ||
                        grid.Text(0, col).isEmpty());
        }
        EXPECT_EQ(shown, additional ? 13 : 4);
        EXPECT_EQ(grid.ColWidth(best.m_iColFrequency), 19 * 105);
        EXPECT_TRUE(grid.MergeCol(best.m_iColStation + 1));
        EXPECT_EQ(grid.MergeCol(best.m_iColStnAnt), additional);
    }
}

TEST_F(BestGridTest, ClicksSelectOpenTheMenuShowTheHoursAndFlipTheCheckMark) {
    const auto [hx, hy] = PointIn(0, best.m_iColStation, 30);
    best.grdFrequency_Click(hx, hy);
    EXPECT_EQ(best.m_iGridRow, -1);  // a header click without data rows selects nothing
    AddRows({{"A", "7030.0", "5"}, {"B", "10145.0", "8"}});
    best.grdFrequency_Click(hx, hy);
    EXPECT_EQ(best.m_iGridRow, 1);
    EXPECT_EQ(grid.Row(), 1);

    QStringList calls;
    best.onFrequencyMenuOpening = [&] { calls << "opening"; };
    best.onFrequencyMenuPopup = [&](int x, int y) {
        calls << QStringLiteral("%1 %2").arg(x).arg(y);
    };
    const auto [x, y] = PointIn(2, best.m_iColStation, 30);
    best.grdFrequency_MouseUp(MouseRight, 0, x, y);
    EXPECT_EQ(best.m_iGridRow, 2);
    EXPECT_EQ(calls, QStringList({"opening", QStringLiteral("%1 %2").arg(x).arg(y)}));
    // Not on the header or right of the columns.
    calls.clear();
    best.grdFrequency_MouseUp(MouseRight, 0, hx, hy);
    best.grdFrequency_MouseUp(MouseRight, 0, 100000, y);
    EXPECT_TRUE(calls.isEmpty());

    int shownFor = -99;
    best.onShowPropagationHours = [&] { shownFor = best.m_iGridRow; };
    const auto [dx, dy] = PointIn(1, best.m_iColSnr, 3);
    best.grdFrequency_DblClick(dx, dy);
    EXPECT_EQ(shownFor, 1);

    // A left click flips the check mark (and back) on its picture, the edge
    // included; not on the text, not with another button.
    const int col = best.m_iColFrequency;
    const std::tuple<int, int, bool> cases[] = {{10, MouseLeft, false}, {10, MouseLeft, true},
                                                {20, MouseLeft, true},  {16, MouseLeft, false},
                                                {10, MouseMiddle, false}};
    for (const auto& [px, button, checkedAfter] : cases) {
        const auto [cx, cy] = PointIn(2, col, px);
        best.grdFrequency_MouseUp(button, 0, cx, cy);
        EXPECT_EQ(best.GridGetChecked(grid, 2, col), checkedAfter) << px;
    }
    // Not on the header, not in another column.
    const auto [fx, fy] = PointIn(0, col, 5);
    best.grdFrequency_MouseUp(MouseLeft, 0, fx, fy);
    best.grdFrequency_MouseUp(MouseLeft, 0, dx, dy);
    EXPECT_EQ(grid.CellPicture(0, col), PictureNone);
    EXPECT_EQ(grid.CellPicture(1, best.m_iColSnr), PictureNone);
}

// The numeric orders are walked by the best list's rules.
TEST_F(BestGridTest, SortCompareByTheKeyTable) {
    AddRows({{"A", "7030.0", "20"}, {"B", "10145.0", "25"}});
    // Text orders compare by character code.
    best.SortKeysSet({{best.m_iColStation, 7}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), -1);
    best.SortKeysSet({{best.m_iColStation, 8}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), 1);
    EXPECT_EQ(best.SortCompare(grid, 2, 2), 0);

    // An unknown order is reported and compares equal; a key that decides
    // before it keeps it from being reached.
    best.SortKeysSet({{best.m_iColSnr, 5}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "SortCompare, Sort Direction Not Supported");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(ui.broughtToFront, std::vector<QString>({"Tidewell"}));
    best.SortKeysSet({{best.m_iColSnr, 3}, {best.m_iColSnr, 99}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), -1);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(BestGridTest, ToolTipsTellTheColourOrTheColumn) {
    best.GridFrequencyHeader(grid, true);
    AddRows({{"A", "7030.0", "20"}, {"B", "7030.0", "25"}});
    best.GridSetCellColor(grid, 1, best.m_iColFrequency, best.m_lColorShared);
    best.GridSetCell(grid, 2, best.m_iColStnAnt, "3.5", AlignRight, false);
    best.GridSetCellColor(grid, 2, best.m_iColSnr, best.m_lColorOffset);
    best.GridSetCellColor(grid, 2, best.m_iColFrequency, best.m_lColorClear);
    grid.SetRow(2);
    grid.SetCol(3);

    // The colour tells first, the column's header otherwise.
    const std::tuple<int, int, QString> cases[] = {
        {1, best.m_iColFrequency, "Same Frequency is being used by Multiple Stations"},
        {2, best.m_iColSnr, "Antenna Offset of 3.5 dB, bigger SNR is better"},
        {2, best.m_iColFrequency, "Frequency was Not Busy"},
        {0, best.m_iColFrequency, "Pactor Frequency (kHz)"},
        {2, best.m_iColLufMuf, "[<Lower][Maximun][>Maximun] Usable Frequency"},
    };
    for (const auto& [row, col, tip] : cases) {
        const auto [x, y] = PointIn(row, col, 30);
        best.grdFrequency_MouseMove(0, 0, x, y);
        EXPECT_EQ(grid.ToolTipText(), tip) << row << "," << col;
    }
    EXPECT_EQ(grid.Row(), 2);  // the current cell is restored
    EXPECT_EQ(grid.Col(), 3);

    // The same point again is not looked at.
    const auto [x, y] = PointIn(1, best.m_iColSnr, 30);
    best.grdFrequency_MouseMove(0, 0, x, y);
    grid.SetToolTipText("kept");
    best.grdFrequency_MouseMove(0, 0, x, y);
    EXPECT_EQ(grid.ToolTipText(), "kept");
}

TEST_F(BestGridTest, CellColourScrollsAHiddenRowIntoView) {
    for (int i = 0; i < 30; ++i) AddRows({{"A", "7030.0", "1"}});
    grid.SetClientSize(5000, 6 * 240);  // header and five rows
    best.GridSetCellColor(grid, 12, best.m_iColFrequency, best.m_lColorHigher);
    EXPECT_EQ(grid.BackColor(12, best.m_iColFrequency), best.m_lColorHigher);
    EXPECT_EQ(grid.TopRow(), 12);
    best.GridSetCellColor(grid, 14, best.m_iColFrequency, best.m_lColorHigher);  // visible
    EXPECT_EQ(grid.TopRow(), 12);

    // The cell under a point follows the scrolling; the rows scrolled out are under none.
    const int stationX = grid.ColPos(best.m_iColStation) + 10;
    const std::tuple<int, int, int, int> cases[] = {
        {stationX, 250 + 2 * 240, 14, best.m_iColStation},
        {grid.ColPos(best.m_iColSnr) + 1, 300, 12, best.m_iColSnr},
        {100000, 100, 0, -1},
        {stationX, -5, -1, best.m_iColStation}};
    for (const auto& [x, y, row, col] : cases) {
        const GridRowCol rc = best.GridGetRowCol(grid, x, y);
        EXPECT_EQ(rc.iRow, row) << x << " " << y;
        EXPECT_EQ(rc.iCol, col) << x << " " << y;
    }
}

TEST_F(BestGridTest, CellColourOnTheBlinkCellChangesTheBlinkColour) {
    AddRows({{"A", "7030.0", "20"}, {"B", "10145.0", "25"}});
    int timerChanges = 0;
    best.onBlinkTimerChanged = [&] { ++timerChanges; };
    const int col = best.m_iColFrequency;

    // The first step runs at once: a white cell blinks in the text colour.
    best.GridBlinkCell(1, col);
    EXPECT_EQ(best.tmrBlink.interval, 500);
    EXPECT_EQ(grid.BackColor(1, col), Grid::kDefaultForeColor);
    EXPECT_EQ(grid.ForeColor(1, col), Grid::kDefaultBackColor);
    best.GridSetCellColor(grid, 1, col, Grid::kDefaultBackColor);  // the remembered colour
    EXPECT_EQ(grid.BackColor(1, col), Grid::kDefaultForeColor);

    best.GridSetCellColor(grid, 1, col, best.m_lColorNoisy);
    best.tmrBlink_Timer();
    EXPECT_EQ(grid.BackColor(1, col), Grid::kDefaultBackColor);
    EXPECT_EQ(grid.ForeColor(1, col), best.m_lColorNoisy);
    best.GridBlinkCell(1, col);  // already blinking there: nothing

    // Another cell: the first stops in its colour, with light text.
    best.GridBlinkCell(2, col);
    EXPECT_EQ(grid.BackColor(1, col), best.m_lColorNoisy);
    EXPECT_EQ(grid.ForeColor(1, col), Grid::kDefaultBackColor);
    EXPECT_EQ(timerChanges, 3);  // on, off, on

    // A cell another colour on another grid is not the blink cell.
    Grid other;
    other.SetCols(15);
    other.SetRows(3);
    best.GridSetCellColor(other, 2, col, best.m_lColorShared);
    EXPECT_EQ(best.m_lBlinkColor, Grid::kDefaultBackColor);

    // A white cell stops readable: dark text on white.
    best.GridBlinkStop();
    EXPECT_FALSE(best.tmrBlink.enabled);
    EXPECT_EQ(grid.BackColor(2, col), Grid::kDefaultBackColor);
    EXPECT_EQ(grid.ForeColor(2, col), Grid::kDefaultForeColor);
}
