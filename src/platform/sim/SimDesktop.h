#pragma once
// A simulated desktop with a simulated AirMail on it: the stand-in for AirMail
// where AirMail cannot run (tests, the demo).  It is driven exactly the way
// the real program is driven, through IDesktop: it finds windows, takes the
// keyboard events that SendKeys builds, clicks, and moves text through its
// own clipboard.
//
// What AirMail shows here:
// - its main window (class "TMainForm", caption "AirMail"); F6 opens the
//   Terminal (or brings it forward), Alt+W then P (menu Window, Position
//   Reports) opens the Position Report window;
// - the Terminal ("TTerminalForm", caption "Terminal"): three single-line
//   fields, in tab order system, station and frequency, and a read-only text
//   area.  Tab and Shift+Tab move between the fields and select the whole text
//   of the field they come to; typing replaces the selection; Ctrl+C copies
//   the selection (in a field without one, the whole field), Ctrl+X cuts,
//   Ctrl+V pastes the first line of the clipboard over the selection; in the
//   text area Up, Down, Home, End, Ctrl+Home, Ctrl+End move the caret and
//   with Shift select; F5 calls the station on the frequency;
// - the Position Report window ("TPositionForm", "Position Report").
// A minimised or hidden window in front takes no keys, as a window of
// another program in front does not pass them on; such keys are counted.
//
// A call (F5) follows a script: per station and frequency, connected after N
// seconds and disconnected M seconds later, no answer after N seconds, or
// stopped by hand.  AirMail reports it in its Terminal text and appends
// "Connected to", "Disconnected from" and "No answer from" lines to
// "Logfiles\Debug.log" in its data folder (code page 1252, CRLF), stamped
// "yyyy/mm/dd hh:mm:ss.00" on the first line it writes and when the date
// changes, "hh:mm:ss.00" otherwise; the log is created, empty, when AirMail
// starts and finds none.  Time comes from the injected clock; the
// events fall due in Tick(), each stamped with the second it fell due.  Tick
// also runs at the start of every call that looks for, activates or shows a
// window, sends input, clicks or starts a program, so what the program sees
// of the desktop is always up to the clock; only the log needs a timer that
// calls Tick while nobody looks.
//
// Not thread-safe; like everything in the program it lives on one thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"

namespace tw::platform {

class PathMapper;

// The outcome of one call, timed from the F5 that starts it.
struct SimCallOutcome {
    enum class Kind {
        Connect,     // "Connected to" after `afterSeconds`, "Disconnected from" `connectedSeconds` later
        NoAnswer,    // "No answer from" after `afterSeconds`
        ManualStop,  // the user stops the call after `afterSeconds`: "No answer from ... (manual)"
    };
    Kind kind = Kind::NoAnswer;
    int afterSeconds = 60;
    int connectedSeconds = 120;
    // Connect: the user ends the connection with the stop control, so the
    // last line reads "Disconnected from ... (manual)".
    bool manualDisconnect = false;
    // Connect: when >= 0, the station greets with a ham station's line
    // "PMBO <station> - last contacted server <n> min ago." in the Terminal.
    int serverMinutes = -1;
    // Connect: a greeting line of its own, written to the Terminal as it
    // stands (after the "PMBO" line, if any).
    std::string greeting;

    static SimCallOutcome Connected(int afterSeconds, int connectedSeconds, int serverMinutes = -1);
    static SimCallOutcome NoAnswerAfter(int afterSeconds);
    static SimCallOutcome StoppedAfter(int afterSeconds);
};

// The controls that can have the keyboard focus.
enum class SimControl {
    None,               // no window of the simulated desktop is in front
    MainWindow,         // AirMail's main window
    TerminalSystem,     // the Terminal's system field
    TerminalStation,    // the Terminal's station field
    TerminalFrequency,  // the Terminal's frequency field
    TerminalText,       // the Terminal's text area
    PositionReport,     // the Position Report window
    OtherWindow,        // a window of another program (AddOtherWindow)
};

// A single-line field: its text and selection (anchor and caret, byte
// offsets; equal when nothing is selected).
struct SimField {
    std::string text;
    std::size_t anchor = 0;
    std::size_t caret = 0;
};

// A position in the Terminal text: line (0 = first) and column.
struct SimTextPos {
    std::size_t line = 0;
    std::size_t column = 0;
    bool operator==(const SimTextPos&) const = default;
};

// One top-level window as the desktop shows it.
struct SimWindow {
    WindowHandle handle = 0;
    std::string className;
    std::string caption;
    WindowRect rect;  // the normal (restored) rectangle
    ShowMode show = ShowMode::Normal;  // Normal, Minimize, Maximize or Hide
};

enum class SimCallState { Idle, Calling, Connected };

struct SimAirMailConfig {
    // Where "Airmail3.exe" is (starting that file starts AirMail) and where
    // its data, and so "Logfiles\Debug.log", are; Windows paths, mapped.
    std::string programFolder = "C:\\Program Files\\AirMail";
    std::string dataFolder = "C:\\Program Files\\AirMail";
    int screenWidth = 1024;
    int screenHeight = 768;
};

class SimDesktop final : public IDesktop {
public:
    // The clock and the mapper must outlive the desktop.
    SimDesktop(const IClock& clock, const PathMapper& mapper, SimAirMailConfig config = {});

