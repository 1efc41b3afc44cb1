#pragma once
// Hand-over to the real engine: when a program named "voacapl" (the Linux
// port of VOACAP) is on the PATH, the stand-in installed as voacapw.exe runs
// it instead of its own model.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tw::itshf {

// The line that ends every successful run of the ITS programs.
constexpr const char* kEndOfRun = "*****END OF RUN*****";

// The deck with the antenna file names of its ANTENNA lines in the form the
// Linux port needs: forward slashes, lower case ("[default/const17.voa  ]").
// Every other byte, the line ends included, stays as it is.
std::string VoacaplDeck(const std::string& deckText);

// The first executable regular file called `name` in the folders of a PATH
// value (entries separated by ':'; an empty entry is the current folder).
std::optional<std::filesystem::path> FindOnPath(const std::string& name, const std::string& pathValue);

struct VoacaplCall {
    std::filesystem::path program;   // voacapl
    std::filesystem::path runDir;    // the RUN folder that holds the deck
    std::string itshfbcRoot;         // voacapl's own data root
    std::string deckName;            // as given to the stand-in ("sound.dat")
    std::string outputName;          // as given to the stand-in ("sound.out")
};

// voacapl's arguments: -s --run-dir=<RUN folder> <root> <deck> <output>.
std::vector<std::string> VoacaplArguments(const VoacaplCall& call);

// Rewrites the deck for voacapl, removes the old output, runs voacapl with no
// standard input and waits for it.  Returns 0 only when the output then holds
// "*****END OF RUN*****", else 1 (with the reason on `err`).  voacapl is ended
// with the stand-in: a terminating signal is passed on to it, and on Linux it
// is killed when the stand-in dies.  Not available on Windows (returns 1).
int RunVoacapl(const VoacaplCall& call, std::ostream& err);

}  // namespace tw::itshf
