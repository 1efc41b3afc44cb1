#pragma once
// The real VOACAP engine for the benchmarks: where it is on this machine, and
// its installation into a benchmark's drive C: as Tidewell looks for it.
//
// The engine is the program named by TIDEWELL_VOACAPL, else "voacapl" on the
// PATH.  Its data tree (antennas, coeffs, ... as voacapl's makeitshfbc lays
// them out) is TIDEWELL_VOACAPL_ITSHFBC, else "itshfbc" in the folder above
// the program's bin folder, else ~/itshfbc (voacapl's own default): the
// rules of the tests' tests/support/RealEngine.h.
//
// Installed, the program is <drive C>/itshfbc/bin_linux/voacapl and the data
// tree's folders are in <drive C>/itshfbc itself; both are symbolic links, so
// nothing is ever written into the engine's own tree.  The data tree's "run"
// folder is left out: the drive has its own RUN folder, where the runs write.

#include <QString>

#include <optional>

namespace tw::bench {

struct RealEngine {
    QString program;  // the voacapl program
    QString itshfbc;  // its data tree
};

// The engine of this machine, or nothing when there is none (no program, or
// no data tree with its default antenna); `why` then says what is missing.
std::optional<RealEngine> FindRealEngine(QString& why);

// Installs `engine` into the drive C: folder `driveC`; false with the reason
// in `error`.
bool InstallRealEngine(const RealEngine& engine, const QString& driveC, QString& error);

}  // namespace tw::bench
