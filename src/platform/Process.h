#pragma once
// Outside programs run as hidden child processes, the way the propagation
// programs are run: started without a window and without standard input (a
// program that stops to ask the keyboard something, as a Fortran PAUSE does,
// reads end of file and goes on instead of hanging), its output discarded or
// kept in a file of the caller's, then waited for with a time limit and killed, together with anything it
// started, when it overruns.  The program and its arguments are handed over
// as a list and never pass through a command shell.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tw::platform {

using ProcessId = std::int64_t;

// The outcome of a start: a process id (> 0), or 0 and the system error code.
struct ProcessStart {
    ProcessId pid = 0;
    int error = 0;
};

// How a wait ended.
enum class ProcessEnd {
    ExitedZero,  // ended within the limit with exit code 0
    Failed,      // ended within the limit with another exit code, or by a crash or signal
    Killed,      // still running at the limit; it and its children were killed
    Unknown,     // not a process this runner started, or one already waited for or killed
};

class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;

    // Start `program` (a full path; no search) with `arguments` (argument 1
    // onward), hidden, standard input empty, in `workingFolder` ("" keeps this
    // program's current folder).  Standard output and error go to
    // `outputFile`, made anew (emptied) at the start, so that a caller can
    // tell why a program failed; "" discards them.  A file that cannot be
    // made fails the start with its error.  Returns at once; the process
    // runs on its own.
    virtual ProcessStart Start(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& workingFolder,
                               const std::string& outputFile = {}) = 0;

    // Wait at most `seconds` for the process to end; an ended process is seen
    // at once.  At the limit the process (with the processes it started) is
    // killed and the result is Killed.  Every process started must be waited
    // for or killed once, so that the system can forget it.
    virtual ProcessEnd Wait(ProcessId pid, double seconds) = 0;

    // Whether the process has ended, without waiting and without killing it:
    // nothing while it runs; once it has ended, how (as Wait says it), and the
    // process is forgotten as after a Wait.  A caller that waits in its own
    // way (letting window events through meanwhile) polls this and calls Kill
    // at its own limit.
    virtual std::optional<ProcessEnd> Poll(ProcessId pid) = 0;

    // Kill the process (with the processes it started) and forget it.
    virtual void Kill(ProcessId pid) = 0;
};

// The backend of this operating system.
std::unique_ptr<IProcessRunner> MakeProcessRunner();

}  // namespace tw::platform
