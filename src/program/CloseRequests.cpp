#include "program/CloseRequests.h"

#include <QPointer>

#include <atomic>
#include <utility>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include "platform/win32/Win32Api.h"

#include <mutex>
#endif

namespace tw {

namespace {

#ifdef Q_OS_UNIX

// The handler keeps the signal's number and writes a byte into a pipe, which
// an event loop reads; a signal that comes before the loop waits in the
// pipe.  The handler is reset by its first signal: a second one ends the
// program at once (SIGHUP aside, below).
volatile std::sig_atomic_t g_signal = 0;
int g_pipe[2] = {-1, -1};

extern "C" void CloseSignalHandler(int signal) {
    g_signal = signal;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

#endif

#ifdef Q_OS_WIN

// The console's handler runs in a thread of its own: it posts the request to
// the event loop that waits for it.
std::atomic<bool> g_requested{false};
std::mutex g_mutex;
QPointer<QObject> g_context;
std::function<void()> g_onRequest;

void PostRequest() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_context) QMetaObject::invokeMethod(g_context.data(), g_onRequest, Qt::QueuedConnection);
}

BOOL WINAPI ConsoleHandler(DWORD event) {
    // A second request is left to the system, which ends the program.
    if (g_requested.exchange(true)) return FALSE;
    PostRequest();
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    // The console closes, the user logs off or the machine shuts down: the
    // system ends the program as soon as this returns, so it returns never;
    // the program ends itself once it has cleaned up (the system waits a few
    // seconds for that).
    ::Sleep(INFINITE);
    return TRUE;
}

#endif

}  // namespace

void CatchCloseRequests() {
#ifdef Q_OS_UNIX
    if (::pipe(g_pipe) != 0) return;
    // Not handed down to the programs Tidewell starts.
    for (const int fd : g_pipe) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    struct sigaction action {};
    action.sa_handler = CloseSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : {SIGTERM, SIGINT, SIGQUIT}) sigaction(signal, &action, nullptr);
    // A closed terminal hangs up twice, the shell's SIGHUP to its jobs and the
    // system's to the terminal's foreground: nobody asks again, so a second
    // one is no reason to end at once.
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
#endif
#ifdef Q_OS_WIN
    ::SetConsoleCtrlHandler(ConsoleHandler, TRUE);
#endif
}

bool CloseRequested() {
#ifdef Q_OS_UNIX
    return g_signal != 0;
#elif defined(Q_OS_WIN)
    return g_requested.load();
#else
    return false;
#endif
}

void OnCloseRequest(QObject& context, std::function<void()> onRequest) {
#ifdef Q_OS_UNIX
    if (g_pipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, &context);
    QObject::connect(notifier, &QSocketNotifier::activated, &context,
                     [notifier, onRequest = std::move(onRequest)] {
                         char byte = 0;
                         [[maybe_unused]] const ssize_t got = ::read(g_pipe[0], &byte, 1);
                         notifier->setEnabled(false);
                         onRequest();
                     });
#elif defined(Q_OS_WIN)
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_context = &context;
        g_onRequest = std::move(onRequest);
    }
    if (g_requested.load()) PostRequest();
#else
    (void)context;
    (void)onRequest;
#endif
}

void EndAsRequested() {
    if (!CloseRequested()) return;
#ifdef Q_OS_UNIX
    const int signal = g_signal;
    // A program that has ended in order leaves no core (SIGQUIT's own end).
    const struct rlimit noCore {0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    ::_exit(128 + signal);
#elif defined(Q_OS_WIN)
    ::ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
#endif
}

}  // namespace tw