    // ---- IDesktop -------------------------------------------------------
    WindowHandle DesktopWindow() override;
    WindowHandle FindNextWindow(WindowHandle after, const std::string& className) override;
    WindowHandle FindWindowExact(const std::string& className, const std::string& caption) override;
    std::string ClassName(WindowHandle window) override;
    std::string WindowText(WindowHandle window) override;
    WindowHandle ForegroundWindow() override;
    bool SetForeground(WindowHandle window) override;
    bool Show(WindowHandle window, ShowMode mode) override;
    bool Move(WindowHandle window, int left, int top, int width, int height, bool repaint) override;
    std::optional<WindowRect> Rect(WindowHandle window) override;
    WindowHandle Focus() override;
    WindowHandle SetFocus(WindowHandle window) override;

    std::size_t SendInput(const std::vector<KeyEvent>& events) override;
    std::optional<KeyScan> KeyScanFor(char character) override;
    void MouseEvent(MouseAction action, int dx, int dy) override;
    std::optional<ScreenPoint> CursorPos() override;
    bool SetCursorPos(ScreenPoint point) override;

    bool ClearClipboard() override;
    bool SetClipboardText(const std::string& text) override;
    std::string ClipboardText() override;

    // Starting "Airmail3.exe" of the program folder (compared without regard
    // to case and slash direction; the file must exist) starts AirMail, or
    // brings its main window forward when it runs.  Every other program
    // fails with the system's "file not found" (2).
    ProgramStartResult StartNormal(const std::string& program, const std::string& workingFolder) override;
    ProgramStartResult ShellOpen(WindowHandle owner, const std::string& file,
                                 const std::string& workingFolder) override;

    // Variables set with SetEnvironmentVariable; "OS" is "Windows_NT" unless set.
    std::string EnvironmentVariable(const std::string& name) override;

    // ---- Time -----------------------------------------------------------
    // Runs everything that has fallen due by the clock's time, in order.
    void Tick();

    // ---- The user and the script ---------------------------------------
    // AirMail started by the user: its main window in front.
    void StartAirMail();
    // The user closes a window; closing the main window ends AirMail (its
    // windows close, a running call is dropped without a log line).
    void CloseWindow(WindowHandle window);
    // A window of another program (Tidewell's own, say): found, brought
    // forward and clicked like the others, and deaf to keys.
    WindowHandle AddOtherWindow(const std::string& className, const std::string& caption, WindowRect rect);
    // The Terminal's stop control: ends the running call or connection at once
    // with a "(manual)" line.
    void PressStop();

    // Outcomes for calls of a station (any case) on a frequency (as a number
    // in kHz, "8384.5" and "8384.50" are the same).  Each call takes the next
    // outcome queued for its station and frequency; the last one stays.
    void ScriptCall(const std::string& station, const std::string& frequency, SimCallOutcome outcome);
    // The outcome of calls that have no script (default: no answer after 60 s).
    void SetDefaultOutcome(SimCallOutcome outcome);
    // The demo: calls without a script connect at random, more often the
    // better the signal-to-noise ratio the lookup gives for system, station
    // and frequency (dB; nothing when unknown).  The draws come from a fixed
    // pseudo-random sequence that `sequenceStart` picks, so a demo run repeats.
    using SnrLookup = std::function<std::optional<double>(const std::string& system, const std::string& station,
                                                          const std::string& frequency)>;
    void SetDemoOutcomes(SnrLookup snr, std::uint32_t sequenceStart = 1);

    // How many F6 presses it takes to open the Terminal (default 1).
    void SetTerminalOpensOnF6Press(int presses);
    // Seconds after a start until the main window appears (default 0).
    void SetStartDelaySeconds(int seconds);
    // The Terminal's field texts (kept while the Terminal is closed).
    void SetTerminalFields(const std::string& system, const std::string& station, const std::string& frequency);
    // Adds a line to the Terminal text.
    void AppendTerminalLine(const std::string& line);
    // SetForegroundWindow refused (as Windows refuses a program that is not in front).
    void SetForegroundRefused(bool refused);
    void SetEnvironmentVariable(const std::string& name, const std::string& value);

