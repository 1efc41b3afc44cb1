#include "selection/BestGrid.h"

#include <algorithm>

#include "airmail/CallLog.h"
#include "selection/Evaluate.h"

namespace tw {

namespace {

// When a column of the best grid is shown.
enum class Shown { Never, Always, AdditionalData, RadioFrequency, Log };
// Whether its equal cells merge.
enum class Merge { No, Yes, WhenShown };

struct ColumnLayout {
    const char* header;
    const char* sample;  // the width template
    Shown shown;
    Merge merge;
};

// Column 5's header depends on the dial frequency setting and is set apart.
constexpr std::array<ColumnLayout, BestGrid::kColumns> kLayout = {{
    {"P3", "", Shown::Never, Merge::No},
    {"Station", "------------------Station-", Shown::Always, Merge::Yes},
    {"Range", "-Range-", Shown::Always, Merge::Yes},
    {"Azimuth", "-Azimuth-", Shown::AdditionalData, Merge::No},
    {"Dial Freq", "-------10000.0(p3)-", Shown::RadioFrequency, Merge::No},
    {"Frequency", "-------10000.0(p3)-", Shown::Always, Merge::No},
    {"LUF-MUF", "-LUF-MUF-", Shown::AdditionalData, Merge::No},
    {"Layer", "-Layer-", Shown::AdditionalData, Merge::No},
    {"T Ang", "-T Ang-", Shown::AdditionalData, Merge::No},
    {"Signal", "-Signal-", Shown::AdditionalData, Merge::No},
    {"Noise", "-Noise-", Shown::AdditionalData, Merge::No},
    {"Snr", "---Snr-", Shown::Always, Merge::No},
    {"Slope", "-Slope-", Shown::AdditionalData, Merge::No},
    {"Stn Az", "-Stn Az-", Shown::AdditionalData, Merge::WhenShown},
    {"Stn Ant", "-Stn Ant-", Shown::AdditionalData, Merge::WhenShown},
    {"Rel", "--Rel-", Shown::AdditionalData, Merge::No},
    {"Log", "-00/00-", Shown::Log, Merge::No},
    {"", "", Shown::Never, Merge::No},
}};

// Which of a row's calls the Log column counts.
const QString kLogWhen = QStringLiteral("within an hour of this time of day");

// The room for the check-mark picture in front of a frequency.
const QString kFrequencyLead = QStringLiteral("      ");

}  // namespace

BestGrid::BestGrid(const Settings& settings, IUserInterface& ui, const ITextMetrics& metrics, QString caption)
    : m_settings(settings), m_ui(ui), m_metrics(metrics), m_caption(std::move(caption)) {
    SetColors();
    grdFrequency.SetCompare([this](int row1, int row2) { return SortCompare(grdFrequency, row1, row2); });
    grdWorking.SetCompare([this](int row1, int row2) { return SortCompare(grdWorking, row1, row2); });
    GridFrequencyHeader(grdFrequency, m_settings.m_bPropagationAdditionalData);
}

void BestGrid::SetColors() {
    m_lColorClear = Rgb(128, 255, 128);
    m_lColorHigher = Rgb(255, 192, 128);
    m_lColorNoisy = Rgb(255, 128, 128);
    m_lColorNotBusy = Rgb(128, 255, 128);
    m_lColorShared = Rgb(255, 0, 255);
    m_lColorBusy = Rgb(255, 255, 128);
    m_lColorOffset = Rgb(0, 255, 255);
}

void BestGrid::SortKeysSet(std::initializer_list<std::pair<int, int>> keys) {
    m_iSortKeys = 0;
    m_aSortCol.fill(0);
    m_aSortOrder.fill(0);
    for (const auto& [col, order] : keys) {
        if (m_iSortKeys == kMaxSortKeys) break;
        ++m_iSortKeys;
        m_aSortCol[static_cast<std::size_t>(m_iSortKeys)] = col;
        m_aSortOrder[static_cast<std::size_t>(m_iSortKeys)] = order;
    }
}

// ---- cell procedures ---------------------------------------------------

void BestGrid::GridFrequencyHeader(Grid& grid, bool additionalData) {
    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);

