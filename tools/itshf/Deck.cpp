#include "Deck.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace tw::itshf {

namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Reads the deck line by line; the first failure is kept in `error`.
class Reader {
public:
    explicit Reader(Deck& deck) : m_deck(deck) {}

    void Line(int number, const std::string& line) {
        m_number = number;
        m_line = line;
        std::string keyword = Trim(DeckField(line, 1, 10));
        keyword = Upper(keyword.substr(0, keyword.find_first_of(" \t")));
        if (keyword.empty()) return;
        m_keyword = keyword;
        if (keyword == "COEFFS") {
            const std::string c = Trim(DeckField(line, 11, 10));
            if (!c.empty()) m_deck.coefficients = c;
        } else if (keyword == "TIME") {
            Time();
        } else if (keyword == "MONTH") {
            Month();
        } else if (keyword == "SUNSPOT") {
            m_deck.sunspot = Number(11, 5);
            m_deck.qIndex = Number(16, 5);
        } else if (keyword == "CIRCUIT") {
            Circuit();
        } else if (keyword == "TRANS" || keyword == "RECVR") {
            Station(keyword == "TRANS");
        } else if (keyword == "SYSTEM") {
            System();
        } else if (keyword == "SYST") {
            m_deck.systemPowerKw = Number(11, 11);
            m_deck.minAngleDeg = Number(22, 5);
        } else if (keyword == "NOIS") {
            m_deck.noiseDbw = -std::fabs(Number(11, 5));
            m_deck.requiredSnrDb = Number(21, 5);
            m_deck.reliabilityPct = Number(26, 5);
        } else if (keyword == "FPROB") {
            m_deck.factorE = Number(11, 5);
            m_deck.factorF1 = Number(16, 5);
            m_deck.factorF2 = Number(21, 5);
            m_deck.factorEs = Number(26, 5);
        } else if (keyword == "ANTENNA") {
            Antenna();
        } else if (keyword == "METHOD") {
            m_method = static_cast<int>(Number(11, 5));
        } else if (keyword == "FREQUENCY") {
            Frequencies(5);
        } else if (keyword == "FREQ") {
            Frequencies(7);
        } else if (keyword == "EXECUTE" || keyword == "EXEC") {
            Execute(keyword == "EXEC");
        } else if (keyword == "QUIT") {
            m_deck.quit = true;
        }
        // LINEMAX, LABEL, OUTPUT and anything unknown: echoed only.
    }

    bool failed() const { return !m_deck.error.empty(); }

private:
    void Fail(const std::string& what) {
        if (m_deck.error.empty()) {
            m_deck.error = "line " + std::to_string(m_number) + " (" + m_keyword + "): " + what;
        }
    }

    // A Fortran-style number field: blank reads as 0.
    double Number(int column, int width) {
        const std::string text = Trim(DeckField(m_line, column, width));
        if (text.empty()) return 0;
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) {
            Fail("columns " + std::to_string(column) + " to " + std::to_string(column + width - 1) +
                 " \"" + text + "\" are not a number");
            return 0;
        }
        return v;
    }

    // A coordinate without sign followed by its hemisphere letter.
    double Coordinate(int column, int width, char positive, char negative, double limit) {
        const double v = Number(column, width);
        const std::string letter = Upper(DeckField(m_line, column + width, 1));
        double signedValue = v;
        if (letter == std::string(1, negative)) {
            signedValue = -v;
        } else if (letter != std::string(1, positive)) {
            Fail("column " + std::to_string(column + width) + " must hold " + positive + " or " +
                 negative);
        }
        if (std::fabs(signedValue) > limit) Fail("coordinate out of range");
        return signedValue;
    }

    void Time() {
        const double first = Number(11, 5), last = Number(16, 5), step = Number(21, 5);
        if (first < 0 || first > 24 || last < 0 || last > 24) {
            Fail("hours must lie between 0 and 24");
            return;
        }
        m_deck.firstHour = static_cast<int>(first);
        m_deck.lastHour = static_cast<int>(last);
        m_deck.hourStep = std::max(1, static_cast<int>(step));
        m_deck.haveTime = true;
    }

    void Month() {
        const double year = Number(11, 5), month = Number(16, 5);
        if (month < 1 || month >= 13) {
            Fail("month must lie between 1 and 12");
            return;
        }
        m_deck.year = static_cast<int>(year);
        m_deck.month = static_cast<int>(month);
        m_deck.haveMonth = true;
    }

    void Circuit() {
        m_deck.circuit.txLat = Coordinate(10, 6, 'N', 'S', 90);
        m_deck.circuit.txLon = Coordinate(20, 6, 'E', 'W', 180);
        m_deck.circuit.rxLat = Coordinate(30, 6, 'N', 'S', 90);
        m_deck.circuit.rxLon = Coordinate(40, 6, 'E', 'W', 180);
        m_deck.haveTransmitter = m_deck.haveReceiver = !failed();
        ++m_circuitNumber;
    }

    void Station(bool transmitter) {
        const double lat = Coordinate(32, 6, 'N', 'S', 90);
        const double lon = Coordinate(43, 6, 'E', 'W', 180);
        if (transmitter) {
            m_deck.circuit.txLat = lat;
            m_deck.circuit.txLon = lon;
            m_deck.haveTransmitter = !failed();
        } else {
            m_deck.circuit.rxLat = lat;
            m_deck.circuit.rxLon = lon;
            m_deck.haveReceiver = !failed();
        }
        ++m_circuitNumber;
    }

    void System() {
        m_deck.systemPowerKw = Number(11, 5);
        // The noise level is written positive (145. for -145 dBW).
        m_deck.noiseDbw = -std::fabs(Number(16, 5));
        m_deck.minAngleDeg = Number(21, 5);
        m_deck.reliabilityPct = Number(26, 5);
        m_deck.requiredSnrDb = Number(31, 5);
        m_deck.multipathPowerDb = Number(36, 5);
        m_deck.multipathDelayMs = Number(41, 5);
    }

    void Antenna() {
        const int index = static_cast<int>(Number(11, 5));
        if (index != 1 && index != 2) {
            Fail("antenna number must be 1 or 2");
            return;
        }
        if (DeckField(m_line, 41, 1) != "[" || DeckField(m_line, 63, 1) != "]") {
            Fail("the antenna file name belongs in brackets in columns 41 and 63");
            return;
        }
        DeckAntenna& a = m_deck.antennas[index - 1];
        a.name = DeckField(m_line, 42, 21);
        a.beamAzimuth = Number(64, 5);
        a.powerKw = Number(69, 10);
        a.present = !failed();
    }

    void Frequencies(int width) {
        m_frequencies.clear();
        // Up to 11 fields; a blank or zero field is an unused slot.
        for (int column = 11; m_frequencies.size() < 11; column += width) {
            if (DeckField(m_line, column, width).empty()) break;  // past the line's end
            const double f = Number(column, width);
            if (failed()) return;
            if (f <= 0) continue;
            if (f > 99.9) {
                Fail("frequencies must lie below 100 MHz");
                return;
            }
            m_frequencies.push_back(f);
        }
    }

    void Execute(bool rec533) {
        if (!m_deck.haveTime) Fail("no TIME line before it");
        else if (!m_deck.haveMonth) Fail("no MONTH line before it");
        else if (!m_deck.haveTransmitter || !m_deck.haveReceiver) Fail("no circuit before it");
        if (failed()) return;
        DeckRun run;
        run.method = rec533 ? 0 : m_method;
        run.circuit = m_deck.circuit;
        run.circuitNumber = m_circuitNumber;
        if (rec533 || m_method == 20) {
            if (m_frequencies.empty()) {
                Fail("no frequencies before it");
                return;
            }
            run.frequencies = m_frequencies;
        }
        m_deck.runs.push_back(run);
    }

    Deck& m_deck;
    int m_number = 0;
    std::string m_line;
    std::string m_keyword;
    int m_method = 20;
    int m_circuitNumber = 0;
    std::vector<double> m_frequencies;
};

}  // namespace

