#pragma once
// Headless commands: the same behaviour as the window, printed.

#include <QString>
#include <QStringList>
#include <QSize>
#include <QTextStream>

#include <functional>
#include <optional>

#include "program/CommandLine.h"

namespace tw {

class Application;
class BestGrid;
class Grid;

// Runs a headless command; returns the process exit status.  `interrupted`
// tells whether the run has been asked to end (a signal): the work then gives
// up at its next propagation run.  A headless command never starts, brings
// forward or types into AirMail.
int RunHeadless(const CommandLine& line, const QString& programFolder, QTextStream& out,
                QTextStream& err, const std::function<bool()>& interrupted = {});
// The command of `app`'s command line on that composition (loaded here).
int RunHeadlessCommand(Application& app, QTextStream& out, QTextStream& err);

// The best list as text: one line per row, header first, the cells of the
// shown columns separated by tabs; frequency cells without their leading
// blanks and, in data rows, followed by " [x]" when checked or " [ ]".
QStringList GridPrintLines(BestGrid& best);
// The same for another grid of the best grid's layout.
QStringList GridPrintLines(BestGrid& best, Grid& grid);

// What the first activation found of AirMail, as "label: value" lines and a
// tab-separated line per station to evaluate.  Returns the exit status: 1
// when there is no position, no station list or not the system asked for.
int AirMailReport(Application& app, QTextStream& out);

// The connection history over AirMail's Debug.log (the whole log, or the
// command line's --from/--to days): the report's lines as the window shows
// them, an empty line, then the station grid as tab-separated rows, header
// first.  Returns 1, after the message on standard error, when the log
// cannot be read.
int ConnectionHistory(Application& app, QTextStream& out);
// The 24-hour view of `station` (identifier, or display name for SAILMAIL) of
// the system in use, at the clock's time: the grid's rows, header first, the
// shown columns separated by tabs.  Returns the exit status: 1, with the
// reason in `err`, when there is no system, the station is not one of it or
// its prediction cannot be had.
int PropagationHoursReport(Application& app, const QString& station, QTextStream& out,
                           QTextStream& err);
// The best connect time view of the system in use, short or long form, at the
// clock's time: the grid's rows, header first, the shown columns separated by
// tabs.  Returns 1, with the reason in `err`, when there is no system or a
// station cannot be predicted.
int PropagationBestReport(Application& app, bool bLong, QTextStream& out, QTextStream& err);

// The detailed view of `station` (identifier, or display name for SAILMAIL)
// of the system in use at `hour` (UTC) of the clock's day, or at the clock's
// time without one: the grid's rows as GridPrintLines prints the best list.
// Returns the exit status: 1, with the reason in `err`, when there is no
// system, the station is not one of it or its prediction cannot be had.
int PropagationDetailsReport(Application& app, const QString& station, std::optional<int> hour,
                             QTextStream& out, QTextStream& err);

// The ham station check: the rows left in the grid of AirMail's "HAM" system
// file, an empty line, the rows left in the grid of "FreqList.rtf", each grid
// header first, tab-separated.  Returns 1, with the reason in `err`, when
// either list cannot be read.
int HamCheckReport(Application& app, QTextStream& out, QTextStream& err);
// The station map of the system in use at the clock's time (the list built
// first, as --best-list builds it) painted into a PNG picture of `size`;
// prints a header row, then one row per station drawn: station, range
// (nmi), bearing (degrees), and the pixel of its dot (x, y).  Returns 1,
// with the reason in `err`, when there is no position or no station list, or
// the picture cannot be written.
int StationMapReport(Application& app, const QString& file, QSize size, QTextStream& out, QTextStream& err);
// The beam list: a header row, then one row per beam station in the list's
// order: station, range (nautical miles, 10000 when unknown), bearing to and
// bearing from (degrees; empty when unknown).  Returns 1, with the reason in
// `err`, when "FreqList.rtf" cannot be read or there is no position.
int BeamListReport(Application& app, QTextStream& out, QTextStream& err);

}  // namespace tw