    // The blink cell lies in the rows about to go.
    if (&grid == &grdFrequency) {
        GridBlinkStop();
        m_iBlinkRow = -1;
        m_iBlinkCol = -1;
        m_lBlinkColor = Grid::kDefaultBackColor;
    }

    // Start from an empty grid so that nothing of the last list (colours,
    // pictures, merge flags) survives in the header row.
    grid.SetRows(0);
    grid.SetCols(0);
    grid.SetCols(kColumns);
    grid.SetRows(1);
    grid.SetFixedRows(1);
    grid.SetTopRow(1);
    grid.SetLeftCol(0);

    m_iColP3 = 0;
    m_iColStation = 1;
    m_iColFrequency = m_iColStation + 4;
    m_iColLufMuf = 6;
    m_iColSnr = m_iColLufMuf + 5;
    m_iColStnAnt = m_iColSnr + 3;
    m_iColRel = m_iColStnAnt + 1;
    m_iColLog = m_iColRel + 1;
    m_iColLogLast = m_iColLog + 1;

    for (int col = 0; col < kColumns; ++col) {
        const ColumnLayout& layout = kLayout[static_cast<std::size_t>(col)];
        bool shown = false;
        switch (layout.shown) {
        case Shown::Never: shown = false; break;
        case Shown::Always: shown = true; break;
        case Shown::AdditionalData: shown = additionalData; break;
        case Shown::RadioFrequency: shown = m_settings.m_bRadioFrequency; break;
        case Shown::Log: shown = LogShown(additionalData); break;
        }
        QString header = QString::fromLatin1(layout.header);
        if (col == m_iColFrequency && m_settings.m_bRadioFrequency) header = QStringLiteral("Pactor Freq");
        if (!shown && col != m_iColP3) header.clear();
        GridSetCell(grid, 0, col, header, AlignCenter, false);
        grid.SetColWidth(col, shown ? m_metrics.TextWidthTwips(QString::fromLatin1(layout.sample)) : 0);
        grid.SetMergeCol(col, layout.merge == Merge::Yes || (layout.merge == Merge::WhenShown && shown));
    }

    grid.SetRedraw(redraw);
}

QString BestGrid::GridGetStation(const Grid& grid, int row) const {
    const QString station = grid.RowData(row);
    return station.isEmpty() ? grid.Text(row, m_iColStation) : station;
}

void BestGrid::GridSetStation(Grid& grid, int row, const QString& station) { grid.SetRowData(row, station); }

void BestGrid::GridSetCell(Grid& grid, int row, int col, const QString& text, qint16 alignment, bool bold) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetCellAlignment(row, col, alignment);
    grid.SetBold(row, col, bold);
    const QString cell = col == m_iColFrequency && row != 0 ? kFrequencyLead + text : text;
    grid.SetText(row, col, cell);
    // A shown column widens to its widest cell.  The samples are wide enough
    // for most texts, not for all: a LUF-MUF text outside the usable band
    // ("> " and blanks before the MUF) is wider than "-LUF-MUF-", and right
    // aligned, it would lose its mark on the left and pass for usable.
    const int width = grid.ColWidth(col);
    if (row != 0 && width > 0 && !cell.isEmpty()) {
        const int needed = CellWidthFor(cell);
        if (needed > width) grid.SetColWidth(col, needed);
    }
}

// The text, its margins and the grid line.
int BestGrid::CellWidthFor(const QString& text) const {
    return m_metrics.TextWidthTwips(text) +
           (Grid::kTextMarginLeftPixels + Grid::kTextMarginRightPixels + 1) * m_metrics.TwipsPerPixelX();
}

