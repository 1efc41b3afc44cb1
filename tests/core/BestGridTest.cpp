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
            best.GridSetCell(grid, r, best.m_iColStnAnt, "0.0", AlignRight, false);
        }
    }
    QStringList Snrs() {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) out << grid.Text(r, best.m_iColSnr);
        return out;
    }
    QStringList Frequencies() {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) out << best.GridGetText(grid, r, best.m_iColFrequency);
        return out;
    }
    // The twips point `px` pixels right of and 5 pixels below a cell's top left corner.
    std::pair<int, int> PointIn(int row, int col, int px) {
        return {grid.ColPos(col) + px * 15, grid.RowPos(row) + 5 * 15};
    }
};

}  // namespace

TEST_F(BestGridTest, HeaderLayoutsFollowTheSettings) {
    struct Case {
        bool additional, radio;
        QStringList shown;  // headers of the columns with a width
        QString frequencyHeader;
    } cases[] = {
        {false, false, {"Station", "Range", "Frequency", "Snr"}, "Frequency"},
        {false, true, {"Station", "Range", "Dial Freq", "Pactor Freq", "Snr"}, "Pactor Freq"},
        {true, false,
         {"Station", "Range", "Azimuth", "Frequency", "LUF-MUF", "Layer", "T Ang", "Signal", "Noise", "Snr", "Slope",
          "Stn Az", "Stn Ant"},
         "Frequency"},
    };
    for (const Case& c : cases) {
        settings.m_bRadioFrequency = c.radio;
        AddRows({{"A", "7030.0", "5"}});
        best.GridFrequencyHeader(grid, c.additional);
        EXPECT_EQ(grid.Rows(), 1);
        EXPECT_EQ(grid.Cols(), 15);
        EXPECT_EQ(grid.FixedRows(), 1);
        QStringList shown;
        for (int col = 0; col < grid.Cols(); ++col) {
            EXPECT_EQ(grid.CellAlignment(0, col), AlignCenter);
            EXPECT_FALSE(grid.Bold(0, col));
            if (grid.ColWidth(col) > 0) {
                shown << grid.Text(0, col);
            } else if (col != best.m_iColP3) {
                EXPECT_EQ(grid.Text(0, col), "") << col;
            }
        }
        EXPECT_EQ(shown, c.shown) << c.additional << c.radio;
        EXPECT_EQ(grid.Text(0, best.m_iColFrequency), c.frequencyHeader);
        EXPECT_EQ(grid.Text(0, best.m_iColP3), "P3");
        EXPECT_EQ(grid.ColWidth(best.m_iColP3), 0);
        // Widths from the template texts.
        EXPECT_EQ(grid.ColWidth(best.m_iColStation), 26 * 105);
        EXPECT_EQ(grid.ColWidth(best.m_iColFrequency), 19 * 105);
        EXPECT_EQ(grid.ColWidth(best.m_iColSnr), 7 * 105);
        EXPECT_TRUE(grid.MergeCol(best.m_iColStation));
        EXPECT_TRUE(grid.MergeCol(best.m_iColStation + 1));
        EXPECT_EQ(grid.MergeCol(best.m_iColStnAnt), c.additional);
    }
}

TEST_F(BestGridTest, HeaderKeepsTheRedrawStateAndDropsOldColoursAndTheBlinkCell) {
    AddRows({{"A", "7030.0", "5"}});
    best.GridSetCellColor(grid, 0, 3, best.m_lColorShared);
    best.GridBlinkCell(1, best.m_iColFrequency);
    grid.SetRedraw(false);
    best.GridFrequencyHeader(grid, false);
    EXPECT_FALSE(grid.Redraw());
    EXPECT_EQ(grid.BackColor(0, 3), Grid::kFixedBackColor);
    EXPECT_FALSE(best.tmrBlink.enabled);
    EXPECT_EQ(best.m_iBlinkRow, -1);
    best.tmrBlink_Timer();  // a stray tick does nothing
    EXPECT_EQ(grid.Rows(), 1);
    grid.SetRedraw(true);
    best.GridFrequencyHeader(grid, false);
    EXPECT_TRUE(grid.Redraw());
}

