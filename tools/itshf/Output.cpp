#include "Output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

namespace tw::itshf {

namespace {

constexpr const char* kVersion = "STAND-IN 1.0";
constexpr int kSlots = 11;          // frequency slots of a method 20 table
constexpr int kHoursPerPage = 2;    // method 20 hours per page (LINEMAX 55)

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Pad(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(std::max(n, 0)), ' '); }

class Writer {
public:
    Writer(Program program, const Deck& deck) : m_program(program), m_deck(deck) {}

    std::string Text() const { return m_out.str(); }

    void Banner() {
        if (m_program == Program::Rec533) {
            Line("  HF PROPAGATION PREDICTION PROGRAM, REC533 METHOD");
        } else {
            Line("  IONOSPHERIC COMMUNICATIONS ANALYSIS AND PREDICTION PROGRAM");
        }
        Line(Blanks(21) + ProgramTitle(m_program) + "   " + kVersion);
        Line("  Stand-in model (Tidewell tools/itshf): a simple documented sky estimate,");
        Line("  not the ITS HF propagation program.  See docs/PROPAGATION.md.");
        Line("          1         2         3         4         5         6         7");
        Line(" 123456789012345678901234567890123456789012345678901234567890123456789012345");
        Line("");
    }

    void Echo() {
        for (const std::string& l : m_deck.lines) Line(" " + l);
    }

    void Error(const std::string& message) {
        Line("");
        Line(" *** ERROR: " + message + " ***");
        Line(" *** The run stopped; nothing was predicted. ***");
    }

    void Runs() {
        m_inputs = m_deck.Inputs(m_program == Program::Icepac);
        int circuitNumber = -1;
        for (const DeckRun& run : m_deck.runs) {
            if (run.circuitNumber != circuitNumber) {
                circuitNumber = run.circuitNumber;
                m_circuit = run.circuit;
                m_path = ComputePath(m_circuit);
                m_first20 = true;
            }
            if (m_program == Program::Rec533) {
                Rec533(run);
            } else if (run.method == 26) {
                Method26();
            } else if (run.method == 20) {
                Method20(run);
            } else {
                PageHead(run.method, false);
                Line("");
                Line("  METHOD " + std::to_string(run.method) + " is not available in this stand-in.");
            }
        }
        // REC533 ends each run on its own.
        if (m_program != Program::Rec533)
            Line(std::string(" *****END OF RUN*****     ") + ProgramTitle(m_program) + " " + kVersion);
    }

private:
    void Line(const std::string& text) { m_out << text << '\n'; }

    void PageHead(int method, bool first20) {
        ++m_page;
        char buf[160];
        const std::string coeff = Pad(m_deck.coefficients.substr(0, 4), 4);
        const std::string id = Pad(std::string(ProgramTitle(m_program)) + " " + kVersion, 17);
        if (m_program == Program::Rec533) {
            std::snprintf(buf, sizeof buf, "\f     %s Coefficients         REC533      %s  PAGE%4d",
                          coeff.c_str(), id.c_str(), m_page);
        } else {
            std::snprintf(buf, sizeof buf, "\f     %s Coefficients        %cMETHOD %2d   %s  PAGE%4d",
                          coeff.c_str(), first20 ? '~' : ' ', method, id.c_str(), m_page);
        }
        Line(buf);
        Line("");
    }