int BestGrid::ColumnsWidthWanted(const Grid& grid) const {
    int width = 0;
    for (int col = 0; col < grid.Cols(); ++col) width += grid.ColWidth(col);
    // The two columns whose ordinary texts are wider than their samples.
    const std::pair<int, QString> wider[] = {{m_iColLufMuf, LufMufText(0.0, 9999.9, 9999.9)},
                                            {m_iColLufMuf + 1, QStringLiteral("   4F2  ")}};
    for (const auto& [col, text] : wider) {
        const int shown = grid.ColWidth(col);
        if (shown > 0) width += std::max(0, CellWidthFor(text) - shown);
    }
    return width;
}

QString BestGrid::GridGetText(Grid& grid, int row, int col) {
    grid.SetRow(row);
    if (grid.Col() != col) grid.SetCol(col);
    const QString text = grid.Text(row, col);
    return col == m_iColFrequency ? TextTrimLeadingBlanks(text) : text;
}

void BestGrid::GridSetChecked(Grid& grid, int row, int col, bool bChecked) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetCellPicture(row, col, bChecked ? PictureChecked : PictureUnchecked);
}

bool BestGrid::GridGetChecked(Grid& grid, int row, int col) {
    grid.SetRow(row);
    grid.SetCol(col);
    return grid.CellPicture(row, col) == PictureChecked;
}

void BestGrid::GridSetCellColor(Grid& grid, int row, int col, Color color) {
    if (&grid == &grdFrequency && row == m_iBlinkRow && col == m_iBlinkCol) {
        if (color == m_lBlinkColor) return;
        m_lBlinkColor = color;  // the blink alternates with the new colour
    }
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetBackColor(row, col, color);
    if (row >= 0 && row < grid.Rows() && !grid.RowIsVisible(row)) grid.SetTopRow(row);
}

GridRowCol BestGrid::GridGetRowCol(const Grid& grid, int x, int y) const {
    GridRowCol out;
    // Columns and rows scrolled out of view are not under any point.
    for (int c = grid.LeftCol(); c < grid.Cols(); ++c) {
        const int left = grid.ColPos(c);
        if (left <= x && x <= left + grid.ColWidth(c)) {
            out.iCol = c;
            break;
        }
    }
    const int fixed = grid.FixedRows();
    const int top = grid.TopRow();
    for (int r = 0; r < grid.Rows(); ++r) {
        if (r >= fixed && r < top) continue;
        const int pos = grid.RowPos(r);
        if (pos <= y && y <= pos + grid.RowHeight(r)) {
            out.iRow = r;
            break;
        }
    }
    return out;
}

bool BestGrid::GridHitCheckMark(const Grid& grid, int row, int col, int x, int y) const {
    if (row < 0 || row >= grid.Rows() || col < 0 || col >= grid.Cols()) return false;
    const int left = grid.ColPos(col);
    const int top = grid.RowPos(row);
    const int width = kCheckMarkPixels * m_metrics.TwipsPerPixelX();
    const int height = kCheckMarkPixels * m_metrics.TwipsPerPixelY();
    return left <= x && x <= left + width && top <= y && y <= top + height;
}

int BestGrid::SortCompare(Grid& grid, int row1, int row2) {
    const int keys = std::clamp(m_iSortKeys, 0, kMaxSortKeys);
    for (int k = 1; k <= keys; ++k) {
        const auto key = static_cast<std::size_t>(k);
        const int col = m_aSortCol[key];
        const int order = m_aSortOrder[key];
        const QString a = GridGetText(grid, row1, col);
        const QString b = GridGetText(grid, row2, col);
        int result = 0;
        switch (order) {
        case OrderNumericAscending:
        case OrderNumericDescending: {
            const double na = LeadingNumber(a);
            const double nb = LeadingNumber(b);
            result = na < nb ? -1 : (na > nb ? 1 : 0);
            if (order == OrderNumericDescending) result = -result;
            break;
        }
        case OrderTextAscending:
        case OrderTextDescending: {
            const int c = QString::compare(a, b, Qt::CaseSensitive);
            result = c < 0 ? -1 : (c > 0 ? 1 : 0);
            if (order == OrderTextDescending) result = -result;
            break;
        }
        default:
            Message(QStringLiteral("SortCompare, Sort Direction Not Supported"), MsgIcon::Exclamation);
            return 0;
        }
        if (result != 0) return result;
    }
    return 0;
}

