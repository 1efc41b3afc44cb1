#pragma once
// The Antenna tab of the options dialog: the antenna offset table in a grid
// with in-cell editors (a drop-down list of AirMail's systems or of a
// system's stations, a multi-selection list of a station's frequencies, a
// text box), Insert, Delete, Sort, Check against AirMail's frequency lists,
// Info for HAM rows, and the column tooltips.  The table is read from and
// written to "Tidewell.Ini" in the format of settings/OffsetTable.h.
//
// Positions are in twips relative to the grid's client area; the widget adds
// the grid's own place.  Cells hold text as typed: nothing is converted or
// validated while editing (the evaluation converts the stored fields).

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "common/Controls.h"
#include "common/Grid.h"
#include "common/UserInterface.h"
#include "settings/OffsetTable.h"

namespace tw {

class AirMail;

class OffsetEditor : public QObject {
    Q_OBJECT
public:
    OffsetEditor(AirMail& airmail, const ITextMetrics& metrics, QObject* parent = nullptr);

    // The grid: row 0 the header, one OffsetFields row per data row; there is
    // always at least one data row.
    Grid grdOffset;
    Control chkStationOffset;  // "Use Offset Data"; its state is `useOffsets`
    bool useOffsets = false;
    Control cmdOffsetInsert, cmdOffsetDelete, cmdOffsetSort, cmdOffsetCheck, cmdOffsetInfo;

    // The in-cell editors; at most one is open.
    enum class Editor { None, Combo, List, Text };
    Editor OpenEditor() const { return m_editor; }
    ComboControl cmbOffset;           // systems or stations
    Control lstOffset;                // placement of the frequency list
    QStringList lstItems;             // its entries
    QVector<bool> lstSelected;        // which are selected
    Control txtOffset;                // caption = the text typed
    int EditRow() const { return m_editRow; }
    int EditCol() const { return m_editCol; }

    // The column headers, width templates and tooltips.
    static QString ColumnToolTip(int col);
    static QString GridToolTip();  // "Antenna Offset Data", off the cells

    // The table from the profile and "Use Offset Data" from the flag; the
    // grid laid out afresh.  When the profile holds no row the grid keeps the
    // rows it has: after Apply the rows typed are still there when none of
    // them could be stored, and a dialog opened anew shows one empty row.
    void Load(bool stationOffset);
    // The dialog closes: the grid goes back to one empty row.
    void Unload();
    // The rows as the grid holds them.
    QVector<OffsetFields> Rows() const;
    // Writes the rows to the profile file; false after a message.
    bool Save();

    // Starts editing at (row, col), wrapping past the ends (see the source).
    void StartEdit(int row, int col);
    // Tab (forward) or Shift+Tab (back) in an open editor.
    void EditorTab(bool back);
    // The user's edits, written through to the cell.
    void ComboChoose(int index);
    void ListSetSelected(int index, bool selected);
    void TextChanged(const QString& text);
    // The open editor lost the focus, or the grid scrolled: editors hide.
    void HideEditors();

    // A left click on a cell (button released): Info follows the row's
    // system, and a data cell opens its editor.
    void GridClick(int row, int col);
    // The mouse over the grid (twips): the tooltip of the column under it.
    void GridMouseMove(int x, int y);
    // The cell under a point of the grid (twips); false off the cells.
    bool CellAt(int x, int y, int& row, int& col) const;

    void cmdOffsetInsert_Click();
    // Acts when the button goes down, while the editor is still open.
    void cmdOffsetDelete_MouseDown();
    void cmdOffsetSort_Click();
    void cmdOffsetCheck_Click();
    void cmdOffsetInfo_Click();

    // AirMail's systems ("System.*.ini"); false after a message when none.
    bool SystemsGet(QStringList& systems);
    // A station's frequencies from its system file's [Frequency List], as
    // FrequencyReformat gives them; false after AirMail's message when none.
    bool FrequenciesGet(const QString& system, const QString& station, QStringList& frequencies);

    // Shows the station information window with its beam list and selects
    // the station (empty: none); null, Info does nothing.
    std::function<void(const QString& station)> ShowStationInfo;

signals:
    // The editors or the buttons changed (the grid announces its own changes).
    void changed();

private:
    void Layout();
    void SetRowFields(int row, const OffsetFields& fields);
    void PlaceOver(Control& editor, int row, int col);
    void WidenFrequency(const QString& text);
    int DataRows() const { return grdOffset.Rows() - 1; }

    AirMail& m_airmail;
    const ITextMetrics& m_metrics;
    Editor m_editor = Editor::None;
    int m_editRow = 1;
    int m_editCol = 0;
    QString m_editSystem, m_editStation;
    int m_mouseRow = -2, m_mouseCol = -2;
};

}  // namespace tw
