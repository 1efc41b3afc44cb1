#include "views/PropagationBest.h"

#include "common/FlagGuard.h"

#include <algorithm>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "selection/BestList.h"
#include "selection/Evaluate.h"
#include "selection/MainState.h"

namespace tw {

namespace {
// The lowest SNR shown; weaker predictions are shown as it.
constexpr double kSnrFloor = -99.0;

}  // namespace

frmPropagationBest::frmPropagationBest(MainState& main, const ITextMetrics& metrics,
                                       AirMail& airmail, Position& position,
                                       PropagationGetHoursFunction propagationGetHours)
    : m_main(main),
      m_metrics(metrics),
      m_airmail(airmail),
      m_position(position),
      m_propagationGetHours(std::move(propagationGetHours)) {
    Layout();
}

bool frmPropagationBest::Update(const QString& system, bool bLong) {
    if (m_updating || (othersBusy && othersBusy())) return false;
    FlagGuard updating(m_updating);
    const ProfileReadsHeld held(m_airmail.profile());  // each file read once
    tmrHour.enabled = false;
    emit changed();
    MouseBusy busy(m_main.ui());
    m_system = system;
    m_long = bLong;
    m_failure.clear();
    m_failureTold = false;
    caption = m_values == HourValues::Reliability ? QString::fromLatin1(kCaptionReliability)
                                                  : QString::fromLatin1(kCaption);

    // A run that cannot be made says why, over an empty grid.
    if (system.isEmpty())
        return Cannot(QStringLiteral("There is no AirMail system to take the stations from."));
    if (!m_position.LatLonGetCurrent(false))
        return Cannot(QStringLiteral("There is no position of the vessel: type it into Your "
                                     "Position, or give it in AirMail's Position Report."));
    QStringList stations;
    const CurrentPositionSource here = [this](double& latitude, double& longitude) {
        return m_position.LatLonGetCurrent(latitude, longitude);
    };
    if (!StationGetStations(m_airmail, system, here, stations)) {
        m_failure = QStringLiteral("The stations of %1 could not be read.").arg(system);
        emit changed();
        return false;
    }
    if (stations.isEmpty())
        return Cannot(BestList::EmptyListCause(m_main.settings, system, false, false));

    grdData.SetRedraw(false);
    m_main.UpdateStatusState(QStringLiteral("Working"));
    Layout();

    // With a model whose runs are combined, every station's 24 hours go into
    // one program run first; FillPrediction then takes their results.
    const int model = m_main.settings.m_iPropagationModel;
    struct PreparedDrop {
        const PropagationPrepareHoursFunction& prepare;
        int model;
        ~PreparedDrop() {
            if (prepare) prepare(model, 1, 0, 24, 0.0f, {});
        }
    } preparedDrop {PropagationPrepareHours, model};
    if (PropagationPrepareHours) {
        const QDateTime shifted = PropagationShifted(m_main.TimeGetZulu());
        PropagationPrepareHours(model, shifted.date().month(), 0, 24, m_position.SunSpotNumberGet(),
                                [&] {
                                    PropagationPositions own;
                                    if (const auto fix = m_position.LatLonGetCurrent(false)) {
                                        own.OwnLatitude = fix->latitude;
                                        own.OwnLongitude = fix->longitude;
                                        return StationRequests(stations, own);
                                    }
                                    return std::vector<PropagationRequest>();
                                });
    }

    int first = 1;
    int done = 0;
    for (const QString& station : stations) {
        m_main.UpdateProgress(++done, static_cast<int>(stations.size()));
        const QString label = StationNameFromStation(m_airmail, system, station);
        m_main.UpdateStatusStatus(QStringLiteral("Propagation, ") + label);
        if (!AddFrequencies(station)) break;
        if (system.compare(QLatin1String("HAM"), Qt::CaseInsensitive) == 0) PactorFilter(first);
        if (grdData.Rows() > first) {
            if (!FillPrediction(station, first)) break;
            Fold(first, label);
        }
        first = grdData.Rows();
    }
    if (!m_long && grdData.Rows() > 1)
        Fold(1, m_values == HourValues::Reliability ? QStringLiteral("Rel") : QStringLiteral("Snr"));

    grdData.SetRedraw(true);
    // Every frequency left out by the Pactor mode: nothing to predict for.
    if (m_failure.isEmpty() && grdData.Rows() == 1) {
        m_main.UpdateStatusState(QString());
        m_main.UpdateStatusStatus(QString());
        m_main.UpdateProgress(0, 0);
        return Cannot(BestList::EmptyListCause(m_main.settings, system, true, false));
    }
    HighlightHour(m_main.TimeGetZulu().time().hour() + kColFirstHour);
    tmrHour.enabled = true;
    tmrHour_Timer();
    m_main.UpdateStatusState(QString());
    m_main.UpdateStatusStatus(QString());
    m_main.UpdateProgress(0, 0);
    emit changed();
    return m_failure.isEmpty();
}

bool frmPropagationBest::Cannot(const QString& why) {
    Layout();
    m_failure = QStringLiteral("The best connect time cannot be predicted. ") + why;
    m_failureTold = true;
    emit changed();
    m_airmail.ShowMessage(m_failure, MsgIcon::Exclamation);
    return false;
}

void frmPropagationBest::Layout() {
    m_hourCol = -1;
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
        grdData.SetColWidth(col, sample.isEmpty() ? 0 : m_metrics.TextWidthTwips(sample));
    };
    if (m_long) {
        header(kColLabel, QStringLiteral("Station"), QStringLiteral("------------------Station-"));
        header(kColRange, QStringLiteral("Range"), QStringLiteral("-Range-"));
    } else {
        header(kColLabel, QStringLiteral("Hour"), QStringLiteral("-Hour-"));
        header(kColRange, QString(), QString());
    }
    for (int h = 0; h < 24; ++h) {
        header(kColFirstHour + h, QStringLiteral("%1").arg(h, 2, 10, QLatin1Char('0')),
               HourColumnSample(m_values));
        grdData.SetColWidth(kColFirstOffset + h, 0);
    }
}

