#pragma once
// The connection process: the Select/Tune/Listen/Connect cycle over the rows
// the user checked in the best grid.  For each checked row from the top it
// puts the station and the frequency into AirMail's Terminal, asks the user
// whether the frequency is clear, presses AirMail's connect key and watches
// AirMail's debug log for the outcome; a failure moves on to the next checked
// row, after the last one back to the first, until a connection has been
// made and ended, the user stops, or AirMail's Terminal or log fail.  With
// "Next Station After No Answer" a call without answer also leaves the rest
// of that station's rows for the next round: the walk goes on with the next
// checked row of another station, and the round after it counts every row.
//
// A state machine driven by state changes (the steps up to the next question
// or wait run at once), by the user's answers and by the main window's
// 1-second timer tmrProcess (states 4 and 5 read the log on every third tick).
// The main window owns one (through the composition root) and forwards
// cmdStart, cmdStop and tmrProcess to it.
//
// Re-entry: the waits of the Terminal operations and the questions let
// window events through, so a Stop, a timer tick or a close can arrive in
// the middle of a step.  A step that finds the process ended (or restarted)
// when its wait returns goes no further: no key is typed into AirMail after
// the user pressed Stop.  A tick that arrives while a step is running only
// refreshes the status panels.

#include <QString>
#include <QStringList>

#include <functional>

#include "airmail/DebugLog.h"
#include "platform/Clock.h"

namespace tw {

class AirMail;
class WindowControl;
class MainState;

// States of the process.
enum ConnectState : qint16 {
    ConnectStateStart = 0,       // from the first checked row, attempts back to 0
    ConnectStateNextRow = 1,     // the next checked row
    ConnectStateSelect = 2,      // station and frequency into the Terminal, ask the user
    ConnectStateConnect = 3,     // press AirMail's connect key
    ConnectStateWaitConnect = 4, // waiting for the connection (log read every third tick)
    ConnectStateWaitDisconnect = 5,  // connected, waiting for its end
};

// The process record; every field is reset by Start.
struct ConnectRecord {
    qint16 state = ConnectStateStart;
    qint32 row = 0;            // current grid row (0 is the header row)
    qint32 attempts = 0;       // connection attempts in the current pass over the rows
    QString frequency;         // the current row's frequency cell text
    QString station;           // the current row's station cell text
    bool waiting = false;      // the timer drives the state machine (states 4 and 5)
    qint32 ticks = 0;          // timer ticks since the last log check
    // When Start was pressed and when the current attempt (later the
    // connection) began, in UTC seconds: a process that runs over midnight
    // keeps counting up.
    platform::UtcSeconds processStart = 0;
    platform::UtcSeconds attemptStart = 0;
    bool showAttemptTime = false;  // status panel 3 shows the time since attemptStart
    // The stations (as BestGrid::GridGetStation gives them) whose call in
    // this round got no answer, with m_bStationNextAfterNoAnswer set.
    QStringList unanswered;
};

// Elapsed seconds as the status panels show them: "h:mm:ss" from an hour,
// "m:ss" from a minute, else "ss" (two digits).  Negative counts as 0.
QString ElapsedText(qint64 seconds);

// The minutes of a ham station's greeting "PMBO ... last contacted server
// 20 min ago.": the whole number between "server" and the "min" after it,
// without the blank on either side; -1 when there is none.
int LastConnectMinutes(const QString& line);

// Whether a copied Terminal field is a frequency: "." as its 5th, 6th or
// 7th character.
bool TerminalTextIsFrequency(const QString& text);
// Whether it is the system field: "HAM", "SAILMAIL" or "FAX" in any case.
bool TerminalTextIsSystem(const QString& text);

class ConnectionProcess {
public:
    ConnectionProcess(MainState& main, AirMail& airmail, WindowControl& windows);
    ConnectionProcess(const ConnectionProcess&) = delete;
    ConnectionProcess& operator=(const ConnectionProcess&) = delete;

    // The beep that ends a process with news for the user (a completed
    // connection, a log error); the app sounds the system beep.
    std::function<void()> Beep;

    // --- the main window's events ---
    void ConnectStart();  // cmdStart
    void ConnectStop();   // cmdStop
    void ProcessTick();   // tmrProcess

    // --- the state machine ---
    // Runs the steps from the current state up to the next question or wait.
    void ConnectProcess();
    void ConnectDone(bool beep);
    // The next checked row after the current one (it becomes the current
    // row) and its frequency cell text; empty, with the current row past the
    // last one, when there is none.  Rows of the round's unanswered stations
    // are passed over.
    QString ConnectNextRow();
    // Brings Tidewell to the front and says that no frequency is checked.
    void NoFrequencySelected();
    // Time since `start` as ElapsedText gives it.
    QString ElapsedText(platform::UtcSeconds start) const;

    // --- the Terminal ---
    bool TerminalFindFrequencyField();
    bool TerminalSelectSystem(const QString& system);
    bool TerminalSelectFrequency(const QString& station, const QString& frequency);
    bool TerminalConnect();
    // After a connection: warns when a ham station's server has not been
    // reached for longer than m_iAirMailLastConnectCheckMinutes.
    void LastConnectCheck();

    // Closing the main window: the timers stop, nothing is asked, shown or
    // sent to AirMail (a call in progress is AirMail's to finish).
    void ConnectUnload();

    // Whether the process runs (from Start to ConnectDone).
    bool Running() const { return m_running; }
    const ConnectRecord& record() const { return m_record; }
    DebugLogReader& logReader() { return m_log; }

private:
    // Before the first key: asks whether to start when AirMail's log shows a
    // call or connection still open; true when there is none or on Yes.
    bool OpenSessionAllowsStart();
    void EndOfConnection(DebugLogEvent event);
    // Ends the loop of a step when the process was ended or restarted while
    // the step let events through.
    // Stopped, ended, or the program is ending (a question it asked was
    // closed by that, not answered).
    bool Interrupted(quint64 generation) const;
    void Status(const QString& text);
    void SetPanel(int panel, const QString& text);

    MainState& m_main;
    AirMail& m_airmail;
    WindowControl& m_windows;
    DebugLogReader m_log;
    ConnectRecord m_record;
    bool m_running = false;
    bool m_stepping = false;
    quint64 m_generation = 0;
};

}  // namespace tw
