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
    void Back() { m_lines.Back(); }
    // Like Find, and the lines passed over on the way into `passed`.
    std::optional<QString> FindPassing(const QString& label, std::vector<QString>& passed) {
        while (std::optional<QString> line = m_lines.NextLine()) {
            if (line->contains(label)) return line;
            passed.push_back(*line);
        }
        error = QStringLiteral("Label \"%1\" not found").arg(label);
        return std::nullopt;
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

// The rows a model may print beside the ones every output has: its
// reliability (a fraction: ICEPAC and VOACAP "REL", REC533 "FS/N") and the
// median SNR with its decile spreads, by their labels.  A row or field that
// is not there leaves its value as it was (-1: not given).
void ReadReliabilityRow(const QString& line, const QString& label, const PropagationRun& run,
                        std::vector<PropagationResult>& row, int firstColumn) {
    const struct {
        const char* label;
        float PropagationResult::*field;
        double scale;
    } rows[] = {{"REL", &PropagationResult::Rel, 100.0},
                {"FS/N", &PropagationResult::Rel, 100.0},
                {"SNR", &PropagationResult::SnrMedian, 1.0},
                {"SNR LW", &PropagationResult::SnrLower, 1.0},
                {"SNR UP", &PropagationResult::SnrUpper, 1.0}};
    for (const auto& r : rows) {
        if (label != QLatin1String(r.label)) continue;
        const std::vector<QString> fields = ParseFixedFields(line, firstColumn, 5, BatchSize(run));
        for (int j = 0; j < BatchSize(run); ++j) {
            if (const std::optional<double> value = FieldNumber(fields[static_cast<std::size_t>(j)]))
                ResultOf(row, run, j).*(r.field) = static_cast<float>(*value * r.scale);
        }
    }
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
        // A LUF printed negative (the OPMUF with a minus sign, from column
        // 64) says that no frequency up to the OPMUF reaches the required
        // reliability: the LUF is that OPMUF.  Columns 65 to 68 hold its
        // magnitude for two-digit values and the sign for one-digit ones, so
        // the magnitude is taken for every value.
        const std::optional<double> luf = reader.Number(*freq, 65, 4);
        if (!luf) return fail();
        path.Luf[h] = static_cast<float>(std::fabs(*luf) * 1000.0);

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
                               r.SnrMedian = static_cast<float>(snr);
                           })) {
            return fail();
        }
        // Between the S/N and the SNxx rows the reliability, "FS/N", its
        // label after the fields.
        std::vector<QString> passed;
        if (!reader.FindPassing(QStringLiteral("SNxx"), passed)) return fail();
        for (const QString& line : passed)
            ReadReliabilityRow(line, line.trimmed().section(QLatin1Char(' '), -1), run, row, 9);
        reader.Back();
        if (!ReadNumberRow(
                reader, run, row, QStringLiteral("SNxx"), 9,
                [](PropagationResult& r, double snr, int) {
                    r.Snr = static_cast<float>(snr);
                })) {
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

// An antenna card with its file name as `names` asks.
QString AntennaCard(const QString& windowsCard, AntennaNames names) {
    if (names == AntennaNames::Windows) return windowsCard;
    const qsizetype open = windowsCard.indexOf(QLatin1Char('['));
    const qsizetype close = windowsCard.indexOf(QLatin1Char(']'), open);
    QString file = windowsCard.mid(open, close - open).toLower();
    file.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return windowsCard.left(open) + file + windowsCard.mid(close);
}

// SYSTEM, FPROB and the two antennas.
void IcepacVoacapSystem(DeckWriter& deck, const PropagationRun& run, AntennaNames names) {
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
    deck.Line(AntennaCard(kAntenna1, names));
    deck.Line(AntennaCard(kAntenna2, names));
}

// The first analysis of a circuit: the MUF/LUF table (method 26).
void IcepacVoacapMufTable(DeckWriter& deck) {
    deck.Line(QStringLiteral("METHOD       26    0"));
    deck.Line(QStringLiteral("EXECUTE"));
}

// The second analysis of a circuit: the batch's frequencies (method 20).
void IcepacVoacapFrequencies(DeckWriter& deck, const PropagationRun& run) {
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

// One page of an output: from its page head ("METHOD 26" or "METHOD 20") to
// the next page head.
struct OutputPage {
    int method = 0;
    QByteArray text;
};

// The pages of an output in their order.  (The deck's echo writes "METHOD"
// and its number apart, so it never counts as a page head.)
std::vector<OutputPage> OutputPages(const QByteArray& output) {
    std::vector<std::pair<qsizetype, int>> heads;
    const QByteArray head("METHOD 2");
    for (qsizetype at = output.indexOf(head); at >= 0; at = output.indexOf(head, at + 1)) {
        const char digit = at + head.size() < output.size() ? output[at + head.size()] : ' ';
        if (digit == '6' || digit == '0')
            heads.emplace_back(output.lastIndexOf('\n', at) + 1, digit == '6' ? 26 : 20);
    }
    std::vector<OutputPage> pages;
    for (std::size_t k = 0; k < heads.size(); ++k) {
        const qsizetype to = k + 1 < heads.size() ? heads[k + 1].first : output.size();
        pages.push_back({heads[k].second, output.mid(heads[k].first, to - heads[k].first)});
    }
    return pages;
}

// Whether a page is of the run's circuit: the line after its "AZIMUTHS"
// names the run's two points.
bool PageHasPoints(const QByteArray& page, const PropagationRun& run) {
    const qsizetype at = page.indexOf("AZIMUTHS");
    if (at < 0) return false;
    const qsizetype start = page.indexOf('\n', at) + 1;
    if (start <= 0) return false;
    qsizetype end = page.indexOf('\n', start);
    if (end < 0) end = page.size();
    const PropagationPositions& p = run.Positions;
    const QString expected = PrintedPoint(p.StationLatitude, p.StationLongitude) +
                             QStringLiteral(" - ") + PrintedPoint(p.OwnLatitude, p.OwnLongitude);
    return QString::fromLatin1(page.mid(start, end - start)).simplified().startsWith(expected);
}

// The number of hours on a method 20 page that list the run's frequencies
// on their frequency line (the hour, the MUF, then the frequencies in MHz,
// then "FREQ"; what follows the frequencies is not looked at), or 0 when a
// frequency line lists others.
int PageHours(const QByteArray& page, const PropagationRun& run) {
    int hours = 0;
    for (qsizetype at = page.indexOf("FREQ"); at >= 0; at = page.indexOf("FREQ", at + 4)) {
        const qsizetype start = page.lastIndexOf('\n', at) + 1;
        qsizetype end = page.indexOf('\n', at);
        if (end < 0) end = page.size();
        at = end;
        const QList<QByteArray> fields = page.mid(start, end - start).simplified().split(' ');
        const qsizetype label = fields.indexOf("FREQ");
        if (label < 2) continue;
        if (label < BatchSize(run) + 2) return 0;
        for (int j = 0; j < BatchSize(run); ++j) {
            bool ok = false;
            const double mhz = fields[j + 2].toDouble(&ok);
            if (!ok || std::fabs(mhz - FrequencyOf(run, j) / 1000.0) > 0.051) return 0;
        }
        ++hours;
    }
    return hours;
}

}  // namespace

bool IcepacVoacapDeck(const PropagationRun& run, int year, QByteArray& bytes, QString& error,
                      AntennaNames antennas) {
    if (!CheckRun(run, error) || !CheckDeckInputs(run, error)) return false;
    DeckWriter deck;
    IcepacVoacapHead(deck, run, year);
    IcepacVoacapCircuit(deck, run);
    IcepacVoacapSystem(deck, run, antennas);
    IcepacVoacapMufTable(deck);
    IcepacVoacapFrequencies(deck, run);
    deck.Line(QStringLiteral("QUIT"));
    return Finish(deck, bytes, error);
}

bool IcepacVoacapCircuitsDeck(const std::vector<PropagationRun>& runs, int year,
                              QByteArray& bytes, QString& error, AntennaNames antennas) {
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
    IcepacVoacapSystem(deck, runs.front(), antennas);
    for (const PropagationRun& run : runs) {
        IcepacVoacapCircuit(deck, run);
        IcepacVoacapMufTable(deck);
        IcepacVoacapFrequencies(deck, run);
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
    const std::vector<OutputPage> pages = OutputPages(output);

    // Each run takes the first page of each method from where the previous
    // run's stopped that is of its circuit, then the method 20 pages after
    // it until its hours are complete.  A circuit the program left out (or a
    // page that names no run) so fails alone.
    std::size_t next26 = 0, next20 = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const PropagationRun& run = runs[i];
        // The hours a page holds for this run (0: not its page).
        const auto hoursOf = [&](std::size_t k) {
            const OutputPage& page = pages[k];
            if (!PageHasPoints(page.text, run)) return 0;
            return page.method == 26 ? 1 : PageHours(page.text, run);
        };
        const auto find = [&](std::size_t from, int method, int& hours) {
            for (; from < pages.size(); ++from) {
                if (pages[from].method == method && (hours = hoursOf(from)) > 0) break;
            }
            return from;
        };
        int ignored = 0, firstHours = 0;
        const std::size_t muf = find(next26, 26, ignored);
        const std::size_t first20 = find(next20, 20, firstHours);
        if (muf == pages.size() || first20 == pages.size()) {
            errors[i] = QStringLiteral("Circuit %1 of %2 not found").arg(i + 1).arg(runs.size());
            continue;
        }
        next26 = muf + 1;
        QByteArray part = pages[muf].text;
        int found = 0;
        std::size_t k = first20;
        while (k < pages.size() && found < run.HourCount && pages[k].method == 20) {
            const int pageHours = k == first20 ? firstHours : hoursOf(k);
            if (pageHours == 0) break;
            part += pages[k].text;
            found += pageHours;
            ++k;
        }
        next20 = k;
        QString error;
        if (!IcepacVoacapReadOutput(part, run, tables[i], paths[i], error)) errors[i] = error;
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
            // Between the noise and the SNR at the required reliability lie
            // the reliability rows.
            if (r.field == &PropagationResult::Snr) {
                std::vector<QString> passed;
                if (!reader.FindPassing(QStringLiteral("SNRxx"), passed)) return fail();
                // Their labels follow the fields (12 of them, from column 7).
                for (const QString& line : passed)
                    ReadReliabilityRow(line, line.mid(66).trimmed(), run, row, 12);
                reader.Back();
            }
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
