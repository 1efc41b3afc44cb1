// Child processes on Windows: CreateProcessA, no shell.
//
// The program starts hidden (SW_HIDE through STARTF_USESHOWWINDOW, and
// CREATE_NO_WINDOW so that a console program gets no visible console) with the
// NUL device as standard input, output and error (output and error into the
// caller's file instead when one is named), so that a program that waits on
// the keyboard (a Fortran PAUSE) reads end of file instead.  It runs
// in a job object, so that a kill at the limit also ends what it started, and
// so does its end: the job is closed then, which ends the processes left in it.  The
// handles from CreateProcessA are kept until the wait, so the exit code is
// known even when the program has ended long before.  Only those processes
// are waited for, polled or killed: a process id this runner did not start
// (or has already forgotten) is Unknown and left alone, since Windows soon
// gives the id of an ended process to another one.  A killed process ends
// with exit code 1, never as a clean exit.
//
// The program starts with the error mode that keeps the system's error
// dialogs away (no critical-error box, no fault box, no open-file box): a
// program that crashes then ends at once instead of waiting behind a dialog
// until the time limit.  A child takes the error mode of its parent at the
// start, so the mode is set around CreateProcessA and put back after.

#include "platform/win32/Win32Api.h"

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace tw::platform {

namespace {

// One argument quoted for the command line the way the C runtime splits it
// again: quotes around arguments with blanks or quotes, backslashes doubled
// only before a quote.
void AppendQuoted(std::string& line, const std::string& arg) {
    if (!line.empty()) line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        line += arg;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            line.append(backslashes * 2 + 1, '\\');
        } else {
            line.append(backslashes, '\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

struct Child {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
};

void CloseChild(Child& child) {
    if (child.job) ::CloseHandle(child.job);
    if (child.process) ::CloseHandle(child.process);
    child = {};
}

// The exit code of a killed process.
constexpr UINT kKilledExitCode = 1;

// The error mode of a child: no system error dialogs.
constexpr UINT kChildErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

void Terminate(const Child& child) {
    if (child.job) ::TerminateJobObject(child.job, kKilledExitCode);
    if (child.process) {
        ::TerminateProcess(child.process, kKilledExitCode);
        ::WaitForSingleObject(child.process, 1000);
    }
}

class Win32ProcessRunner final : public IProcessRunner {
public:
    ~Win32ProcessRunner() override {
        for (auto& [pid, child] : m_children) CloseChild(child);
    }

    ProcessStart Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingFolder, const std::string& outputFile) override {
        std::string commandLine;
        AppendQuoted(commandLine, program);
        for (const std::string& arg : arguments) AppendQuoted(commandLine, arg);

        SECURITY_ATTRIBUTES inherit {};
        inherit.nLength = sizeof inherit;
        inherit.bInheritHandle = TRUE;
        HANDLE nul =
            ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (nul == INVALID_HANDLE_VALUE) return {0, static_cast<int>(::GetLastError())};
        HANDLE out = nul;
        if (!outputFile.empty()) {
            out = ::CreateFileW(Wide(outputFile).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (out == INVALID_HANDLE_VALUE) {
                const DWORD error = ::GetLastError();
                ::CloseHandle(nul);
                return {0, static_cast<int>(error)};
            }
        }

        STARTUPINFOW si {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = SW_HIDE;
        si.hStdInput = nul;
        si.hStdOutput = out;
        si.hStdError = out;

        PROCESS_INFORMATION pi {};
        // Paths and arguments in UTF-8, to the wide function.
        std::wstring line = Wide(commandLine);
        const std::wstring folder = Wide(workingFolder);
        const UINT errorMode = ::SetErrorMode(kChildErrorMode);
        const BOOL ok = ::CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                                         CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                                         folder.empty() ? nullptr : folder.c_str(), &si, &pi);
        const DWORD error = ok ? 0 : ::GetLastError();
        ::SetErrorMode(errorMode);
        ::CloseHandle(nul);
        if (out != nul) ::CloseHandle(out);
        if (!ok) return {0, static_cast<int>(error != 0 ? error : ERROR_INVALID_FUNCTION)};

        Child child;
        child.process = pi.hProcess;
        // A job that cannot be made or joined (older systems with nested jobs)
        // leaves the kill to the process alone.
        child.job = ::CreateJobObjectW(nullptr, nullptr);
        if (child.job) {
            // The job's processes die at an unhandled exception, without the
            // error dialog, also those started later that set their own mode.
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
            // Closing the job (when the program has ended, in time or not)
            // ends what the program left running in it.
            limits.BasicLimitInformation.LimitFlags =
                JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            ::SetInformationJobObject(child.job, JobObjectExtendedLimitInformation, &limits,
                                      sizeof limits);
        }
        if (child.job && !::AssignProcessToJobObject(child.job, pi.hProcess)) {
            ::CloseHandle(child.job);
            child.job = nullptr;
        }
        ::ResumeThread(pi.hThread);
        ::CloseHandle(pi.hThread);

        const ProcessId pid = static_cast<ProcessId>(pi.dwProcessId);
        if (auto old = m_children.find(pid); old != m_children.end()) CloseChild(old->second);
        m_children[pid] = child;
        return {pid, 0};
    }

    ProcessEnd Wait(ProcessId pid, double seconds) override {
        Child child = Take(pid);
        if (!child.process) return ProcessEnd::Unknown;
        const double ms = std::ceil((seconds > 0 ? seconds : 0) * 1000.0);
        const DWORD timeout = ms >= 4294967294.0 ? INFINITE - 1 : static_cast<DWORD>(ms);

        ProcessEnd end;
        if (::WaitForSingleObject(child.process, timeout) == WAIT_TIMEOUT) {
            Terminate(child);
            end = ProcessEnd::Killed;
        } else {
            DWORD code = 1;
            end = ::GetExitCodeProcess(child.process, &code) != 0 && code == 0
                      ? ProcessEnd::ExitedZero
                      : ProcessEnd::Failed;
        }
        CloseChild(child);
        return end;
    }

    std::optional<ProcessEnd> Poll(ProcessId pid) override {
        Child child = Take(pid);
        if (!child.process) return ProcessEnd::Unknown;
        if (::WaitForSingleObject(child.process, 0) == WAIT_TIMEOUT) {
            m_children[pid] = child;  // still running: still ours
            return std::nullopt;
        }
        DWORD code = 1;
        const ProcessEnd end = ::GetExitCodeProcess(child.process, &code) != 0 && code == 0
                                   ? ProcessEnd::ExitedZero
                                   : ProcessEnd::Failed;
        CloseChild(child);
        return end;
    }

    void Kill(ProcessId pid) override {
        Child child = Take(pid);
        if (!child.process) return;
        Terminate(child);
        CloseChild(child);
    }

private:
    Child Take(ProcessId pid) {
        Child child;
        if (auto it = m_children.find(pid); it != m_children.end()) {
            child = it->second;
            m_children.erase(it);
        }
        return child;
    }

    std::map<ProcessId, Child> m_children;
};

}  // namespace

std::unique_ptr<IProcessRunner> MakeProcessRunner() {
    return std::make_unique<Win32ProcessRunner>();
}

}  // namespace tw::platform
