#include "propagation/PropagationAnswer.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <optional>

#include "propagation/PropagationDecks.h"
#include "propagation/PropagationText.h"

namespace tw {

namespace {

// The lines of a text without their line ends.  A last line without its
// line end may be cut in the middle of a write: it is left out.
QList<QByteArray> LinesOf(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r')) line.chop(1);
    }
    return lines;
}

QByteArray RightTrimmed(QByteArray line) {
    while (!line.isEmpty() && static_cast<unsigned char>(line.back()) <= ' ') line.chop(1);
    return line;
}

QString Quoted(const QByteArray& line) {
    return QLatin1Char('"') + QString::fromLatin1(line).simplified() + QLatin1Char('"');
}

// ICEPAC and VOACAP copy the deck below their column ruler (and a blank
// line), each card after a blank.
QString EchoMismatch(const QList<QByteArray>& lines, const QByteArray& deck) {
    qsizetype at = 0;
    while (at < lines.size() && !lines[at].trimmed().startsWith("1234567890123456789")) ++at;
    for (++at; at < lines.size() && lines[at].trimmed().isEmpty(); ++at) {
    }
    QList<QByteArray> cards = deck.split('\n');
    while (!cards.isEmpty() && cards.back().trimmed().isEmpty()) cards.removeLast();
    for (const QByteArray& card : cards) {
        if (at >= lines.size()) return {};  // no echo, or an output cut short
        const QByteArray echoed = RightTrimmed(lines[at++]);
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

std::optional<PrintedCircuit> CircuitOf(const QByteArray& line) {
    QList<QByteArray> tokens = line.simplified().split(' ');
    tokens.removeAll("-");
    if (tokens.size() < 8) return std::nullopt;
    PrintedCircuit circuit;
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        circuit.value[k] = tokens[2 * k].toDouble(&ok);
        const QByteArray& letter = tokens[2 * k + 1];
        if (!ok || letter.size() != 1 || !QByteArray("NSEW").contains(letter[0])) return std::nullopt;
        circuit.letter[k] = letter[0];
        circuit.text += QString::fromLatin1(tokens[2 * k] + ' ' + letter) +
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

std::optional<FrequencyLine> FrequencyLineOf(const QByteArray& line) {
    const qsizetype label = line.indexOf("FREQ");
    if (label < 0) return std::nullopt;
    const QList<QByteArray> fields = line.left(label).simplified().split(' ');
    if (fields.size() < 3) return std::nullopt;
    FrequencyLine result;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        bool ok = false;
        const double value = fields[i].toDouble(&ok);
        if (!ok) return std::nullopt;  // not a table's line, or unreadable: the reader's matter
        if (i == 0) result.hour = value;
        if (i >= 2) result.megahertz.push_back(value);
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
    const QList<QByteArray> lines = LinesOf(output);
    if (QString echo = EchoMismatch(lines, deck); !echo.isEmpty()) return echo;
    if (runs.empty()) return {};

    // The pages come in the deck's order: each run's circuit, then its
    // hours.  The circuit named on a page head is the run's or a later one's
    // (a circuit the program left out is passed over); a frequency line is
    // of the run, or of the next batch of the same circuit.
    std::size_t r = 0;
    std::vector<std::vector<bool>> seen;
    for (const PropagationRun& run : runs)
        seen.emplace_back(static_cast<std::size_t>(std::max(run.HourCount, 0)));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains("AZIMUTHS") && i + 1 < lines.size()) {
            const std::optional<PrintedCircuit> circuit = CircuitOf(lines[++i]);
            if (!circuit) continue;
            std::size_t next = r;
            while (next < runs.size() && !IsCircuit(*circuit, runs[next].Positions)) ++next;
            if (next == runs.size()) return QStringLiteral("it names the circuit %1").arg(circuit->text);
            r = next;
            continue;
        }
        const std::optional<FrequencyLine> line = FrequencyLineOf(lines[i]);
        if (!line) continue;
        int hourIndex = 0;
        Fit fit = FitOf(*line, runs[r], seen[r], hourIndex);
        for (std::size_t next = r + 1; fit != Fit::Yes && next < runs.size() &&
                                       runs[next].Positions == runs[r].Positions;
             ++next) {
            if (FitOf(*line, runs[next], seen[next], hourIndex) == Fit::Yes) {
                r = next;
                fit = Fit::Yes;
            }
        }
        const QString hour = QString::number(line->hour);
        switch (fit) {
        case Fit::Yes: seen[r][static_cast<std::size_t>(hourIndex - 1)] = true; break;
        case Fit::OtherFrequencies: {
            QStringList listed;
            for (double mhz : line->megahertz) listed << QString::number(mhz, 'f', 1);
            return QStringLiteral("it lists the frequencies %1 MHz at hour %2")
                .arg(listed.join(QLatin1Char(' ')), hour);
        }
        case Fit::OtherHour:
            return QStringLiteral("it gives hour %1, which the deck does not ask for").arg(hour);
        case Fit::HourTwice: return QStringLiteral("it gives hour %1 twice").arg(hour);
        }
    }
    return {};
}

}  // namespace tw