QString BestGrid::ColumnToolTip(const QString& header) const {
    if (header == QLatin1String("Log"))
        return QStringLiteral("Your calls on the frequency ") + kLogWhen +
               QStringLiteral(" in the last %1 days (AirMail's log): connected/calls")
                   .arg(m_settings.m_iStationHistoryDays);
    static const std::array<std::pair<const char*, const char*>, 16> kTips = {{
        {"Azimuth", "Station Azimuth (Deg)"},
        {"Dial Freq", "Dial Frequency (kHz)"},
        {"Frequency", "Pactor Frequency (kHz)"},
        {"Pactor Freq", "Pactor Frequency (kHz)"},
        {"Layer", "Ionispheric Layer, [Hops][Layer]"},
        {"LUF-MUF", "[<Lower][Maximun][>Maximun] Usable Frequency"},
        {"Noise", "Noise Level (dBw)"},
        {"Range", "Station Range (nmi)"},
        {"Rel", "Reliability (%): the chance that the link reaches the SNR a Pactor link needs, "
                "from the prediction"},
        {"Signal", "Signal Level (dBw)"},
        {"Slope", "Snr Slope (dB/Hr)"},
        {"Snr", "Signal to Noise Ratio (dB), bigger is better"},
        {"Station", "Station (Id)"},
        {"Stn Ant", "Station Antenna Offset (dB)"},
        {"Stn Az", "Station to Ship Azimuth (Deg)"},
        {"T Ang", "Ionispheric Takeoff Angle (Deg)"},
    }};
    for (const auto& [name, tip] : kTips) {
        if (header == QLatin1String(name)) return QString::fromLatin1(tip);
    }
    return {};
}

QString BestGrid::LogToolTip(const Grid& grid, int row) const {
    return LogRecordToolTip(LogRecordFromText(grid.Text(row, m_iColLog)), kLogWhen,
                            m_settings.m_iStationHistoryDays, grid.Text(row, m_iColLogLast));
}

void BestGrid::FrequencyMouseMove(Grid& grid, int /*button*/, int /*shift*/, int x, int y) {
    if (&grid == m_mouseGrid && x == m_mouseX && y == m_mouseY) return;
    m_mouseGrid = &grid;
    m_mouseX = x;
    m_mouseY = y;

    QString tip;
    const GridRowCol cell = GridGetRowCol(grid, x, y);
    if (cell.iRow >= 0 && cell.iCol >= 0) {
        const int row = grid.Row();
        const int col = grid.Col();
        grid.SetRow(cell.iRow);
        grid.SetCol(cell.iCol);
        const Color color = grid.BackColor(cell.iRow, cell.iCol);
        // The colour set in its order, first match wins; the clear colour has
        // the value of the not-busy colour and reads as such.
        if (color == m_lColorClear) {
            tip = QStringLiteral("Frequency was Not Busy");
        } else if (color == m_lColorHigher) {
            tip = QStringLiteral("Selected Higher Frequency");
        } else if (color == m_lColorNoisy) {
            tip = QStringLiteral("Frequency was Noisy");
        } else if (color == m_lColorNotBusy) {
            tip = QStringLiteral("Frequency was Not Busy");
        } else if (color == m_lColorShared) {
            tip = QStringLiteral("Same Frequency is being used by Multiple Stations");
        } else if (color == m_lColorBusy) {
            tip = QStringLiteral("Frequency was Busy");
        } else if (color == m_lColorOffset) {
            tip = QStringLiteral("Antenna Offset of ") + GridGetText(grid, cell.iRow, m_iColStnAnt) +
                  QStringLiteral(" dB, bigger SNR is better");
        } else if (cell.iRow > 0 && cell.iCol == m_iColLog) {
            tip = LogToolTip(grid, cell.iRow);
        } else {
            tip = ColumnToolTip(grid.Text(0, cell.iCol));
        }
        grid.SetRow(row);
        grid.SetCol(col);
    }
    // Cleared first so that the tooltip window refreshes.
    grid.SetToolTipText(QString());
    grid.SetToolTipText(tip);
}