QDateTime frmPropagationBest::PropagationShifted(const QDateTime& time) const {
    const double shift = static_cast<double>(m_main.settings.m_fPropagationTimeShift);
    return time.addSecs(qRound64(shift * 3600.0));
}

std::vector<PropagationRequest> frmPropagationBest::StationRequests(
    const QStringList& stations, const PropagationPositions& own) {
    const bool ham = m_system.compare(QLatin1String("HAM"), Qt::CaseInsensitive) == 0;
    const int mode = m_main.settings.m_iStationPactorMode;
    std::vector<PropagationRequest> requests;
    for (const QString& station : stations) {
        PropagationRequest request;
        request.Positions = own;
        // The frequencies as AddFrequencies and PactorFilter leave the rows.
        const QString list = m_airmail.AirMailGetProfileString(
            SystemFileName(m_system), QStringLiteral("Frequency List"), station, false);
        for (const QString& text : FrequencyListTexts(list)) {
            if (!ham || PactorModeKeeps(mode, text))
                request.Frequencies.push_back(static_cast<float>(FrequencyFromText(text)));
        }
        if (request.Frequencies.empty() ||
            !LatLonGetStation(m_airmail, m_system, station, false,
                              request.Positions.StationLatitude,
                              request.Positions.StationLongitude))
            continue;
        requests.push_back(std::move(request));
    }
    return requests;
}

bool frmPropagationBest::AddFrequencies(const QString& station) {
    const QString list = m_airmail.AirMailGetProfileString(
        SystemFileName(m_system), QStringLiteral("Frequency List"), station, true);
    const QStringList texts = FrequencyListTexts(list);
    if (texts.isEmpty()) {
        m_failure =
            QStringLiteral("The station %1 of %2 has no frequency list.").arg(station, m_system);
        return false;
    }
    for (const QString& text : texts) {
        const int row = grdData.Rows();
        grdData.AddRow();
        grdData.SetText(row, kColLabel, text);
        grdData.SetCellAlignment(row, kColLabel, AlignLeft);
    }
    return true;
}

void frmPropagationBest::PactorFilter(int first) {
    const int mode = m_main.settings.m_iStationPactorMode;
    if (mode != 0 && mode != 1) return;
    for (int row = grdData.Rows() - 1; row >= first; --row) {
        if (!PactorModeKeeps(mode, grdData.Text(row, kColLabel))) {
            if (row == grdData.Rows() - 1)
                grdData.SetRows(row);
            else
                grdData.RemoveRow(row);
        }
    }
}