TEST_F(BestGridTest, FrequencyCellHasRoomForThePicture) {
    grid.SetRows(4);
    best.GridSetCell(grid, 3, best.m_iColFrequency, "14108.0(p3)", AlignLeft, false);
    EXPECT_EQ(grid.Text(3, best.m_iColFrequency), "      14108.0(p3)");
    EXPECT_EQ(best.GridGetText(grid, 3, best.m_iColFrequency), "14108.0(p3)");
    EXPECT_EQ(grid.Row(), 3);  // reading moves the current cell
    EXPECT_EQ(grid.Col(), best.m_iColFrequency);
    EXPECT_EQ(grid.Text(0, best.m_iColFrequency), "Frequency");
    best.GridSetCell(grid, 3, best.m_iColSnr, "  12", AlignRight, true);
    EXPECT_EQ(best.GridGetText(grid, 3, best.m_iColSnr), "  12");  // other columns are read as they are
    EXPECT_TRUE(grid.Bold(3, best.m_iColSnr));
}

TEST_F(BestGridTest, LeftClickFlipsTheCheckMarkOnlyOnThePicture) {
    AddRows({{"A", "7030.0", "5"}, {"A", "10145.0", "8"}});
    const int col = best.m_iColFrequency;
    struct Case {
        int px;
        int button;
        bool checkedAfter;
    } cases[] = {
        {10, MouseLeft, false}, {10, MouseLeft, true},  // flips back
        {20, MouseLeft, true},                          // on the text
        {16, MouseLeft, false},                         // the picture's edge still counts
        {10, MouseMiddle, false},
    };
    for (const Case& c : cases) {
        const auto [x, y] = PointIn(2, col, c.px);
        best.grdFrequency_MouseUp(c.button, 0, x, y);
        EXPECT_EQ(best.GridGetChecked(grid, 2, col), c.checkedAfter) << c.px;
    }
    EXPECT_TRUE(best.GridGetChecked(grid, 1, col));
    // Not on the header picture area, not in another column.
    const auto [hx, hy] = PointIn(0, col, 5);
    best.grdFrequency_MouseUp(MouseLeft, 0, hx, hy);
    const auto [sx, sy] = PointIn(1, best.m_iColSnr, 5);
    best.grdFrequency_MouseUp(MouseLeft, 0, sx, sy);
    EXPECT_TRUE(best.GridGetChecked(grid, 1, col));
    EXPECT_EQ(grid.CellPicture(0, col), PictureNone);
}

TEST_F(BestGridTest, RightClickSelectsADataRowAndOpensTheMenu) {
    AddRows({{"A", "7030.0", "5"}, {"B", "10145.0", "8"}});
    QStringList calls;
    best.onFrequencyMenuOpening = [&] { calls << "opening"; };
    best.onFrequencyMenuPopup = [&](int x, int y) { calls << QStringLiteral("popup %1 %2").arg(x).arg(y); };

    const auto [x, y] = PointIn(2, best.m_iColStation, 30);
    best.grdFrequency_MouseUp(MouseRight, 0, x, y);
    EXPECT_EQ(best.m_iGridRow, 2);
    EXPECT_EQ(calls, QStringList({"opening", QStringLiteral("popup %1 %2").arg(x).arg(y)}));

    calls.clear();
    best.m_iGridRow = -1;
    const auto [hx, hy] = PointIn(0, best.m_iColStation, 30);
    best.grdFrequency_MouseUp(MouseRight, 0, hx, hy);              // header
    best.grdFrequency_MouseUp(MouseRight, 0, x, grid.RowPos(2) + 2000);  // below the rows
    best.grdFrequency_MouseUp(MouseRight, 0, 100000, y);           // right of the columns
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(best.m_iGridRow, -1);
}

