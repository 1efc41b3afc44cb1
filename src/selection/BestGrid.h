#pragma once
// The best stations and frequencies grid: the main window's grids
// (grdFrequency, the best list itself, and the hidden grdWorking), their
// column indexes, the colour set, the custom sort key table, the blinking
// cell, the cell procedures every part of the program uses on a grid of this
// layout, the custom sort comparison, the tooltips and the mouse behaviour of
// grdFrequency.  The main window owns one; the Qt window renders its grids.

#include <QString>

#include <array>
#include <functional>
#include <initializer_list>
#include <utility>

#include "common/Grid.h"
#include "common/UserInterface.h"
#include "settings/Settings.h"

namespace tw {

// The cell under a point; -1 where there is none.
struct GridRowCol {
    int iRow = -1;
    int iCol = -1;
};

// The blink timer as the window declares it (500 ms, off at start); the app
// runs a real timer that mirrors it and calls tmrBlink_Timer on each tick.
struct BlinkTimerControl {
    int interval = 500;
    bool enabled = false;
};

// The keys grdFrequency acts on.
enum class GridKey { Up, Down, PageUp, PageDown, Home, End, Space, Enter, Menu };

class BestGrid {
public:
    static constexpr int kColumns = 18;
    static constexpr int kMaxSortKeys = 9;
    // Pixel size of the check-mark picture at a cell's left edge.
    static constexpr int kCheckMarkPixels = 16;
    // Sort orders of the key table.
    enum SortOrder : int { OrderNumericAscending = 3, OrderNumericDescending = 4, OrderTextAscending = 7, OrderTextDescending = 8 };

    // caption: the main window's caption, brought to the front before a message.
    BestGrid(const Settings& settings, IUserInterface& ui, const ITextMetrics& metrics, QString caption);
    BestGrid(const BestGrid&) = delete;
    BestGrid& operator=(const BestGrid&) = delete;

    // --- the grids ---
    Grid grdFrequency;  // the best list
    Grid grdWorking;    // hidden; sorting area of the station list by range

    // --- column indexes, set by GridFrequencyHeader ---
    int m_iColP3 = 0;
    int m_iColStation = 1;
    int m_iColFrequency = 5;
    int m_iColLufMuf = 6;
    int m_iColSnr = 11;
    int m_iColStnAnt = 14;
    int m_iColRel = 15;  // the reliability, percent; empty where the model gives none
    // The user's own calls from AirMail's log, "connected/calls"; empty without calls
    int m_iColLog = 16;
    int m_iColLogLast = 17;  // hidden: the time of the Log column's last connection

    // --- colour set (SetColors) ---
    Color m_lColorClear = 0;
    Color m_lColorHigher = 0;
    Color m_lColorNoisy = 0;
    Color m_lColorNotBusy = 0;
    Color m_lColorShared = 0;
    Color m_lColorBusy = 0;
    Color m_lColorOffset = 0;

    // --- custom sort key table; entries 1 to m_iSortKeys are used, 0 is unused ---
    int m_iSortKeys = 0;
    std::array<int, kMaxSortKeys + 1> m_aSortCol{};
    std::array<int, kMaxSortKeys + 1> m_aSortOrder{};

    // --- blink cell of grdFrequency and its timer ---
    int m_iBlinkRow = -1;
    int m_iBlinkCol = -1;
    Color m_lBlinkColor = Grid::kDefaultBackColor;
    BlinkTimerControl tmrBlink;

    // Selected row of grdFrequency; -1 when none (header row is 0).  The main
    // window's Initialize and every update set it to -1.
    int m_iGridRow = -1;

    // --- the main window's actions, set by the owner ---
    std::function<void()> onShowPropagationHours;   // double click on a row
    std::function<void()> onFrequencyMenuOpening;   // the Frequency pop-up menu's opening handler
    // Show the Frequency pop-up menu at (x, y), twips relative to grdFrequency.
    std::function<void(int x, int y)> onFrequencyMenuPopup;
    // tmrBlink was switched on or off (the app starts or stops its timer).
    std::function<void()> onBlinkTimerChanged;