    // ---- Observable state ----------------------------------------------
    bool AirMailRunning() const { return m_main != 0; }
    WindowHandle MainWindow() const { return m_main; }
    WindowHandle TerminalWindow() const { return m_terminal; }
    WindowHandle PositionReportWindow() const { return m_position; }
    // Top-level windows, front to back.
    std::vector<SimWindow> Windows() const;
    SimControl FocusedControl() const;
    const SimField& Field(SimControl field) const;  // TerminalSystem, TerminalStation or TerminalFrequency
    // The Terminal text: its lines joined by CRLF; the last line is the one
    // being written (empty after a full line).
    std::string TerminalText() const;
    const std::vector<std::string>& TerminalLines() const { return m_lines; }
    SimTextPos TextCaret() const { return m_textCaret; }
    SimTextPos TextAnchor() const { return m_textAnchor; }
    SimCallState CallState() const { return m_callState; }
    const std::string& CallStation() const { return m_callStation; }
    const std::string& CallFrequency() const { return m_callFrequency; }
    // Every SendInput call's events, in order.
    const std::vector<std::vector<KeyEvent>>& InputCalls() const { return m_inputCalls; }
    // Key presses that reached no AirMail window.
    int LostKeyPresses() const { return m_lostKeys; }
    // The log lines written in this run, without line ends, and the failed writes.
    const std::vector<std::string>& LogLines() const { return m_logLines; }
    int LogWriteFailures() const { return m_logFailures; }
    // The native path of the debug log.
    std::string DebugLogPath() const;
    // Grows by one or more with every change of the observable state; the
    // callback runs once after each call that changed something.
    std::uint64_t Revision() const { return m_revision; }
    void SetOnChanged(std::function<void()> callback) { m_onChanged = std::move(callback); }

private:
    struct Window {
        SimWindow info;
        SimControl focus = SimControl::None;
    };
    enum class Due { MainAppears, Connect, NoAnswer, ManualStop, Disconnect };
    struct Pending {
        UtcSeconds when = 0;
        std::uint64_t order = 0;
        Due what = Due::MainAppears;
        std::uint64_t call = 0;
    };
    class ChangeScope;

    void Touch() { ++m_revision; }
    Window* Find(WindowHandle handle);
    const Window* Find(WindowHandle handle) const;
    WindowHandle Create(const std::string& className, const std::string& caption, WindowRect rect,
                        SimControl focus);
    void Destroy(WindowHandle handle);
    void BringToFront(WindowHandle handle);
    void Activate(WindowHandle handle);
    bool TakesKeys(WindowHandle handle) const;
    WindowRect ShownRect(const Window& window) const;
    WindowHandle ControlHandle(WindowHandle window, SimControl control) const;
    std::optional<SimControl> ControlOf(WindowHandle handle) const;
    ProgramStartResult StartProgram(const std::string& program);
    void ShowMainWindow();
    void Schedule(UtcSeconds when, Due what, std::uint64_t call);
    void Run(const Pending& pending);

    void KeyDown(std::uint16_t vk);
    void MainKey(std::uint16_t vk);
    void TerminalKey(std::uint16_t vk);
    void FieldKey(SimField& field, std::uint16_t vk);
    void TextKey(std::uint16_t vk);
    void FocusField(SimControl control);
    void OpenTerminal();
    void OpenPositionReport();
    void Click(ScreenPoint point);

    void StartCall();
    SimCallOutcome OutcomeFor(const std::string& system, const std::string& station, const std::string& frequency);
    void EndCall(const std::string& terminalLine, const std::string& logText, UtcSeconds when);
    void WriteLog(UtcSeconds when, const std::string& text);
    SimField& FieldRef(SimControl field);

    const IClock& m_clock;
    const PathMapper& m_mapper;
    SimAirMailConfig m_config;

    std::vector<Window> m_windows;  // front to back
    WindowHandle m_nextHandle = 0x20000;
    WindowHandle m_foreground = 0;
    WindowHandle m_main = 0;
    WindowHandle m_terminal = 0;
    WindowHandle m_position = 0;
    bool m_foregroundRefused = false;
    std::optional<std::string> m_clipboard;
    ScreenPoint m_cursor;
    std::map<std::string, std::string> m_environment;

    bool m_shift = false;
    bool m_ctrl = false;
    bool m_alt = false;
    bool m_windowMenuOpen = false;
    int m_f6Needed = 1;
    int m_f6Count = 0;
    int m_startDelay = 0;
    bool m_starting = false;

    SimField m_system{"SAILMAIL", 0, 0};
    SimField m_station;
    SimField m_frequency;
    std::vector<std::string> m_lines{std::string()};
    SimTextPos m_textCaret;
    SimTextPos m_textAnchor;

    SimCallState m_callState = SimCallState::Idle;
    std::uint64_t m_callId = 0;
    std::string m_callStation;
    std::string m_callFrequency;
    SimCallOutcome m_callOutcome;
    std::map<std::string, std::deque<SimCallOutcome>> m_script;
    SimCallOutcome m_defaultOutcome;
    SnrLookup m_demoSnr;
    std::mt19937 m_random;

    std::vector<Pending> m_pending;
    std::uint64_t m_pendingOrder = 0;

    std::vector<std::vector<KeyEvent>> m_inputCalls;
    int m_lostKeys = 0;
    std::vector<std::string> m_logLines;
    int m_logFailures = 0;
    std::optional<std::int64_t> m_lastLogDay;

    std::uint64_t m_revision = 0;
    int m_changeDepth = 0;
    std::function<void()> m_onChanged;
};

}  // namespace tw::platform
