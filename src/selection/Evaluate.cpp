#include "selection/Evaluate.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "selection/BestGrid.h"
#include "common/Grid.h"
#include "selection/MainState.h"
#include "propagation/Propagation.h"
#include "settings/OffsetTable.h"

namespace tw {

namespace {

const QString kAirMailIni = QStringLiteral("Airmail.ini");
const QString kHardware = QStringLiteral("Hardware");

// Writes a cell's text and alignment and leaves its bold flag and colours as
// they are.  The offset columns are never the frequency column, whose text
// GridSetCell would lead with the check mark's room; writing directly keeps
// this right on the other grids that use the offsets too.
void SetCellText(Grid& grid, int row, int col, const QString& text, qint16 alignment) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetCellAlignment(row, col, alignment);
    grid.SetText(row, col, text);
}

}  // namespace

// ---- Texts ------------------------------------------------------------------

QString LufMufText(double frequency, double luf, double muf) {
    const auto outside = [](const QString& sign, double value) {
        const QString u = NumberFormat(value, 1);
        const int blanks = std::max(0, 7 - static_cast<int>(u.size())) * 3;
        return sign + QString(blanks, QLatin1Char(' ')) + u;
    };
    if (frequency < luf) return outside(QStringLiteral("< "), luf);
    if (frequency <= muf) return NumberFormat(muf, 1);
    return outside(QStringLiteral("> "), muf);
}

double FrequencyFromText(const QString& text) {
    QString f = text;
    f.remove(QStringLiteral("(p3)"));
    f.remove(QLatin1Char(' '));
    return LeadingNumber(f);
}

// ---- Antenna offsets --------------------------------------------------------

double OffsetBeamLoss(double bearing, double azimuth, double beamwidth) {
    if (beamwidth == 360.0 || beamwidth <= 0.0) return 0.0;
    double d = std::fabs(bearing - azimuth);
    if (d > 180.0) d = std::fabs(d - 360.0);
    const double half = beamwidth / 2.0;
    if (d <= half) return 3.0 * d / half;
    return 17.0 * (d - half) / (180.0 - half) + 3.0;
}

bool OffsetTimeApplies(int start, int stop, int now) {
    if (start < stop) return start <= now && now <= stop;
    if (start > stop) return now >= start || now <= stop;
    return false;
}

bool OffsetFrequencyListed(const QString& storedFrequencies, const QString& frequencyText) {
    if (frequencyText.isEmpty()) return false;
    // Stored with single blanks between the texts; a hand-written field may
    // use commas or several blanks, which separate just as well.
    static const QRegularExpression kSeparators(QStringLiteral("[\\s,]+"));
    const QStringList texts = storedFrequencies.split(kSeparators, Qt::SkipEmptyParts);
    return texts.contains(frequencyText, Qt::CaseSensitive);
}

void OffsetData(MainState& main, AirMail& airmail, Grid& grid, const QString& sSystem,
                const QString& sStation, int iRowStart, int iRowStop, double fBearing,
                const QDateTime& tTime, int iColTx, int iColSnr, int iColOffset, bool bColor) {
    BestGrid& best = main.best;
    // Rows that do not convert (no system, station or offset, or a field that
    // is no number) are left out by the reader.
    const QVector<OffsetRow> table = OffsetTableReadRows(main.profile(), main.settings.m_sProfileFile);
    if (table.isEmpty()) return;

    const QDateTime utc = tTime.toUTC();
    const int now = utc.time().hour() * 100 + utc.time().minute();

    for (const OffsetRow& row : table) {
        if (row.sSystem != sSystem) continue;
        QString station = row.sStation;
        if (IsSailMail(sSystem)) station = StationFromStationName(airmail, sSystem, station);
        if (station != sStation) continue;

        for (int r = iRowStart; r <= iRowStop; ++r) {
            const QString frequency = TextTrimLeadingBlanks(best.GridGetText(grid, r, iColTx));
            if (!OffsetFrequencyListed(row.sFrequencies, frequency)) continue;
            if (!OffsetTimeApplies(row.iStart, row.iStop, now)) continue;

            const double loss = OffsetBeamLoss(fBearing, row.fAzimuth, row.fBeamwidth);
            const double snr = LeadingNumber(best.GridGetText(grid, r, iColSnr)) + row.fSnrOffset - loss;
            grid.SetText(r, iColSnr, NumberFormat(snr, 0));
            if (bColor)
                best.GridSetCellColor(grid, r, iColSnr, best.m_lColorOffset);
            else
                grid.SetBold(r, iColSnr, true);
            SetCellText(grid, r, iColOffset, NumberFormat(static_cast<double>(row.fSnrOffset) - loss, 1),
                        AlignRight);
        }
    }
}

// ---- Dial frequency ---------------------------------------------------------

