#include "propagation/PropagationAnswer.h"

#include <QList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "propagation/PropagationDecks.h"
#include "propagation/PropagationText.h"

namespace tw {

namespace {

// Where `word` comes next in `text` from `from` on, or -1 (the standard
// library's search, with the first letter found by memchr, is several
// times faster on long outputs than a general one).
qsizetype Find(const QByteArray& text, std::string_view word, qsizetype from) {
    const std::string_view all(text.constData(), static_cast<std::size_t>(text.size()));
    const std::size_t at = all.find(word, static_cast<std::size_t>(std::max<qsizetype>(from, 0)));
    return at == std::string_view::npos ? -1 : static_cast<qsizetype>(at);
}

// The line of `text` that holds position `at`: from after the line end
// before it up to its own line end (a CR before it left off), and in `next`
// where the line after it begins.  Nothing when the line has no line end: a
// last line without one may be cut in the middle of a write.
std::optional<QByteArrayView> LineAt(const QByteArray& text, qsizetype at, qsizetype& next) {
    const qsizetype begin = at > 0 ? text.lastIndexOf('\n', at - 1) + 1 : 0;
    const qsizetype end = text.indexOf('\n', at);
    if (end < 0) return std::nullopt;
    next = end + 1;
    QByteArrayView line(text.constData() + begin, end - begin);
    if (line.endsWith('\r')) line.chop(1);
    return line;
}

QByteArrayView RightTrimmed(QByteArrayView line) {
    while (!line.isEmpty() && static_cast<unsigned char>(line.back()) <= ' ') line.chop(1);
    return line;
}

QString Quoted(QByteArrayView line) {
    return QLatin1Char('"') + QString::fromLatin1(line).simplified() + QLatin1Char('"');
}

// ICEPAC and VOACAP copy the deck below their column ruler (and a blank
// line), each card after a blank.
QString EchoMismatch(const QByteArray& output, const QByteArray& deck) {
    const std::string_view ruler("1234567890123456789");
    qsizetype at = 0;
    std::optional<QByteArrayView> line;
    for (qsizetype found = 0; (found = Find(output, ruler, found)) >= 0;
         found += static_cast<qsizetype>(ruler.size())) {
        qsizetype next = 0;
        line = LineAt(output, found, next);
        if (!line) return {};  // no echo, or an output cut short
        at = next;
        if (line->trimmed().startsWith(QByteArrayView(ruler.data(), static_cast<qsizetype>(ruler.size())))) break;
        line.reset();
    }
    if (!line) return {};
    qsizetype next = at;
    while ((line = LineAt(output, at, next)) && line->trimmed().isEmpty()) at = next;
    QList<QByteArray> cards = deck.split('\n');
    while (!cards.isEmpty() && cards.back().trimmed().isEmpty()) cards.removeLast();
    for (const QByteArray& card : cards) {
        line = LineAt(output, at, next);
        if (!line) return {};  // an output cut short
        at = next;
        const QByteArrayView echoed = RightTrimmed(*line);
        if (echoed != RightTrimmed(' ' + card))
            return QStringLiteral("it echoes the card %1 where the deck has %2")
                .arg(Quoted(echoed), Quoted(card));
    }
    return {};
}

// A circuit as a page head prints it: "13.50 N  144.80 E - 38.60 N  120.30 W"
// (REC533 without the dash), the transmitter (the station) first.
struct PrintedCircuit {
    double value[4] = {};
    char letter[4] = {};
    QString text;
};

// The blank-separated fields of a line.
std::vector<QByteArrayView> FieldsOf(QByteArrayView line) {
    std::vector<QByteArrayView> fields;
    const char* at = line.data();
    const char* const end = at + line.size();
    while (at < end) {
        while (at < end && static_cast<unsigned char>(*at) <= ' ') ++at;
        const char* const start = at;
        while (at < end && static_cast<unsigned char>(*at) > ' ') ++at;
        if (at > start) fields.emplace_back(start, at - start);
    }
    return fields;
}

// A field that is a number and nothing else.
std::optional<double> NumberOf(QByteArrayView field) {
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}

std::optional<PrintedCircuit> CircuitOf(QByteArrayView line) {
    std::vector<QByteArrayView> tokens = FieldsOf(line);
    tokens.erase(std::remove(tokens.begin(), tokens.end(), QByteArrayView("-")), tokens.end());
    if (tokens.size() < 8) return std::nullopt;
    PrintedCircuit circuit;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::optional<double> value = NumberOf(tokens[2 * k]);
        const QByteArrayView letter = tokens[2 * k + 1];
        if (!value || letter.size() != 1 || !QByteArrayView("NSEW").contains(letter[0])) return std::nullopt;
        circuit.value[k] = *value;
        circuit.letter[k] = letter[0];
        circuit.text += QString::fromLatin1(tokens[2 * k]) + QLatin1Char(' ') + QLatin1Char(letter[0]) +
                        QLatin1String(k == 1 ? " - " : k < 3 ? " " : "");
    }
    return circuit;
}

// The deck writes each coordinate with two decimals and its hemisphere's letter.
bool IsCircuit(const PrintedCircuit& circuit, const PropagationPositions& at) {
    const double values[] = {at.StationLatitude, at.StationLongitude, at.OwnLatitude, at.OwnLongitude};
    for (int k = 0; k < 4; ++k) {
        const QString letter = k % 2 == 0 ? LatitudeLetter(values[k]) : LongitudeLetter(values[k]);
        if (letter != QLatin1Char(circuit.letter[k]) ||
            std::fabs(circuit.value[k] - std::fabs(values[k])) > 0.0051)
            return false;
    }
    return true;
}

// A line labelled "FREQ": the hour, the MUF, then the frequencies in MHz
// (and whatever a layout puts before the label after them).  The deck's own
// "FREQUENCY" and "FREQ" cards, echoed, have nothing before the label.
struct FrequencyLine {
    double hour = 0;
    std::vector<double> megahertz;
};

std::optional<FrequencyLine> FrequencyLineOf(QByteArrayView line) {
    const qsizetype label = line.indexOf("FREQ");
    if (label < 0) return std::nullopt;
    const std::vector<QByteArrayView> fields = FieldsOf(line.first(label));
    if (fields.size() < 3) return std::nullopt;
    FrequencyLine result;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::optional<double> value = NumberOf(fields[i]);
        if (!value) return std::nullopt;  // not a table's line, or unreadable: the reader's matter
        if (i == 0) result.hour = *value;
        if (i >= 2) result.megahertz.push_back(*value);
    }
    return result;
}

