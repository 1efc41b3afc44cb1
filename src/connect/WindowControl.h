#pragma once
// AirMail window control: finding AirMail's windows, starting AirMail when it
// is not running, bringing its Terminal or Position Report window to the
// front, arranging its windows on the desktop, and moving text in and out of
// the Terminal's fields through the clipboard.  The building blocks of the
// connection process; the main window's menu uses them directly too.
//
// Nothing is kept between calls: every operation looks the windows up
// afresh.  Failures end in a false (or 0) result with a status text or a
// message box; nothing throws.  Every key sequence is followed by a short
// wait (0.05 seconds) that lets window events through, so the other program
// has taken the keys before the next step looks at the result.

#include <QString>

#include <functional>

#include "common/UserInterface.h"
#include "platform/Desktop.h"

namespace tw {

class AirMail;
class IWaiter;

// AirMail's windows: class and a part of the caption.
inline constexpr const char* kAirMailMainClass = "TMainForm";
inline constexpr const char* kAirMailMainCaption = "AirMail";
inline constexpr const char* kAirMailTerminalClass = "TTerminalForm";
inline constexpr const char* kAirMailTerminalCaption = "Terminal";
inline constexpr const char* kAirMailPositionClass = "TPositionForm";
inline constexpr const char* kAirMailPositionCaption = "Position Report";

// Where AirMail's main and Terminal windows go on a desktop whose right and
// bottom edges are `right` and `bottom` pixels: the main window centred
// (a little above the middle), the Terminal in the bottom right corner.
struct AirMailWindowPlaces {
    platform::WindowRect main;      // left, top, right, bottom
    platform::WindowRect terminal;
};
AirMailWindowPlaces AirMailWindowPlacesFor(int right, int bottom);

// Absolute mouse coordinates (0..65536 across the screen) of a pixel.
int MouseAbsolute(int pixel, int screenPixels);

class WindowControl {
public:
    // `updateBold` is the main window's UpdateBold(true, false): run when the
    // Position Report window has been opened for the user, so that the list
    // must be refreshed before a connection can start.
    WindowControl(platform::IDesktop& desktop, AirMail& airmail, IWaiter& waiter,
                  std::function<void()> updateBold = {});

    // The first top-level window of the class whose caption contains the part
    // (case-sensitive); 0 when none does.
    platform::WindowHandle WindowFind(const QString& className, const QString& captionPart);
    platform::WindowHandle AirMailGetAirMail();
    platform::WindowHandle TerminalGetWindow();
    platform::WindowHandle PositionReportGetWindow();

    // AirMail running and in front; when it is not running the user is asked
    // `question` (Yes/No) before it is started.
    bool AirMailOpenAirMail(const QString& question);
    // The Terminal window exists and is in front (AirMail started and the
    // Terminal opened first when needed; arranged when m_bAirMailResize).
    bool TerminalActivate();
    // Opens the Terminal from AirMail's main window (F6) and checks that it answers.
    bool TerminalOpen();
    // Opens AirMail's Position Report window for the user.
    bool AirMailOpenPositionReport();
    // Places AirMail's main and Terminal windows (those that are open).
    void AirMailResizeWindows();
    // The text of the Terminal's focused field (copied through the clipboard).
    QString TerminalCopyText();
    // Replaces the text of the Terminal's focused field.
    void TerminalPasteText(const QString& text);
    // Clicks the middle of the Terminal window: 1 on success, 0 otherwise.
    int TerminalClickCenter();
    // Waits while processing window events.
    void WaitSeconds(double seconds);

    // SendKeys followed by the short wait.
    void Keys(const QString& keys);

    platform::IDesktop& desktop() { return m_desktop; }
    AirMail& airmail() { return m_airmail; }

private:
    void Status(const QString& text);
    void Message(const QString& text, MsgIcon icon);

    platform::IDesktop& m_desktop;
    AirMail& m_airmail;
    IUserInterface& m_ui;
    IWaiter& m_waiter;
    std::function<void()> m_updateBold;
};

}  // namespace tw
