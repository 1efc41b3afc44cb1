#pragma once
// Requests from outside to end the run: SIGTERM, SIGINT, SIGQUIT and SIGHUP
// (a logout, `kill`, Ctrl+C or Ctrl+\ in a terminal, the terminal closed);
// on Windows, for a program with a console, Ctrl+C, Ctrl+Break and the
// closing of the console window, a logoff or a shutdown.  The first one asks
// the run to end in order, so that it cleans up after itself (the demo's
// temporary drive above all); a second one ends the program at once.

#include <QObject>

#include <functional>

namespace tw {

// Catches the requests from now on.  Call it once, first thing.
void CatchCloseRequests();

// Whether a request has come; safe to ask at any time.
bool CloseRequested();

// Runs `onRequest` in `context`'s event loop when a request comes, at once
// (queued) when one came before.
void OnCloseRequest(QObject& context, std::function<void()> onRequest);

// After the run has cleaned up: when a request came, ends the process as the
// request ends a program that does not catch it (the signal's own end; on
// Windows the exit status of Ctrl+C).  Returns when none came.
void EndAsRequested();

}  // namespace tw
