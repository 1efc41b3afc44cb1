#pragma once
// The input decks and the output readers of the ITS HF propagation programs:
// REC533 (model 3) and ICEPAC/VOACAP (models 1 and 2, one layout for both).
// Pure functions of one run; the run driver writes the deck to "sound.dat",
// starts the program and hands "sound.out" to the reader.

#include <QByteArray>
#include <QString>

#include <vector>

#include "propagation/PropagationTypes.h"

namespace tw {

// How an ICEPAC/VOACAP deck names its two antenna files: as the Windows
// programs read them ("DEFAULT\CONST17.VOA"), or as the Linux VOACAP engine
// (voacapl) needs them, in lower case with "/" ("default/const17.voa"), in
// brackets of the same width.
enum class AntennaNames { Windows, Voacapl };

// The deck of one run, lines ended by CR LF; `year` is the current year of
// the computer's clock.  False, with the error's description, for a number
// too wide for its format or a text that would break the deck's lines.
bool Rec533Deck(const PropagationRun& run, int year, QByteArray& deck, QString& error);
bool IcepacVoacapDeck(const PropagationRun& run, int year, QByteArray& deck, QString& error,
                      AntennaNames antennas = AntennaNames::Windows);

// Several circuits in one ICEPAC/VOACAP deck: the common cards of the first
// run (hours, month, sunspots, system, antennas: the same in every run), then
// per run its CIRCUIT and both analyses, in the order given; one QUIT.  The
// program writes each circuit's pages in deck order.
//
// What such a deck gives a circuit is what a deck of its own gives it, but
// for the method 26 LUF: the engine keeps state from one circuit to the next
// (frequency lists, ionospheric sample areas a shorter path does not fill
// again), and a circuit's LUF depends on the circuits before it in any order
// of the cards, also when the same circuit comes twice.  The method 20
// tables, the MUF, FOT and HPF of method 26 and the path values do not
// (checked with the real engine on hundreds of circuits over the globe, both
// seasons, runs of 2 and 24 hours).  The antenna cards must come before the
// first EXECUTE, so the pages print the antennas' off-azimuth as 0.0 instead
// of the path's bearing; the antennas are omnidirectional and no table
// depends on it.
bool IcepacVoacapCircuitsDeck(const std::vector<PropagationRun>& runs, int year,
                              QByteArray& deck, QString& error,
                              AntennaNames antennas = AntennaNames::Windows);

// Reads a run's output into the tables (hour index 1 to the run's hour count,
// the run's frequency indexes) and the path.  False, with the error's
// description, for a label that is not there, a line missing at the end of
// the file or a field that is not a number; the values read before stay set.
// The tables are made large enough for the run.
bool Rec533ReadOutput(const QByteArray& output, const PropagationRun& run, PropagationHours& table,
                      PropagationPath& path, QString& error);
bool IcepacVoacapReadOutput(const QByteArray& output, const PropagationRun& run,
                            PropagationHours& table, PropagationPath& path, QString& error);

// Reads the output of a circuits deck: each run's method 26 page and its
// method 20 pages, put together, with IcepacVoacapReadOutput into tables[i]
// and paths[i].  The pages are taken in deck order; a page is taken for run
// i only when it names the run's two points and, for method 20, its
// frequency lines list the run's frequencies, so a circuit the program left
// out fails alone.  One entry per run: empty when read, else the failure's
// description.
std::vector<QString> IcepacVoacapReadCircuits(const QByteArray& output,
                                              const std::vector<PropagationRun>& runs,
                                              std::vector<PropagationHours>& tables,
                                              std::vector<PropagationPath>& paths);

// REC533 gives the field strength in dB above 1 uV/m; the signal power in dBW
// at `frequencyKHz` is that - 137 - 20 log10(frequency / 20000 kHz).
double Rec533SignalDbw(double fieldStrengthDbu, double frequencyKHz);

// The hour index (1 to hourCount) of an hour of day as a table prints it
// (0 to 24, midnight printed as 24 or 0) in a run starting at firstHour; 0
// when the hour is not one of the run.
int PropagationHourIndex(double printedHour, int firstHour, int hourCount);

}  // namespace tw
