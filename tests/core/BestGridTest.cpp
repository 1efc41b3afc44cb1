// The best grid: its header, the check marks, clicks and tooltips, the sort
// key table, the cell colours and the blinking cell.  The captions shown in
// each layout are checked by the window and end-to-end tests.

#include <gtest/gtest.h>

#include "BestListFixture.h"
#include "views/PropagationHours.h"

using namespace tw;

namespace {

// The main window's best grid, by the short names of these tests; 105 twips
// per character, 15 twips per pixel.
class BestGridTest : public test::MainWindowFixture {
protected:
    BestGrid& best = main.best;
    Grid& grid = best.grdFrequency;

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
    // Additional data, the ranking by the chance of a connection (the Log
    // column without the additional data), the columns shown.
    for (const auto& [additional, ranking, columns] :
         {std::tuple{false, false, 4}, {true, false, 15}, {false, true, 5}}) {
        SCOPED_TRACE(columns);
        main.settings.m_bStationHistoryRanking = ranking;
        AddRows({{"A", "7030.0", 5}});
        best.GridSetCellColor(grid, 0, 3, best.m_lColorShared);
        best.GridBlinkCell(1, best.m_iColFrequency);
        grid.SetRedraw(additional);
        best.GridFrequencyHeader(grid, additional);
        EXPECT_EQ(grid.Redraw(), additional);
        EXPECT_FALSE(best.tmrBlink.enabled);
        EXPECT_EQ(best.m_iBlinkRow, -1);
        int shown = 0;
        for (int col = 0; col < grid.Cols(); ++col) {
            EXPECT_EQ(grid.CellAlignment(0, col), AlignCenter);
            shown += grid.ColWidth(col) > 0;
            EXPECT_TRUE(grid.ColWidth(col) > 0 || col == best.m_iColP3 ||
                        grid.Text(0, col).isEmpty());
        }
        EXPECT_EQ(shown, columns);
        EXPECT_EQ(grid.ColWidth(best.m_iColLog) > 0, additional || ranking);
        EXPECT_EQ(grid.ColWidth(best.m_iColFrequency), 19 * 105);
        EXPECT_TRUE(grid.MergeCol(best.m_iColStation + 1));
        EXPECT_EQ(grid.MergeCol(best.m_iColStnAnt), additional);
    }
}

// A LUF-MUF text outside the usable band is wider than the column's sample;
// the column widens so that its right-aligned text keeps the mark.  Texts
// that fit leave the width alone, and a hidden column stays hidden.
TEST_F(BestGridTest, ColumnsWidenToTheirWidestCellWhenShown) {
    const int margin = (Grid::kTextMarginLeftPixels + Grid::kTextMarginRightPixels) * 15;
    // Frequency, LUF, MUF (kHz), additional data, the width: the text's (0),
    // the sample's ("-LUF-MUF-", 9 characters) or none (-1).
    const std::tuple<double, double, double, bool, int> cases[] = {
        {14108.0, 5000.0, 9450.0, true, 0}, {3000.0, 4200.5, 9450.0, true, 0},
        {7000.0, 5000.0, 18000.0, true, 9}, {14108.0, 5000.0, 9450.0, false, -1}};
    for (const auto& [frequency, luf, muf, additional, sample] : cases) {
        const QString text = LufMufText(frequency, luf, muf);
        SCOPED_TRACE(text.toStdString());
        best.GridFrequencyHeader(grid, additional);
        grid.SetRows(2);
        best.GridSetCell(grid, 1, best.m_iColLufMuf, text, AlignRight, false);
        const int width = grid.ColWidth(best.m_iColLufMuf);
        const int textWidth = static_cast<int>(text.size()) * 105 + margin;
        EXPECT_TRUE(sample ? width == std::max(0, sample * 105)
                           : width >= textWidth && width <= textWidth + 15)
            << width;
    }
}

TEST_F(BestGridTest, ClicksSelectOpenTheMenuShowTheHoursAndFlipTheCheckMark) {
    // -1 when the menu opens, the point it pops up at, the row the hours are shown for.
    std::vector<int> calls;
    best.onFrequencyMenuOpening = [&] { calls.push_back(-1); };
    best.onFrequencyMenuPopup = [&](int x, int y) { calls.insert(calls.end(), {x, y}); };
    best.onShowPropagationHours = [&] { calls.push_back(best.m_iGridRow); };
    const auto [hx, hy] = PointIn(0, best.m_iColStation, 30);
    best.grdFrequency_Click(hx, hy);
    EXPECT_EQ(best.m_iGridRow, -1);  // a header click without data rows selects nothing
    AddRows({{"A", "7030.0", 5}, {"B", "10145.0", 8}});
    best.grdFrequency_Click(hx, hy);
    EXPECT_EQ(best.m_iGridRow, 1);
    EXPECT_EQ(grid.Row(), 1);

    const auto [x, y] = PointIn(2, best.m_iColStation, 30);
    best.grdFrequency_MouseUp(MouseRight, 0, x, y);
    EXPECT_EQ(best.m_iGridRow, 2);
    // Not on the header or right of the columns.
    best.grdFrequency_MouseUp(MouseRight, 0, hx, hy);
    best.grdFrequency_MouseUp(MouseRight, 0, 100000, y);
    const auto [dx, dy] = PointIn(1, best.m_iColSnr, 3);
    best.grdFrequency_DblClick(dx, dy);
    EXPECT_EQ(calls, (std::vector<int>{-1, x, y, 1}));

    // A left click flips the check mark (and back) on its picture, the edge
    // included; not on the text, not with another button, not on the header,
    // not in another column.
    const int f = best.m_iColFrequency;
    const std::tuple<int, int, int, int, bool> cases[] = {
        {2, f, 10, MouseLeft, false}, {2, f, 10, MouseLeft, true},    {2, f, 20, MouseLeft, true},
        {2, f, 16, MouseLeft, false}, {2, f, 10, MouseMiddle, false}, {0, f, 5, MouseLeft, false},
        {1, best.m_iColSnr, 3, MouseLeft, false}};
    for (const auto& [row, col, px, button, after] : cases) {
        const auto [cx, cy] = PointIn(row, col, px);
        best.grdFrequency_MouseUp(button, 0, cx, cy);
        EXPECT_EQ(best.GridGetChecked(grid, row, col), after) << row << "," << col << " " << px;
    }
}

// The keys select rows as clicks do, scrolling the row into view (four data
// rows shown), and act on the selected row as the mouse does on it.
TEST_F(BestGridTest, KeysSelectScrollAndActOnTheSelectedRow) {
    EXPECT_FALSE(best.grdFrequency_KeyDown(GridKey::Down));  // no rows: nothing
    for (const char* station : {"A", "B", "C", "D", "E", "F", "G", "H"}) AddRow(station, "7030.0");
    grid.SetClientSize(20000, 5 * Grid::kDefaultRowHeight);
    best.m_iGridRow = -1;
    // The key, the row selected, the top row then.
    const std::tuple<GridKey, int, int> cases[] = {
        {GridKey::Up, 1, 1},     {GridKey::End, 8, 5},  {GridKey::Up, 7, 5},
        {GridKey::PageUp, 4, 4}, {GridKey::Home, 1, 1}, {GridKey::PageDown, 4, 1},
        {GridKey::Down, 5, 2},   {GridKey::Down, 6, 3}, {GridKey::PageDown, 8, 5},
        {GridKey::Down, 8, 5}};
    for (const auto& [key, row, top] : cases) {
        EXPECT_TRUE(best.grdFrequency_KeyDown(key));
        EXPECT_EQ(std::tuple(best.m_iGridRow, grid.Row(), grid.TopRow()),
                  std::tuple(row, row, top));
    }

    // Space flips the check mark and back; Enter shows the hours, the menu
    // key opens the menu at the frequency cell, both for the selected row.
    std::vector<int> calls;
    best.onShowPropagationHours = [&] { calls.push_back(best.m_iGridRow); };
    best.onFrequencyMenuOpening = [&] { calls.push_back(-1); };
    best.onFrequencyMenuPopup = [&](int x, int y) {
        calls.push_back(best.GridGetRowCol(grid, x, y - 1).iCol);
    };
    for (const GridKey key : {GridKey::Space, GridKey::Space, GridKey::Enter, GridKey::Menu}) {
        best.grdFrequency_KeyDown(key);
        calls.push_back(best.GridGetChecked(grid, 8, best.m_iColFrequency));
    }
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 8, 1, -1, best.m_iColFrequency, 1}));
    best.m_iGridRow = -1;
    EXPECT_FALSE(best.grdFrequency_KeyDown(GridKey::Space));
}