bool frmPropagationBest::FillPrediction(const QString& station, int first) {
    const Settings& settings = m_main.settings;
    PropagationPositions positions;
    if (!m_position.LatLonGetCurrent(positions.OwnLatitude, positions.OwnLongitude)) {
        m_failure = QStringLiteral("There is no position of the vessel.");
        return false;
    }
    const float sunspotNumber = m_position.SunSpotNumberGet();
    const QDateTime now = m_main.TimeGetZulu();
    const QDateTime shifted = PropagationShifted(now);
    if (!LatLonGetStation(m_airmail, m_system, station, true, positions.StationLatitude,
                          positions.StationLongitude)) {
        m_failure = QStringLiteral("The station %1 of %2 has no position.").arg(station, m_system);
        return false;
    }
    const int last = grdData.Rows() - 1;
    std::vector<float> frequencies;
    for (int row = first; row <= last; ++row)
        frequencies.push_back(static_cast<float>(FrequencyFromText(grdData.Text(row, kColLabel))));

    PropagationHours results;
    PropagationPath path;
    if (!m_propagationGetHours(settings.m_iPropagationModel, shifted.date().month(), 0, 24,
                               positions, frequencies, sunspotNumber, results, path)) {
        m_failure = QStringLiteral("The propagation prediction for %1 failed.").arg(station);
        return false;
    }
    for (int row = first; row <= last; ++row) {
        grdData.SetText(row, kColRange, NumberFormat(path.Range, 0));
        grdData.SetCellAlignment(row, kColRange, AlignCenter);
    }
    for (int h = 0; h < 24 && h < static_cast<int>(results.size()); ++h) {
        const int col = kColFirstHour + h;
        for (int row = first; row <= last && row - first < static_cast<int>(results[h].size());
             ++row) {
            const double snr =
                std::max(kSnrFloor, static_cast<double>(results[h][row - first].Snr));
            grdData.SetText(row, col, NumberFormat(snr, 0));
            grdData.SetCellAlignment(row, col, AlignCenter);
            grdData.SetBackColor(row, col, SnrColor(snr));
        }
    }
    if (settings.m_bStationOffset) {
        const QDateTime midnight(now.date(), QTime(0, 0), Qt::UTC);
        for (int h = 0; h < 24; ++h)
            OffsetData(m_main, m_airmail, grdData, m_system, station, first, last,
                       path.StationToShipAzimuth, midnight.addSecs(h * 3600), kColLabel,
                       kColFirstHour + h, kColFirstOffset + h, false);
    }
    if (m_values == HourValues::Reliability)
        HourCellsReliability(grdData, first, last, kColFirstHour, results, kSnrFloor);
    return true;
}

// Rows first to the last into row first: each hour's largest value, never
// below 0.  The row keeps the range of its first frequency.
void frmPropagationBest::Fold(int first, const QString& label) {
    const int last = grdData.Rows() - 1;
    for (int col = kColFirstHour; col < kColFirstOffset; ++col) {
        // Cells without a value (a reliability the model does not give) add
        // none; with none at all the folded cell stays empty.
        double best = 0.0;
        bool any = false;
        for (int row = first; row <= last; ++row) {
            const QString text = grdData.Text(row, col);
            if (text.isEmpty()) continue;
            any = true;
            best = std::max(best, text.toDouble());
        }
        grdData.SetText(first, col, any ? NumberFormat(best, 0) : QString());
        grdData.SetCellAlignment(first, col, AlignCenter);
        grdData.SetBackColor(first, col, any ? HourColor(m_values, best) : Grid::kDefaultBackColor);
        grdData.SetBold(first, col, false);
    }
    grdData.SetText(first, kColLabel, label);
    grdData.SetRows(first + 1);
}

void frmPropagationBest::HighlightHour(int col) {
    HighlightHourHeader(grdData, m_hourCol, col);
    m_hourCol = col;
}

void frmPropagationBest::tmrHour_Timer() {
    const int col = m_main.TimeGetZulu().time().hour() + kColFirstHour;
    if (col != m_hourCol) HighlightHour(col);
}

int frmPropagationBest::WidthWanted() const {
    return kSizeMargin + grdData.ColsWidth();
}

int frmPropagationBest::HeightWanted() const {
    return kSizeMargin + grdData.RowsHeight();
}

void frmPropagationBest::grdData_MouseMove(int, int, int x, int y) {
    const GridRowCol cell = m_main.best.GridGetRowCol(grdData, x, y);
    if (cell.iRow == m_mouseRow && cell.iCol == m_mouseCol) return;
    m_mouseRow = cell.iRow;
    m_mouseCol = cell.iCol;
    QString tip;
    if (cell.iRow == 0 && cell.iCol >= kColFirstHour) {
        tip = QStringLiteral("Zulu Time (hh)");
        if (cell.iCol == m_hourCol) tip += QStringLiteral(", Current Hour");
    } else if (m_long && cell.iRow >= 0 && cell.iCol == kColLabel) {
        tip = QStringLiteral("Station Id");
    } else if (m_long && cell.iRow >= 0 && cell.iCol == kColRange) {
        tip = QStringLiteral("Station Range (mni)");
    } else if (cell.iRow >= 1 && cell.iCol >= 1) {
        tip = m_values == HourValues::Reliability
                  ? QStringLiteral("Reliability (%): the chance of reaching the SNR a Pactor link needs")
                  : QStringLiteral("Signal to Noise Ratio (dB)");
    }
    grdData.SetToolTipText(QString());
    grdData.SetToolTipText(tip);
}

void frmPropagationBest::grdData_MouseUp(int button, int, int x, int y) {
    if (button != MouseRight) return;
    mnuPopupShortChecked = !m_long;
    mnuPopupLongChecked = m_long;
    emit changed();
    if (onPopup) onPopup(x, y);
}

}  // namespace tw