bool RadioTuningInfo(AirMail& airmail, RadioTuning& tuning) {
    tuning = RadioTuning();
    const auto get = [&](const QString& key) {
        return airmail.AirMailGetProfileString(kAirMailIni, kHardware, key, false);
    };
    const QString decoder = get(QStringLiteral("DecoderType"));
    if (decoder.isEmpty()) {
        tuning.sError = QStringLiteral("Unable to get Modem Type");
        return false;
    }
    if (get(QStringLiteral("FSKDialCenter")).isEmpty()) {
        tuning.sError = QStringLiteral("Unable to get Marine Radio option");
        return false;
    }
    const QString toneText = get(decoder + QStringLiteral(" Center Tone"));
    if (toneText.isEmpty()) {
        tuning.sError = QStringLiteral("Unable to get ") + decoder + QStringLiteral(" Center Tone");
        return false;
    }
    const auto tone = static_cast<float>(LeadingNumber(toneText));
    tuning.fP2Offset = -tone;
    tuning.fP3Offset = -1500.0f;

    const QString modeText = get(QStringLiteral("Radio Mode"));
    if (modeText.isEmpty()) {
        tuning.sError = QStringLiteral("Unable to get Radio Mode");
        return false;
    }
    const auto mode = static_cast<int>(LeadingNumber(modeText));
    switch (mode) {
        case 2: tuning.sP2Mode = QStringLiteral("USB"); break;
        case 3:
            tuning.sP2Mode = QStringLiteral("LSB");
            tuning.fP2Offset = tone;
            break;
        case 4: tuning.sP2Mode = QStringLiteral("FSK"); break;
        case 5:
            tuning.sP2Mode = QStringLiteral("ASK");
            tuning.fP2Offset = 0.0f;
            break;
        default: tuning.sError = QStringLiteral("Unknown Radio Mode ") + QString::number(mode); break;
    }
    tuning.sP3Mode = QStringLiteral("USB");
    return true;
}

QString FrequencyDialText(const RadioTuning& tuning, double frequency, bool pactor3) {
    const float offset = pactor3 ? tuning.fP3Offset : tuning.fP2Offset;
    const QString& mode = pactor3 ? tuning.sP3Mode : tuning.sP2Mode;
    // With an unknown radio mode the side of the carrier, and so the dial
    // frequency, of a Pactor 1/2 frequency is not known: no dial text rather
    // than a guess with an empty mode.
    if (mode.isEmpty()) return {};
    const double dial = frequency + static_cast<double>(offset) / 1000.0;
    return NumberFormat(dial, 1) + QStringLiteral(" (") + mode + QLatin1Char(')');
}

QString FrequencyDialText(BestGrid& best, AirMail& airmail, Grid& grid, int row) {
    RadioTuning tuning;
    if (!RadioTuningInfo(airmail, tuning)) return {};
    const double frequency = FrequencyFromText(best.GridGetText(grid, row, best.m_iColFrequency));
    const bool pactor3 = !best.GridGetText(grid, row, best.m_iColP3).isEmpty();
    return FrequencyDialText(tuning, frequency, pactor3);
}

// ---- Station evaluation -----------------------------------------------------

QString ReliabilityText(double reliability) {
    return reliability < 0 ? QString() : NumberFormat(reliability, 0);
}

double ShownSnrShift(double predicted, const QString& shown) {
    return LeadingNumber(shown) - LeadingNumber(NumberFormat(predicted, 0));
}

PropagationGetFunction PropagationGetOf(Propagation& propagation) {
    return [&propagation](int model, const QDateTime& time, const PropagationPositions& positions,
                          const std::vector<float>& frequencies, float sunspotNumber,
                          std::vector<PropagationResult>& results, PropagationPath& path) {
        return propagation.PropagationGet(model, time, positions, frequencies, sunspotNumber, results, path);
    };
}

PropagationPrepareFunction PropagationPrepareOf(Propagation& propagation) {
    return [&propagation](int model, const QDateTime& time, float sunspotNumber,
                          const PropagationRequests& requests) {
        if (!requests || !propagation.PropagationCombines(model)) {
            propagation.PropagationPreparedClear();
            return;
        }
        propagation.PropagationPrepare(model, time, sunspotNumber, requests());
    };
}

Evaluation::Evaluation(MainState& main, AirMail& airmail, Position& position,
                       PropagationGetFunction propagationGet)
    : m_main(main), m_airmail(airmail), m_position(position), m_propagationGet(std::move(propagationGet)) {}

Evaluation::Evaluation(MainState& main, AirMail& airmail, Position& position, Propagation& propagation)
    : Evaluation(main, airmail, position, PropagationGetOf(propagation)) {}

QDateTime Evaluation::PropagationTime(const QDateTime& time) const {
    const double shift = static_cast<double>(m_main.settings.m_fPropagationTimeShift);
    return time.addSecs(static_cast<qint64>(std::llround(shift * 3600.0)));
}

