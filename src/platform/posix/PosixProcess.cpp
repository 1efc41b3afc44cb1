// Child processes on POSIX systems: posix_spawn, no shell.
//
// The child gets its own process group, so that a kill at the time limit also
// reaches whatever it started (a script's own children); /dev/null as standard
// input, output and error; the default handling of the signals this program
// may have set aside, and none blocked; and the working folder asked for.
// Standard output and error go to the caller's file instead when one is named.  A
// failure of the start (no such file, not executable, bad folder) comes back
// from posix_spawn as an error code, not as a process that ends at once: the
// C library's posix_spawn (glibc 2.24 and later) returns only after the exec,
// with its error when it failed.  posix_spawn does not copy this program's
// memory the way fork does, however large the program has grown.
//
// The working folder is a spawn step only where the C library has
// posix_spawn_file_actions_addchdir_np (glibc 2.29 and later); elsewhere a
// start with a working folder forks and changes the folder in the child,
// since posix_spawn itself has no such step.
//
// Either way the start returns after the exec (or its failure), so the child
// is in its own process group before anyone can kill it.
//
// When the child ends, in time or not, its group is killed before the child
// is collected: what a program leaves running behind it in its group
// (a helper it started in the background) does not outlive the run.  A
// process that moved itself out of the group (setsid, setpgid) is not
// reached: POSIX gives a parent no hold on it (on Linux a cgroup would, or a
// subreaper that collects every orphan of this whole program, which is more
// than a propagation run should change); the ITS HF programs start none.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <thread>
#ifdef __linux__
#include <sys/syscall.h>
#endif

#include "platform/Process.h"

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
#define TW_SPAWN_ADDCHDIR 1
#else
#define TW_SPAWN_ADDCHDIR 0
#endif

extern char** environ;

namespace tw::platform {

namespace {

// The signals a program may have set to be ignored (an ignored signal stays
// ignored across exec): the child gets their default handling.
constexpr int kDefaultSignals[] = {SIGPIPE, SIGINT, SIGQUIT, SIGCHLD};

// A descriptor that becomes readable when the process ends (Linux 5.3 and
// later); -1 where the system has none, and the wait polls instead.
int ProcessDescriptor(pid_t pid) {
#if defined(__linux__) && defined(SYS_pidfd_open)
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

void WaitBlocking(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Whether the child has ended (1), runs (0) or is not ours (-1), without
// collecting it: until it is collected its process id, and so the id of its
// process group, cannot be given to another process.
int EndedNotCollected(pid_t pid) {
    siginfo_t info {};
    int rc;
    do {
        rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) return -1;
    return info.si_pid == pid ? 1 : 0;
}

// The child has ended: what it started and left running in its group is
// killed, then the child is collected.  Processes that left the group
// (setsid, setpgid) are beyond this reach.
ProcessEnd EndGroupAndCollect(pid_t pid) {
    ::kill(-pid, SIGKILL);
    int status = 0;
    pid_t rc;
    do {
        rc = ::waitpid(pid, &status, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc != pid) return ProcessEnd::Unknown;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ProcessEnd::ExitedZero : ProcessEnd::Failed;
}

// Kill the process group (the child and its children), then the child itself
// in case it left its group, and collect it.
void KillAndReap(pid_t pid) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    WaitBlocking(pid);
}

using Clock = std::chrono::steady_clock;

// Waits for the child until `deadline` and kills it there.  The wait wakes the
// moment the process ends where the system can say so (`descriptor`, a
// process descriptor, or -1); elsewhere it polls in short steps (0.1 ms
// growing to 2 ms), so an ended process is seen within 2 ms.  No signal
// handler is involved either way.
ProcessEnd WaitUntil(pid_t pid, Clock::time_point deadline, int descriptor) {
    auto step = std::chrono::microseconds(100);
    for (;;) {
        const int ended = EndedNotCollected(pid);
        if (ended > 0) return EndGroupAndCollect(pid);
        if (ended < 0) return ProcessEnd::Unknown;  // not our child, or already collected
        const auto now = Clock::now();
        if (now >= deadline) {
            KillAndReap(pid);
            return ProcessEnd::Killed;
        }
        if (descriptor >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            pollfd ready{descriptor, POLLIN, 0};
            ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, 60000)));
        } else {
            std::this_thread::sleep_for(std::min<Clock::duration>(step, deadline - now));
            if (step < std::chrono::milliseconds(2)) step *= 2;
        }
    }
}

// Runs in the child between fork and exec: only async-signal-safe calls.
// Used only to start a program in a working folder where posix_spawn cannot
// change the folder (no posix_spawn_file_actions_addchdir_np).
[[noreturn]] void ExecChild(const char* program, char* const* argv, const char* folder,
                            const char* outputFile, int errorPipe) {
    ::setpgid(0, 0);

    // Signals: the default handling and nothing blocked, whatever this program set.
    for (int sig : kDefaultSignals) ::signal(sig, SIG_DFL);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    int error = 0;
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull < 0) {
        error = errno;
    } else {
        if (::dup2(devNull, 0) < 0 || ::dup2(devNull, 1) < 0 || ::dup2(devNull, 2) < 0) {
            error = errno;
        }
        if (devNull > 2) ::close(devNull);
    }
    if (error == 0 && *outputFile) {
        const int out = ::open(outputFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0) error = errno;
        if (out > 2) ::close(out);
    }
    if (error == 0 && folder && *folder && ::chdir(folder) != 0) error = errno;
    if (error == 0) {
        ::execv(program, argv);
        error = errno;
    }
    ssize_t ignored = ::write(errorPipe, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

// Starts the program with posix_spawn; the process id, or 0 and `error`.
pid_t SpawnStart(const char* program, char* const* argv, const std::string& folder,
                 const std::string& outputFile, int& error) {
#if !TW_SPAWN_ADDCHDIR
    (void)folder;  // the caller forks instead when there is one
#endif
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if ((error = ::posix_spawn_file_actions_init(&actions)) != 0) return 0;
    if ((error = ::posix_spawnattr_init(&attributes)) != 0) {
        ::posix_spawn_file_actions_destroy(&actions);
        return 0;
    }
    sigset_t defaults, none;
    ::sigemptyset(&defaults);
    for (int sig : kDefaultSignals) ::sigaddset(&defaults, sig);
    ::sigemptyset(&none);
    pid_t pid = 0;
    // Each step runs only when the ones before it succeeded.
    const auto step = [&error](int rc) { return (error = rc) == 0; };
    if (step(::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                         POSIX_SPAWN_SETSIGMASK)) &&
        step(::posix_spawnattr_setpgroup(&attributes, 0)) &&
        step(::posix_spawnattr_setsigdefault(&attributes, &defaults)) &&
        step(::posix_spawnattr_setsigmask(&attributes, &none)) &&
        step(::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR, 0)) &&
        (outputFile.empty()
             ? step(::posix_spawn_file_actions_adddup2(&actions, 0, 1))
             : step(::posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(),
                                                      O_WRONLY | O_CREAT | O_TRUNC, 0600))) &&
        step(::posix_spawn_file_actions_adddup2(&actions, 1, 2))
#if TW_SPAWN_ADDCHDIR
        && (folder.empty() || step(::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str())))