// ---- grdFrequency ------------------------------------------------------

void BestGrid::Message(const QString& text, MsgIcon icon) {
    m_ui.BringToFront(m_caption);
    MessageRequest request;
    request.text = text;
    request.icon = icon;
    m_ui.MessageBox(request);
}

bool BestGrid::AnyChecked() {
    for (int row = 1; row < grdFrequency.Rows(); ++row) {
        if (GridGetChecked(grdFrequency, row, m_iColFrequency)) return true;
    }
    return false;
}

bool BestGrid::FrequencyAnyChecked(const QString& cause) {
    if (AnyChecked()) return true;
    QString text = QStringLiteral("Unable to select any of the listed connect frequencies.");
    if (!cause.isEmpty()) text += QStringLiteral("\r\n\r\n") + cause;
    Message(text, MsgIcon::Information);
    UpdateStatusStatus(m_ui, QStringLiteral("Select, No Frequencies"));
    return false;
}

void BestGrid::SetBlinkTimer(bool enabled) {
    if (tmrBlink.enabled == enabled) return;
    tmrBlink.enabled = enabled;
    if (onBlinkTimerChanged) onBlinkTimerChanged();
}

void BestGrid::GridBlinkCell(int row, int col) {
    if (tmrBlink.enabled && row == m_iBlinkRow && col == m_iBlinkCol) return;
    GridBlinkStop();
    if (row < 0 || row >= grdFrequency.Rows() || col < 0 || col >= grdFrequency.Cols()) return;
    grdFrequency.SetRow(row);
    grdFrequency.SetCol(col);
    m_iBlinkRow = row;
    m_iBlinkCol = col;
    m_lBlinkColor = grdFrequency.BackColor(row, col);
    tmrBlink_Timer();
    SetBlinkTimer(true);
}

namespace {

// The background the blink alternates with the grid's own: the remembered
// colour, or for a cell remembered in the grid's background the grid's text
// colour (white would not blink on white).  The text takes the colour that
// reads on the background shown, so the frequency stays readable throughout.
Color BlinkInk(Color remembered) {
    return remembered == Grid::kDefaultBackColor ? Grid::kDefaultForeColor : remembered;
}

}  // namespace

void BestGrid::tmrBlink_Timer() {
    Grid& grid = grdFrequency;
    if (m_iBlinkRow < 0 || m_iBlinkRow >= grid.Rows() || m_iBlinkCol < 0 || m_iBlinkCol >= grid.Cols()) return;
    grid.SetRow(m_iBlinkRow);
    grid.SetCol(m_iBlinkCol);
    const Color ink = BlinkInk(m_lBlinkColor);
    const bool inked = grid.BackColor(m_iBlinkRow, m_iBlinkCol) == ink;
    grid.SetBackColor(m_iBlinkRow, m_iBlinkCol, inked ? Grid::kDefaultBackColor : ink);
}

void BestGrid::GridBlinkStop() {
    if (!tmrBlink.enabled) return;
    SetBlinkTimer(false);
    Grid& grid = grdFrequency;
    if (m_iBlinkRow < 0 || m_iBlinkRow >= grid.Rows() || m_iBlinkCol < 0 || m_iBlinkCol >= grid.Cols()) return;
    // The cell stays marked in the remembered colour.
    grid.SetBackColor(m_iBlinkRow, m_iBlinkCol, m_lBlinkColor);
}

// ---- grdFrequency events ----------------------------------------------

void BestGrid::grdFrequency_Click(int x, int y) {
    m_iGridRow = GridGetRowCol(grdFrequency, x, y).iRow;
    if (m_iGridRow == 0) {
        // A click on the header selects the first row, when there is one.
        m_iGridRow = grdFrequency.Rows() > 1 ? 1 : -1;
    }
    if (m_iGridRow > 0) grdFrequency.SetRow(m_iGridRow);
}