// The numeric orders are walked by the best list's rules.
TEST_F(BestGridTest, SortCompareByTheKeyTable) {
    AddRows({{"A", "7030.0", 20}, {"B", "10145.0", 25}});
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
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].text, "SortCompare, Sort Direction Not Supported");
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(drive.ui.broughtToFront, std::vector<QString>({"Tidewell"}));
    best.SortKeysSet({{best.m_iColSnr, 3}, {best.m_iColSnr, 99}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), -1);
    EXPECT_EQ(drive.ui.messages.size(), 1u);
}

TEST_F(BestGridTest, ToolTipsTellTheColourOrTheColumn) {
    best.GridFrequencyHeader(grid, true);
    AddRows({{"A", "7030.0", 20}, {"B", "7030.0", 25}});
    best.GridSetCellColor(grid, 1, best.m_iColFrequency, best.m_lColorShared);
    best.GridSetCell(grid, 2, best.m_iColStnAnt, "3.5", AlignRight, false);
    best.GridSetCellColor(grid, 2, best.m_iColSnr, best.m_lColorOffset);
    best.GridSetCellColor(grid, 2, best.m_iColFrequency, best.m_lColorClear);
    best.GridSetCell(grid, 1, best.m_iColLog, "2/5", AlignRight, false);
    best.GridSetCell(grid, 1, best.m_iColLogLast, "2026/06/03 14:20", AlignLeft, false);
    grid.SetRow(1);
    grid.SetCol(3);

    // The colour tells first, the column's header otherwise.
    const std::tuple<int, int, QString> cases[] = {
        {1, best.m_iColFrequency, "Same Frequency is being used by Multiple Stations"},
        {2, best.m_iColSnr, "Antenna Offset of 3.5 dB, bigger SNR is better"},
        {2, best.m_iColFrequency, "Frequency was Not Busy"},
        {0, best.m_iColFrequency, "Pactor Frequency (kHz)"},
        {2, best.m_iColLufMuf, "[<Lower][Maximun][>Maximun] Usable Frequency"},
        {1, best.m_iColLog, "Calls on this frequency within an hour of this time of day in the last 60 "
                            "days: 2 connected, 3 unanswered; last connection 2026/06/03 14:20 UTC"},
        {2, best.m_iColLog,
         "No calls on this frequency within an hour of this time of day in the last 60 days"},
    };
    for (const auto& [row, col, tip] : cases) {
        const auto [x, y] = PointIn(row, col, 30);
        best.grdFrequency_MouseMove(0, 0, x, y);
        EXPECT_EQ(grid.ToolTipText(), tip) << row << "," << col;
    }
    EXPECT_EQ(std::pair(grid.Row(), grid.Col()), std::pair(1, 3));  // the current cell is restored

    // The same point again is not looked at.
    const auto [x, y] = PointIn(1, best.m_iColSnr, 30);
    best.grdFrequency_MouseMove(0, 0, x, y);
    grid.SetToolTipText("kept");
    best.grdFrequency_MouseMove(0, 0, x, y);
    EXPECT_EQ(grid.ToolTipText(), "kept");
}

