// The desktop on Windows: the ANSI window, input, clipboard and shell
// functions of the Windows API, called as directly as they can be.
//
// Window handles travel as integers; a handle that no longer names a window
// simply makes the call fail.  Texts are in the ANSI code page, as the "A"
// functions hand them over.

#include "platform/win32/Win32Api.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace tw::platform {

namespace {

HWND ToHwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }
WindowHandle FromHwnd(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }

// A window's class name or caption (GetClassNameA, GetWindowTextA), at most
// 255 characters; empty when the call fails.
std::string WindowString(int(WINAPI* get)(HWND, LPSTR, int), WindowHandle window) {
    char buffer[256];
    const int n = get(ToHwnd(window), buffer, static_cast<int>(sizeof buffer));
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// The clipboard belongs to one program at a time; another one may hold it
// for a moment, so opening is tried a few times.
class ClipboardLock {
public:
    ClipboardLock() {
        for (int attempt = 0; attempt < 10 && !m_open; ++attempt) {
            m_open = ::OpenClipboard(nullptr) != 0;
            if (!m_open) ::Sleep(10);
        }
    }
    ~ClipboardLock() {
        if (m_open) ::CloseClipboard();
    }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;
    bool Open() const { return m_open; }

private:
    bool m_open = false;
};

class Win32Desktop final : public IDesktop {
public:
    WindowHandle DesktopWindow() override { return FromHwnd(::GetDesktopWindow()); }

    WindowHandle FindNextWindow(WindowHandle after, const std::string& className) override {
        return FromHwnd(
            ::FindWindowExA(::GetDesktopWindow(), ToHwnd(after), TextOrNull(className), nullptr));
    }

    WindowHandle FindWindowExact(const std::string& className, const std::string& caption) override {
        return FromHwnd(::FindWindowA(TextOrNull(className), caption.c_str()));
    }

    std::string ClassName(WindowHandle window) override {
        return WindowString(::GetClassNameA, window);
    }

    std::string WindowText(WindowHandle window) override {
        return WindowString(::GetWindowTextA, window);
    }

    WindowHandle ForegroundWindow() override { return FromHwnd(::GetForegroundWindow()); }

    bool SetForeground(WindowHandle window) override { return ::SetForegroundWindow(ToHwnd(window)) != 0; }

    bool Show(WindowHandle window, ShowMode mode) override {
        const HWND hwnd = ToHwnd(window);
        if (!::IsWindow(hwnd)) return false;
        int command = SW_SHOWNORMAL;
        switch (mode) {
        case ShowMode::Normal: command = SW_SHOWNORMAL; break;
        case ShowMode::Restore: command = SW_RESTORE; break;
        case ShowMode::Minimize: command = SW_MINIMIZE; break;
        case ShowMode::Maximize: command = SW_SHOWMAXIMIZED; break;
        case ShowMode::Hide: command = SW_HIDE; break;
        }
        ::ShowWindow(hwnd, command);  // returns the former visibility, not success
        return true;
    }

    bool Move(WindowHandle window, int left, int top, int width, int height, bool repaint) override {
        return ::MoveWindow(ToHwnd(window), left, top, width, height, repaint ? TRUE : FALSE) != 0;
    }

    std::optional<WindowRect> Rect(WindowHandle window) override {
        RECT r;
        if (!::GetWindowRect(ToHwnd(window), &r)) return std::nullopt;
        return WindowRect{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
                          static_cast<int>(r.bottom)};
    }

    WindowHandle Focus() override { return FromHwnd(::GetFocus()); }
    WindowHandle SetFocus(WindowHandle window) override { return FromHwnd(::SetFocus(ToHwnd(window))); }

    // One INPUT record per event: keyboard, virtual key, no scan code, no
    // time, no extra information.  The record size is the system's own
    // (28 bytes for a 32-bit program, 40 for a 64-bit one).
    std::size_t SendInput(const std::vector<KeyEvent>& events) override {
        if (events.empty()) return 0;
        std::vector<INPUT> inputs(events.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            INPUT& in = inputs[i];
            std::memset(&in, 0, sizeof in);
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = events[i].vk;
            in.ki.wScan = 0;
            in.ki.dwFlags = (events[i].extended ? KEYEVENTF_EXTENDEDKEY : 0u) | (events[i].keyUp ? KEYEVENTF_KEYUP : 0u);
            in.ki.time = 0;
            in.ki.dwExtraInfo = 0;
        }
        const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), static_cast<int>(sizeof(INPUT)));
        return static_cast<std::size_t>(sent);
    }

    std::optional<KeyScan> KeyScanFor(char character) override {
        const SHORT scan = ::VkKeyScanA(character);
        const auto bits = static_cast<unsigned short>(scan);
        if ((bits & 0xFF) == 0xFF && (bits >> 8) == 0xFF) return std::nullopt;  // no key for it
        return KeyScan{static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>(bits >> 8)};
    }

    void MouseEvent(MouseAction action, int dx, int dy) override {
        DWORD flags = 0;
        switch (action) {
        case MouseAction::MoveAbsolute: flags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE; break;
        case MouseAction::LeftDown: flags = MOUSEEVENTF_LEFTDOWN; break;
        case MouseAction::LeftUp: flags = MOUSEEVENTF_LEFTUP; break;
        }
        ::mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), 0, 0);
    }

    std::optional<ScreenPoint> CursorPos() override {
        POINT p;
        if (!::GetCursorPos(&p)) return std::nullopt;
        return ScreenPoint{static_cast<int>(p.x), static_cast<int>(p.y)};
    }

    bool SetCursorPos(ScreenPoint point) override { return ::SetCursorPos(point.x, point.y) != 0; }

    bool ClearClipboard() override {
        ClipboardLock lock;
        return lock.Open() && ::EmptyClipboard() != 0;
    }

    bool SetClipboardText(const std::string& text) override {
        ClipboardLock lock;
        if (!lock.Open() || !::EmptyClipboard()) return false;
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (!memory) return false;
        void* bytes = ::GlobalLock(memory);
        if (!bytes) {
            ::GlobalFree(memory);
            return false;
        }
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        ::GlobalUnlock(memory);
        if (!::SetClipboardData(CF_TEXT, memory)) {
            ::GlobalFree(memory);  // still ours when the clipboard did not take it
            return false;
        }
        return true;
    }

    std::string ClipboardText() override {
        ClipboardLock lock;
        if (!lock.Open()) return std::string();
        HANDLE data = ::GetClipboardData(CF_TEXT);
        if (!data) return std::string();
        const void* bytes = ::GlobalLock(data);
        if (!bytes) return std::string();
        // The text ends at its NUL, and never past the memory block.
        const auto* text = static_cast<const char*>(bytes);
        const std::size_t size = ::GlobalSize(data);
        std::size_t n = 0;
        while (n < size && text[n] != '\0') ++n;
        std::string result(text, n);
        ::GlobalUnlock(data);
        return result;
    }

    ProgramStartResult StartNormal(const std::string& program, const std::string& workingFolder) override {
        STARTUPINFOW startup;
        std::memset(&startup, 0, sizeof startup);
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION info;
        std::memset(&info, 0, sizeof info);
        std::wstring commandLine = Wide("\"" + program + "\"");
        const std::wstring folder = Wide(workingFolder);
        if (!::CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
            return {false, static_cast<int>(::GetLastError())};
        }
        // Not waited for: the program runs on its own.
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return {true, 0};
    }

    ProgramStartResult ShellOpen(WindowHandle owner, const std::string& file,
                                 const std::string& workingFolder) override {
        const std::wstring folder = Wide(workingFolder);
        const HINSTANCE result = ::ShellExecuteW(ToHwnd(owner), L"Open", Wide(file).c_str(), nullptr,
                                                 folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
        const auto code = reinterpret_cast<INT_PTR>(result);
        if (code > 32) return {true, 0};
        // Codes up to 32 are errors; those below 32 that matter share their
        // numbers with the system error codes (2 file not found, 3 path not
        // found, 5 access denied, 8 out of memory), 0 is out of resources.
        return {false, code == 0 ? static_cast<int>(ERROR_NOT_ENOUGH_MEMORY) : static_cast<int>(code)};
    }

    std::string EnvironmentVariable(const std::string& name) override {
        std::vector<char> buffer(256);
        for (;;) {
            const DWORD n = ::GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) return std::string();
            if (n < buffer.size()) return std::string(buffer.data(), n);
            buffer.resize(n);  // n is the size needed, its NUL included
        }
    }
};

}  // namespace

std::unique_ptr<IDesktop> MakeSystemDesktop() { return std::make_unique<Win32Desktop>(); }

}  // namespace tw::platform
