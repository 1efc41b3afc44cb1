#include "propagation/PropagationDecks.h"

#include <cmath>
#include <functional>
#include <vector>

#include "propagation/PropagationText.h"

namespace tw {

namespace {

const QString kAntenna1 = QStringLiteral(
    "ANTENNA       1    1    2   30     0.000[DEFAULT\\CONST17.VOA  ]  0.0    0.1000");
const QString kAntenna2 = QStringLiteral(
    "ANTENNA       2    2    2   30     0.000[DEFAULT\\SWWHIP.VOA   ]  0.0    0.0000");

// The run's batch and hours must make sense before anything is written or read.
bool CheckRun(const PropagationRun& run, QString& error) {
    const int n = static_cast<int>(run.Frequencies.size());
    if (run.FirstIndex < 1 || run.LastIndex < run.FirstIndex || run.LastIndex > n) {
        error = QStringLiteral("Frequency indexes %1 to %2 do not fit a list of %3")
                    .arg(run.FirstIndex)
                    .arg(run.LastIndex)
                    .arg(n);
        return false;
    }
    if (run.HourCount < 1) {
        error = QStringLiteral("Hour count %1 is not at least 1").arg(run.HourCount);
        return false;
    }
    return true;
}

int BatchSize(const PropagationRun& run) {
    return run.LastIndex - run.FirstIndex + 1;
}

float FrequencyOf(const PropagationRun& run, int j) {
    return run.Frequencies[static_cast<std::size_t>(run.FirstIndex - 1 + j)];
}

// The result of the batch's frequency `j` in a row of the table.
PropagationResult& ResultOf(std::vector<PropagationResult>& row, const PropagationRun& run, int j) {
    return row[static_cast<std::size_t>(run.FirstIndex - 1 + j)];
}

// The ionospheric coefficients go into the deck unchanged; a line break
// would add cards of its own, so it is refused.  Frequencies must be above
// 0 kHz: no model can predict 0, and REC533's signal formula has no value there.
bool CheckDeckInputs(const PropagationRun& run, QString& error) {
    if (run.Inputs.IonCoefficients.contains(QLatin1Char('\r')) ||
        run.Inputs.IonCoefficients.contains(QLatin1Char('\n'))) {
        error = QStringLiteral("ionospheric coefficients \"%1\" hold a line break")
                    .arg(run.Inputs.IonCoefficients.simplified());
        return false;
    }
    for (int j = 0; j < BatchSize(run); ++j) {
        const float f = FrequencyOf(run, j);
        if (!(f > 0.0f)) {
            error = QStringLiteral("frequency %1 kHz is not above 0").arg(f);
            return false;
        }
    }
    return true;
}

// A latitude or longitude as the decks write it: the magnitude in F6.2, then
// the hemisphere letter.
DeckWriter& Latitude(DeckWriter& deck, double latitude, const QString& what) {
    return deck.Number(std::fabs(latitude), "F6.2", what).Text(LatitudeLetter(latitude));
}

DeckWriter& Longitude(DeckWriter& deck, double longitude, const QString& what) {
    return deck.Number(std::fabs(longitude), "F6.2", what).Text(LongitudeLetter(longitude));
}

// A REC533 "TRANS" or "RECVR" card: the card, its label at column 11 and the
// point at columns 32 and 43; `who` names the point in errors.
void Rec533Point(DeckWriter& deck, const QString& card, const QString& label, double latitude,
                 double longitude, const QString& who) {
    deck.Line(card).Tab(11).Text(label).Tab(32);
    Latitude(deck, latitude, who + QStringLiteral(" latitude")).Tab(43);
    Longitude(deck, longitude, who + QStringLiteral(" longitude"))
        .Text(QStringLiteral("  S     D"));
}

bool Finish(const DeckWriter& deck, QByteArray& bytes, QString& error) {
    if (!deck.Ok()) {
        error = deck.Error();
        return false;
    }
    bytes = deck.Bytes();
    return true;
}

// --- output reading ---

// Reads forward through an output, keeping the first failure's description.
class Reader {
public:
    explicit Reader(const QByteArray& output) : m_lines(output) {}