TEST_F(BestGridTest, ClickOnTheHeaderSelectsTheFirstRowAndADoubleClickShowsTheHours) {
    const auto [hx, hy] = PointIn(0, best.m_iColStation, 30);
    best.grdFrequency_Click(hx, hy);
    EXPECT_EQ(best.m_iGridRow, -1);  // no data row to select
    AddRows({{"A", "7030.0", "5"}, {"B", "10145.0", "8"}});
    best.grdFrequency_Click(hx, hy);
    EXPECT_EQ(best.m_iGridRow, 1);
    EXPECT_EQ(grid.Row(), 1);

    int shownFor = -99;
    best.onShowPropagationHours = [&] { shownFor = best.m_iGridRow; };
    const auto [x, y] = PointIn(2, best.m_iColSnr, 3);
    best.grdFrequency_DblClick(x, y);
    EXPECT_EQ(shownFor, 2);
}

TEST_F(BestGridTest, SortCompareByTheKeyTable) {
    AddRows({{"A", "7030.0", "20"}, {"B", "10145.0", "25"}, {"C", "14108.0(p3)", "20"}, {"D", "14108.0(p3)", "20"}});
    best.SortKeysSet({{best.m_iColSnr, 4}, {best.m_iColFrequency, 4}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), 1);   // 20 after 25
    EXPECT_EQ(best.SortCompare(grid, 2, 1), -1);
    EXPECT_EQ(best.SortCompare(grid, 1, 3), 1);   // equal Snr: the higher frequency first
    EXPECT_EQ(best.SortCompare(grid, 3, 4), 0);
    grid.Sort(1, 4, best.m_iColSnr, SortCustom);
    EXPECT_EQ(Snrs(), QStringList({"25", "20", "20", "20"}));
    EXPECT_EQ(Frequencies(), QStringList({"10145.0", "14108.0(p3)", "14108.0(p3)", "7030.0"}));
    EXPECT_EQ(grid.Text(2, best.m_iColStation), "C");  // stable for equal rows
    EXPECT_TRUE(ui.messages.empty());

    // Text orders compare by character code.
    best.SortKeysSet({{best.m_iColStation, 7}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), -1);  // "B" < "C"
    best.SortKeysSet({{best.m_iColStation, 8}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), 1);
    EXPECT_EQ(best.SortCompare(grid, 2, 2), 0);
}