enum class Fit { Yes, OtherFrequencies, OtherHour, HourTwice };

// How a frequency line fits a run whose hours `seen` have been given.
Fit FitOf(const FrequencyLine& line, const PropagationRun& run, const std::vector<bool>& seen,
          int& hourIndex) {
    const int first = std::max(run.FirstIndex, 1);
    const int last = std::min(run.LastIndex, static_cast<int>(run.Frequencies.size()));
    if (static_cast<int>(line.megahertz.size()) < last - first + 1) return Fit::OtherFrequencies;
    for (int i = first; i <= last; ++i) {
        const double asked = run.Frequencies[static_cast<std::size_t>(i - 1)] / 1000.0;
        if (std::fabs(line.megahertz[static_cast<std::size_t>(i - first)] - asked) > 0.051)
            return Fit::OtherFrequencies;
    }
    hourIndex = PropagationHourIndex(line.hour, run.FirstHour, run.HourCount);
    if (hourIndex == 0) return Fit::OtherHour;
    return seen[static_cast<std::size_t>(hourIndex - 1)] ? Fit::HourTwice : Fit::Yes;
}

}  // namespace

QString PropagationAnswerMismatch(const QByteArray& output, const QByteArray& deck,
                                  const std::vector<PropagationRun>& runs) {
    if (QString echo = EchoMismatch(output, deck); !echo.isEmpty()) return echo;
    if (runs.empty()) return {};

    // The pages come in the deck's order: each run's circuit, then its
    // hours.  The circuit named on a page head is the run's or a later one's
    // (a circuit the program left out is passed over); a frequency line is
    // of the run, or of the next batch of the same circuit.  Only the lines
    // that hold "AZIMUTHS" or "FREQ" matter: the output is searched for
    // those two words, not read line by line.
    std::size_t r = 0;
    std::vector<std::vector<bool>> seen;
    for (const PropagationRun& run : runs)
        seen.emplace_back(static_cast<std::size_t>(std::max(run.HourCount, 0)));
    const std::string_view azimuthsWord("AZIMUTHS"), freqWord("FREQ");
    qsizetype azimuths = Find(output, azimuthsWord, 0), freq = Find(output, freqWord, 0);
    for (qsizetype at = 0;;) {
        if (azimuths >= 0 && azimuths < at) azimuths = Find(output, azimuthsWord, at);
        if (freq >= 0 && freq < at) freq = Find(output, freqWord, at);
        const qsizetype hit = azimuths < 0 ? freq : freq < 0 ? azimuths : std::min(azimuths, freq);
        if (hit < 0) break;
        qsizetype next = 0;
        const std::optional<QByteArrayView> text = LineAt(output, hit, next);
        if (!text) break;  // the last line, without its line end
        at = next;
        qsizetype after = 0;
        const std::optional<QByteArrayView> head =
            azimuths >= 0 && azimuths < next ? LineAt(output, next, after) : std::nullopt;
        if (head) {
            at = after;
            const std::optional<PrintedCircuit> circuit = CircuitOf(*head);
            if (!circuit) continue;
            std::size_t following = r;
            while (following < runs.size() && !IsCircuit(*circuit, runs[following].Positions)) ++following;
            if (following == runs.size()) return QStringLiteral("it names the circuit %1").arg(circuit->text);
            r = following;
            continue;
        }
        const std::optional<FrequencyLine> line = FrequencyLineOf(*text);
        if (!line) continue;
        int hourIndex = 0;
        Fit fit = FitOf(*line, runs[r], seen[r], hourIndex);
        for (std::size_t following = r + 1; fit != Fit::Yes && following < runs.size() &&
                                            runs[following].Positions == runs[r].Positions;
             ++following) {
            if (FitOf(*line, runs[following], seen[following], hourIndex) == Fit::Yes) {
                r = following;
                fit = Fit::Yes;
            }
        }
        const auto hour = [&line] { return QString::number(line->hour); };
        switch (fit) {
        case Fit::Yes: seen[r][static_cast<std::size_t>(hourIndex - 1)] = true; break;
        case Fit::OtherFrequencies: {
            QStringList listed;
            for (double mhz : line->megahertz) listed << QString::number(mhz, 'f', 1);
            return QStringLiteral("it lists the frequencies %1 MHz at hour %2")
                .arg(listed.join(QLatin1Char(' ')), hour());
        }
        case Fit::OtherHour:
            return QStringLiteral("it gives hour %1, which the deck does not ask for").arg(hour());
        case Fit::HourTwice: return QStringLiteral("it gives hour %1 twice").arg(hour());
        }
    }
    return {};
}

}  // namespace tw