void BestGrid::grdFrequency_DblClick(int x, int y) {
    m_iGridRow = GridGetRowCol(grdFrequency, x, y).iRow;
    if (onShowPropagationHours) onShowPropagationHours();
}

void BestGrid::grdFrequency_MouseMove(int button, int shift, int x, int y) {
    FrequencyMouseMove(grdFrequency, button, shift, x, y);
}

void BestGrid::grdFrequency_MouseUp(int button, int /*shift*/, int x, int y) {
    const GridRowCol cell = GridGetRowCol(grdFrequency, x, y);
    if (cell.iRow < 1 || cell.iRow >= grdFrequency.Rows() || cell.iCol < 0 || cell.iCol >= grdFrequency.Cols()) return;
    if (button == MouseLeft) {
        if (cell.iCol == m_iColFrequency && GridHitCheckMark(grdFrequency, cell.iRow, cell.iCol, x, y)) {
            GridSetChecked(grdFrequency, cell.iRow, cell.iCol, !GridGetChecked(grdFrequency, cell.iRow, cell.iCol));
        }
    } else if (button == MouseRight) {
        grdFrequency_Click(x, y);
        if (onFrequencyMenuOpening) onFrequencyMenuOpening();
        if (onFrequencyMenuPopup) onFrequencyMenuPopup(x, y);
    }
}

// ---- grdFrequency keys -------------------------------------------------

void BestGrid::SelectRow(int row) {
    Grid& grid = grdFrequency;
    m_iGridRow = row;
    grid.SetRow(row);
    if (row < grid.TopRow()) grid.SetTopRow(row);
    while (!grid.RowIsVisible(row) && grid.TopRow() < row) grid.SetTopRow(grid.TopRow() + 1);
}

// The data rows shown whole from the top row on (at least one).
int BestGrid::RowsPerPage() const {
    const Grid& grid = grdFrequency;
    int rows = 0;
    for (int r = grid.TopRow(); r < grid.Rows() && grid.RowIsVisible(r); ++r) ++rows;
    return std::max(1, rows);
}

bool BestGrid::grdFrequency_KeyDown(GridKey key) {
    Grid& grid = grdFrequency;
    const int first = grid.FixedRows();
    const int last = grid.Rows() - 1;
    if (last < first) return false;
    const bool selected = m_iGridRow >= first && m_iGridRow <= last;
    const int row = selected ? m_iGridRow : first - 1;
    const int page = RowsPerPage() - 1;
    switch (key) {
    case GridKey::Up: SelectRow(selected ? std::max(first, row - 1) : first); return true;
    case GridKey::Down: SelectRow(std::min(last, row + 1)); return true;
    case GridKey::PageUp: SelectRow(std::max(first, row - std::max(1, page))); return true;
    case GridKey::PageDown: SelectRow(std::min(last, row + std::max(1, page))); return true;
    case GridKey::Home: SelectRow(first); return true;
    case GridKey::End: SelectRow(last); return true;
    default: break;
    }
    if (!selected) return false;
    switch (key) {
    case GridKey::Space:
        SelectRow(row);
        GridSetChecked(grid, row, m_iColFrequency, !GridGetChecked(grid, row, m_iColFrequency));
        return true;
    case GridKey::Enter:
        SelectRow(row);
        if (onShowPropagationHours) onShowPropagationHours();
        return true;
    case GridKey::Menu:
        SelectRow(row);
        if (onFrequencyMenuOpening) onFrequencyMenuOpening();
        if (onFrequencyMenuPopup)
            onFrequencyMenuPopup(grid.ColPos(m_iColFrequency) + kCheckMarkPixels * m_metrics.TwipsPerPixelX(),
                                 grid.RowPos(row) + grid.RowHeight(row));
        return true;
    default: return false;
    }
}

}  // namespace tw