    // The path block of every page head: month, sunspots, the circuit and its
    // azimuths and length, the antennas and the noise.
    void PathBlock(bool multipath) {
        const Circuit& c = m_circuit;
        char buf[200];
        std::snprintf(buf, sizeof buf, "  %s    %4d          SSN =%s                Minimum Angle=%s degrees",
                      kMonths[std::clamp(m_deck.month, 1, 12) - 1], m_deck.year,
                      FormatF(m_deck.sunspot, 5, 0).c_str(), FormatF(m_deck.minAngleDeg, 6, 3).c_str());
        Line(buf);
        Line("  XMTR                  RCVR                AZIMUTHS          N. MI.      KM");
        std::snprintf(buf, sizeof buf, "  %s %c  %s %c - %s %c  %s %c%s%s%s%s",
                      FormatF(std::fabs(c.txLat), 5, 2).c_str(), c.txLat > 0 ? 'N' : 'S',
                      FormatF(std::fabs(c.txLon), 6, 2).c_str(), c.txLon > 0 ? 'E' : 'W',
                      FormatF(std::fabs(c.rxLat), 5, 2).c_str(), c.rxLat > 0 ? 'N' : 'S',
                      FormatF(std::fabs(c.rxLon), 6, 2).c_str(), c.rxLon > 0 ? 'E' : 'W',
                      FormatF(m_path.txAzimuth, 10, 2).c_str(), FormatF(m_path.rxAzimuth, 8, 2).c_str(),
                      FormatF(m_path.distanceKm / kKmPerNauticalMile, 10, 1).c_str(),
                      FormatF(m_path.distanceKm, 9, 1).c_str());
        Line(buf);
        for (int i = 0; i < 2; ++i) {
            const DeckAntenna& a = m_deck.antennas[i];
            if (!a.present) continue;
            const double pathAz = i == 0 ? m_path.txAzimuth : m_path.rxAzimuth;
            double off = std::fmod(pathAz - a.beamAzimuth + 360.0, 360.0);
            std::string line = std::string(i == 0 ? "  XMTR" : "  RCVR") + "  2-30 Stand-in  [" +
                               Pad(a.name, 21) + "] Az=" + FormatF(a.beamAzimuth, 5, 1) +
                               " OFFaz=" + FormatF(off, 5, 1);
            if (i == 0) line += FormatF(m_inputs.powerKw, 8, 3) + "kW";
            Line(line);
        }
        Line("  3 MHz NOISE =" + FormatF(m_deck.noiseDbw, 7, 1) + " dBW     REQ. REL =" +
             FormatI(m_deck.reliabilityPct, 3) + "%    REQ. SNR =" + FormatF(m_deck.requiredSnrDb, 5, 1) +
             " dB");
        if (multipath) {
            Line("  MULTIPATH POWER TOLERANCE =" + FormatF(m_deck.multipathPowerDb, 5, 1) +
                 " dB   MULTIPATH DELAY TOLERANCE =" + FormatF(m_deck.multipathDelayMs, 7, 3) + " ms");
        }
    }

    HourSky Sky(int hour) const { return PredictHourSky(m_inputs, m_path, hour); }

    // Method 26: the MUF and LUF by hour.  Like the real program it lists the
    // hours in the order 1 to 24 (hour 0 written as 24.0 comes last), while
    // method 20 keeps the deck's order; every line carries its hour.
    void Method26() {
        PageHead(26, false);
        PathBlock(false);
        Line("");
        Line("");
        Line("      GMT   LMT    FOT    HPF  ESMUF    MUF    LUF");
        Line("");
        std::vector<int> hours = m_deck.Hours();
        std::sort(hours.begin(), hours.end());
        for (int h : hours) {
            const HourSky s = Sky(h);
            const double lmt = LocalMeanTime(h, m_circuit.txLon);
            Line(FormatF(h, 9, 1) + FormatF(lmt, 6, 1) + FormatF(s.fot, 7, 2) + FormatF(s.hpf, 7, 2) +
                 FormatF(0, 7, 2) + FormatF(s.muf, 7, 2) + FormatF(s.lufClosed ? -s.muf : s.luf, 7, 2));
        }
    }

    using RowField = std::function<std::string(const FrequencyPrediction&)>;

    void Method20(const DeckRun& run) {
        const std::vector<int> hours = m_deck.Hours();
        for (std::size_t k = 0; k < hours.size(); ++k) {
            if (k % kHoursPerPage == 0) {
                PageHead(20, m_first20);
                m_first20 = false;
                PathBlock(true);
            }
            Line("");
            Method20Hour(hours[k], run.frequencies);
        }
    }

