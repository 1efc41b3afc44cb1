#include "connect/WindowControl.h"

#include <QByteArray>

#include <cmath>
#include <string>

#include "airmail/AirMail.h"
#include "common/ProfileAccess.h"
#include "connect/SendKeys.h"
#include "common/Waiter.h"
#include "platform/Profile.h"

namespace tw {

using platform::WindowHandle;

namespace {

// The short wait after every key sequence.
constexpr double kKeysWait = 0.05;
// F6 presses and Terminal checks, one second apart.
constexpr int kTerminalTries = 5;
// Enough for any desktop; guards against a window list that never ends.
constexpr int kMaxWindows = 100000;

std::string Ansi(const QString& text) {
    const QByteArray bytes = UnicodeToAnsi(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromAnsi(const std::string& bytes) {
    return AnsiToUnicode(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// Rounded to the nearest whole number, a half to the even one.
int RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff > 0.5) return static_cast<int>(lower) + 1;
    if (diff < 0.5) return static_cast<int>(lower);
    const int l = static_cast<int>(lower);
    return (l % 2 == 0) ? l : l + 1;
}

// The window to the front; false when there is none or it did not come.
bool Front(platform::IDesktop& desktop, WindowHandle window) {
    return window != 0 && desktop.SetForeground(window);
}

}  // namespace

AirMailWindowPlaces AirMailWindowPlacesFor(int right, int bottom) {
    const int mainLeft = RoundHalfEven(right / 2.0 - 370.0);
    const int mainTop = RoundHalfEven(bottom / 2.0 - 205.0 - 34.0);
    AirMailWindowPlaces places;
    places.main = {mainLeft, mainTop, mainLeft + 740, mainTop + 410};
    places.terminal = {right - 612, bottom - 468, right - 612 + 612, bottom - 468 + 434};
    return places;
}

int MouseAbsolute(int pixel, int screenPixels) {
    if (screenPixels <= 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(pixel) * 65536.0 / screenPixels));
}

WindowControl::WindowControl(platform::IDesktop& desktop, AirMail& airmail, IWaiter& waiter,
                             std::function<void()> updateBold)
    : m_desktop(desktop),
      m_airmail(airmail),
      m_ui(airmail.ui()),
      m_waiter(waiter),
      m_updateBold(std::move(updateBold)) {}

void WindowControl::Status(const QString& text) { UpdateStatusStatus(m_ui, text); }

void WindowControl::Message(const QString& text, MsgIcon icon) {
    m_airmail.ShowMessage(text, icon);
}

void WindowControl::Keys(const QString& keys) {
    // Once the program is ending, AirMail is left as it is.
    if (m_ui.Closing()) return;
    SendKeys(m_desktop, keys);
    WaitSeconds(kKeysWait);
}

void WindowControl::WaitSeconds(double seconds) { m_waiter.WaitSeconds(seconds); }

// ---- finding windows ---------------------------------------------------------

WindowHandle WindowControl::WindowFind(const QString& className, const QString& captionPart) {
    const std::string cls = Ansi(className);
    const std::string part = Ansi(captionPart);
    WindowHandle window = 0;
    for (int i = 0; i < kMaxWindows; ++i) {
        const WindowHandle next = m_desktop.FindNextWindow(window, cls);
        if (next == 0 || next == window) return 0;
        window = next;
        // GetWindowTextA into a 256-byte buffer: at most 255 characters.
        const std::string caption = m_desktop.WindowText(window).substr(0, 255);
        if (caption.find(part) != std::string::npos) return window;
    }
    return 0;
}

WindowHandle WindowControl::AirMailGetAirMail() {
    return WindowFind(QString::fromLatin1(kAirMailMainClass), QString::fromLatin1(kAirMailMainCaption));
}

WindowHandle WindowControl::TerminalGetWindow() {
    return WindowFind(QString::fromLatin1(kAirMailTerminalClass), QString::fromLatin1(kAirMailTerminalCaption));
}

WindowHandle WindowControl::PositionReportGetWindow() {
    return WindowFind(QString::fromLatin1(kAirMailPositionClass), QString::fromLatin1(kAirMailPositionCaption));
}

// ---- AirMail and its Terminal --------------------------------------------------

bool WindowControl::AirMailOpenAirMail(const QString& question) {
    if (m_ui.Closing()) return false;
    WindowHandle main = AirMailGetAirMail();
    if (main == 0) {
        m_airmail.ActivateMain();
        MessageRequest ask;
        ask.text = question;
        ask.buttons = MsgButtons::YesNo;
        ask.icon = MsgIcon::Exclamation;
        if (m_ui.MessageBox(ask) == MsgAnswer::Yes) {
            QString folder = m_airmail.settings().m_sAirMailDirectoryProgram;
            if (folder.endsWith(QLatin1Char('\\'))) folder.chop(1);
            const QString program = folder + QStringLiteral("\\Airmail3.exe");
            platform::ProgramStartResult started;
            if (m_desktop.EnvironmentVariable("OS") != "Windows_NT") {
                started = m_desktop.StartNormal(Ansi(program), Ansi(folder));
            } else {
                // The owner window only parents the shell's own error boxes;
                // the core has no handle of Tidewell's window, and none is needed.
                started = m_desktop.ShellOpen(0, Ansi(program), Ansi(folder));
            }
            if (!started.ok) {
                Message(QStringLiteral("Unable to start AirMail Program.  ") +
                            QString::fromStdString(platform::SystemErrorText(started.error)) +
                            m_airmail.AirMailErrorProgramMessage(),
                        MsgIcon::Exclamation);
                Status(QStringLiteral("Airmail Window Problem"));
                return false;
            }
            WaitSeconds(2);
            main = AirMailGetAirMail();
        }
    }
    if (!Front(m_desktop, main)) return false;
    m_ui.ProcessEvents();
    return true;
}

bool WindowControl::TerminalActivate() {
    Status(QStringLiteral("Activating Terminal"));
    WindowHandle terminal = TerminalGetWindow();
    if (terminal == 0) {
        const QString question = QStringLiteral(
            "To set the Radio's Frequency and control the Connection Process, the AirMail program must be "
            "running, Radio/Pactor must be turned on and the Terminal Window must be open.\n\n"
            "Would you like to start the AirMail program and open the Terminal window?");
        if (AirMailOpenAirMail(question)) {
            if (!TerminalOpen()) return false;
            terminal = TerminalGetWindow();
        }
    }
    if (!Front(m_desktop, terminal)) {
        Status(QStringLiteral("Terminal Window Problem"));
        return false;
    }
    m_ui.ProcessEvents();
    if (m_airmail.settings().m_bAirMailResize) AirMailResizeWindows();
    Status(QString());
    return true;
}

bool WindowControl::TerminalOpen() {
    if (!Front(m_desktop, AirMailGetAirMail())) {
        Message(QStringLiteral("The AirMail Window must be open."), MsgIcon::Exclamation);
        Status(QStringLiteral("AirMail Window Problem"));
        return false;
    }

    bool open = false;
    for (int n = 1; n <= kTerminalTries && !open; ++n) {
        Status(QStringLiteral("Opening Terminal Window, ") + QString::number(n) + QStringLiteral(" Sec"));
        // F6 belongs to AirMail's main window.  The wait between the presses
        // lets events through, and the user may have clicked another window
        // meanwhile: the main window is brought back in front before every
        // further press, and a press that would land elsewhere is not sent.
        const bool mainInFront = n == 1 || Front(m_desktop, AirMailGetAirMail());
        if (mainInFront) Keys(QStringLiteral("{F6}"));
        if (TerminalGetWindow() != 0) {
            open = true;
        } else {
            WaitSeconds(1);
        }
    }
    if (!open) {
        Status(QStringLiteral("Terminal Window Problem"));
        return false;
    }

    WaitSeconds(2);

    for (int n = 1; n <= kTerminalTries; ++n) {
        Status(QStringLiteral("Checking Terminal Window, ") + QString::number(n) + QStringLiteral(" Sec"));
        if (!Front(m_desktop, TerminalGetWindow())) {
            // The status bar shows one line: the two line breaks of this
            // text become two blanks there.
            Status(QStringLiteral("Terminal Window Problem.  Please check that the Radio/Pactor is turned on."));
            return false;
        }
        Keys(QStringLiteral("{TAB}"));
        if (!TerminalCopyText().isEmpty()) {
            Status(QString());
            return true;
        }
        WaitSeconds(1);
    }
    Status(QStringLiteral("Terminal Window Problem"));
    return false;
}

bool WindowControl::AirMailOpenPositionReport() {
    if (m_ui.Closing()) return false;
    WindowHandle report = PositionReportGetWindow();
    if (report == 0) {
        const QString question = QStringLiteral(
            "Your current position is normally entered in AirMail's Position Report window.\n\n"
            "Would you like to start the AirMail program and open AirMail's Position Report window?");
        if (AirMailOpenAirMail(question)) {
            Keys(QStringLiteral("%(wp)"));
            m_ui.ProcessEvents();
            report = PositionReportGetWindow();
        }
    }
    if (!Front(m_desktop, report)) return false;
    if (m_updateBold) m_updateBold();
    Message(QStringLiteral("Please close the AirMail's Position Report Window after you have entered the new "
                           "Lat/Lon data.\n\n"
                           "Then click the Update button in the Tidewell Window to process the new Lat/Lon data."),
            MsgIcon::Exclamation);
    // The window may have been closed while the message was open.
    report = PositionReportGetWindow();
    if (report != 0) m_desktop.SetForeground(report);
    return true;
}

void WindowControl::AirMailResizeWindows() {
    const auto desktop = m_desktop.Rect(m_desktop.DesktopWindow());
    if (!desktop) return;
    const AirMailWindowPlaces places = AirMailWindowPlacesFor(desktop->right, desktop->bottom);
    const auto place = [this](WindowHandle window, const platform::WindowRect& r) {
        if (window == 0) return;
        m_desktop.Move(window, r.left, r.top, r.Width(), r.Height(), true);
        m_desktop.Show(window, platform::ShowMode::Normal);
    };
    place(AirMailGetAirMail(), places.main);
    place(TerminalGetWindow(), places.terminal);
}

// ---- the Terminal's fields -----------------------------------------------------

QString WindowControl::TerminalCopyText() {
    m_desktop.ClearClipboard();
    Keys(QStringLiteral("^C"));
    return FromAnsi(m_desktop.ClipboardText());
}

void WindowControl::TerminalPasteText(const QString& text) {
    // Leaving the field and coming back selects its whole text.
    Keys(QStringLiteral("{TAB}+{TAB}"));
    m_desktop.ClearClipboard();
    m_desktop.SetClipboardText(Ansi(text));
    Keys(QStringLiteral("^V"));
}

int WindowControl::TerminalClickCenter() {
    if (!TerminalActivate()) return 0;
    m_ui.ProcessEvents();
    const WindowHandle terminal = m_desktop.FindWindowExact(kAirMailTerminalClass, kAirMailTerminalCaption);
    const auto rect = terminal != 0 ? m_desktop.Rect(terminal) : std::nullopt;
    const auto screen = m_desktop.Rect(m_desktop.DesktopWindow());
    if (!rect || !screen) {
        Message(QStringLiteral("Could not find Terminal Window"), MsgIcon::Exclamation);
        Status(QStringLiteral("Error, Terminal Window"));
        return 0;
    }
    const int x = (rect->left + rect->right) / 2;
    const int y = (rect->top + rect->bottom) / 2;
    m_desktop.MouseEvent(platform::MouseAction::MoveAbsolute, MouseAbsolute(x, screen->Width()),
                         MouseAbsolute(y, screen->Height()));
    m_desktop.MouseEvent(platform::MouseAction::LeftDown, 0, 0);
    m_desktop.MouseEvent(platform::MouseAction::LeftUp, 0, 0);
    m_ui.ProcessEvents();
    return 1;
}

}  // namespace tw