    std::optional<QString> Find(const QString& label) {
        std::optional<QString> line = FileFindLine(m_lines, label);
        if (!line) error = QStringLiteral("Label \"%1\" not found").arg(label);
        return line;
    }
    std::optional<QString> Next(const QString& after) {
        std::optional<QString> line = m_lines.NextLine();
        if (!line) error = QStringLiteral("Output ends after \"%1\"").arg(after);
        return line;
    }
    // One number at (column, width) of the line.
    std::optional<double> Number(const QString& line, int column, int width) {
        std::vector<double> values;
        if (!ParseFixedFields(line, column, width, 1, values, error)) return std::nullopt;
        return values.front();
    }

    QString error;

private:
    OutputLines m_lines;
};

// The three path values from the line after "AZIMUTHS", in the fields at
// columns 43, 51 and 60 (6, 6 and 7 wide).  The programs print these numbers
// ending a column or two further right (VOACAP: "51.37" in columns 45 to 49,
// "283.59" in 52 to 57, "5125.2" in 62 to 67), so each field is read whole
// where the fixed columns would cut off its last digit.
bool ReadAzimuths(Reader& reader, PropagationPath& path) {
    if (!reader.Find(QStringLiteral("AZIMUTHS"))) return false;
    const std::optional<QString> line = reader.Next(QStringLiteral("AZIMUTHS"));
    if (!line) return false;
    const struct {
        int column;
        int width;
        float PropagationPath::*value;
    } fields[] = {{43, 6, &PropagationPath::StationToShipAzimuth},
                  {51, 6, &PropagationPath::StationAzimuth},
                  {60, 7, &PropagationPath::Range}};
    for (const auto& f : fields) {
        const QString text = FixedFieldWhole(*line, f.column, f.width);
        const std::optional<double> value = FieldNumber(text);
        if (!value) {
            reader.error =
                QStringLiteral("Field \"%1\" in column %2 of line \"%3\" is not a number")
                    .arg(text)
                    .arg(f.column)
                    .arg(line->trimmed());
            return false;
        }
        path.*(f.value) = static_cast<float>(*value);
    }
    return true;
}

// One row of the per-frequency table: the line found by `label`, the batch's
// fields from `firstColumn`, 5 wide, each stored by `store`(result, number).
bool ReadNumberRow(Reader& reader, const PropagationRun& run, std::vector<PropagationResult>& row,
                   const QString& label, int firstColumn,
                   const std::function<void(PropagationResult&, double, int)>& store) {
    const std::optional<QString> line = reader.Find(label);
    if (!line) return false;
    std::vector<double> values;
    if (!ParseFixedFields(*line, firstColumn, 5, BatchSize(run), values, reader.error))
        return false;
    for (int j = 0; j < BatchSize(run); ++j) {
        store(ResultOf(row, run, j), values[static_cast<std::size_t>(j)], j);
    }
    return true;
}

bool ReadModeRow(Reader& reader, const PropagationRun& run, std::vector<PropagationResult>& row,
                 int firstColumn) {
    const std::optional<QString> line = reader.Find(QStringLiteral("MODE"));
    if (!line) return false;
    const std::vector<QString> fields = ParseFixedFields(*line, firstColumn, 5, BatchSize(run));
    for (int j = 0; j < BatchSize(run); ++j) {
        ResultOf(row, run, j).Layer = fields[static_cast<std::size_t>(j)];
    }
    return true;
}

}  // namespace

double Rec533SignalDbw(double fieldStrengthDbu, double frequencyKHz) {
    return fieldStrengthDbu - 137.0 - 20.0 * std::log10(frequencyKHz / 20000.0);
}

int PropagationHourIndex(double printedHour, int firstHour, int hourCount) {
    if (!std::isfinite(printedHour)) return 0;
    const double whole = std::round(printedHour);
    if (std::fabs(printedHour - whole) > 0.01 || whole < 0 || whole > 24) return 0;
    const int hourOfDay = static_cast<int>(whole) % 24;
    const int offset = ((hourOfDay - firstHour) % 24 + 24) % 24;
    return offset < hourCount ? offset + 1 : 0;
}

// --- REC533 ---

bool Rec533Deck(const PropagationRun& run, int year, QByteArray& bytes, QString& error) {
    if (!CheckRun(run, error) || !CheckDeckInputs(run, error)) return false;
    const PropagationInputs& in = run.Inputs;
    const PropagationPositions& at = run.Positions;

    DeckWriter deck;
    deck.Line(QStringLiteral("OUTPUT        6    0"));
    deck.Line(QStringLiteral("COEFFS")).Tab(11).Text(in.IonCoefficients);
    deck.Line(QStringLiteral("SUNSPOT")).Tab(11).Number(in.SunspotNumber, "F5.1", "sunspot number");
    deck.Line(QStringLiteral("TIME"))
        .Tab(11)
        .Number(run.FirstHour, "I5", "first hour")
        .Number(run.FirstHour + run.HourCount - 1, "I5", "last hour")
        .Number(1, "I5", "hour step");
    deck.Line(QStringLiteral("MONTH"))
        .Tab(11)
        .Number(year, "I5", "year")
        .Number(run.Month, "I5", "month");
    // "Receieve" is the receiver card's established label, spelled so on purpose.
    Rec533Point(deck, QStringLiteral("TRANS"), QStringLiteral("Transmit"), at.StationLatitude,
                at.StationLongitude, QStringLiteral("station"));
    Rec533Point(deck, QStringLiteral("RECVR"), QStringLiteral("Receieve"), at.OwnLatitude,
                at.OwnLongitude, QStringLiteral("own"));
    deck.Line(QStringLiteral("SYST"))
        .Tab(11)
        .Text(QStringLiteral("     1.0000"))
        .Number(in.TakeoffAngle, "F5.2", "takeoff angle")
        .Text(QStringLiteral("    0  0.0"));
    deck.Line(kAntenna1);
    deck.Line(kAntenna2);
    deck.Line(QStringLiteral("NOIS"))
        .Tab(11)
        .Number(in.NoiseLevel, "I5", "noise level")
        .Number(1, "I5", "noise")
        .Number(40, "I5", "noise")
        .Number(in.Reliability, "I5", "reliability");
    deck.Line(QStringLiteral("FREQ")).Tab(11);
    for (int j = 0; j < BatchSize(run); ++j) {
        deck.Number(FrequencyOf(run, j) / 1000.0, "F7.1", "frequency");
    }
    deck.Line(QStringLiteral("EXEC"));
    deck.Line(QStringLiteral("QUIT"));
    return Finish(deck, bytes, error);
}

bool Rec533ReadOutput(const QByteArray& output, const PropagationRun& run, PropagationHours& table,
                      PropagationPath& path, QString& error) {
    if (!CheckRun(run, error)) return false;
    PropagationSizeTables(table, path, run.HourCount, static_cast<int>(run.Frequencies.size()));
    Reader reader(output);
    auto fail = [&] {
        error = reader.error;
        return false;
    };

    if (!ReadAzimuths(reader, path)) return fail();
    for (int k = 1; k <= run.HourCount; ++k) {
        const auto h = static_cast<std::size_t>(k - 1);
        std::vector<PropagationResult>& row = table[h];

        const std::optional<QString> freq = reader.Find(QStringLiteral("FREQ"));
        if (!freq) return fail();
        const std::optional<double> muf = reader.Number(*freq, 5, 4);
        if (!muf) return fail();
        path.Muf[h] = static_cast<float>(*muf * 1000.0);
        const std::optional<double> luf = reader.Number(*freq, 65, 4);
        if (!luf) return fail();
        path.Luf[h] = static_cast<float>(*luf * 1000.0);

        if (!ReadModeRow(reader, run, row, 9)) return fail();

        // A takeoff angle field that is not a number (blanks when there is no
        // mode) is an angle of 0, not a failure.
        const std::optional<QString> angles = reader.Find(QStringLiteral("ANGL"));
        if (!angles) return fail();
        const std::vector<QString> angleFields = ParseFixedFields(*angles, 9, 5, BatchSize(run));
        for (int j = 0; j < BatchSize(run); ++j) {
            PropagationResult& r = ResultOf(row, run, j);
            r.TakeoffAngle = static_cast<float>(
                FieldNumber(angleFields[static_cast<std::size_t>(j)]).value_or(0.0));
            r.Delay = -1.0f;
            r.VirtualHeight = -1.0f;
        }

        if (!ReadNumberRow(reader, run, row, QStringLiteral("DBU"), 9,
                           [&](PropagationResult& r, double dbu, int j) {
                               r.Signal =
                                   static_cast<float>(Rec533SignalDbw(dbu, FrequencyOf(run, j)));
                           })) {
            return fail();
        }
        if (!ReadNumberRow(reader, run, row, QStringLiteral("S/N"), 9,
                           [](PropagationResult& r, double snr, int) {
                               r.Noise = static_cast<float>(r.Signal - snr);
                           })) {
            return fail();
        }
        if (!ReadNumberRow(
                reader, run, row, QStringLiteral("SNxx"), 9,
                [](PropagationResult& r, double snr, int) { r.Snr = static_cast<float>(snr); })) {
            return fail();
        }
    }
    return true;
}

// --- ICEPAC and VOACAP ---

namespace {

// The cards every ICEPAC/VOACAP deck starts with: LINEMAX to LABEL.
void IcepacVoacapHead(DeckWriter& deck, const PropagationRun& run, int year) {
    const PropagationInputs& in = run.Inputs;
    deck.Line(QStringLiteral("LINEMAX      55"));
    deck.Line(QStringLiteral("COEFFS")).Tab(11).Text(in.IonCoefficients);
    deck.Line(QStringLiteral("TIME"))
        .Tab(11)
        .Number(run.FirstHour, "I5", "first hour")
        .Number(run.FirstHour + run.HourCount - 1, "I5", "last hour")
        .Number(1, "I5", "hour step")
        .Number(1, "I5", "time");
    deck.Line(QStringLiteral("MONTH"))
        .Tab(11)
        .Number(year, "I5", "year")
        .Number(run.Month, "I5", "month");
    deck.Line(QStringLiteral("SUNSPOT"))
        .Tab(11)
        .Number(in.SunspotNumber, "F5.1", "sunspot number")
        .Number(in.QIndex, "F5.1", "Q index");
    deck.Line(QStringLiteral("LABEL     XMTR                  RCVR"));
}

// The path: CIRCUIT with the station as transmitter and the vessel as receiver.
void IcepacVoacapCircuit(DeckWriter& deck, const PropagationRun& run) {
    const PropagationPositions& at = run.Positions;
    deck.Line(QStringLiteral("CIRCUIT")).Tab(10);
    Latitude(deck, at.StationLatitude, QStringLiteral("station latitude")).Tab(20);
    Longitude(deck, at.StationLongitude, QStringLiteral("station longitude")).Tab(30);
    Latitude(deck, at.OwnLatitude, QStringLiteral("own latitude")).Tab(40);
    Longitude(deck, at.OwnLongitude, QStringLiteral("own longitude"))
        .Tab(51)
        .Number(0, "I5", "circuit");
}

// SYSTEM, FPROB and the two antennas.
void IcepacVoacapSystem(DeckWriter& deck, const PropagationRun& run) {
    const PropagationInputs& in = run.Inputs;
    deck.Line(QStringLiteral("SYSTEM"))
        .Tab(11)
        .Number(1, "F5.1", "system")
        .Number(-static_cast<double>(in.NoiseLevel), "F5.0", "noise level")
        .Number(in.TakeoffAngle, "F5.1", "takeoff angle")
        .Number(in.Reliability, "F5.1", "reliability")
        .Number(40, "F5.1", "system")
        .Number(in.MultipathPower, "F5.1", "multipath power")
        .Number(in.MultipathDelay, "F5.1", "multipath delay");
    deck.Line(QStringLiteral("FPROB"))
        .Tab(11)
        .Number(in.LayerAdjustE, "F5.2", "E layer adjustment")
        .Number(in.LayerAdjustF1, "F5.2", "F1 layer adjustment")
        .Number(in.LayerAdjustF2, "F5.2", "F2 layer adjustment")
        .Number(in.LayerAdjustEs, "F5.2", "Es layer adjustment");
    deck.Line(kAntenna1);
    deck.Line(kAntenna2);
}

// The two analyses of a circuit: the MUF/LUF table (method 26), then the
// batch's frequencies (method 20).
void IcepacVoacapAnalyses(DeckWriter& deck, const PropagationRun& run) {
    deck.Line(QStringLiteral("METHOD       26    0"));
    deck.Line(QStringLiteral("EXECUTE"));
    deck.Line(QStringLiteral("FREQUENCY")).Tab(11);
    for (int j = 0; j < BatchSize(run); ++j) {
        deck.Number(FrequencyOf(run, j) / 1000.0, "F5.1", "frequency");
    }
    deck.Line(QStringLiteral("METHOD       20    0"));
    deck.Line(QStringLiteral("EXECUTE"));
}

bool SameCommonCards(const PropagationRun& a, const PropagationRun& b) {
    return a.Model == b.Model && a.Month == b.Month && a.FirstHour == b.FirstHour &&
           a.HourCount == b.HourCount && a.Inputs == b.Inputs;
}

// The coordinates as a page head prints them: "13.50 N  144.80 E".
QString PrintedPoint(double latitude, double longitude) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(std::fabs(latitude), 0, 'f', 2)
        .arg(LatitudeLetter(latitude))
        .arg(std::fabs(longitude), 0, 'f', 2)
        .arg(LongitudeLetter(longitude));
}

// The line of `text` that holds `key` at or after `from`, or the line after
// it with `next`; without its line end.  Empty when there is none; `from`
// moves past the line given.
QByteArray LineWith(const QByteArray& text, const char* key, bool next, qsizetype& from) {
    const qsizetype at = text.indexOf(key, from);
    if (at < 0) return QByteArray();
    qsizetype start = text.lastIndexOf('\n', at) + 1;
    qsizetype end = text.indexOf('\n', at);
    if (next) {
        if (end < 0) return QByteArray();
        start = end + 1;
        end = text.indexOf('\n', start);
    }
    if (end < 0) end = text.size();
    from = end;
    return text.mid(start, end - start).trimmed();
}

// Whether a circuit's part of a combined output is the run's circuit: its
// page head names the run's two points and its first frequency line lists the
// run's frequencies.  (Searched in the bytes: the part is read in full later.)
bool PartIsRun(const QByteArray& part, const PropagationRun& run) {
    qsizetype from = 0;
    const QByteArray points = LineWith(part, "AZIMUTHS", true, from);
    const PropagationPositions& at = run.Positions;
    const QString expected = PrintedPoint(at.StationLatitude, at.StationLongitude) +
                             QStringLiteral(" - ") +
                             PrintedPoint(at.OwnLatitude, at.OwnLongitude);
    if (points.isEmpty() || !QString::fromLatin1(points).simplified().startsWith(expected))
        return false;

    // The frequency line: the hour, the MUF, then the frequencies in MHz.
    const QByteArray freq = LineWith(part, "FREQ", false, from);
    const QList<QByteArray> fields = freq.simplified().split(' ');
    if (fields.size() < BatchSize(run) + 2) return false;
    for (int j = 0; j < BatchSize(run); ++j) {
        bool ok = false;
        const double mhz = fields[j + 2].toDouble(&ok);
        if (!ok || std::fabs(mhz - FrequencyOf(run, j) / 1000.0) > 0.051) return false;
    }
    return true;
}

}  // namespace