    void Method20Hour(int hour, const std::vector<double>& frequencies) {
        const HourSky s = Sky(hour);
        // The first column is the MUF itself, then the deck's frequencies.
        std::vector<FrequencyPrediction> p;
        p.push_back(PredictFrequency(m_inputs, m_path, s, s.muf));
        for (double f : frequencies) p.push_back(PredictFrequency(m_inputs, m_path, s, f));

        std::string freq = FormatF(hour, 6, 1) + FormatF(s.muf, 5, 1);
        for (int j = 0; j < kSlots; ++j) {
            freq += FormatF(j < static_cast<int>(frequencies.size()) ? frequencies[j] : 0.0, 5, 1);
        }
        Line(freq + " FREQ");

        const double tgain = m_inputs.txGainDbi, rgain = m_inputs.rxGainDbi;
        const double reqSnr = m_inputs.requiredSnrDb;
        const std::pair<const char*, RowField> rows[] = {
            {"MODE", [](const FrequencyPrediction& x) { return x.ModeText(); }},
            {"TANGLE", [](const FrequencyPrediction& x) { return FormatF(x.angleDeg, 5, 1); }},
            {"DELAY", [](const FrequencyPrediction& x) { return FormatF(x.delayMs, 5, 1); }},
            {"V HITE", [](const FrequencyPrediction& x) { return FormatI(x.virtualHeightKm, 5); }},
            {"MUFday", [](const FrequencyPrediction& x) { return FormatF(x.mufDay, 5, 2); }},
            {"LOSS", [](const FrequencyPrediction& x) { return FormatI(x.lossDb, 5); }},
            {"DBU", [](const FrequencyPrediction& x) { return FormatI(x.fieldDbu, 5); }},
            {"S DBW", [](const FrequencyPrediction& x) { return FormatI(x.signalDbw, 5); }},
            {"N DBW", [](const FrequencyPrediction& x) { return FormatI(x.noiseDbw, 5); }},
            {"SNR", [](const FrequencyPrediction& x) { return FormatI(x.snrDb, 5); }},
            {"RPWRG", [reqSnr](const FrequencyPrediction& x) { return FormatI(reqSnr - x.snrAtReliabilityDb, 5); }},
            {"REL", [](const FrequencyPrediction& x) { return FormatF(x.reliability, 5, 2); }},
            {"MPROB", [](const FrequencyPrediction&) { return FormatF(0, 5, 2); }},
            {"S PRB", [](const FrequencyPrediction& x) { return FormatF(x.reliability * x.mufDay, 5, 2); }},
            {"SIG LW", [](const FrequencyPrediction& x) { return FormatF(x.sigmaDb, 5, 1); }},
            {"SIG UP", [](const FrequencyPrediction& x) { return FormatF(x.sigmaDb, 5, 1); }},
            // The SNR's decile spreads: 1.28 sigma, the 10 % points of the
            // normal spread REL is taken from.
            {"SNR LW", [](const FrequencyPrediction& x) { return FormatF(x.sigmaDb * 1.28, 5, 1); }},
            {"SNR UP", [](const FrequencyPrediction& x) { return FormatF(x.sigmaDb * 1.28, 5, 1); }},
            {"TGAIN", [tgain](const FrequencyPrediction&) { return FormatF(tgain, 5, 1); }},
            {"RGAIN", [rgain](const FrequencyPrediction&) { return FormatF(rgain, 5, 1); }},
            {"SNRxx", [](const FrequencyPrediction& x) { return FormatI(x.snrAtReliabilityDb, 5); }},
        };
        for (const auto& [label, field] : rows) {
            std::string line = Blanks(6);
            for (int j = 0; j <= kSlots; ++j) {
                line += j < static_cast<int>(p.size()) ? field(p[static_cast<std::size_t>(j)]) : "   - ";
            }
            Line(line + " " + Pad(label, 6));
        }
    }