std::string DeckField(const std::string& line, int column, int width) {
    const auto start = static_cast<std::size_t>(std::max(column, 1) - 1);
    if (start >= line.size() || width <= 0) return {};
    return line.substr(start, static_cast<std::size_t>(width));
}

std::vector<int> Deck::Hours() const {
    std::vector<int> hours;
    if (!haveTime) return hours;
    const int first = firstHour == 0 ? 24 : firstHour;
    const int last = lastHour == 0 ? 24 : lastHour;
    // A run from 22 to 2 goes through midnight.
    const int span = (last - first + 24) % 24;
    for (int k = 0; k <= span; k += hourStep) {
        const int h = (first - 1 + k) % 24 + 1;
        hours.push_back(h);
    }
    return hours;
}

int Deck::CircuitCount() const {
    if (!ok()) return 0;
    int count = 0, number = -1;
    for (const DeckRun& run : runs) {
        if (run.circuitNumber != number) ++count;
        number = run.circuitNumber;
    }
    return count;
}

SkyInputs Deck::Inputs(bool icepac) const {
    SkyInputs in;
    in.month = month;
    in.sunspot = sunspot;
    in.qIndex = qIndex;
    in.auroral = icepac;
    in.minAngleDeg = minAngleDeg;
    in.noise3MHzDbw = noiseDbw;
    in.reliabilityPct = reliabilityPct;
    in.requiredSnrDb = requiredSnrDb;
    in.powerKw = antennas[0].present && antennas[0].powerKw > 0 ? antennas[0].powerKw
                 : systemPowerKw > 0                            ? systemPowerKw
                                                                : 0.1;
    in.txGainDbi = antennas[0].present ? AntennaGainDbi(antennas[0].name) : 0;
    in.rxGainDbi = antennas[1].present ? AntennaGainDbi(antennas[1].name) : 0;
    in.factorE = factorE > 0 ? factorE : 1;
    in.factorF2 = factorF2 > 0 ? factorF2 : 1;
    return in;
}

Deck ParseDeck(const std::string& text) {
    Deck deck;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\x1a')) line.pop_back();
        deck.lines.push_back(line);
        pos = end + 1;
    }
    Reader reader(deck);
    for (std::size_t i = 0; i < deck.lines.size() && !deck.quit; ++i) {
        reader.Line(static_cast<int>(i + 1), deck.lines[i]);
        if (reader.failed()) break;
    }
    if (deck.ok() && deck.runs.empty()) deck.error = "the deck asks for no run (no EXECUTE)";
    return deck;
}

double AntennaGainDbi(const std::string& name) {
    std::string upper = Upper(name);
    std::replace(upper.begin(), upper.end(), '\\', '/');
    const auto slash = upper.find_last_of('/');
    const std::string file = slash == std::string::npos ? upper : upper.substr(slash + 1);
    if (file.rfind("CONST", 0) != 0) return 0;
    std::size_t i = 5;
    double gain = 0;
    bool any = false;
    while (i < file.size() && std::isdigit(static_cast<unsigned char>(file[i]))) {
        gain = gain * 10 + (file[i] - '0');
        any = true;
        ++i;
    }
    return any ? std::min(gain, 40.0) : 0;
}

}  // namespace tw::itshf