bool IcepacVoacapDeck(const PropagationRun& run, int year, QByteArray& bytes, QString& error) {
    if (!CheckRun(run, error) || !CheckDeckInputs(run, error)) return false;
    DeckWriter deck;
    IcepacVoacapHead(deck, run, year);
    IcepacVoacapCircuit(deck, run);
    IcepacVoacapSystem(deck, run);
    IcepacVoacapAnalyses(deck, run);
    deck.Line(QStringLiteral("QUIT"));
    return Finish(deck, bytes, error);
}

bool IcepacVoacapCircuitsDeck(const std::vector<PropagationRun>& runs, int year,
                              QByteArray& bytes, QString& error) {
    if (runs.empty()) {
        error = QStringLiteral("No circuit to run");
        return false;
    }
    for (const PropagationRun& run : runs) {
        if (!CheckRun(run, error) || !CheckDeckInputs(run, error)) return false;
        if (!SameCommonCards(run, runs.front())) {
            error = QStringLiteral("The circuits of one deck differ in their common cards");
            return false;
        }
    }
    DeckWriter deck;
    IcepacVoacapHead(deck, runs.front(), year);
    IcepacVoacapSystem(deck, runs.front());
    for (const PropagationRun& run : runs) {
        IcepacVoacapCircuit(deck, run);
        IcepacVoacapAnalyses(deck, run);
    }
    deck.Line(QStringLiteral("QUIT"));
    return Finish(deck, bytes, error);
}

