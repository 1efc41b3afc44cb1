#include "views/PropagationHours.h"

#include <algorithm>
#include <iterator>

#include "airmail/AirMail.h"
#include "airmail/CallLog.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "propagation/Propagation.h"
#include "selection/Evaluate.h"
#include "selection/MainState.h"

namespace tw {

namespace {
const QString kCaptionData =
    QStringLiteral("Tidewell - SNR by Hour and Frequency (bigger is better) - ");
const QString kCaptionReliability =
    QStringLiteral("Tidewell - Reliability by Hour and Frequency (%) - ");
const QString kCaptionLog =
    QStringLiteral("Tidewell - Your Calls by Hour and Frequency (connected/calls) - ");
// The lowest SNR shown; weaker predictions are shown as it.
constexpr double kSnrFloor = -99.0;
}  // namespace

namespace {
// The colours by SNR, strongest first; below the last step grey.
struct SnrStep {
    int from;
    Color color;
};
constexpr SnrStep kSnrSteps[] = {
    {70, Rgb(255, 128, 255)}, {65, Rgb(255, 0, 255)}, {60, Rgb(192, 0, 192)},
    {55, Rgb(128, 0, 128)},   {50, Rgb(0, 0, 255)},   {45, Rgb(0, 0, 192)},
    {40, Rgb(0, 0, 128)},
};
constexpr Color kSnrBelowSteps = Rgb(128, 128, 128);

// The colour of a value by steps (highest first), and the key of the steps.
template <std::size_t N>
Color StepColor(const SnrStep (&steps)[N], Color below, double value) {
    for (const SnrStep& step : steps)
        if (value >= step.from) return step.color;
    return below;
}

template <std::size_t N>
std::vector<SnrKeyEntry> StepKey(const SnrStep (&steps)[N], Color below) {
    constexpr int n = static_cast<int>(N);
    std::vector<SnrKeyEntry> key;
    key.push_back({QStringLiteral("<%1").arg(steps[n - 1].from), below});
    for (int i = n - 1; i > 0; --i)
        key.push_back({QStringLiteral("%1-%2").arg(steps[i].from).arg(steps[i - 1].from - 1), steps[i].color});
    key.push_back({QStringLiteral("%1+").arg(steps[0].from), steps[0].color});
    return key;
}

constexpr SnrStep kRelSteps[] = {
    {90, Rgb(0, 160, 0)},   {75, Rgb(128, 224, 0)}, {50, Rgb(255, 255, 0)},
    {25, Rgb(255, 160, 0)}, {10, Rgb(192, 0, 0)},
};
constexpr Color kRelBelowSteps = Rgb(128, 128, 128);

// The share of calls that connected, percent; no connection at all is red.
constexpr SnrStep kLogSteps[] = {{75, Rgb(0, 160, 0)}, {50, Rgb(128, 224, 0)}, {25, Rgb(255, 255, 0)}};
constexpr Color kLogBelowSteps = Rgb(255, 160, 0);
constexpr Color kLogNone = Rgb(192, 0, 0);
}  // namespace

Color SnrColor(double snr) { return StepColor(kSnrSteps, kSnrBelowSteps, snr); }
std::vector<SnrKeyEntry> SnrColorKey() { return StepKey(kSnrSteps, kSnrBelowSteps); }
Color RelColor(double reliability) { return StepColor(kRelSteps, kRelBelowSteps, reliability); }
std::vector<SnrKeyEntry> RelColorKey() { return StepKey(kRelSteps, kRelBelowSteps); }

Color LogColor(int connected, int calls) {
    if (connected <= 0 || calls <= 0) return kLogNone;
    return StepColor(kLogSteps, kLogBelowSteps, 100.0 * connected / calls);
}

std::vector<SnrKeyEntry> LogColorKey() {
    std::vector<SnrKeyEntry> key = StepKey(kLogSteps, kLogBelowSteps);
    for (SnrKeyEntry& entry : key)
        entry.label = entry.label.endsWith(QLatin1Char('+')) ? entry.label.chopped(1) + QStringLiteral("%+")
                                                             : entry.label + QLatin1Char('%');
    key.insert(key.begin(), {QStringLiteral("none"), kLogNone});
    return key;
}

Color HourColor(HourValues values, double value) {
    return values == HourValues::Reliability ? RelColor(value) : SnrColor(value);
}

QString HourColumnSample(HourValues values) {
    if (values == HourValues::Log) return QStringLiteral("-00/00-");
    return values == HourValues::Reliability ? QStringLiteral("--100-") : QStringLiteral("--00-");
}

void HourCellsReliability(Grid& grid, int first, int last, int firstCol,
                          const PropagationHours& results, double floor) {
    for (int h = 0; h < 24 && h < static_cast<int>(results.size()); ++h) {
        const auto& hour = results[static_cast<std::size_t>(h)];
        for (int row = first; row <= last && row - first < static_cast<int>(hour.size()); ++row) {
            const PropagationResult& result = hour[static_cast<std::size_t>(row - first)];
            const int col = firstCol + h;
            const double shift =
                ShownSnrShift(std::max(floor, static_cast<double>(result.Snr)), grid.Text(row, col));
            const double rel = ReliabilityShifted(result, shift);
            grid.SetText(row, col, ReliabilityText(rel));
            // The colour is the prediction's own (its whole number), without
            // an antenna offset.
            const double predicted = ReliabilityShifted(result, 0.0);
            grid.SetBackColor(row, col, rel < 0 || predicted < 0
                                            ? Grid::kDefaultBackColor
                                            : RelColor(LeadingNumber(ReliabilityText(predicted))));
        }
    }
}

void HighlightHourHeader(Grid& grid, int previous, int col) {
    if (previous >= 0) {
        grid.SetBackColor(0, previous, Grid::kFixedBackColor);
        grid.SetColFrames(previous, grid.ColFrames(previous) & ~FrameSolid);
    }
    if (col >= 0 && col < grid.Cols()) {
        grid.SetBackColor(0, col, kHourHeaderBackColor);
        grid.SetColFrames(col, grid.ColFrames(col) | FrameSolid);
    }
}

PropagationGetHoursFunction PropagationGetHoursOf(Propagation& propagation) {
    return
        [&propagation](int model, int month, int firstHour, int hourCount,
                       const PropagationPositions& positions, const std::vector<float>& frequencies,
                       float sunspotNumber, PropagationHours& results, PropagationPath& path) {
            return propagation.PropagationGetHours(model, month, firstHour, hourCount, positions,
                                                   frequencies, sunspotNumber, results, path);
        };
}

PropagationPrepareHoursFunction PropagationPrepareHoursOf(Propagation& propagation) {
    return [&propagation](int model, int month, int firstHour, int hourCount,
                          float sunspotNumber, const PropagationRequests& requests) {
        if (!requests || !propagation.PropagationCombines(model)) {
            propagation.PropagationPreparedClear();
            return;
        }
        propagation.PropagationPrepareHours(model, month, firstHour, hourCount, sunspotNumber,
                                            requests());
    };
}

bool PactorModeKeeps(int mode, const QString& frequencyText) {
    const bool pactor3 = frequencyText.contains(QLatin1String("(p3)"));
    return !((mode == 0 && !pactor3) || (mode == 1 && pactor3));
}

frmPropagationHours::frmPropagationHours(MainState& main, const ITextMetrics& metrics,
                                         AirMail& airmail, Position& position,
                                         PropagationGetHoursFunction propagationGetHours)
    : m_main(main),
      m_metrics(metrics),
      m_airmail(airmail),
      m_position(position),
      m_propagationGetHours(std::move(propagationGetHours)) {
    Layout();
}

QString frmPropagationHours::StationFromName(const QString& system, const QString& name) {
    return StationFromStationName(m_airmail, system, name);
}

bool frmPropagationHours::Update(const QString& system, const QString& station,
                                 const QDateTime& time) {
    if (m_updating) return false;
    const ProfileReadsHeld held(m_airmail.profile());  // each file read once
    m_updating = true;
    tmrHour.enabled = false;
    emit changed();
    grdData.SetRedraw(false);
    if (!system.isEmpty() && !station.isEmpty()) {
        m_system = system;
        m_station = station;
        m_label = StationNameFromStation(m_airmail, system, station);
    }
    if (!m_station.isEmpty())
        caption = (m_values == HourValues::Reliability ? kCaptionReliability
                   : m_values == HourValues::Log       ? kCaptionLog
                                                       : kCaptionData) +
                  m_label;
    m_time = time;
    const QDateTime utc = time.toUTC();
    m_day = QDateTime(utc.date(), QTime(0, 0), Qt::UTC);
    m_failure.clear();
    m_offsetsShown = false;
    Layout();
    bool ok = AddFrequencies();
    if (ok && m_values == HourValues::Log)
        FillLog(utc);
    else
        ok = ok && FillPrediction(utc);
    if (ok) {
        HighlightHour(utc.time().hour() + kColFirstHour);
        tmrHour.enabled = true;
        tmrHour_Timer();
    }
    grdData.SetRedraw(true);
    m_updating = false;
    emit changed();
    return ok;
}

void frmPropagationHours::Layout() {
    m_chosenCol = -1;
    m_hourCol = -1;
    m_popupCol = -1;
    grdData.SetRows(0);
    grdData.SetCols(kCols);
    for (int c = 0; c < kCols; ++c) grdData.SetColFrames(c, FrameNone);
    grdData.SetRows(1);
    grdData.SetFixedRows(1);
    grdData.SetTopRow(1);
    grdData.SetLeftCol(0);
    const auto header = [this](int col, const QString& text, const QString& sample) {
        grdData.SetText(0, col, text);
        grdData.SetCellAlignment(0, col, AlignCenter);
        grdData.SetColWidth(col, m_metrics.TextWidthTwips(sample));
    };
    header(kColFrequency, QStringLiteral("Frequency"), QStringLiteral("----Frequency-"));
    for (int h = 0; h < 24; ++h) {
        header(kColFirstHour + h, QStringLiteral("%1").arg(h, 2, 10, QLatin1Char('0')),
               HourColumnSample(m_values));
        grdData.SetColWidth(kColFirstOffset + h, 0);
    }
}

bool frmPropagationHours::AddFrequencies() {
    const QString list = m_airmail.AirMailGetProfileString(
        SystemFileName(m_system), QStringLiteral("Frequency List"), m_station, true);
    const QStringList texts = FrequencyListTexts(list);
    if (texts.isEmpty()) {
        m_failure =
            QStringLiteral("The station %1 of %2 has no frequency list.").arg(m_station, m_system);
        return false;
    }
    for (const QString& text : texts) {
        const int row = grdData.Rows();
        grdData.AddRow();
        grdData.SetText(row, kColFrequency, text);
        grdData.SetCellAlignment(row, kColFrequency, AlignLeft);
    }
    grdData.Sort(1, grdData.Rows() - 1, kColFrequency, SortNumericAscending);
    return true;
}

bool frmPropagationHours::FillPrediction(const QDateTime& time) {
    const Settings& settings = m_main.settings;
    PropagationPositions positions;
    if (!m_position.LatLonGetCurrent(positions.OwnLatitude, positions.OwnLongitude)) {
        m_failure = QStringLiteral("There is no position of the vessel.");
        return false;
    }
    const float sunspotNumber = m_position.SunSpotNumberGet();
    const QDateTime shifted =
        time.addSecs(qRound64(static_cast<double>(settings.m_fPropagationTimeShift) * 3600.0));
    if (!LatLonGetStation(m_airmail, m_system, m_station, true, positions.StationLatitude,
                          positions.StationLongitude)) {
        m_failure =
            QStringLiteral("The station %1 of %2 has no position.").arg(m_station, m_system);
        return false;
    }
    const int last = grdData.Rows() - 1;
    std::vector<float> frequencies;
    for (int row = 1; row <= last; ++row)
        frequencies.push_back(
            static_cast<float>(FrequencyFromText(grdData.Text(row, kColFrequency))));

    PropagationHours results;
    PropagationPath path;
    if (!m_propagationGetHours(settings.m_iPropagationModel, shifted.date().month(), 0, 24,
                               positions, frequencies, sunspotNumber, results, path)) {
        m_failure = QStringLiteral("The propagation prediction failed.");
        return false;
    }
    for (int h = 0; h < 24 && h < static_cast<int>(results.size()); ++h) {
        const int col = kColFirstHour + h;
        for (int row = 1; row <= last && row - 1 < static_cast<int>(results[h].size()); ++row) {
            const double snr = std::max(kSnrFloor, static_cast<double>(results[h][row - 1].Snr));
            // The colour of the whole number, as the key gives them.
            const QString text = NumberFormat(snr, 0);
            grdData.SetText(row, col, text);
            grdData.SetCellAlignment(row, col, AlignCenter);
            grdData.SetBackColor(row, col, SnrColor(LeadingNumber(text)));
        }
    }
    // The offsets change the numbers, not their colours: a bold cell keeps
    // the colour of the prediction without its offset.
    if (settings.m_bStationOffset)
        for (int h = 0; h < 24; ++h)
            OffsetData(m_main, m_airmail, grdData, m_system, m_station, 1, last,
                       path.StationToShipAzimuth, m_day.addSecs(h * 3600), kColFrequency,
                       kColFirstHour + h, kColFirstOffset + h, false);
    if (m_values == HourValues::Reliability)
        HourCellsReliability(grdData, 1, last, kColFirstHour, results, kSnrFloor);
    // A bold cell emptied (no reliability with the offset) shows no offset.
    for (int row = 1; row <= last && !m_offsetsShown; ++row)
        for (int col = kColFirstHour; col < kColFirstOffset && !m_offsetsShown; ++col)
            m_offsetsShown = grdData.Bold(row, col) && !grdData.Text(row, col).isEmpty();
    return true;
}

// The hidden offset columns hold each cell's last connection instead: Log
// applies no offsets.
void frmPropagationHours::FillLog(const QDateTime& time) {
    const int days = m_main.settings.m_iStationHistoryDays;
    const LogCalls calls = LogCallsRead(m_airmail, time, days);
    for (int row = 1; row < grdData.Rows(); ++row) {
        const auto hours = LogRecordByHour(calls, m_station,
                                           FrequencyFromText(grdData.Text(row, kColFrequency)), time, days);
        for (int h = 0; h < 24; ++h) {
            const LogRecord& record = hours[static_cast<std::size_t>(h)];
            const int col = kColFirstHour + h;
            grdData.SetText(row, col, LogRecordText(record));
            grdData.SetCellAlignment(row, col, AlignCenter);
            if (record.calls > 0) grdData.SetBackColor(row, col, LogColor(record.connected, record.calls));
            grdData.SetText(row, kColFirstOffset + h, LogConnectionTimeText(record.lastConnected));
        }
    }
}

void frmPropagationHours::HighlightHour(int col) {
    HighlightHourHeader(grdData, m_hourCol, col);
    m_hourCol = col;
}

void frmPropagationHours::MarkChosen(int col) {
    if (m_chosenCol >= 0) grdData.SetColFrames(m_chosenCol, grdData.ColFrames(m_chosenCol) & ~FrameDashed);
    grdData.SetColFrames(col, grdData.ColFrames(col) | FrameDashed);
    m_chosenCol = col;
}

void frmPropagationHours::tmrHour_Timer() {
    const int col = m_main.TimeGetZulu().time().hour() + kColFirstHour;
    if (col != m_hourCol) HighlightHour(col);
}

int frmPropagationHours::WidthWanted() const {
    return kSizeMargin + grdData.ColsWidth();
}

int frmPropagationHours::HeightWanted() const {
    return kSizeMargin + grdData.RowsHeight();
}

// The hour column (1 to 24) of a data cell under (x, y), with its row; -1
// elsewhere.
int frmPropagationHours::DataColAt(int x, int y, int& row) const {
    const GridRowCol cell = m_main.best.GridGetRowCol(grdData, x, y);
    row = cell.iRow;
    if (cell.iRow < 1 || cell.iRow >= grdData.Rows()) return -1;
    if (cell.iCol < kColFirstHour || cell.iCol >= kColFirstOffset) return -1;
    return cell.iCol;
}

void frmPropagationHours::grdData_MouseMove(int, int, int x, int y) {
    const GridRowCol cell = m_main.best.GridGetRowCol(grdData, x, y);
    if (cell.iRow == m_mouseRow && cell.iCol == m_mouseCol) return;
    m_mouseRow = cell.iRow;
    m_mouseCol = cell.iCol;
    QString tip;
    const bool hourCol = cell.iCol >= kColFirstHour && cell.iCol < kColFirstOffset;
    if (cell.iRow == 0 && hourCol) {
        tip = QStringLiteral("Zulu Time (hh)");
        if (cell.iCol == m_hourCol) tip += QStringLiteral(", Current Hour");
    } else if (cell.iCol == kColFrequency && cell.iRow >= 0) {
        tip = QStringLiteral("Frequency (kHz)");
    } else if (cell.iRow >= 1 && hourCol && m_values == HourValues::Log) {
        tip = LogRecordToolTip(LogRecordFromText(grdData.Text(cell.iRow, cell.iCol)),
                               QStringLiteral("at %1 UTC").arg(grdData.Text(0, cell.iCol)),
                               m_main.settings.m_iStationHistoryDays,
                               grdData.Text(cell.iRow, cell.iCol + kColFirstOffset - kColFirstHour));
    } else if (cell.iRow >= 1 && hourCol) {
        tip = grdData.Bold(cell.iRow, cell.iCol)
                  ? QStringLiteral("Station Offset of ") +
                        grdData.Text(cell.iRow, cell.iCol + kColFirstOffset - kColFirstHour) +
                        QStringLiteral(" dB") + QLatin1String(kOffsetTipNote)
                  : m_values == HourValues::Reliability
                        ? QStringLiteral("Reliability (%): the chance of reaching the SNR a Pactor link needs")
                        : QStringLiteral("Signal to Noise Ratio (dB)");
    }
    grdData.SetToolTipText(QString());
    grdData.SetToolTipText(tip);
}

void frmPropagationHours::grdData_DblClick(int x, int y) {
    int row = -1;
    ShowDetails(DataColAt(x, y, row));
}

void frmPropagationHours::grdData_MouseUp(int button, int, int x, int y) {
    if (button != MouseRight) return;
    int row = -1;
    const int col = DataColAt(x, y, row);
    if (col < 0) return;
    m_popupCol = col;
    if (onDataMenuPopup) onDataMenuPopup(x, y);
}

void frmPropagationHours::mnuDataDetails_Click() {
    ShowDetails(m_popupCol);
}

void frmPropagationHours::mnuDataValues_Click(HourValues values) {
    m_values = values;
    if (m_time.isValid()) Update(QString(), QString(), m_time);
}

void frmPropagationHours::ShowDetails(int col) {
    if (col < kColFirstHour) return;
    MarkChosen(col);
    if (onShowDetails)
        onShowDetails(m_system, m_station, m_day.addSecs((col - kColFirstHour) * 3600));
}

}  // namespace tw
