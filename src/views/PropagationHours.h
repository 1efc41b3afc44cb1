#pragma once
// The 24-hour propagation view (frmPropagationHours): one station's
// frequencies by UTC hour, the predicted SNR of each hour coloured by its
// strength, the user's antenna offsets applied (bold cells, their offset in
// the tooltip), the current hour's header highlighted and following the
// clock, and a chosen hour that opens the detailed view.  The Qt window
// (ui/frmPropagationHoursWidget) renders the grid and forwards the mouse;
// headless mode prints the grid.

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

#include "common/Controls.h"
#include "common/WindowModel.h"
#include "common/Grid.h"
#include "common/UserInterface.h"
#include "propagation/Propagation.h"
#include "propagation/PropagationTypes.h"

namespace tw {

class AirMail;
class MainState;
class Position;
class Propagation;

// The background of an SNR cell by its value (dB): grey below 40, blues from
// 40, purples and magentas from 55.  The text on it is ReadableTextColor.
Color SnrColor(double snr);

// The colour key of the hour views: each colour of SnrColor with the whole
// numbers (dB) it stands for, weakest first ("<40", "40-44", ..., "70+").
struct SnrKeyEntry {
    QString label;
    Color color;
};
std::vector<SnrKeyEntry> SnrColorKey();
inline constexpr const char* kSnrKeyCaption = "SNR (dB):";

// What the hour views' cells show: the predicted SNR (dB), or the
// reliability of that SNR (percent), antenna offsets included either way;
// the 24-hour view also the user's own calls of each hour from AirMail's log
// (connected/calls).
enum class HourValues { Snr, Reliability, Log };

// The 24-hour view colours each cell by the prediction alone and draws a
// number that includes an antenna offset in bold: what its colour key and a
// bold cell's tooltip (after "Station Offset of ... dB") add.
inline constexpr const char* kOffsetKeyNote =
    "Bold: an antenna offset is added to the number; the colour is that of the prediction "
    "without it.";
inline constexpr const char* kOffsetTipNote =
    ", added to the number; the colour is that of the prediction without it";

// The background of a reliability cell by its value (percent): grey below
// 10, then from dark red through orange and yellow to green from 90.  Its
// colour key, weakest first ("<10", "10-24", ..., "90+").
Color RelColor(double reliability);
std::vector<SnrKeyEntry> RelColorKey();
inline constexpr const char* kRelKeyCaption = "Reliability (%):";
// The background of a Log cell by the share of its calls that connected:
// red for none, orange below a quarter, yellow below a half, light green
// below three quarters, green from there.  Its colour key, "none" first.
Color LogColor(int connected, int calls);
std::vector<SnrKeyEntry> LogColorKey();
inline constexpr const char* kLogKeyCaption = "Calls connected:";
// The colour of an hour cell's number by what the cells show.
Color HourColor(HourValues values, double value);
// The sample text an hour column's width is taken from: "--00-" for the
// SNR's two digits; the reliability's "100" needs a wider one, so that the
// hour's frames keep off the text.
QString HourColumnSample(HourValues values);

// Turns the SNR cells of rows first..last, hour h in column firstCol + h,
// into the reliability of the SNR each shows (its offset included), from
// results[h][row - first], coloured by the prediction's own reliability
// (without the offset); an SNR below `floor` was shown as it.  A cell whose
// reliability the model does not give is emptied.
void HourCellsReliability(Grid& grid, int first, int last, int firstCol,
                          const PropagationHours& results, double floor);

// The current hour's mark in an hour view's grid: its header cell in the
// selection colour and a solid frame around its column; `previous` (-1 for
// none) loses the mark.
inline constexpr Color kHourHeaderBackColor = Rgb(10, 36, 106);
void HighlightHourHeader(Grid& grid, int previous, int col);

// The predictions for whole hours (PropagationGetHours of the run driver, or
// a stand-in in tests).
using PropagationGetHoursFunction =
    std::function<bool(int model, int month, int firstHour, int hourCount,
                       const PropagationPositions& positions, const std::vector<float>& frequencies,
                       float sunspotNumber, PropagationHours& results, PropagationPath& path)>;

// PropagationGetHours of a run driver that outlives the function.
PropagationGetHoursFunction PropagationGetHoursOf(Propagation& propagation);

// Runs every station's circuit for whole hours at once before the stations
// are predicted one by one (PropagationPrepareHours of the run driver), when
// the model's runs are combined: only then is `requests` called.  Called with
// an empty `requests` afterwards, to drop what is left.
using PropagationPrepareHoursFunction =
    std::function<void(int model, int month, int firstHour, int hourCount, float sunspotNumber,
                       const PropagationRequests& requests)>;

// PropagationPrepareHours of a run driver that outlives the function.
PropagationPrepareHoursFunction PropagationPrepareHoursOf(Propagation& propagation);

// Whether a frequency of a "HAM" station stays in the views by the Pactor
// mode setting: mode 0 keeps the Pactor 3 frequencies ("(p3)" in the text),
// mode 1 the others, any other mode keeps all.
bool PactorModeKeeps(int mode, const QString& frequencyText);

class frmPropagationHours : public WindowModel {
    Q_OBJECT
public:
    static constexpr int kCols = 49;
    static constexpr int kColFrequency = 0;
    static constexpr int kColFirstHour = 1;     // hour h in column h + 1
    static constexpr int kColFirstOffset = 25;  // the offset of column c in c + 24
    static constexpr int kSizeMargin = 100;     // twips around the grid
    // The current hour's header (HighlightHourHeader); the chosen hour's
    // column has a dashed frame.
    static constexpr Color kSelectionBackColor = kHourHeaderBackColor;