std::vector<QString> IcepacVoacapReadCircuits(const QByteArray& output,
                                              const std::vector<PropagationRun>& runs,
                                              std::vector<PropagationHours>& tables,
                                              std::vector<PropagationPath>& paths) {
    tables.assign(runs.size(), PropagationHours());
    paths.assign(runs.size(), PropagationPath());
    std::vector<QString> errors(runs.size());

    // Each circuit's part starts at its method 26 page head (the deck's echo
    // writes "METHOD" and "26" apart, so it never matches).
    std::vector<qsizetype> starts;
    const QByteArray head("METHOD 26");
    for (qsizetype at = output.indexOf(head); at >= 0; at = output.indexOf(head, at + 1)) {
        starts.push_back(output.lastIndexOf('\n', at) + 1);
    }
    // The parts are taken in deck order.  Each run takes the first part from
    // where the previous one stopped that is its circuit, so a circuit the
    // program left out (or a part that names no run) fails alone.
    const auto partText = [&](std::size_t k) {
        const qsizetype to = k + 1 < starts.size() ? starts[k + 1] : output.size();
        return output.mid(starts[k], to - starts[k]);
    };
    std::size_t next = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::size_t k = next;
        while (k < starts.size() && !PartIsRun(partText(k), runs[i])) ++k;
        if (k == starts.size()) {
            errors[i] = QStringLiteral("Circuit %1 of %2 not found").arg(i + 1).arg(runs.size());
            continue;
        }
        next = k + 1;
        QString error;
        if (!IcepacVoacapReadOutput(partText(k), runs[i], tables[i], paths[i], error))
            errors[i] = error;
    }
    return errors;
}