#endif
    ) {
        if (!step(::posix_spawn(&pid, program, &actions, &attributes, argv, environ))) pid = 0;
    }
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Starts the program with fork and exec (a working folder without
// posix_spawn_file_actions_addchdir_np).  A failure of the exec comes back
// through a close-on-exec pipe as the child's errno.
pid_t ForkStart(const char* program, char* const* argv, const char* folder,
                const char* outputFile, int& error) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return 0;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return 0;
    }
    if (pid == 0) {
        ::close(fds[0]);
        ExecChild(program, argv, folder, outputFile, fds[1]);
    }
    ::close(fds[1]);
    int childError = 0;
    ssize_t n;
    do {
        n = ::read(fds[0], &childError, sizeof childError);
    } while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    if (n == static_cast<ssize_t>(sizeof childError)) {
        WaitBlocking(pid);
        error = childError != 0 ? childError : ENOEXEC;
        return 0;
    }
    return pid;
}

class PosixProcessRunner final : public IProcessRunner {
public:
    ProcessStart Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingFolder, const std::string& outputFile) override {
        if (program.empty()) return {0, ENOENT};

        // Everything the child needs is built before the start.
        std::vector<std::string> strings;
        strings.reserve(arguments.size() + 1);
        strings.push_back(program);
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(strings.size() + 1);
        for (std::string& s : strings) argv.push_back(s.data());
        argv.push_back(nullptr);
        int error = 0;
        const pid_t pid = !TW_SPAWN_ADDCHDIR && !workingFolder.empty()
                              ? ForkStart(strings.front().c_str(), argv.data(),
                                          workingFolder.c_str(), outputFile.c_str(), error)
                              : SpawnStart(strings.front().c_str(), argv.data(), workingFolder,
                                           outputFile, error);
        if (pid <= 0) return {0, error != 0 ? error : ENOEXEC};
        return {static_cast<ProcessId>(pid), 0};
    }

    ProcessEnd Wait(ProcessId id, double seconds) override {
        const pid_t pid = static_cast<pid_t>(id);
        if (pid <= 0) return ProcessEnd::Unknown;

        const auto deadline =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(seconds > 0 ? seconds : 0));
        const int descriptor = ProcessDescriptor(pid);
        const ProcessEnd end = WaitUntil(pid, deadline, descriptor);
        if (descriptor >= 0) ::close(descriptor);
        return end;
    }

    std::optional<ProcessEnd> Poll(ProcessId id) override {
        const pid_t pid = static_cast<pid_t>(id);
        if (pid <= 0) return ProcessEnd::Unknown;
        const int ended = EndedNotCollected(pid);
        if (ended == 0) return std::nullopt;        // still running
        if (ended < 0) return ProcessEnd::Unknown;  // not our child, or already collected
        return EndGroupAndCollect(pid);
    }

    void Kill(ProcessId id) override {
        const pid_t pid = static_cast<pid_t>(id);
        if (pid <= 0) return;
        const int ended = EndedNotCollected(pid);
        if (ended < 0) return;  // not ours
        if (ended > 0)
            EndGroupAndCollect(pid);
        else
            KillAndReap(pid);
    }
};

}  // namespace

std::unique_ptr<IProcessRunner> MakeProcessRunner() {
    return std::make_unique<PosixProcessRunner>();
}

}  // namespace tw::platform