    // Column widths are the drawn widths of sample texts in `metrics`.
    frmPropagationHours(MainState& main, const ITextMetrics& metrics, AirMail& airmail,
                        Position& position, PropagationGetHoursFunction propagationGetHours);

    // --- controls ---
    QString caption = QStringLiteral("Tidewell - 24 Hour Propagation Data");
    Grid grdData;
    TimerControl tmrHour;

    // Shown or hidden; the window lives on while hidden.

    // Rebuilds the grid for `station` (identifier) of `system` on the day of
    // `time` (UTC, the caller passes the current time).  An empty system or
    // station uses the remembered ones.  True when the grid holds the
    // prediction; otherwise it keeps what was drawn so far and Failure()
    // says why (the user has been told through messages where there were any).
    bool Update(const QString& system, const QString& station, const QDateTime& time);
    QString Failure() const { return m_failure; }
    // Whether an update runs.  The window's events go on while the programs
    // run, so a request for another update (or for the main window's, which
    // runs the same programs on the same files) can come meanwhile: the view
    // ignores it, and so does the main window.
    bool Updating() const { return m_updating; }

    // The station's identifier for the text of the best list's Station column
    // (a display name for SAILMAIL).
    QString StationFromName(const QString& system, const QString& name);

    QString System() const { return m_system; }
    QString Station() const { return m_station; }
    int ChosenCol() const { return m_chosenCol; }
    // What the colour key adds below its colours: kOffsetKeyNote while a
    // cell shows a number with an antenna offset, else nothing.
    QString KeyNote() const {
        return m_offsetsShown ? QString::fromLatin1(kOffsetKeyNote) : QString();
    }
    int HourCol() const { return m_hourCol; }
    // The client size that shows the whole grid with its margin (twips).
    int WidthWanted() const;
    int HeightWanted() const;

    // --- events; (x, y) in twips relative to the grid ---
    void tmrHour_Timer();
    void grdData_MouseMove(int button, int shift, int x, int y);
    void grdData_DblClick(int x, int y);
    void grdData_MouseUp(int button, int shift, int x, int y);
    void mnuDataDetails_Click();
    // The menu's "SNR", "Reliability" and "Log": what the cells show; the
    // grid is built again for the station and day shown.  Log shows, for
    // each frequency and UTC hour, the user's calls of that hour in the last
    // "History Days" days before the time of the update, connected/calls,
    // without a prediction.
    HourValues Values() const { return m_values; }
    void SetValues(HourValues values) { m_values = values; }
    void mnuDataValues_Click(HourValues values);

    // The detailed view for the chosen hour: this window's system and station
    // at the day's midnight plus the hour.
    std::function<void(const QString& system, const QString& station, const QDateTime& time)>
        onShowDetails;
    // The Data pop-up menu at (x, y) of the grid.
    std::function<void(int x, int y)> onDataMenuPopup;

private:
    void Layout();
    bool AddFrequencies();
    bool FillPrediction(const QDateTime& time);
    void FillLog(const QDateTime& time);
    void HighlightHour(int col);
    void MarkChosen(int col);
    void ShowDetails(int col);
    int DataColAt(int x, int y, int& row) const;

    MainState& m_main;
    const ITextMetrics& m_metrics;
    AirMail& m_airmail;
    Position& m_position;
    PropagationGetHoursFunction m_propagationGetHours;
    bool m_updating = false;
    QString m_system;
    QString m_station;
    QString m_label;
    QDateTime m_day;  // midnight (UTC) of the day shown
    QDateTime m_time;  // the time of the last update
    HourValues m_values = HourValues::Snr;
    int m_chosenCol = -1;
    int m_hourCol = -1;
    int m_popupCol = -1;
    QString m_failure;
    bool m_offsetsShown = false;  // a bold cell with a number
    int m_mouseRow = -2;
    int m_mouseCol = -2;
};

}  // namespace tw
