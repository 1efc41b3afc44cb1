#include "connect/ConnectProcess.h"

#include <algorithm>
#include <optional>

#include "airmail/AirMail.h"
#include "airmail/Stations.h"
#include "selection/BestGrid.h"
#include "selection/MainState.h"
#include "connect/WindowControl.h"
#include "platform/Desktop.h"
#include "selection/Evaluate.h"

namespace tw {

namespace {

// The log is read on every third tick of the 1-second timer.
constexpr qint32 kTicksPerLogCheck = 3;
// Lines of the Terminal text the last-connect check walks up at most.
constexpr int kLastConnectLines = 100;

const QString kConnectedTo = QStringLiteral("Connected to");

// Sets a flag while it lives and gives it back its earlier value.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_before; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

QString TwoDigits(qint64 value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

}  // namespace

QString ElapsedText(qint64 seconds) {
    const qint64 s = seconds < 0 ? 0 : seconds;
    const qint64 h = s / 3600;
    const qint64 m = (s - 3600 * h) / 60;
    const qint64 r = s - 3600 * h - 60 * m;
    if (h > 0) return QString::number(h) + QLatin1Char(':') + TwoDigits(m) + QLatin1Char(':') + TwoDigits(r);
    if (m > 0) return QString::number(m) + QLatin1Char(':') + TwoDigits(r);
    return TwoDigits(r);
}

int LastConnectMinutes(const QString& line) {
    const qsizetype p = line.indexOf(QStringLiteral("server"));
    if (p < 0) return -1;
    const qsizetype q = line.indexOf(QStringLiteral("min"), p);
    if (q < 0) return -1;
    // Between "server" and "min", less the blank on either side.
    const qsizetype from = p + 7;
    const qsizetype length = q - 1 - from;
    if (length <= 0) return -1;
    bool ok = false;
    const int minutes = line.mid(from, length).trimmed().toInt(&ok);
    return ok && minutes >= 0 ? minutes : -1;
}

bool TerminalTextIsFrequency(const QString& text) {
    for (qsizetype i : {6, 5, 4})
        if (text.size() > i && text.at(i) == QLatin1Char('.')) return true;
    return false;
}

bool TerminalTextIsSystem(const QString& text) {
    const QString upper = text.toUpper();
    return upper == QLatin1String("HAM") || upper == QLatin1String("SAILMAIL") || upper == QLatin1String("FAX");
}

ConnectionProcess::ConnectionProcess(MainState& main, AirMail& airmail, WindowControl& windows)
    : m_main(main), m_airmail(airmail), m_windows(windows), m_log(airmail) {}

void ConnectionProcess::Status(const QString& text) { m_main.UpdateStatusStatus(text); }

void ConnectionProcess::SetPanel(int panel, const QString& text) {
    IUserInterface& ui = m_main.ui();
    if (ui.PanelText(panel) != text) ui.SetPanelText(panel, text);
}

QString ConnectionProcess::ElapsedText(platform::UtcSeconds start) const {
    return tw::ElapsedText(m_main.clock().NowUtc() - start);
}

// ---- the main window's events --------------------------------------------------

// AirMail already calling or connected (a call the user made by hand, or one
// left running by an earlier process): typing into the Terminal would change
// a live session, and its end would be read as the end of our own call.  The
// user decides; No leaves everything as it was.  The time is the log line's,
// with its date when that is not today (a session whose end AirMail never
// wrote, say).  Without AirMail running nothing can be open: such a line is
// what an AirMail that was closed or crashed mid-call left behind.
bool ConnectionProcess::OpenSessionAllowsStart() {
    if (m_windows.AirMailGetAirMail() == 0) return true;
    const QDateTime now = m_main.TimeGetZulu();
    const std::optional<DebugLogSession> open = m_log.OpenSession(now.date());
    if (!open) return true;
    QString since;
    if (open->since.isValid())
        since = QStringLiteral(" since ") +
                open->since.toString(open->since.date() == now.date()
                                         ? QStringLiteral("hh:mm")
                                         : QStringLiteral("yyyy/MM/dd hh:mm"));
    m_airmail.ActivateMain();
    MessageRequest ask;
    ask.text =
        QStringLiteral("AirMail is %1 %2%3. Start anyway?")
            .arg(open->connected ? QStringLiteral("connected to") : QStringLiteral("calling"),
                 open->station, since);
    ask.buttons = MsgButtons::YesNo;
    ask.icon = MsgIcon::Question;
    ask.defaultButton = 1;  // No
    return m_main.ui().MessageBox(ask) == MsgAnswer::Yes;
}

bool ConnectionProcess::Interrupted(quint64 generation) const {
    return !m_running || generation != m_generation || m_main.ui().Closing();
}

void ConnectionProcess::NoFrequencySelected() {
    m_airmail.ActivateMain();
    MessageRequest info;
    info.text = QStringLiteral("At least one frequency must be selected in Connect List.");
    info.icon = MsgIcon::Information;
    m_main.ui().MessageBox(info);
}

void ConnectionProcess::ConnectStart() {
    if (m_running) return;
    // Nothing reaches AirMail, not even the system, without a row to call.
    if (!m_main.best.AnyChecked()) {
        NoFrequencySelected();
        return;
    }
    if (!OpenSessionAllowsStart()) return;
    m_running = true;
    const quint64 generation = ++m_generation;
    m_record = ConnectRecord();
    m_main.ConnectSetRunning(true);

    if (!TerminalSelectSystem(m_main.ListSystem())) {
        if (!Interrupted(generation)) ConnectDone(true);
        return;
    }
    // Stopped (or closed) while the system was being typed.
    if (Interrupted(generation)) return;

    m_record.showAttemptTime = false;
    m_record.processStart = m_main.clock().NowUtc();
    m_record.state = ConnectStateStart;
    m_record.waiting = false;
    m_main.SetProcessTimer(true);
    ConnectProcess();
}

void ConnectionProcess::ConnectStop() {
    if (m_running && (m_record.state == ConnectStateWaitConnect || m_record.state == ConnectStateWaitDisconnect)) {
        const quint64 generation = m_generation;
        MsgAnswer answer;
        {
            // While the question is open the ticks only refresh the panels: the
            // process must not move on to the next row's question meanwhile.
            FlagScope asking(m_stepping);
            m_airmail.ActivateMain();
            MessageRequest ask;
            ask.text = QStringLiteral(
                "Once the AirMail Connect process has started, the only way to stop it is press the RED STOP "
                "ICON in the AirMail Terminal Window.\n\n"
                "Would you like to stop the Tidewell Select/Tune/Listen/Connect process?");
            ask.buttons = MsgButtons::YesNo;
            ask.icon = MsgIcon::Information;
            answer = m_main.ui().MessageBox(ask);
        }
        if (answer != MsgAnswer::Yes) return;
        if (Interrupted(generation)) return;  // it ended on its own meanwhile
    }
    ConnectDone(false);
}

void ConnectionProcess::ProcessTick() {
    if (m_record.showAttemptTime) SetPanel(3, ElapsedText(m_record.attemptStart));
    SetPanel(4, ElapsedText(m_record.processStart) + QLatin1Char(' '));
    if (m_record.waiting) ConnectProcess();
}

void ConnectionProcess::ConnectUnload() {
    if (!m_running) return;
    m_running = false;
    ++m_generation;
    m_record.waiting = false;
    m_main.SetProcessTimer(false);
    m_main.best.GridBlinkStop();
}

// ---- the state machine ---------------------------------------------------------

void ConnectionProcess::ConnectDone(bool beep) {
    m_running = false;
    ++m_generation;
    m_main.ConnectSetRunning(false);
    m_record.waiting = false;
    m_main.SetProcessTimer(false);
    m_main.best.GridBlinkStop();
    if (beep && Beep) Beep();
}

QString ConnectionProcess::ConnectNextRow() {
    BestGrid& best = m_main.best;
    Grid& grid = best.grdFrequency;
    const int rows = grid.Rows();
    for (int row = std::max(m_record.row, 0) + 1; row < rows; ++row) {
        if (best.GridGetChecked(grid, row, best.m_iColFrequency) &&
            !m_record.unanswered.contains(best.GridGetStation(grid, row))) {
            m_record.row = row;
            return best.GridGetText(grid, row, best.m_iColFrequency);
        }
    }
    m_record.row = rows;
    return QString();
}

// How a connection that was made ends, by the log's event: stopped in the
// Terminal (the next row is tried), disconnected (done), no answer (an error)
// or a log that cannot be read.
void ConnectionProcess::EndOfConnection(DebugLogEvent event) {
    switch (event) {
    case DebugLogEvent::Error:
        ConnectDone(true);
        return;
    case DebugLogEvent::Stopped:
        Status(QStringLiteral("Stopped, Terminal Window"));
        m_record.waiting = false;
        m_record.state = ConnectStateNextRow;
        return;
    case DebugLogEvent::Disconnected: {
        const QString outcome = QStringLiteral("Connected, Attempt ") + QString::number(m_record.attempts);
        Status(outcome);
        ConnectDone(true);
        LastConnectCheck();
        // The check brings the Terminal up, which clears the status when all
        // goes well; the outcome is what the user wants to read there
        // afterwards.  A problem the check reported stays.
        if (m_main.ui().PanelText(2).trimmed().isEmpty()) Status(outcome);
        return;
    }
    case DebugLogEvent::NoAnswer:
        Status(QStringLiteral("Error, No Answer after Connect"));
        ConnectDone(true);
        return;
    case DebugLogEvent::None:
    case DebugLogEvent::Connected:
        return;
    }
}

void ConnectionProcess::ConnectProcess() {
    // A tick that arrives while a step (or the Stop question) is under way
    // only refreshes the panels.
    if (!m_running || m_stepping) return;
    FlagScope stepping(m_stepping);
    const quint64 generation = m_generation;
    BestGrid& best = m_main.best;
    Grid& grid = best.grdFrequency;

    for (;;) {
        if (Interrupted(generation)) return;
        switch (m_record.state) {
        case ConnectStateStart:
            m_record.attempts = 0;
            m_record.row = 0;
            m_record.unanswered.clear();
            m_record.frequency = ConnectNextRow();
            if (!m_record.frequency.isEmpty()) {
                m_record.state = ConnectStateSelect;
                continue;
            }
            NoFrequencySelected();
            ConnectDone(false);
            return;

        case ConnectStateNextRow:
            m_record.frequency = ConnectNextRow();
            m_record.state = m_record.frequency.isEmpty() ? ConnectStateStart : ConnectStateSelect;
            continue;

        case ConnectStateSelect: {
            const int row = m_record.row;
            const int col = best.m_iColFrequency;
            m_record.station = best.GridGetText(grid, row, best.m_iColStation);
            // The Station column shows a SailMail station by its display name;
            // AirMail's Terminal takes the identifier, which the row keeps (two
            // stations may share a name).  A row without it has its name
            // turned back; when that fails (the reader has told the user
            // why), the cell text is typed as it stands.
            QString identifier = grid.RowData(row);
            if (identifier.isEmpty())
                identifier = StationFromStationName(m_airmail, m_main.ListSystem(), m_record.station);
            if (identifier.isEmpty()) identifier = m_record.station;
            m_main.m_sStationName = m_record.station;
            m_main.m_sStation = identifier;
            if (!TerminalSelectFrequency(identifier, m_record.frequency)) {
                if (!Interrupted(generation)) ConnectDone(false);
                return;
            }
            if (Interrupted(generation)) return;
            best.GridBlinkCell(row, col);
            best.GridSetCellColor(grid, row, col, Grid::kDefaultBackColor);
            Status(QStringLiteral("Check, Frequency Not Busy"));
            m_airmail.ActivateMain();
            QString frequencyText;
            if (m_main.settings.m_bRadioFrequency)
                frequencyText = FrequencyDialText(best, m_airmail, grid, row);
            // Without AirMail's radio settings there is no dial frequency; the
            // Pactor frequency is asked about instead of an empty text.
            if (frequencyText.isEmpty()) frequencyText = m_record.frequency + QStringLiteral(" KHz");
            MessageRequest ask;
            ask.text = QStringLiteral("Please check frequency ") + frequencyText +
                       QStringLiteral("\n\nIs it Clear and Not Busy?");
            ask.buttons = MsgButtons::YesNoCancel;
            ask.icon = MsgIcon::Question;
            ask.defaultButton = 1;  // No
            const MsgAnswer answer = m_main.ui().MessageBox(ask);
            if (Interrupted(generation)) return;
            if (answer == MsgAnswer::Yes) {
                m_record.state = ConnectStateConnect;
                continue;
            }
            if (answer == MsgAnswer::No) {
                best.GridSetCellColor(grid, row, col, best.m_lColorNoisy);
                best.GridBlinkCell(row, col);
                m_record.state = ConnectStateNextRow;
                continue;
            }
            Status(QStringLiteral("Stopped"));
            ConnectDone(false);
            return;
        }

        case ConnectStateConnect: {
            if (!m_windows.TerminalActivate()) {
                if (!Interrupted(generation)) ConnectDone(false);
                return;
            }
            if (Interrupted(generation)) return;
            m_record.state = ConnectStateWaitConnect;
            TerminalConnect();
            if (Interrupted(generation)) return;
            m_record.ticks = 0;
            m_record.attemptStart = m_main.clock().NowUtc();
            m_record.waiting = true;
            best.GridSetCellColor(grid, m_record.row, best.m_iColFrequency, best.m_lColorClear);
            best.GridBlinkCell(m_record.row, best.m_iColFrequency);
            ++m_record.attempts;
            Status(QStringLiteral("Waiting Conection, Attempt ") + QString::number(m_record.attempts));
            return;
        }

        case ConnectStateWaitConnect: {
            if (++m_record.ticks < kTicksPerLogCheck) return;
            const DebugLogEvent event = m_log.DebugLogRead();
            if (event != DebugLogEvent::Connected && event != DebugLogEvent::None &&
                event != DebugLogEvent::Error && m_log.ConnectedSinceStart()) {
                // The connection was made and has ended between two checks of
                // the log: it ends as the wait for the disconnection would.
                m_record.showAttemptTime = true;
                EndOfConnection(event);
                if (m_record.state == ConnectStateNextRow) continue;
                return;
            }
            switch (event) {
            case DebugLogEvent::Error:
                ConnectDone(true);
                return;
            case DebugLogEvent::NoAnswer:
                // Most stations listen with one scanning receiver: its other
                // frequencies wait for the next round.
                if (m_main.settings.m_bStationNextAfterNoAnswer)
                    m_record.unanswered.append(best.GridGetStation(grid, m_record.row));
                [[fallthrough]];
            case DebugLogEvent::Stopped:
            case DebugLogEvent::Disconnected:
                m_record.waiting = false;
                m_record.state = ConnectStateNextRow;
                continue;
            case DebugLogEvent::Connected:
                m_record.state = ConnectStateWaitDisconnect;
                m_record.ticks = 0;
                m_record.attemptStart = m_main.clock().NowUtc();
                m_record.showAttemptTime = true;
                Status(QStringLiteral("Waiting Disconnect, Attempt ") + QString::number(m_record.attempts));
                return;
            case DebugLogEvent::None:
                m_record.ticks = 0;
                return;
            }
            return;
        }

        case ConnectStateWaitDisconnect: {
            if (++m_record.ticks < kTicksPerLogCheck) return;
            const DebugLogEvent event = m_log.DebugLogRead();
            if (event == DebugLogEvent::None || event == DebugLogEvent::Connected) {
                m_record.ticks = 0;
                return;
            }
            EndOfConnection(event);
            if (m_record.state == ConnectStateNextRow) continue;
            return;
        }

        default:
            // No other state is ever set; end rather than spin.
            ConnectDone(false);
            return;
        }
    }
}

// ---- the Terminal ----------------------------------------------------------------

bool ConnectionProcess::TerminalFindFrequencyField() {
    if (!m_windows.TerminalActivate()) return false;
    m_windows.Keys(QStringLiteral("{TAB}+{TAB}"));
    for (int i = 0; i < 4; ++i) {
        if (TerminalTextIsFrequency(m_windows.TerminalCopyText())) return true;
        m_windows.Keys(QStringLiteral("{TAB}"));
    }
    for (int i = 0; i < 4; ++i) {
        if (TerminalTextIsSystem(m_windows.TerminalCopyText())) {
            m_windows.Keys(QStringLiteral("{TAB}{TAB}"));
            return true;
        }
        m_windows.Keys(QStringLiteral("{TAB}"));
    }
    m_airmail.ActivateMain();
    MessageRequest request;
    request.text = QStringLiteral(
        "Unable to select frequency data in AirMail's Terminal Window.\n\n"
        "Please make sure the Terminal Window is Visible on the Desktop and not Minimized.");
    request.icon = MsgIcon::Exclamation;
    m_main.ui().MessageBox(request);
    Status(QStringLiteral("Terminal Window Problem"));
    return false;
}

bool ConnectionProcess::TerminalSelectSystem(const QString& system) {
    // Nothing is typed when the frequency field was not found: the keys
    // would land in whatever window is in front.
    if (!TerminalFindFrequencyField()) return false;
    m_windows.Keys(QStringLiteral("+{TAB}+{TAB}"));
    m_windows.TerminalPasteText(system);
    return true;
}

bool ConnectionProcess::TerminalSelectFrequency(const QString& station, const QString& frequency) {
    if (!TerminalFindFrequencyField()) return false;
    m_windows.Keys(QStringLiteral("+{TAB}"));
    m_windows.TerminalPasteText(station);
    m_windows.Keys(QStringLiteral("{TAB}"));
    m_windows.TerminalPasteText(frequency);
    return true;
}

bool ConnectionProcess::TerminalConnect() {
    const bool running = m_running;
    const quint64 generation = m_generation;
    if (!m_log.DebugLogStart()) return false;
    if (!m_windows.TerminalActivate()) return false;
    // Stopped while the Terminal was being brought up: no call is started.
    if (running && Interrupted(generation)) return false;
    m_windows.Keys(QStringLiteral("{F5}"));
    return true;
}

void ConnectionProcess::LastConnectCheck() {
    const Settings& settings = m_main.settings;
    if (!settings.m_bAirMailLastConnectCheck) return;
    platform::IDesktop& desktop = m_windows.desktop();
    const std::optional<platform::ScreenPoint> cursor = desktop.CursorPos();
    if (m_windows.TerminalClickCenter() == 0) return;

    m_windows.Keys(QStringLiteral("{UP}^{END}"));
    const bool ham = m_main.ListSystem().toUpper() == QLatin1String("HAM");
    QString greeting;
    for (int i = 0; i < kLastConnectLines; ++i) {
        m_windows.Keys(QStringLiteral("{UP}{HOME}+{END}"));
        const QString line = m_windows.TerminalCopyText();
        if (line.contains(kConnectedTo)) break;
        if (ham && line.startsWith(QLatin1String("PMBO")) && line.contains(QLatin1String("last contacted"))) {
            greeting = line;
            break;
        }
    }
    if (!greeting.isEmpty()) {
        const int minutes = LastConnectMinutes(greeting);
        if (minutes < 0 || minutes > settings.m_iAirMailLastConnectCheckMinutes) {
            m_airmail.ActivateMain();
            MessageRequest warning;
            warning.text = greeting;
            warning.title = QStringLiteral("Tidewell - Terminal - Station/Server Warning");
            warning.icon = MsgIcon::Information;
            m_main.ui().MessageBox(warning);
        }
    }
    if (cursor) desktop.SetCursorPos(*cursor);
}

}  // namespace tw
