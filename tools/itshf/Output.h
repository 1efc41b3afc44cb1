#pragma once
// The output file of the stand-in, in the shape of the ITS programs' output.
//
// ICEPAC and VOACAP: the banner, the deck echoed with a leading blank, then per
// EXECUTE of the deck, in deck order and for the circuit in force at it:
// method 26 (one page: the GMT/LMT/FOT/HPF/ESMUF/MUF/LUF table) or method 20
// (pages of two hours each: the FREQ line with the hour, the MUF and 11
// frequency slots, followed by the MODE ... SNRxx rows), and one
// "*****END OF RUN*****" at the end.  Page heads start with a form feed, carry
// the page number (on through the file, whatever the circuit) and the path
// block of their own circuit; the first method 20 page of each circuit is
// marked "~METHOD 20", as the real program marks it.
//
// REC533: the same banner, echo and path block ("AZIMUTHS" line, then the
//   values line: azimuths in columns 43-48 and 51-56, nautical miles in
//   60-66), then the real program's table: pages of five hours; per hour a
//   "FREQ" line (the hour in columns 1-3, the MUF in 4-8, ten frequency slots
//   of five columns from column 9, "FREQ" in 60-63, the LUF in 64-68 (a
//   closed path's as the OPMUF with a minus sign), the FOT and the OPMUF),
//   then the rows "MODE", "ANGL", "DBU", "dBpW", "S/N", "FS/N" (the
//   reliability, a fraction) and "SNxx", each with the MUF's field first, a
//   five-column field per slot from column 9 and its label last; " End-of-Run"
//   after each run.
//
// Lines end with LF, as in the Linux port's output.

#include "Deck.h"

#include <string>

namespace tw::itshf {

enum class Program { Icepac, Voacap, Rec533 };

// "ICEPAC", "VOACAP", "REC533".
const char* ProgramTitle(Program program);

// The whole output for a deck.  A deck with an error gives the banner, the
// echo and the error, and none of the labels the readers search for.
std::string WriteOutput(Program program, const Deck& deck);

// The output when the deck file cannot be read at all.
std::string WriteUnreadableDeckOutput(Program program, const std::string& reason);

// Fortran-style fixed-width fields: right-justified; a value that does not
// fit is shown as asterisks, as Fortran does.
std::string FormatI(double value, int width);
std::string FormatF(double value, int width, int decimals);

}  // namespace tw::itshf