TEST_F(BestGridTest, CellColourScrollsAHiddenRowIntoView) {
    for (int i = 0; i < 30; ++i) AddRow("A", "7030.0", 1);
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
        EXPECT_EQ(std::pair(rc.iRow, rc.iCol), std::pair(row, col)) << x << " " << y;
    }
}

TEST_F(BestGridTest, CellColourOnTheBlinkCellChangesTheBlinkColour) {
    AddRows({{"A", "7030.0", 20}, {"B", "10145.0", 25}});
    int timerChanges = 0;
    best.onBlinkTimerChanged = [&] { ++timerChanges; };
    const int f = best.m_iColFrequency;
    const Color white = Grid::kDefaultBackColor, black = Grid::kDefaultForeColor;
    const auto ink = [&](int r) { return std::pair(grid.BackColor(r, f), grid.ForeColor(r, f)); };

    // The first step runs at once: a white cell blinks dark, its text light.
    best.GridBlinkCell(1, f);
    EXPECT_EQ(best.tmrBlink.interval, 500);
    EXPECT_EQ(ink(1), std::pair(black, white));
    best.GridSetCellColor(grid, 1, f, white);  // the remembered colour
    EXPECT_EQ(grid.BackColor(1, f), black);

    // A coloured cell blinks between its colour and white, the text dark on both.
    best.GridSetCellColor(grid, 1, f, best.m_lColorNoisy);
    EXPECT_EQ(ink(1), std::pair(best.m_lColorNoisy, black));
    best.tmrBlink_Timer();
    EXPECT_EQ(ink(1), std::pair(white, black));
    best.GridBlinkCell(1, f);  // already blinking there: nothing

    // Another cell: the first stops in its colour.
    best.GridBlinkCell(2, f);
    EXPECT_EQ(ink(1), std::pair(best.m_lColorNoisy, black));
    EXPECT_EQ(timerChanges, 3);  // on, off, on

    // A cell another colour on another grid is not the blink cell.
    best.GridSetCellColor(best.grdWorking, 2, f, best.m_lColorShared);
    EXPECT_EQ(best.m_lBlinkColor, white);

    best.GridBlinkStop();
    EXPECT_EQ(std::tuple(best.tmrBlink.enabled, ink(2)), std::tuple(false, std::pair(white, black)));
}

