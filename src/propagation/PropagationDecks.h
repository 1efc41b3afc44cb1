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

// The deck of one run, lines ended by CR LF; `year` is the current year of
// the computer's clock.  False, with the error's description, for a number
// too wide for its format or a text that would break the deck's lines.
bool Rec533Deck(const PropagationRun& run, int year, QByteArray& deck, QString& error);
bool IcepacVoacapDeck(const PropagationRun& run, int year, QByteArray& deck, QString& error);

// Several circuits in one ICEPAC/VOACAP deck: the common cards of the first
// run (hours, month, sunspots, system, antennas: the same in every run), then
// per run its CIRCUIT and both analyses, in the order given; one QUIT.  The
// program writes each circuit's pages in deck order.
bool IcepacVoacapCircuitsDeck(const std::vector<PropagationRun>& runs, int year,
                              QByteArray& deck, QString& error);

// Reads a run's output into the tables (hour index 1 to the run's hour count,
// the run's frequency indexes) and the path.  False, with the error's
// description, for a label that is not there, a line missing at the end of
// the file or a field that is not a number; the values read before stay set.
// The tables are made large enough for the run.
bool Rec533ReadOutput(const QByteArray& output, const PropagationRun& run, PropagationHours& table,
                      PropagationPath& path, QString& error);
bool IcepacVoacapReadOutput(const QByteArray& output, const PropagationRun& run,
                            PropagationHours& table, PropagationPath& path, QString& error);

// Reads the output of a circuits deck: each circuit's pages (from its method
// 26 page head to the next) with IcepacVoacapReadOutput into tables[i] and
// paths[i].  A part is taken for run i only when its page head names the
// run's two points and its frequency line the run's frequencies, so a circuit
// the program left out fails alone.  One entry per run: empty when read, else
// the failure's description.
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
