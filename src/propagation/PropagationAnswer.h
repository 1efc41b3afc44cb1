#pragma once
// Whether a program's output answers the deck just written.  The programs
// echo what they were asked: ICEPAC and VOACAP copy the deck's lines (each
// after a blank, below the column ruler) before their pages; every program
// names the circuit on the line after "AZIMUTHS" of each page head, and
// prints each hour's frequencies on a line labelled "FREQ" (the hour, the
// MUF, then the frequencies in MHz).  An output that another program left in
// the run folder (one running a propagation program there at the same time)
// echoes its own deck: it is not this run's, however well it reads.
//
// Only what speaks of another deck counts: what an output lacks (cut short,
// empty, unreadable fields) is left to the readers, which say so.

#include <QByteArray>
#include <QString>

#include <vector>

#include "propagation/PropagationTypes.h"

namespace tw {

// Empty when `output` answers `deck`, the deck written for `runs` (one run,
// or the circuits of a combined deck in their order); otherwise what in the
// output belongs to another deck: an echoed line that is not the deck's, a
// circuit that is none of the runs', or a frequency line whose frequencies
// are not those of its circuit's batch (the batch's, in order; what follows
// them on the line is not looked at) or whose hour is not one of the run's
// or comes twice for one run.
QString PropagationAnswerMismatch(const QByteArray& output, const QByteArray& deck,
                                  const std::vector<PropagationRun>& runs);

}  // namespace tw
