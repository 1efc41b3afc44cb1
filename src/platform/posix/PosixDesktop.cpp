// Off Windows, AirMail runs under Wine and its windows are out of this
// program's reach.  The desktop here is an empty one: it has no windows, takes
// no keys, holds no clipboard text and cannot start AirMail, so every attempt
// to drive AirMail ends with the program's own "not found" messages instead of
// keys typed into whatever window happens to be in front.  The simulated
// desktop (platform/sim) stands in for AirMail in the demo and the tests.

#include "platform/Desktop.h"

namespace tw::platform {

namespace {

class UnreachableDesktop final : public IDesktop {
public:
    WindowHandle DesktopWindow() override { return 0; }
    WindowHandle FindNextWindow(WindowHandle, const std::string&) override { return 0; }
    WindowHandle FindWindowExact(const std::string&, const std::string&) override { return 0; }
    std::string ClassName(WindowHandle) override { return {}; }
    std::string WindowText(WindowHandle) override { return {}; }
    WindowHandle ForegroundWindow() override { return 0; }
    bool SetForeground(WindowHandle) override { return false; }
    bool Show(WindowHandle, ShowMode) override { return false; }
    bool Move(WindowHandle, int, int, int, int, bool) override { return false; }
    std::optional<WindowRect> Rect(WindowHandle) override { return std::nullopt; }
    WindowHandle Focus() override { return 0; }
    WindowHandle SetFocus(WindowHandle) override { return 0; }

    std::size_t SendInput(const std::vector<KeyEvent>&) override { return 0; }
    std::optional<KeyScan> KeyScanFor(char) override { return std::nullopt; }
    void MouseEvent(MouseAction, int, int) override {}
    std::optional<ScreenPoint> CursorPos() override { return std::nullopt; }
    bool SetCursorPos(ScreenPoint) override { return false; }

    bool ClearClipboard() override { return false; }
    bool SetClipboardText(const std::string&) override { return false; }
    std::string ClipboardText() override { return {}; }

    // "The system cannot find the file specified."
    ProgramStartResult StartNormal(const std::string&, const std::string&) override { return {false, 2}; }
    ProgramStartResult ShellOpen(WindowHandle, const std::string&, const std::string&) override {
        return {false, 2};
    }

    std::string EnvironmentVariable(const std::string&) override { return {}; }
};

}  // namespace

std::unique_ptr<IDesktop> MakeSystemDesktop() { return std::make_unique<UnreachableDesktop>(); }

}  // namespace tw::platform
