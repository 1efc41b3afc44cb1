#pragma once
// The evaluation of one station's frequencies: the prediction for the path
// from the station to the vessel written into the station's rows of a grid of
// the best grid's layout, the antenna offset table applied to the predicted
// SNR, and the radio's dial frequency of a Pactor frequency.

#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

#include "propagation/Propagation.h"
#include "propagation/PropagationTypes.h"
#include "settings/NumberText.h"  // NumberFormat, the "0" and "0.0" texts

namespace tw {

class AirMail;
class BestGrid;
class Grid;
class Position;
class Propagation;
class MainState;

// ---- Texts ------------------------------------------------------------------

// The LUF-MUF cell of a frequency (kHz): below the LUF "< " then blanks
// (three for each character that "0.0" text of the LUF is shorter than 7) and
// the LUF; up to the MUF the MUF alone; above it "> ", blanks and the MUF.
QString LufMufText(double frequency, double luf, double muf);

// The frequency of a frequency cell's text: "(p3)" and blanks removed, the
// leading number (kHz).
double FrequencyFromText(const QString& text);

// ---- Antenna offsets --------------------------------------------------------

// The beam loss in dB of a station antenna with main beam `azimuth` and 3 dB
// `beamwidth` toward `bearing`: 0 on the axis, 3 at the half-power edge, 20
// straight behind.  An omnidirectional antenna (360) has none; a beamwidth of
// 0 or less, which the table editor does not refuse and which describes no
// beam, is taken as omnidirectional too.
double OffsetBeamLoss(double bearing, double azimuth, double beamwidth);

// Whether the time window start..stop (hhmm) holds `now` (hhmm): both ends
// count; a window whose start is later than its stop spans midnight; a
// window with start equal to stop is never open.
bool OffsetTimeApplies(int start, int stop, int now);

// Whether the stored frequency field (frequency texts separated by blanks)
// lists the grid's frequency text.  Each text of the field is compared whole,
// so a row listing 17100.0 does not apply to 7100.0.
bool OffsetFrequencyListed(const QString& storedFrequencies, const QString& frequencyText);

// Applies the offset table of the profile file to rows iRowStart..iRowStop of
// `grid`: for each table row of sSystem and sStation whose frequency field
// lists the row's frequency (column iColTx) and whose time window holds tTime
// (UTC), the SNR cell (iColSnr) gains the offset less the beam loss toward
// fBearing (the azimuth from the station to the vessel) and is marked (its
// background m_lColorOffset with bColor, bold without), and column iColOffset
// shows the offset less the loss ("0.0").  Matching table rows add up in the
// SNR cell, in table order.  No table: nothing changes.
void OffsetData(MainState& main, AirMail& airmail, Grid& grid, const QString& sSystem,
                const QString& sStation, int iRowStart, int iRowStop, double fBearing,
                const QDateTime& tTime, int iColTx, int iColSnr, int iColOffset, bool bColor);

// ---- Dial frequency ---------------------------------------------------------

// AirMail's radio settings for the dial frequency (Airmail.ini, [Hardware]).
struct RadioTuning {
    float fP2Offset = 0.0f;  // Hz added to a Pactor 1/2 frequency
    QString sP2Mode;         // "USB", "LSB", "FSK", "ASK"; empty for an unknown radio mode
    float fP3Offset = 0.0f;  // Hz added to a Pactor 3 frequency: -1500
    QString sP3Mode;         // "USB"
    QString sError;          // empty, or why the values are missing or incomplete
};

// Reads the radio settings afresh, without messages.  False (with sError)
// when the modem type, the marine radio option, the modem's centre tone or
// the radio mode is missing.  An unknown radio mode number gives true with
// sError set and sP2Mode empty.
bool RadioTuningInfo(AirMail& airmail, RadioTuning& tuning);

// The dial text of one row's frequency from the radio settings, such as
// "14106.5 (USB)"; Pactor 3 rows (P3 marker cell not empty) are shifted by the
// Pactor 3 offset.  Empty when the radio settings cannot be had.
QString FrequencyDialText(BestGrid& best, AirMail& airmail, Grid& grid, int row);
// The same from settings already read.
QString FrequencyDialText(const RadioTuning& tuning, double frequency, bool pactor3);

// ---- Station evaluation -----------------------------------------------------

// A reliability (percent) as the grids show it: a whole number; empty for
// none (below 0).
QString ReliabilityText(double reliability);

// How far antenna offsets moved an SNR cell: its number less that of the
// predicted SNR's own "0" text (0 where no offset applied).
double ShownSnrShift(double predicted, const QString& shown);

// The prediction at a time (PropagationGet of the run driver, or a stand-in
// in tests): model, UTC time, both positions, the frequency list (kHz) and
// the sunspot number in; one result per frequency and the path out.
using PropagationGetFunction =
    std::function<bool(int model, const QDateTime& time, const PropagationPositions& positions,
                       const std::vector<float>& frequencies, float sunspotNumber,
                       std::vector<PropagationResult>& results, PropagationPath& path)>;

// PropagationGet of a run driver that outlives the function.
PropagationGetFunction PropagationGetOf(Propagation& propagation);

// Runs every station's circuit at once before the stations are evaluated
// one by one (PropagationPrepare of the run driver), when the model's runs
// are combined: only then is `requests` called for the stations' circuits.
// Called with an empty `requests` after the update, to drop what is left.
using PropagationPrepareFunction = std::function<void(
    int model, const QDateTime& time, float sunspotNumber, const PropagationRequests& requests)>;

// PropagationPrepare of a run driver that outlives the function.
PropagationPrepareFunction PropagationPrepareOf(Propagation& propagation);

// What became of one station's evaluation.
enum class StationOutcome {
    Evaluated,  // the rows carry the prediction
    Skipped,    // the station's own data failed (its position); the user has been
                // told, and the other stations can still be evaluated
    Failed,     // the vessel's position or the prediction failed: no station can be had
};

class Evaluation {
public:
    Evaluation(MainState& main, AirMail& airmail, Position& position, PropagationGetFunction propagationGet);
    Evaluation(MainState& main, AirMail& airmail, Position& position, Propagation& propagation);

    // Evaluates rows iRowStart..iRowStop of `grid` (their frequency cells
    // filled), all of station m_sStation of system m_sSystem, at `time` (UTC)
    // shifted by m_fPropagationTimeShift hours.  Skipped without the station's
    // position, Failed without the vessel's or when the prediction fails
    // (each after its message); the rows then keep only what they had.
    StationOutcome StationEvaluate(Grid& grid, int iRowStart, int iRowStop, const QDateTime& time,
                         bool additionalData);

    // The reliability of each row of the last evaluated station, in the
    // rows' order then, its antenna offset included (-1 where there is none).
    const std::vector<double>& LastReliabilities() const { return m_reliabilities; }

    // The time a prediction is made for: `time` shifted by m_fPropagationTimeShift hours.
    QDateTime PropagationTime(const QDateTime& time) const;

private:
    MainState& m_main;
    AirMail& m_airmail;
    Position& m_position;
    PropagationGetFunction m_propagationGet;
    std::vector<double> m_reliabilities;
};

}  // namespace tw