    // The colour set; the main window's Initialize calls it.
    void SetColors();
    // Fill the sort key table: (column, order) pairs, at most kMaxSortKeys.
    void SortKeysSet(std::initializer_list<std::pair<int, int>> keys);

    // --- cell procedures (any grid of this layout) ---
    // The Log column is shown with the additional data or the ranking by the
    // chance of a connection.
    void GridFrequencyHeader(Grid& grid, bool additionalData);
    bool LogShown(bool additionalData) const {
        return additionalData || m_settings.m_bStationHistoryRanking;
    }
    // Writes one cell; a data cell wider than its shown column widens the
    // column (a hidden column stays hidden).
    void GridSetCell(Grid& grid, int row, int col, const QString& text, qint16 alignment, bool bold);
    // The width the shown columns of a grid of this layout take once a list
    // is in (twips): as the header sets them, the LUF-MUF column at the width
    // of a text outside the usable band and the Layer column at that of a
    // mode (a four-character field), which they widen to (GridSetCell).
    int ColumnsWidthWanted(const Grid& grid) const;
    QString GridGetText(Grid& grid, int row, int col);
    // The station of a row by its identifier, which the row keeps (Grid's
    // row data): the Station column shows a SailMail station by its display
    // name, which two stations may share.  A row written without it gives its
    // Station column's text.
    QString GridGetStation(const Grid& grid, int row) const;
    void GridSetStation(Grid& grid, int row, const QString& station);
    void GridSetChecked(Grid& grid, int row, int col, bool bChecked);
    bool GridGetChecked(Grid& grid, int row, int col);
    void GridSetCellColor(Grid& grid, int row, int col, Color color);
    // Coordinates in twips relative to the grid.
    GridRowCol GridGetRowCol(const Grid& grid, int x, int y) const;
    bool GridHitCheckMark(const Grid& grid, int row, int col, int x, int y) const;
    // -1, 0 or 1 by the sort key table; the grids' custom compare callbacks call it.
    int SortCompare(Grid& grid, int row1, int row2);
    // Tooltip of the cell under (x, y), twips; button and shift as MouseButton / ShiftKey.
    void FrequencyMouseMove(Grid& grid, int button, int shift, int x, int y);

    // --- grdFrequency ---
    // Whether any data row is in the connect list.
    bool AnyChecked();
    // True when a row is checked; otherwise tells the user, with the cause
    // (when known) after the message's own text, and returns false.
    bool FrequencyAnyChecked(const QString& cause = QString());
    void GridBlinkCell(int row, int col);
    void GridBlinkStop();
    // One blink step (each tmrBlink tick).
    void tmrBlink_Timer();

    // --- grdFrequency events; (x, y) in twips relative to the grid ---
    void grdFrequency_Click(int x, int y);
    void grdFrequency_DblClick(int x, int y);
    void grdFrequency_MouseMove(int button, int shift, int x, int y);
    void grdFrequency_MouseUp(int button, int shift, int x, int y);
    // The keyboard, doing what the mouse does on the selected row: the arrow,
    // page, Home and End keys select a row as a click does (from no selection
    // Up and Down select the first row) and scroll it into view; Space flips
    // its check mark as a click on the picture does; Enter shows its 24 hours
    // as a double click does; the menu key opens the pop-up menu at its
    // frequency cell.  False when the key did nothing.
    bool grdFrequency_KeyDown(GridKey key);
    // Selects a data row of grdFrequency as a click does and scrolls it into view.
    void SelectRow(int row);

private:
    void SetBlinkTimer(bool enabled);
    int CellWidthFor(const QString& text) const;
    int RowsPerPage() const;
    QString ColumnToolTip(const QString& header) const;
    QString LogToolTip(const Grid& grid, int row) const;
    void Message(const QString& text, MsgIcon icon);

    const Settings& m_settings;
    IUserInterface& m_ui;
    const ITextMetrics& m_metrics;
    QString m_caption;
    // The last point FrequencyMouseMove worked on, and its grid.
    const Grid* m_mouseGrid = nullptr;
    int m_mouseX = -1;
    int m_mouseY = -1;
};

}  // namespace tw
