#pragma once
// The desktop services through which the program drives AirMail: its
// top-level windows, synthetic keyboard and mouse input, the clipboard,
// starting a program in a normal focused window, and the environment.
//
// AirMail is driven only through its windows, so everything it needs is here
// and nothing more: finding windows by class and caption, bringing one to the
// front, showing, moving and measuring it, typing into whatever has the
// keyboard focus, clicking, and moving text through the clipboard.
//
// Texts (captions, class names, clipboard text, environment values) are bytes
// in the Windows ANSI code page (1252), the way the "A" functions of the
// Windows API hand them over; conversion belongs to the caller.
//
// Two implementations: the Windows backend (MakeSystemDesktop on Windows)
// and the simulated AirMail desktop (platform/sim/SimDesktop.h), which stands
// in for AirMail where it cannot run (tests, the demo).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tw::platform {

// A window handle as a plain integer; 0 means "no window".
using WindowHandle = std::intptr_t;

// A window's rectangle in screen pixels; right and bottom are exclusive.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const WindowRect&) const = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// How ShowWindow is to show a window.
enum class ShowMode {
    Normal,     // SW_SHOWNORMAL: shown and restored to its normal size and place
    Restore,    // SW_RESTORE: restored from minimised or maximised
    Minimize,   // SW_MINIMIZE
    Maximize,   // SW_SHOWMAXIMIZED
    Hide,       // SW_HIDE
};

class IWindows {
public:
    virtual ~IWindows() = default;

    // The desktop window (GetDesktopWindow); its rectangle is the screen.
    virtual WindowHandle DesktopWindow() = 0;
    // FindWindowExA over the top-level windows (children of the desktop): the
    // next window of class `className` after `after` (0: the first), in
    // z-order, front to back; 0 when there is none.
    virtual WindowHandle FindNextWindow(WindowHandle after, const std::string& className) = 0;
    // FindWindowA: the top-level window of that class whose caption is exactly
    // `caption`; 0 when there is none.
    virtual WindowHandle FindWindowExact(const std::string& className, const std::string& caption) = 0;
    // GetClassNameA and GetWindowTextA into 256-byte buffers: at most 255
    // bytes; "" for a window that does not exist.
    virtual std::string ClassName(WindowHandle window) = 0;
    virtual std::string WindowText(WindowHandle window) = 0;

    // GetForegroundWindow / SetForegroundWindow (true when the window came to
    // the front).
    virtual WindowHandle ForegroundWindow() = 0;
    virtual bool SetForeground(WindowHandle window) = 0;
    // ShowWindow; false when the window does not exist.
    virtual bool Show(WindowHandle window, ShowMode mode) = 0;
    // MoveWindow (pixels); false when it failed.
    virtual bool Move(WindowHandle window, int left, int top, int width, int height, bool repaint) = 0;
    // GetWindowRect; nothing when the window does not exist.
    virtual std::optional<WindowRect> Rect(WindowHandle window) = 0;

    // GetFocus: the control with the keyboard focus (0 when none);
    // SetFocus: gives it to `window` and returns the one that had it.
    virtual WindowHandle Focus() = 0;
    virtual WindowHandle SetFocus(WindowHandle window) = 0;
};

// Virtual-key codes the program names.
namespace vk {
inline constexpr std::uint16_t Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                               Escape = 27, End = 35, Home = 36, Left = 37, Up = 38, Right = 39,
                               Down = 40, Insert = 45, Delete = 46, F1 = 112;
}  // namespace vk

// One keyboard input record of SendInput: a virtual key (no scan code, no
// time, no extra information) pressed or released, with or without the
// extended-key flag.
struct KeyEvent {
    std::uint16_t vk = 0;
    bool keyUp = false;
    bool extended = false;
    bool operator==(const KeyEvent&) const = default;
};

// VkKeyScanA's answer for a character in the active keyboard layout: the
// virtual key and the shift state (bit 0 Shift, bit 1 Ctrl, bit 2 Alt).
struct KeyScan {
    std::uint8_t vk = 0;
    std::uint8_t shiftState = 0;
    bool NeedsShift() const { return (shiftState & 1) != 0; }
    bool operator==(const KeyScan&) const = default;
};

// What mouse_event is asked to do.
enum class MouseAction {
    MoveAbsolute,  // MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, to (dx, dy) in 0..65535 screen units
    LeftDown,      // MOUSEEVENTF_LEFTDOWN at the cursor
    LeftUp,        // MOUSEEVENTF_LEFTUP at the cursor
};

class IInput {
public:
    virtual ~IInput() = default;

    // SendInput: every event in one call, in order.  Returns how many events
    // the system took (all of them, unless input was blocked).
    virtual std::size_t SendInput(const std::vector<KeyEvent>& events) = 0;
    // VkKeyScanA of a code page 1252 character; nothing when the layout has
    // no key for it.
    virtual std::optional<KeyScan> KeyScanFor(char character) = 0;

    // mouse_event.
    virtual void MouseEvent(MouseAction action, int dx, int dy) = 0;
    // GetCursorPos / SetCursorPos.
    virtual std::optional<ScreenPoint> CursorPos() = 0;
    virtual bool SetCursorPos(ScreenPoint point) = 0;
};

class IClipboard {
public:
    virtual ~IClipboard() = default;
    // Empties the clipboard; false when it could not be opened.
    virtual bool ClearClipboard() = 0;
    // Replaces the clipboard's content with plain text.
    virtual bool SetClipboardText(const std::string& text) = 0;
    // The clipboard's plain text; "" when it holds none.
    virtual std::string ClipboardText() = 0;
};

// The outcome of a start: ok, or the system error code.
struct ProgramStartResult {
    bool ok = false;
    int error = 0;
};

class IProgramStarter {
public:
    virtual ~IProgramStarter() = default;
    // Start `program` (a full Windows path) in a normal window with the
    // focus, in `workingFolder` ("" keeps the current one); does not wait.
    virtual ProgramStartResult StartNormal(const std::string& program, const std::string& workingFolder) = 0;
    // ShellExecuteA(owner, "Open", file, no parameters, workingFolder,
    // SW_SHOWNORMAL); does not wait.
    virtual ProgramStartResult ShellOpen(WindowHandle owner, const std::string& file,
                                         const std::string& workingFolder) = 0;
};

class IEnvironment {
public:
    virtual ~IEnvironment() = default;
    // The value of an environment variable ("OS"); "" when it is not set.
    virtual std::string EnvironmentVariable(const std::string& name) = 0;
};

// All of the above, as one service handed to the code that drives AirMail.
class IDesktop : public IWindows,
                 public IInput,
                 public IClipboard,
                 public IProgramStarter,
                 public IEnvironment {};

// The desktop of this machine: the Windows backend on Windows.  Elsewhere
// AirMail's windows cannot be reached from here: an empty desktop without
// windows that cannot start programs; the simulated desktop takes its place
// in the demo.
std::unique_ptr<IDesktop> MakeSystemDesktop();

}  // namespace tw::platform
