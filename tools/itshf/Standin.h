#pragma once
// The stand-in program: one executable installed under the names of the
// three ITS HF programs (icepacw.exe, voacapw.exe, rec533w.exe).  Its command
// line is the programs' own:
//
//     <program> <itshfbc root> <deck> <output>
//
// for example "c:\itshfbc\bin_win\voacapw.exe c:\itshfbc sound.dat sound.out".
// The deck and the output are named relative to <root>/RUN.  When the root is
// not an existing folder (a Windows path such as "c:\itshfbc" off Windows),
// the root is the folder two levels above the executable (bin_win/..), which
// is where the programs live in an installed package.  The model comes from
// the executable's own file name (icepacw, voacapw or rec533w, any case, with
// or without ".exe").
//
// Like the real programs it exits 0 once it has written the output, also when
// the deck could not be read (that output then has none of the tables).
//
// Environment:
//   ITSHF_STANDIN_FAIL=hang|crash|exit1|empty|truncate|garbage  behave as a
//       failing program, for tests of the run driver:
//       hang      never ends (and writes nothing);
//       crash     ends abnormally (abort) without writing;
//       exit1     writes the normal output, then exits with code 1;
//       empty     writes an empty output, exits 0;
//       truncate  writes the first half of the output's lines (no END OF RUN), exits 0;
//       garbage   writes the output with every digit after the deck echo shown as
//                 '*' (labels intact, fields not numbers), exits 0.
//   ITSHF_STANDIN_LOG=<file>  appends one line per run: the program name and
//       the arguments, separated by tabs.
//   ITSHF_STANDIN_SLEEP_MS=<n>  sleeps n milliseconds (a whole number, 0 to
//       600000) before writing the output, so that benchmarks can give every
//       run a known cost; any other value is reported and ignored.
//   ITSHF_STANDIN_CIRCUIT_MS=<n>  sleeps n milliseconds more for every
//       circuit of the deck (the same rules), so that a benchmark can give a
//       deck of many circuits a cost that grows with them; a deck that cannot
//       be read has no circuit.  The two add up: a run of three circuits with
//       SLEEP_MS=50 and CIRCUIT_MS=20 sleeps 110 ms.

#include "Output.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tw::itshf {

// Looks up an environment variable; empty optional when unset.
using Environment = std::function<std::optional<std::string>(const std::string&)>;

// The real process environment.
Environment ProcessEnvironment();

// The program a file name stands for.
std::optional<Program> ProgramFromName(const std::filesystem::path& executable);

// The absolute path of the running executable from argv[0].
std::filesystem::path ExecutablePath(const char* argv0);

// The package root: `rootArgument` when it is an existing folder, else the
// folder two levels above the executable.
std::filesystem::path ResolveRoot(const std::string& rootArgument, const std::filesystem::path& executable);

// `name` under `folder`, matched without regard to case when the exact name
// is absent; the exact name when nothing matches.
std::filesystem::path ChildNoCase(const std::filesystem::path& folder, const std::string& name);

// The sleep that ITSHF_STANDIN_SLEEP_MS (or `variable`) asks for, in
// milliseconds: 0 when unset or empty; a value that is not a whole number from
// 0 to 600000 is reported on `err` and gives 0.
long SleepMilliseconds(const Environment& environment, std::ostream& err,
                       const std::string& variable = "ITSHF_STANDIN_SLEEP_MS");

// The output text for a failure switch applied to the normal output.
std::string TruncatedOutput(const std::string& output);
std::string GarbledOutput(const std::string& output);

// The whole program.  `arguments` excludes argv[0].  Returns the exit code.
int RunStandin(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
               const Environment& environment, std::ostream& err);

}  // namespace tw::itshf
