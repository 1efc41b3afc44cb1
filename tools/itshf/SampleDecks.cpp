#include "SampleDecks.h"

#include "Output.h"

#include <cmath>

namespace tw::itshf {

namespace {

// Pads `line` with blanks so that the next item starts at 1-based `column`.
std::string Tab(std::string line, std::size_t column) {
    if (line.size() < column - 1) line.append(column - 1 - line.size(), ' ');
    return line;
}

// Fortran F format as the decks use it: no leading zero below 1 (".50").
std::string F(double v, int width, int decimals) {
    std::string s = FormatF(v, width, decimals);
    const auto zero = s.find("0.");
    if (decimals > 0 && zero != std::string::npos && (zero == 0 || s[zero - 1] == ' ' || s[zero - 1] == '-')) {
        s.erase(zero, 1);
        s.insert(0, " ");
    }
    return s;
}

std::string Lat(double v) { return F(std::fabs(v), 6, 2) + (v > 0 ? "N" : "S"); }
std::string Lon(double v) { return F(std::fabs(v), 6, 2) + (v > 0 ? "E" : "W"); }

const char* const kAntenna1 = "ANTENNA       1    1    2   30     0.000[DEFAULT\\CONST17.VOA  ]  0.0    0.1000";
const char* const kAntenna2 = "ANTENNA       2    2    2   30     0.000[DEFAULT\\SWWHIP.VOA   ]  0.0    0.0000";

}  // namespace

std::string IcepacVoacapDeck(const DeckParams& s) {
    std::string d;
    auto line = [&](const std::string& l) { d += l + "\r\n"; };
    line("LINEMAX      55");
    line(Tab("COEFFS", 11) + "URSI");
    line(Tab("TIME", 11) + FormatI(s.firstHour, 5) + FormatI(s.firstHour + s.hourCount - 1, 5) +
         FormatI(1, 5) + FormatI(1, 5));
    line(Tab("MONTH", 11) + FormatI(s.year, 5) + FormatI(s.month, 5));
    line(Tab("SUNSPOT", 11) + F(s.sunspot, 5, 1) + F(s.qIndex, 5, 1));
    line("LABEL     XMTR                  RCVR");
    line(Tab(Tab(Tab(Tab(Tab("CIRCUIT", 10) + Lat(s.txLat), 20) + Lon(s.txLon), 30) + Lat(s.rxLat), 40) +
                 Lon(s.rxLon),
             51) +
         FormatI(0, 5));
    line(Tab("SYSTEM", 11) + F(1, 5, 1) + F(-s.noiseDbw, 5, 0) + F(s.takeoffAngle, 5, 1) +
         F(s.reliability, 5, 1) + F(40, 5, 1) + F(0, 5, 1) + F(10, 5, 1));
    line(Tab("FPROB", 11) + F(1, 5, 2) + F(1, 5, 2) + F(1, 5, 2) + F(0, 5, 2));
    line(kAntenna1);
    line(kAntenna2);
    line("METHOD       26    0");
    line("EXECUTE");
    std::string freq = Tab("FREQUENCY", 11);
    for (double f : s.frequenciesKhz) freq += F(f / 1000, 5, 1);
    line(freq);
    line("METHOD       20    0");
    line("EXECUTE");
    line("QUIT");
    return d;
}

std::string Rec533Deck(const DeckParams& s) {
    std::string d;
    auto line = [&](const std::string& l) { d += l + "\r\n"; };
    line("OUTPUT        6    0");
    line(Tab("COEFFS", 11) + "URSI");
    line(Tab("SUNSPOT", 11) + F(s.sunspot, 5, 1));
    line(Tab("TIME", 11) + FormatI(s.firstHour, 5) + FormatI(s.firstHour + s.hourCount - 1, 5) + FormatI(1, 5));
    line(Tab("MONTH", 11) + FormatI(s.year, 5) + FormatI(s.month, 5));
    line(Tab(Tab(Tab("TRANS", 11) + "Transmit", 32) + Lat(s.txLat), 43) + Lon(s.txLon) + "  S     D");
    line(Tab(Tab(Tab("RECVR", 11) + "Receieve", 32) + Lat(s.rxLat), 43) + Lon(s.rxLon) + "  S     D");
    line(Tab("SYST", 11) + "     1.0000" + F(s.takeoffAngle, 5, 2) + "    0  0.0");
    line(kAntenna1);
    line(kAntenna2);
    line(Tab("NOIS", 11) + FormatI(s.noiseDbw, 5) + FormatI(1, 5) + FormatI(40, 5) + FormatI(s.reliability, 5));
    std::string freq = Tab("FREQ", 11);
    for (double f : s.frequenciesKhz) freq += FormatF(f / 1000, 7, 1);
    line(freq);
    line("EXEC");
    line("QUIT");
    return d;
}

}  // namespace tw::itshf