bool IcepacVoacapReadOutput(const QByteArray& output, const PropagationRun& run,
                            PropagationHours& table, PropagationPath& path, QString& error) {
    if (!CheckRun(run, error)) return false;
    PropagationSizeTables(table, path, run.HourCount, static_cast<int>(run.Frequencies.size()));
    Reader reader(output);
    auto fail = [&] {
        error = reader.error;
        return false;
    };

    // The MUF and LUF table: one line per hour, in the order the program
    // computed them (a run from hour 0 lists 1.0 first and 24.0 last), each
    // line starting with its hour.  Each line goes to its own hour index.
    const QString label = QStringLiteral("MUF    LUF");
    if (!reader.Find(label)) return fail();
    if (!reader.Next(label)) return fail();
    std::vector<bool> seen(static_cast<std::size_t>(run.HourCount), false);
    for (int i = 0; i < run.HourCount; ++i) {
        const std::optional<QString> line = reader.Next(label);
        if (!line) return fail();
        const QString hourText = line->simplified().section(QLatin1Char(' '), 0, 0);
        const std::optional<double> hour = FieldNumber(hourText);
        const int k = hour ? PropagationHourIndex(*hour, run.FirstHour, run.HourCount) : 0;
        if (k == 0) {
            error = QStringLiteral("MUF and LUF line \"%1\" is not for an hour of the run")
                        .arg(line->trimmed());
            return false;
        }
        const auto h = static_cast<std::size_t>(k - 1);
        if (seen[h]) {
            error = QStringLiteral("MUF and LUF line \"%1\" repeats an hour").arg(line->trimmed());
            return false;
        }
        seen[h] = true;
        const std::optional<double> muf = reader.Number(*line, 39, 5);
        if (!muf) return fail();
        path.Muf[h] = static_cast<float>(*muf * 1000.0);
        // A LUF printed negative marks a path without a usable band below the
        // MUF; the field as placed reads its magnitude for two-digit values,
        // and so it is read for every value.
        const std::optional<double> luf = reader.Number(*line, 46, 5);
        if (!luf) return fail();
        path.Luf[h] = static_cast<float>(std::fabs(*luf) * 1000.0);
    }

    if (!ReadAzimuths(reader, path)) return fail();

    for (int k = 1; k <= run.HourCount; ++k) {
        std::vector<PropagationResult>& row = table[static_cast<std::size_t>(k - 1)];
        if (!ReadModeRow(reader, run, row, 12)) return fail();
        const struct {
            const char* label;
            float PropagationResult::*field;
        } rows[] = {
            {"ANGLE", &PropagationResult::TakeoffAngle},   {"DELAY", &PropagationResult::Delay},
            {"V HITE", &PropagationResult::VirtualHeight}, {"S DBW", &PropagationResult::Signal},
            {"N DBW", &PropagationResult::Noise},          {"SNRxx", &PropagationResult::Snr},
        };
        for (const auto& r : rows) {
            if (!ReadNumberRow(reader, run, row, QString::fromLatin1(r.label), 12,
                               [field = r.field](PropagationResult& result, double value, int) {
                                   result.*field = static_cast<float>(value);
                               })) {
                return fail();
            }
        }
    }
    return true;
}

}  // namespace tw