// Every background a grid can show takes a text colour that reads on it at
// a contrast of at least 4.5:1 (the luminance contrast of the accessibility
// guidelines for web content): the SNR colours and the key's, the colour
// set, the header, the current hour's header and the dark blink of a white cell.
TEST_F(BestGridTest, EveryCellColourReadsAtAContrastOfAtLeastFourAndAHalf) {
    const std::tuple<Color, Color, double> known[] = {
        {Rgb(0, 0, 0), Rgb(255, 255, 255), 21.0}, {Rgb(0, 0, 0), Rgb(0, 0, 128), 1.31},
        {Rgb(255, 255, 255), Rgb(128, 255, 128), 1.27}, {Rgb(255, 255, 0), Rgb(255, 128, 255), 2.0}};
    for (const auto& [a, b, ratio] : known) EXPECT_NEAR(ContrastRatio(b, a), ratio, 0.01);
    std::vector<Color> backs = {Grid::kDefaultBackColor, Grid::kFixedBackColor, kHourHeaderBackColor,
                                Grid::kDefaultForeColor, best.m_lColorClear,    best.m_lColorHigher,
                                best.m_lColorNoisy,      best.m_lColorNotBusy,  best.m_lColorShared,
                                best.m_lColorBusy,       best.m_lColorOffset};
    for (int snr = -99; snr <= 99; ++snr) backs.push_back(SnrColor(snr));
    for (const SnrKeyEntry& entry : SnrColorKey()) backs.push_back(entry.color);
    AddRows({{"A", "7030.0", 20}});
    for (const Color back : backs) {
        grid.SetBackColor(1, best.m_iColSnr, back);
        EXPECT_GE(ContrastRatio(back, grid.ForeColor(1, best.m_iColSnr)), 4.5)
            << ColorRed(back) << "," << ColorGreen(back) << "," << ColorBlue(back);
    }
}