    // The REC533 table in the real program's layout (its method 6): pages of
    // five hours; per hour the FREQ line (the hour as I3, the MUF and ten
    // frequency slots as F5.1, "FREQ", then the LUF and FOT as F5.1 and the
    // OPMUF as F6.1), then the rows, each with the MUF's column first, ten
    // slots and its label last.  The stand-in's HPF stands for the OPMUF.
    void Rec533(const DeckRun& run) {
        constexpr int kRec533Slots = 10;
        const std::vector<int> hours = m_deck.Hours();
        for (std::size_t k = 0; k < hours.size(); ++k) {
            if (k % 5 == 0) {
                PageHead(0, false);
                PathBlock(false);
                Line("");
                Line(" UT  MUF" + Blanks(57) + "LUF  FOT OPMUF");
            }
            const HourSky s = Sky(hours[k]);
            std::vector<FrequencyPrediction> p {PredictFrequency(m_inputs, m_path, s, s.muf)};
            for (std::size_t j = 0; j < run.frequencies.size() && j < kRec533Slots; ++j)
                p.push_back(PredictFrequency(m_inputs, m_path, s, run.frequencies[j]));
            std::string freq = FormatI(hours[k], 3) + FormatF(s.muf, 5, 1);
            for (std::size_t j = 1; j <= kRec533Slots; ++j)
                freq += FormatF(j < p.size() ? p[j].frequencyMhz : 0.0, 5, 1);
            // A closed path shows its LUF as the OPMUF with a minus sign.
            Line("");
            Line(freq + " FREQ" + FormatF(s.lufClosed ? -s.hpf : s.luf, 5, 1) + FormatF(s.fot, 5, 1) +
                 FormatF(s.hpf, 6, 1));
            // An empty slot shows `empty`; the mode row starts a column later.
            auto row = [&](const char* label, const RowField& field, const char* empty) {
                const bool mode = std::string(label) == "MODE";
                std::string line = Blanks(mode ? 4 : 3);
                for (std::size_t j = 0; j <= kRec533Slots; ++j) line += j < p.size() ? field(p[j]) : empty;
                Line(line + (mode ? "" : " ") + label);
            };
            row("MODE", [](const FrequencyPrediction& x) {
                return FormatI(std::clamp(x.hops, 1, 99), 2) + (x.layerE ? "E  " : "F2 ");
            }, " 0   ");
            row("ANGL", [](const FrequencyPrediction& x) { return FormatI(x.angleDeg, 5); }, "    0");
            row("DBU", [](const FrequencyPrediction& x) { return FormatI(x.fieldDbu, 5); }, " -999");
            row("dBpW", [](const FrequencyPrediction& x) { return FormatI(x.signalDbw + 120, 5); }, " -999");
            row("S/N", [](const FrequencyPrediction& x) { return FormatI(x.snrDb, 5); }, " -999");
            row("FS/N", [](const FrequencyPrediction& x) { return FormatF(x.reliability, 5, 2); }, " 0.00");
            row("SNxx", [](const FrequencyPrediction& x) { return FormatI(x.snrAtReliabilityDb, 5); }, " -999");
        }
        Line(" End-of-Run");
    }

    Program m_program;
    const Deck& m_deck;
    std::ostringstream m_out;
    Circuit m_circuit;  // of the run being written
    PathGeometry m_path;
    SkyInputs m_inputs;
    int m_page = 0;
    bool m_first20 = true;
};

}  // namespace

const char* ProgramTitle(Program program) {
    switch (program) {
    case Program::Icepac: return "ICEPAC";
    case Program::Voacap: return "VOACAP";
    case Program::Rec533: return "REC533";
    }
    return "";
}

std::string WriteOutput(Program program, const Deck& deck) {
    Writer w(program, deck);
    w.Banner();
    w.Echo();
    if (!deck.ok()) {
        w.Error(deck.error);
    } else {
        w.Runs();
    }
    return w.Text();
}

std::string WriteUnreadableDeckOutput(Program program, const std::string& reason) {
    Deck empty;
    Writer w(program, empty);
    w.Banner();
    w.Error("cannot read the input deck: " + reason);
    return w.Text();
}

std::string FormatI(double value, int width) {
    // Halves round away from zero, as Fortran's NINT does.
    const double r = std::isfinite(value) ? std::round(value) : 1e300;
    char buf[64];
    if (std::fabs(r) < 1e15) {
        std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(r));
        if (static_cast<int>(std::string(buf).size()) <= width) return buf;
    }
    return std::string(static_cast<std::size_t>(width), '*');
}

std::string FormatF(double value, int width, int decimals) {
    char buf[64];
    if (std::isfinite(value) && std::fabs(value) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        std::string s = buf;
        if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0.0"
        if (decimals == 0) s += '.';
        if (static_cast<int>(s.size()) <= width) return Blanks(width - static_cast<int>(s.size())) + s;
        // Fortran drops the leading zero when that makes the number fit (".50").
        const std::string::size_type zero = s.find("0.");
        if (zero != std::string::npos && (zero == 0 || (zero == 1 && s[0] == '-')) &&
            static_cast<int>(s.size()) - 1 <= width) {
            s.erase(zero, 1);
            return Blanks(width - static_cast<int>(s.size())) + s;
        }
    }
    return std::string(static_cast<std::size_t>(width), '*');
}

}  // namespace tw::itshf
