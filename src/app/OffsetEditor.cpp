#include "app/OffsetEditor.h"

#include <algorithm>

#include "airmail/AirMail.h"
#include "airmail/Stations.h"

namespace tw {

namespace {
struct Column {
    const char* header;
    const char* widthTemplate;
    const char* toolTip;
};
constexpr Column kColumns[kOffsetFieldCount] = {
    {"System", "--------System-", "System"},
    {"Station", "-------------------Station-", "Station"},
    {"Frequency", "-----10000.0(p3)--", "Frequency (KHz)"},
    {"Offset", "-Offset-", "Snr Offset (dB)"},
    {"Ant Bw", "-Ant Bw-", "Antenna 3 dB Beamwidth (Deg), Default is 360 for Omni"},
    {"Ant Az", "-Ant Az-", "Antenna Mainbeam Azimuth (Deg), Default is 0"},
    {"Start", "--Start--", "Start Time Zulu (hhmm), Default is 0000"},
    {"Stop", "--Stop--", "Stop Time Zulu (hhmm), Default is 2400"},
};
const QString kFrequencySeparator = QStringLiteral(", ");

Control Button(const char* caption, const char* toolTip) {
    Control c;
    c.caption = QString::fromLatin1(caption);
    c.toolTip = QString::fromLatin1(toolTip);
    return c;
}
}  // namespace

OffsetEditor::OffsetEditor(AirMail& airmail, const ITextMetrics& metrics, QObject* parent)
    : QObject(parent), m_airmail(airmail), m_metrics(metrics) {
    chkStationOffset.caption = QStringLiteral("Use Offset Data");
    cmdOffsetInsert = Button("Insert", "Insert a Line");
    cmdOffsetDelete = Button("Delete", "Delete Current Line");
    cmdOffsetSort = Button("Sort", "Sort Offset Data");
    cmdOffsetCheck = Button("Check", "Check Offset Data for any Changes in Station Frequency List");
    cmdOffsetInfo = Button("Info", "Detailed HAM Station List Information");
    cmdOffsetInfo.enabled = false;
    Layout();
    grdOffset.SetRows(2);
}

QString OffsetEditor::ColumnToolTip(int col) {
    return col >= 0 && col < kOffsetFieldCount ? QString::fromLatin1(kColumns[col].toolTip) : GridToolTip();
}

QString OffsetEditor::GridToolTip() { return QStringLiteral("Antenna Offset Data"); }

void OffsetEditor::Layout() {
    grdOffset.SetCols(kOffsetFieldCount);
    if (grdOffset.Rows() < 1) grdOffset.SetRows(1);
    grdOffset.SetFixedRows(1);
    for (int col = 0; col < kOffsetFieldCount; ++col) {
        grdOffset.SetText(0, col, QString::fromLatin1(kColumns[col].header));
        grdOffset.SetCellAlignment(0, col, AlignCenter);
        grdOffset.SetBold(0, col, false);
        grdOffset.SetColWidth(col, m_metrics.TextWidthTwips(QString::fromLatin1(kColumns[col].widthTemplate)));
    }
    grdOffset.SetToolTipText(GridToolTip());
}

void OffsetEditor::Load(bool stationOffset) {
    HideEditors();
    useOffsets = stationOffset;
    const Settings& settings = m_airmail.settings();
    const QVector<OffsetFields> rows = OffsetTableReadEditor(m_airmail.profile(), settings.m_sProfileFile);
    grdOffset.SetRedraw(false);
    Layout();
    if (!rows.isEmpty()) {
        grdOffset.SetRows(1);
        grdOffset.SetRows(static_cast<int>(rows.size()) + 1);
        for (int i = 0; i < rows.size(); ++i) SetRowFields(i + 1, rows[i]);
    } else {
        for (int row = 1; row < grdOffset.Rows(); ++row) WidenFrequency(grdOffset.Text(row, OffsetColFrequency));
    }
    grdOffset.SetRow(1);
    grdOffset.SetCol(0);
    grdOffset.SetRedraw(true);
    cmdOffsetInfo.enabled = false;
    emit changed();
}

void OffsetEditor::Unload() {
    HideEditors();
    grdOffset.SetRows(1);
    grdOffset.SetRows(2);
}

void OffsetEditor::SetRowFields(int row, const OffsetFields& fields) {
    for (int col = 0; col < kOffsetFieldCount; ++col) {
        grdOffset.SetText(row, col, fields[col]);
        if (col == OffsetColFrequency) WidenFrequency(fields[col]);
    }
}

QVector<OffsetFields> OffsetEditor::Rows() const {
    QVector<OffsetFields> rows;
    for (int row = 1; row < grdOffset.Rows(); ++row) {
        OffsetFields fields;
        for (int col = 0; col < kOffsetFieldCount; ++col) fields[col] = grdOffset.Text(row, col);
        rows.append(fields);
    }
    return rows;
}

bool OffsetEditor::Save() {
    // The header row is stored as Row1, as the table's first line.
    QVector<OffsetFields> rows = Rows();
    rows.prepend(OffsetHeader());
    return OffsetTableWrite(rows, m_airmail.settings(), m_airmail.profile(), m_airmail.ui());
}

void OffsetEditor::WidenFrequency(const QString& text) {
    const int width = m_metrics.TextWidthTwips(QStringLiteral("--") + text);
    if (width > grdOffset.ColWidth(OffsetColFrequency)) grdOffset.SetColWidth(OffsetColFrequency, width);
}

void OffsetEditor::PlaceOver(Control& editor, int row, int col) {
    editor.left = grdOffset.ColPos(col);
    editor.top = grdOffset.RowPos(row);
    editor.width = grdOffset.ColWidth(col);
    editor.height = grdOffset.RowHeight(row);
}

// The position wraps: past the last column to the first of the next row,
// before the first to the last of the row above; past the last data row to
// row 1, above row 1 to the last data row.
void OffsetEditor::StartEdit(int row, int col) {
    HideEditors();
    if (col >= kOffsetFieldCount) {
        col = 0;
        ++row;
    } else if (col < 0) {
        col = kOffsetFieldCount - 1;
        --row;
    }
    if (row > DataRows()) row = 1;
    if (row < 1) row = DataRows();
    grdOffset.SetRow(row);
    grdOffset.SetCol(col);
    m_editRow = row;
    m_editCol = col;
    m_editSystem = grdOffset.Text(row, OffsetColSystem);
    m_editStation = grdOffset.Text(row, OffsetColStation);
    const QString text = grdOffset.Text(row, col);

    if (col == OffsetColSystem || col == OffsetColStation) {
        QStringList entries;
        if (col == OffsetColSystem) {
            if (!SystemsGet(entries)) return;
        } else {
            if (m_editSystem.isEmpty() || !StationGetStation(m_airmail, m_editSystem, entries)) return;
        }
        cmbOffset.items = entries;
        // An entry AirMail no longer offers shows the first entry; the cell
        // keeps its text until one is chosen.
        cmbOffset.listIndex = std::max<int>(0, static_cast<int>(entries.indexOf(text)));
        PlaceOver(cmbOffset, row, col);
        m_editor = Editor::Combo;
    } else if (col == OffsetColFrequency) {
        if (m_editSystem.isEmpty() || m_editStation.isEmpty()) return;
        QStringList frequencies;
        if (!FrequenciesGet(m_editSystem, m_editStation, frequencies)) return;
        lstItems = frequencies;
        const QStringList chosen = text.split(kFrequencySeparator);
        lstSelected.clear();
        for (const QString& f : frequencies) lstSelected.append(chosen.contains(f));
        PlaceOver(lstOffset, row, col);
        const int clientHeight = grdOffset.ClientHeight();
        int height = (grdOffset.RowHeight(row) + 25) * static_cast<int>(frequencies.size());
        if (clientHeight > 0) {
            height = std::min(height, clientHeight);
            if (lstOffset.top + height > clientHeight) lstOffset.top = clientHeight - height;
        }
        lstOffset.height = height;
        grdOffset.SetCellAlignment(row, col, AlignLeft);
        m_editor = Editor::List;
    } else {
        PlaceOver(txtOffset, row, col);
        txtOffset.caption = text;
        txtOffset.toolTip = grdOffset.ToolTipText();
        m_editor = Editor::Text;
    }
    emit changed();
}

void OffsetEditor::EditorTab(bool back) {
    if (m_editor == Editor::None) return;
    StartEdit(m_editRow, m_editCol + (back ? -1 : 1));
}

void OffsetEditor::ComboChoose(int index) {
    if (m_editor != Editor::Combo || index < 0 || index >= cmbOffset.items.size()) return;
    cmbOffset.listIndex = index;
    if (grdOffset.Text(m_editRow, m_editCol) == cmbOffset.items[index]) return;
    grdOffset.SetText(m_editRow, m_editCol, cmbOffset.items[index]);
}

void OffsetEditor::ListSetSelected(int index, bool selected) {
    if (m_editor != Editor::List || index < 0 || index >= lstSelected.size()) return;
    lstSelected[index] = selected;
    QStringList chosen;
    for (int i = 0; i < lstItems.size(); ++i)
        if (lstSelected[i]) chosen << lstItems[i];
    const QString text = chosen.join(kFrequencySeparator);
    grdOffset.SetText(m_editRow, m_editCol, text);
    WidenFrequency(text);
}

void OffsetEditor::TextChanged(const QString& text) {
    if (m_editor != Editor::Text) return;
    txtOffset.caption = text;
    grdOffset.SetText(m_editRow, m_editCol, text);
}

void OffsetEditor::HideEditors() {
    if (m_editor == Editor::None) return;
    m_editor = Editor::None;
    emit changed();
}

void OffsetEditor::GridClick(int row, int col) {
    if (row < 1 || row >= grdOffset.Rows() || col < 0 || col >= kOffsetFieldCount) return;
    cmdOffsetInfo.enabled = grdOffset.Text(row, OffsetColSystem).toUpper() == QLatin1String("HAM");
    StartEdit(row, col);
    emit changed();
}

bool OffsetEditor::CellAt(int x, int y, int& row, int& col) const {
    row = col = -1;
    for (int c = 0; c < grdOffset.Cols(); ++c)
        if (x >= grdOffset.ColPos(c) && x < grdOffset.ColPos(c) + grdOffset.ColWidth(c)) col = c;
    for (int r = 0; r < grdOffset.Rows(); ++r)
        if (grdOffset.RowIsVisible(r) && y >= grdOffset.RowPos(r) &&
            y < grdOffset.RowPos(r) + grdOffset.RowHeight(r))
            row = r;
    return row >= 0 && col >= 0;
}

void OffsetEditor::GridMouseMove(int x, int y) {
    int row = -1, col = -1;
    const bool cell = CellAt(x, y, row, col);
    if (row == m_mouseRow && col == m_mouseCol) return;
    m_mouseRow = row;
    m_mouseCol = col;
    grdOffset.SetToolTipText(cell ? ColumnToolTip(col) : GridToolTip());
}

void OffsetEditor::cmdOffsetInsert_Click() {
    HideEditors();
    grdOffset.AddRow();
}

// Removes the row being edited in the text box or the drop-down list.  The
// table keeps one data row: deleting the last one empties it instead.
void OffsetEditor::cmdOffsetDelete_MouseDown() {
    if (m_editor != Editor::Text && m_editor != Editor::Combo) {
        m_airmail.ShowMessage(QStringLiteral("Please Select the Row to Delete and then Press Delete"),
                              MsgIcon::None);
        return;
    }
    const int row = m_editRow;
    HideEditors();
    if (DataRows() <= 1) {
        SetRowFields(1, OffsetFields{});
    } else {
        grdOffset.RemoveRow(row);
        grdOffset.SetRow(std::min(row, DataRows()));
    }
    cmdOffsetInfo.enabled = false;
    emit changed();
}

// System and Station as text (character codes), then Frequency and Start by
// their leading numbers.
void OffsetEditor::cmdOffsetSort_Click() {
    HideEditors();
    if (DataRows() < 1) return;
    grdOffset.SetRedraw(false);
    grdOffset.SetCompare([this](int a, int b) {
        for (int col : {int(OffsetColSystem), int(OffsetColStation)}) {
            const int c = QString::compare(grdOffset.Text(a, col), grdOffset.Text(b, col), Qt::CaseSensitive);
            if (c != 0) return c < 0 ? -1 : 1;
        }
        for (int col : {int(OffsetColFrequency), int(OffsetColStart)}) {
            const double x = LeadingNumber(grdOffset.Text(a, col));
            const double y = LeadingNumber(grdOffset.Text(b, col));
            if (x != y) return x < y ? -1 : 1;
        }
        return 0;
    });
    grdOffset.Sort(1, DataRows(), 0, SortCustom);
    grdOffset.SetRow(0);
    grdOffset.SetCol(0);
    grdOffset.SetRedraw(true);
}

// Every frequency of every row against the station's list in AirMail; each
// one missing asks whether to go on.  A row whose station AirMail does not
// list, an empty system or station included, is told with AirMail's message
// and skipped.  A row with every cell empty (the one row of a new table) has
// nothing to compare and is passed over.
void OffsetEditor::cmdOffsetCheck_Click() {
    HideEditors();
    for (int row = 1; row < grdOffset.Rows(); ++row) {
        const QString system = grdOffset.Text(row, OffsetColSystem);
        const QString station = grdOffset.Text(row, OffsetColStation);
        bool empty = true;
        for (int col = 0; col < kOffsetFieldCount; ++col) empty = empty && grdOffset.Text(row, col).isEmpty();
        if (empty) continue;
        QStringList frequencies;
        if (!FrequenciesGet(system, station, frequencies)) continue;
        for (const QString& f : grdOffset.Text(row, OffsetColFrequency).split(kFrequencySeparator)) {
            if (f.isEmpty() || frequencies.contains(f)) continue;
            m_airmail.ActivateMain();
            MessageRequest ask;
            ask.text = system + QLatin1Char(' ') + station + QStringLiteral(" frequency ") + f +
                       QStringLiteral(" not found in Station's Frequency List\n\nDo you wish to Continue?");
            ask.buttons = MsgButtons::YesNo;
            ask.icon = MsgIcon::Information;
            if (m_airmail.ui().MessageBox(ask) == MsgAnswer::No) return;
        }
    }
}

void OffsetEditor::cmdOffsetInfo_Click() {
    const int row = grdOffset.Row();
    if (row < 1 || row >= grdOffset.Rows() || !ShowStationInfo) return;
    if (grdOffset.Text(row, OffsetColSystem).toUpper() != QLatin1String("HAM")) return;
    ShowStationInfo(grdOffset.Text(row, OffsetColStation));
}

// The offset editor tells of a data folder without system files without an
// icon, unlike the main window's system list.
bool OffsetEditor::SystemsGet(QStringList& systems) { return m_airmail.AirMailGetSystems(systems, MsgIcon::None); }

bool OffsetEditor::FrequenciesGet(const QString& system, const QString& station, QStringList& frequencies) {
    frequencies.clear();
    QString key = station;
    // SAILMAIL rows name the station by its display name; an unknown name is
    // looked up as it stands, so AirMail's message names it.
    if (IsSailMail(system)) {
        const QString id = StationFromStationName(m_airmail, system, station);
        if (!id.isEmpty()) key = id;
    }
    const QString value = m_airmail.AirMailGetProfileString(SystemFileName(system),
                                                            QStringLiteral("Frequency List"), key, true);
    if (value.isEmpty()) return false;
    frequencies = FrequencyListTexts(value);
    return !frequencies.isEmpty();
}

}  // namespace tw