StationOutcome Evaluation::StationEvaluate(Grid& grid, int iRowStart, int iRowStop,
                                           const QDateTime& time, bool additionalData) {
    const Settings& settings = m_main.settings;
    BestGrid& best = m_main.best;
    const int n = iRowStop - iRowStart + 1;
    // A station without rows has nothing to evaluate.
    if (n < 1) return StationOutcome::Evaluated;

    PropagationPositions positions;
    if (!m_position.LatLonGetCurrent(positions.OwnLatitude, positions.OwnLongitude))
        return StationOutcome::Failed;

    // The reader always gives a number (AirMail's, or the stored one).
    const float sunspotNumber = m_position.SunSpotNumberGet();

    const QDateTime t = PropagationTime(time);

    const QString& system = m_main.m_sSystem;
    const QString& station = m_main.m_sStation;
    bool malformed = false;
    if (!LatLonGetStation(m_airmail, system, station, true, positions.StationLatitude,
                          positions.StationLongitude, &malformed)) {
        // A missing entry and an unreadable locator have been reported; an
        // entry without ":" holds no locator at all and is reported here.
        if (malformed) {
            m_airmail.ActivateMain();
            MessageRequest request;
            request.icon = MsgIcon::Exclamation;
            request.text = QStringLiteral("Unable to process AirMail's \"") + system +
                           QStringLiteral("\" Station Info. The entry of ") + station +
                           QStringLiteral(" has no \":\".");
            m_main.ui().MessageBox(request);
        }
        return StationOutcome::Skipped;
    }

    std::vector<float> frequencies;
    frequencies.reserve(static_cast<std::size_t>(n));
    for (int r = iRowStart; r <= iRowStop; ++r)
        frequencies.push_back(static_cast<float>(FrequencyFromText(best.GridGetText(grid, r, best.m_iColFrequency))));

    std::vector<PropagationResult> results;
    PropagationPath path;
    if (!m_propagationGet ||
        !m_propagationGet(settings.m_iPropagationModel, t, positions, frequencies, sunspotNumber, results, path))
        return StationOutcome::Failed;
    if (results.size() < frequencies.size()) return StationOutcome::Failed;

    const float muf = path.Muf.empty() ? 0.0f : path.Muf.front();
    const float luf = path.Luf.empty() ? 0.0f : path.Luf.front();
    const QString name = m_main.m_sStationName.isEmpty() ? station : m_main.m_sStationName;
    const int colStation = best.m_iColStation;
    const int colSnr = best.m_iColSnr;
    const int colLufMuf = best.m_iColLufMuf;

    for (int i = 0; i < n; ++i) {
        const int r = iRowStart + i;
        const PropagationResult& result = results[static_cast<std::size_t>(i)];
        best.GridSetCell(grid, r, colStation, name, AlignLeft, false);
        best.GridSetCell(grid, r, colStation + 1, NumberFormat(path.Range, 0), AlignRight, false);
        best.GridSetCell(grid, r, colSnr, NumberFormat(result.Snr, 0), AlignRight, true);
        if (!additionalData) continue;
        best.GridSetCell(grid, r, colStation + 2, NumberFormat(path.StationAzimuth, 0), AlignRight, false);
        best.GridSetCell(grid, r, colLufMuf,
                         LufMufText(static_cast<double>(frequencies[static_cast<std::size_t>(i)]), luf, muf),
                         AlignRight, false);
        best.GridSetCell(grid, r, colLufMuf + 1, QStringLiteral("  ") + result.Layer + QStringLiteral("  "),
                         AlignRight, false);
        best.GridSetCell(grid, r, colLufMuf + 2, NumberFormat(result.TakeoffAngle, 1), AlignRight, false);
        best.GridSetCell(grid, r, colSnr - 2, NumberFormat(result.Signal, 0), AlignRight, false);
        best.GridSetCell(grid, r, colSnr - 1, NumberFormat(result.Noise, 0), AlignRight, false);
        best.GridSetCell(grid, r, colSnr, NumberFormat(result.Snr, 0), AlignRight, true);
        best.GridSetCell(grid, r, colSnr + 1, NumberFormat(result.SnrSlope, 0), AlignRight, false);
        best.GridSetCell(grid, r, colSnr + 2, NumberFormat(path.StationToShipAzimuth, 0), AlignRight, false);
        best.GridSetCell(grid, r, best.m_iColStnAnt, QStringLiteral("0.0"), AlignRight, false);
    }

    if (settings.m_bStationOffset)
        OffsetData(m_main, m_airmail, grid, system, station, iRowStart, iRowStop, path.StationToShipAzimuth, t,
                   best.m_iColFrequency, colSnr, best.m_iColStnAnt, true);
    // The reliability of the SNR shown, antenna offsets included; the
    // ranking by the chance of a connection weighs it even when it is not shown.
    m_reliabilities.assign(static_cast<std::size_t>(n), -1.0);
    for (int i = 0; i < n; ++i) {
        const int r = iRowStart + i;
        const PropagationResult& result = results[static_cast<std::size_t>(i)];
        const double shift = ShownSnrShift(result.Snr, best.GridGetText(grid, r, colSnr));
        const double reliability = ReliabilityShifted(result, shift);
        m_reliabilities[static_cast<std::size_t>(i)] = reliability;
        if (additionalData || settings.m_bStationHistoryRanking)
            best.GridSetCell(grid, r, best.m_iColRel, ReliabilityText(reliability), AlignRight, false);
    }
    return StationOutcome::Evaluated;
}

}  // namespace tw