TEST_F(BestGridTest, UnknownSortOrderIsReportedAndComparesEqual) {
    AddRows({{"A", "7030.0", "20"}, {"B", "10145.0", "25"}});
    best.SortKeysSet({{best.m_iColSnr, 5}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "SortCompare, Sort Direction Not Supported");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(ui.messages[0].title, "Tidewell");
    EXPECT_EQ(ui.broughtToFront, std::vector<QString>({"Tidewell"}));
    // A key that decides before the unknown one is never reached.
    best.SortKeysSet({{best.m_iColSnr, 3}, {best.m_iColSnr, 99}});
    EXPECT_EQ(best.SortCompare(grid, 1, 2), -1);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(BestGridTest, BuiltInNumericSortOnTheFrequencyColumn) {
    AddRows({{"A", "7030.0", "1"}, {"A", "14108.0(p3)", "2"}, {"A", "10145.0", "3"}});
    grid.Sort(1, 3, best.m_iColFrequency, SortNumericDescending);
    EXPECT_EQ(Frequencies(), QStringList({"14108.0(p3)", "10145.0", "7030.0"}));
    EXPECT_EQ(grid.CellPicture(1, best.m_iColFrequency), PictureChecked);
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

    struct Case {
        int row, col;
        QString tip;
    } cases[] = {
        {1, best.m_iColFrequency, "Same Frequency is being used by Multiple Stations"},
        {1, best.m_iColSnr, "Signal to Noise Ratio (dB), bigger is better"},
        {2, best.m_iColSnr, "Antenna Offset of 3.5 dB, bigger SNR is better"},
        {2, best.m_iColFrequency, "Frequency was Not Busy"},
        {0, best.m_iColFrequency, "Pactor Frequency (kHz)"},
        {1, best.m_iColStation, "Station (Id)"},
        {2, best.m_iColLufMuf, "[<Lower][Maximun][>Maximun] Usable Frequency"},
        {2, best.m_iColStnAnt, "Station Antenna Offset (dB)"},
    };
    for (const Case& c : cases) {
        const auto [x, y] = PointIn(c.row, c.col, 30);
        best.grdFrequency_MouseMove(0, 0, x, y);
        EXPECT_EQ(grid.ToolTipText(), c.tip) << c.row << "," << c.col;
        EXPECT_EQ(grid.Row(), 2);  // the current cell is restored
        EXPECT_EQ(grid.Col(), 3);
    }
    best.grdFrequency_MouseMove(0, 0, 100000, 100);  // right of the columns
    EXPECT_EQ(grid.ToolTipText(), "");
    best.grdFrequency_MouseMove(0, 0, 0, 100);  // the hidden P3 column at the left edge
    EXPECT_EQ(grid.ToolTipText(), "");

    // The same point again is not looked at.
    const auto [x, y] = PointIn(1, best.m_iColSnr, 30);
    best.grdFrequency_MouseMove(0, 0, x, y);
    grid.SetToolTipText("kept");
    best.grdFrequency_MouseMove(0, 0, x, y);
    EXPECT_EQ(grid.ToolTipText(), "kept");
}

TEST_F(BestGridTest, NothingCheckedIsToldToTheUser) {
    AddRows({{"A", "7030.0", "20"}, {"B", "10145.0", "25"}});
    best.GridSetChecked(grid, 1, best.m_iColFrequency, false);
    EXPECT_TRUE(best.FrequencyAnyChecked());
    EXPECT_TRUE(ui.messages.empty());

    best.GridSetChecked(grid, 2, best.m_iColFrequency, false);
    EXPECT_FALSE(best.FrequencyAnyChecked());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unable to select any of the listed connect frequencies.");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(ui.broughtToFront.size(), 1u);
    EXPECT_EQ(ui.PanelText(2), "Select, No Frequencies ");
    EXPECT_EQ(ui.PanelToolTip(2), "Status Message");
}

TEST_F(BestGridTest, CellColourScrollsAHiddenRowIntoView) {
    for (int i = 0; i < 30; ++i) AddRows({{"A", "7030.0", "1"}});
    grid.SetClientSize(5000, 6 * 240);  // header and five rows
    EXPECT_EQ(grid.TopRow(), 1);
    best.GridSetCellColor(grid, 12, best.m_iColFrequency, best.m_lColorHigher);
    EXPECT_EQ(grid.BackColor(12, best.m_iColFrequency), best.m_lColorHigher);
    EXPECT_EQ(grid.TopRow(), 12);
    best.GridSetCellColor(grid, 14, best.m_iColFrequency, best.m_lColorHigher);  // visible: stays
    EXPECT_EQ(grid.TopRow(), 12);
}

TEST_F(BestGridTest, CellColourOnTheBlinkCellChangesTheBlinkColour) {
    AddRows({{"A", "7030.0", "20"}, {"B", "10145.0", "25"}});
    int timerChanges = 0;
    best.onBlinkTimerChanged = [&] { ++timerChanges; };
    const int col = best.m_iColFrequency;

    best.GridBlinkCell(1, col);
    EXPECT_TRUE(best.tmrBlink.enabled);
    EXPECT_EQ(best.tmrBlink.interval, 500);
    EXPECT_EQ(timerChanges, 1);
    EXPECT_EQ(best.m_lBlinkColor, Grid::kDefaultBackColor);
    // The first step ran at once: a white cell blinks in the text colour.
    EXPECT_EQ(grid.BackColor(1, col), Grid::kDefaultForeColor);
    EXPECT_EQ(grid.ForeColor(1, col), Grid::kDefaultBackColor);

    best.GridSetCellColor(grid, 1, col, Grid::kDefaultBackColor);  // the remembered colour: nothing
    EXPECT_EQ(grid.BackColor(1, col), Grid::kDefaultForeColor);

    best.GridSetCellColor(grid, 1, col, best.m_lColorNoisy);
    EXPECT_EQ(best.m_lBlinkColor, best.m_lColorNoisy);
    EXPECT_EQ(grid.BackColor(1, col), best.m_lColorNoisy);
    best.tmrBlink_Timer();
    EXPECT_EQ(grid.BackColor(1, col), Grid::kDefaultBackColor);
    EXPECT_EQ(grid.ForeColor(1, col), best.m_lColorNoisy);
    best.tmrBlink_Timer();
    EXPECT_EQ(grid.BackColor(1, col), best.m_lColorNoisy);
    EXPECT_EQ(grid.ForeColor(1, col), Grid::kDefaultBackColor);

    best.GridBlinkCell(1, col);  // already blinking there: nothing
    EXPECT_EQ(timerChanges, 1);
    EXPECT_EQ(grid.BackColor(1, col), best.m_lColorNoisy);

    // Another cell: the first stops in its colour, with light text.
    best.tmrBlink_Timer();
    best.GridBlinkCell(2, col);
    EXPECT_EQ(grid.BackColor(1, col), best.m_lColorNoisy);
    EXPECT_EQ(grid.ForeColor(1, col), Grid::kDefaultBackColor);
    EXPECT_EQ(best.m_iBlinkRow, 2);
    EXPECT_EQ(timerChanges, 3);  // off, on

    // A cell another colour on another grid is not the blink cell.
    Grid other;
    other.SetCols(15);
    other.SetRows(3);
    best.GridSetCellColor(other, 2, col, best.m_lColorShared);
    EXPECT_EQ(other.BackColor(2, col), best.m_lColorShared);
    EXPECT_EQ(best.m_lBlinkColor, Grid::kDefaultBackColor);

    best.GridBlinkStop();
    EXPECT_FALSE(best.tmrBlink.enabled);
    // A white cell stops readable: dark text on white.
    EXPECT_EQ(grid.BackColor(2, col), Grid::kDefaultBackColor);
    EXPECT_EQ(grid.ForeColor(2, col), Grid::kDefaultForeColor);
}

TEST_F(BestGridTest, RowAndColumnUnderAPointFollowTheScrolling) {
    for (int i = 0; i < 30; ++i) AddRows({{"A", "7030.0", "1"}});
    grid.SetClientSize(5000, 6 * 240);
    const int stationLeft = grid.ColPos(best.m_iColStation);
    struct Case {
        int top, x, y;
        int row, col;
    } cases[] = {
        {1, stationLeft + 10, 100, 0, best.m_iColStation},
        {1, stationLeft + 10, 300, 1, best.m_iColStation},
        {10, stationLeft + 10, 300, 10, best.m_iColStation},
        {10, stationLeft + 10, 250 + 2 * 240, 12, best.m_iColStation},
        {10, grid.ColPos(best.m_iColSnr) + 1, 300, 10, best.m_iColSnr},
        {10, 100000, 300, 10, -1},
        {10, stationLeft + 10, -5, -1, best.m_iColStation},
    };
    for (const Case& c : cases) {
        grid.SetTopRow(c.top);
        const GridRowCol rc = best.GridGetRowCol(grid, c.x, c.y);
        EXPECT_EQ(rc.iRow, c.row) << c.top << " " << c.y;
        EXPECT_EQ(rc.iCol, c.col) << c.x;
    }
}
