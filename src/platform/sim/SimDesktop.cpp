#include "platform/sim/SimDesktop.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/PathMapper.h"
#include "platform/sim/UsKeyboard.h"

namespace tw::platform {

namespace {

constexpr WindowHandle kDesktop = 0x10010;
constexpr std::uint16_t kF5 = vk::F1 + 4;
constexpr std::uint16_t kF6 = vk::F1 + 5;
constexpr int kErrorFileNotFound = 2;

// Window layout in pixels: the caption bar, then (in the Terminal) a strip
// with the three fields side by side, then the text area.
constexpr int kCaptionHeight = 30;
constexpr int kFieldStripHeight = 40;

// Where a window of AirMail first appears.
constexpr WindowRect kMainRect{140, 100, 880, 510};
constexpr WindowRect kTerminalRect{380, 280, 992, 714};
constexpr WindowRect kPositionRect{300, 200, 700, 480};
// Where Windows reports a minimised window.
constexpr WindowRect kMinimizedRect{-32000, -32000, -31840, -31972};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool SameClass(const std::string& a, const std::string& b) {
    return b.empty() || Upper(a) == Upper(b);
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A Windows path in one spelling: backslashes, single separators, upper case.
std::string ComparablePath(const std::string& path) {
    std::string out;
    for (char c : path) {
        const char d = c == '/' ? '\\' : c;
        if (d == '\\' && !out.empty() && out.back() == '\\') continue;
        out += d;
    }
    return Upper(out);
}

// The frequency of a field or script in Hz, from its leading number in kHz.
std::optional<long long> FrequencyKey(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) return std::nullopt;
    char* end = nullptr;
    const double khz = std::strtod(trimmed.c_str(), &end);
    if (end == trimmed.c_str() || !std::isfinite(khz) || khz <= 0 || khz > 1e9) return std::nullopt;
    return std::llround(khz * 1000.0);
}

std::string ScriptKey(const std::string& station, long long frequency) {
    return Upper(Trim(station)) + "|" + std::to_string(frequency);
}

bool Contains(const WindowRect& rect, ScreenPoint p) {
    return p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom;
}

bool Visible(ShowMode show) {
    return show == ShowMode::Normal || show == ShowMode::Maximize;
}

std::size_t SelectionStart(const SimField& f) { return std::min(f.anchor, f.caret); }
std::size_t SelectionEnd(const SimField& f) { return std::max(f.anchor, f.caret); }

void ReplaceSelection(SimField& field, const std::string& text) {
    const std::size_t start = SelectionStart(field);
    field.text.replace(start, SelectionEnd(field) - start, text);
    field.caret = field.anchor = start + text.size();
}

bool IsShift(std::uint16_t key) { return key == vk::Shift || key == 160 || key == 161; }
bool IsCtrl(std::uint16_t key) { return key == vk::Control || key == 162 || key == 163; }
bool IsAlt(std::uint16_t key) { return key == vk::Menu || key == 164 || key == 165; }

}  // namespace

// Runs the change callback once when the outermost public call that changed
// something returns.
class SimDesktop::ChangeScope {
public:
    explicit ChangeScope(SimDesktop& desktop) : m_desktop(desktop), m_start(desktop.m_revision) {
        ++m_desktop.m_changeDepth;
    }
    ~ChangeScope() {
        if (--m_desktop.m_changeDepth == 0 && m_desktop.m_revision != m_start && m_desktop.m_onChanged) {
            m_desktop.m_onChanged();
        }
    }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

private:
    SimDesktop& m_desktop;
    std::uint64_t m_start;
};

SimCallOutcome SimCallOutcome::Connected(int afterSeconds, int connectedSeconds, int serverMinutes) {
    SimCallOutcome o;
    o.kind = Kind::Connect;
    o.afterSeconds = afterSeconds;
    o.connectedSeconds = connectedSeconds;
    o.serverMinutes = serverMinutes;
    return o;
}

SimCallOutcome SimCallOutcome::NoAnswerAfter(int afterSeconds) {
    SimCallOutcome o;
    o.kind = Kind::NoAnswer;
    o.afterSeconds = afterSeconds;
    return o;
}

SimCallOutcome SimCallOutcome::StoppedAfter(int afterSeconds) {
    SimCallOutcome o;
    o.kind = Kind::ManualStop;
    o.afterSeconds = afterSeconds;
    return o;
}

SimDesktop::SimDesktop(const IClock& clock, const PathMapper& mapper, SimAirMailConfig config)
    : m_clock(clock), m_mapper(mapper), m_config(std::move(config)), m_random(1) {
    m_config.screenWidth = std::max(1, m_config.screenWidth);
    m_config.screenHeight = std::max(1, m_config.screenHeight);
    m_cursor = {m_config.screenWidth / 2, m_config.screenHeight / 2};
    m_environment["OS"] = "Windows_NT";
}

// ---- windows ---------------------------------------------------------------

SimDesktop::Window* SimDesktop::Find(WindowHandle handle) {
    for (auto& w : m_windows) {
        if (w.info.handle == handle) return &w;
    }
    return nullptr;
}

const SimDesktop::Window* SimDesktop::Find(WindowHandle handle) const {
    for (const auto& w : m_windows) {
        if (w.info.handle == handle) return &w;
    }
    return nullptr;
}

WindowHandle SimDesktop::Create(const std::string& className, const std::string& caption, WindowRect rect,
                                SimControl focus) {
    Window w;
    w.info.handle = m_nextHandle;
    m_nextHandle += 0x10;  // room for the handles of its controls
    w.info.className = className;
    w.info.caption = caption;
    w.info.rect = rect;
    w.focus = focus;
    m_windows.insert(m_windows.begin(), w);
    Touch();
    return w.info.handle;
}

void SimDesktop::Destroy(WindowHandle handle) {
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [handle](const Window& w) { return w.info.handle == handle; });
    if (it == m_windows.end()) return;
    m_windows.erase(it);
    if (m_main == handle) m_main = 0;
    if (m_terminal == handle) m_terminal = 0;
    if (m_position == handle) m_position = 0;
    if (m_foreground == handle) {
        // Windows activates the next window that can take it.
        m_foreground = 0;
        for (const auto& w : m_windows) {
            if (Visible(w.info.show)) {
                m_foreground = w.info.handle;
                break;
            }
        }
        m_windowMenuOpen = false;
    }
    Touch();
}

void SimDesktop::BringToFront(WindowHandle handle) {
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [handle](const Window& w) { return w.info.handle == handle; });
    if (it == m_windows.end()) return;
    std::rotate(m_windows.begin(), it, it + 1);
}

void SimDesktop::Activate(WindowHandle handle) {
    if (!Find(handle)) return;
    if (m_foreground != handle) m_windowMenuOpen = false;
    BringToFront(handle);
    m_foreground = handle;
    Touch();
}

bool SimDesktop::TakesKeys(WindowHandle handle) const {
    if (handle == 0 || (handle != m_main && handle != m_terminal && handle != m_position)) return false;
    const Window* w = Find(handle);
    return w && Visible(w->info.show);
}

WindowRect SimDesktop::ShownRect(const Window& window) const {
    switch (window.info.show) {
    case ShowMode::Maximize: return {0, 0, m_config.screenWidth, m_config.screenHeight};
    case ShowMode::Minimize: return kMinimizedRect;
    default: return window.info.rect;
    }
}

// A Terminal's controls have the handles after the Terminal's own; every
// other window is its own (only) control.
WindowHandle SimDesktop::ControlHandle(WindowHandle window, SimControl control) const {
    if (window != 0 && window == m_terminal) {
        switch (control) {
        case SimControl::TerminalSystem: return window + 1;
        case SimControl::TerminalStation: return window + 2;
        case SimControl::TerminalFrequency: return window + 3;
        case SimControl::TerminalText: return window + 4;
        default: break;
        }
    }
    return window;
}

std::optional<SimControl> SimDesktop::ControlOf(WindowHandle handle) const {
    if (handle == 0) return std::nullopt;
    if (m_terminal != 0) {
        switch (handle - m_terminal) {
        case 1: return SimControl::TerminalSystem;
        case 2: return SimControl::TerminalStation;
        case 3: return SimControl::TerminalFrequency;
        case 4: return SimControl::TerminalText;
        default: break;
        }
    }
    if (handle == m_main) return SimControl::MainWindow;
    if (handle == m_terminal) return SimControl::TerminalText;
    if (handle == m_position) return SimControl::PositionReport;
    if (Find(handle)) return SimControl::OtherWindow;
    return std::nullopt;
}

WindowHandle SimDesktop::DesktopWindow() { return kDesktop; }

WindowHandle SimDesktop::FindNextWindow(WindowHandle after, const std::string& className) {
    Tick();
    std::size_t i = 0;
    if (after != 0) {
        while (i < m_windows.size() && m_windows[i].info.handle != after) ++i;
        if (i == m_windows.size()) return 0;
        ++i;
    }
    for (; i < m_windows.size(); ++i) {
        if (SameClass(m_windows[i].info.className, className)) return m_windows[i].info.handle;
    }
    return 0;
}

WindowHandle SimDesktop::FindWindowExact(const std::string& className, const std::string& caption) {
    Tick();
    for (const auto& w : m_windows) {
        if (SameClass(w.info.className, className) && w.info.caption == caption) return w.info.handle;
    }
    return 0;
}

std::string SimDesktop::ClassName(WindowHandle window) {
    if (window == kDesktop) return "#32769";
    if (const Window* w = Find(window)) return w->info.className.substr(0, 255);
    if (const auto control = ControlOf(window)) {
        switch (*control) {
        case SimControl::TerminalSystem: return "TComboBox";
        case SimControl::TerminalStation:
        case SimControl::TerminalFrequency: return "TEdit";
        case SimControl::TerminalText: return "TMemo";
        default: break;
        }
    }
    return std::string();
}

std::string SimDesktop::WindowText(WindowHandle window) {
    if (const Window* w = Find(window)) return w->info.caption.substr(0, 255);
    if (const auto control = ControlOf(window)) {
        switch (*control) {
        case SimControl::TerminalSystem:
        case SimControl::TerminalStation:
        case SimControl::TerminalFrequency: return Field(*control).text.substr(0, 255);
        case SimControl::TerminalText: return TerminalText().substr(0, 255);
        default: break;
        }
    }
    return std::string();
}

WindowHandle SimDesktop::ForegroundWindow() {
    Tick();
    return m_foreground;
}

bool SimDesktop::SetForeground(WindowHandle window) {
    ChangeScope scope(*this);
    Tick();
    if (m_foregroundRefused || !Find(window)) return false;
    Activate(window);
    return true;
}

// Normal, Restore and Maximize activate the window, as SW_SHOWNORMAL,
// SW_RESTORE and SW_SHOWMAXIMIZED do (unless activation is refused);
// Minimize and Hide hand the foreground on to the next window.
bool SimDesktop::Show(WindowHandle window, ShowMode mode) {
    ChangeScope scope(*this);
    Tick();
    Window* w = Find(window);
    if (!w) return false;
    w->info.show = mode == ShowMode::Restore ? ShowMode::Normal : mode;
    Touch();
    if (Visible(w->info.show)) {
        if (!m_foregroundRefused) Activate(window);
    } else if (m_foreground == window) {
        m_foreground = 0;
        m_windowMenuOpen = false;
        for (const auto& other : m_windows) {
            if (other.info.handle != window && Visible(other.info.show)) {
                m_foreground = other.info.handle;
                break;
            }
        }
    }
    return true;
}

bool SimDesktop::Move(WindowHandle window, int left, int top, int width, int height, bool /*repaint*/) {
    ChangeScope scope(*this);
    Window* w = Find(window);
    if (!w) return false;
    w->info.rect = {left, top, left + std::max(0, width), top + std::max(0, height)};
    Touch();
    return true;
}

std::optional<WindowRect> SimDesktop::Rect(WindowHandle window) {
    if (window == kDesktop) return WindowRect{0, 0, m_config.screenWidth, m_config.screenHeight};
    if (const Window* w = Find(window)) return ShownRect(*w);
    const auto control = ControlOf(window);
    if (!control || m_terminal == 0) return std::nullopt;
    const WindowRect t = ShownRect(*Find(m_terminal));
    const int stripTop = t.top + kCaptionHeight;
    const int third = t.Width() / 3;
    switch (*control) {
    case SimControl::TerminalSystem: return WindowRect{t.left, stripTop, t.left + third, stripTop + kFieldStripHeight};
    case SimControl::TerminalStation:
        return WindowRect{t.left + third, stripTop, t.left + 2 * third, stripTop + kFieldStripHeight};
    case SimControl::TerminalFrequency:
        return WindowRect{t.left + 2 * third, stripTop, t.right, stripTop + kFieldStripHeight};
    case SimControl::TerminalText: return WindowRect{t.left, stripTop + kFieldStripHeight, t.right, t.bottom};
    default: return std::nullopt;
    }
}

WindowHandle SimDesktop::Focus() {
    const Window* w = Find(m_foreground);
    if (!w) return 0;
    return ControlHandle(w->info.handle, w->focus);
}

// Focus moves only within the window in front.  A field that gets the focus
// has its whole text selected.
WindowHandle SimDesktop::SetFocus(WindowHandle window) {
    ChangeScope scope(*this);
    const WindowHandle previous = Focus();
    const auto control = ControlOf(window);
    if (!control) return 0;
    const WindowHandle top = (window > m_terminal && window <= m_terminal + 4 && m_terminal != 0) ? m_terminal : window;
    if (top != m_foreground) return 0;
    if (top == m_terminal && *control != SimControl::TerminalText) {
        FocusField(*control);
    } else if (Window* w = Find(top)) {
        w->focus = *control;
        Touch();
    }
    return previous;
}

// ---- input -----------------------------------------------------------------

std::size_t SimDesktop::SendInput(const std::vector<KeyEvent>& events) {
    ChangeScope scope(*this);
    Tick();
    m_inputCalls.push_back(events);
    Touch();
    for (const auto& e : events) {
        if (IsShift(e.vk)) {
            m_shift = !e.keyUp;
        } else if (IsCtrl(e.vk)) {
            m_ctrl = !e.keyUp;
        } else if (IsAlt(e.vk)) {
            m_alt = !e.keyUp;
        } else if (!e.keyUp) {
            KeyDown(e.vk);
        }
    }
    return events.size();
}

std::optional<KeyScan> SimDesktop::KeyScanFor(char character) { return UsKeyScan(character); }

void SimDesktop::KeyDown(std::uint16_t key) {
    if (!TakesKeys(m_foreground)) {
        ++m_lostKeys;
        Touch();
        return;
    }
    if (m_foreground == m_main) {
        MainKey(key);
    } else if (m_foreground == m_terminal) {
        TerminalKey(key);
    }
    // The Position Report window takes no keys of interest here.
}

void SimDesktop::MainKey(std::uint16_t key) {
    if (m_windowMenuOpen) {
        // The Window menu is open: P chooses Position Reports, anything else closes it.
        m_windowMenuOpen = false;
        Touch();
        if (key == 'P') OpenPositionReport();
        return;
    }
    if (m_alt && key == 'W') {
        m_windowMenuOpen = true;
        Touch();
        return;
    }
    if (key == kF6 && !m_ctrl && !m_alt && !m_shift) {
        ++m_f6Count;
        Touch();
        if (m_terminal != 0 || m_f6Count >= m_f6Needed) OpenTerminal();
    }
}

void SimDesktop::OpenTerminal() {
    m_f6Count = 0;
    if (m_terminal == 0) {
        m_terminal = Create("TTerminalForm", "Terminal", kTerminalRect, SimControl::TerminalText);
        m_textCaret = m_textAnchor = {m_lines.size() - 1, m_lines.back().size()};
    } else if (Window* w = Find(m_terminal); w && !Visible(w->info.show)) {
        w->info.show = ShowMode::Normal;
    }
    Activate(m_terminal);
}

void SimDesktop::OpenPositionReport() {
    if (m_position == 0) {
        m_position = Create("TPositionForm", "Position Report", kPositionRect, SimControl::PositionReport);
    } else if (Window* w = Find(m_position); w && !Visible(w->info.show)) {
        w->info.show = ShowMode::Normal;
    }
    Activate(m_position);
}

void SimDesktop::FocusField(SimControl control) {
    Window* w = Find(m_terminal);
    if (!w) return;
    w->focus = control;
    if (control != SimControl::TerminalText) {
        SimField& field = FieldRef(control);
        field.anchor = 0;
        field.caret = field.text.size();
    }
    Touch();
}

void SimDesktop::TerminalKey(std::uint16_t key) {
    Window* w = Find(m_terminal);
    if (!w) return;
    if (key == kF5 && !m_ctrl && !m_alt) {
        StartCall();
        return;
    }
    if (key == vk::Tab && !m_ctrl && !m_alt) {
        // Tab order: system, station, frequency; the text area is no tab stop
        // and lies after the frequency field.
        static constexpr SimControl kOrder[] = {SimControl::TerminalSystem, SimControl::TerminalStation,
                                                SimControl::TerminalFrequency};
        int index = -1;
        for (int i = 0; i < 3; ++i) {
            if (kOrder[i] == w->focus) index = i;
        }
        int next;
        if (index < 0) {
            next = m_shift ? 2 : 0;
        } else {
            next = (index + (m_shift ? 2 : 1)) % 3;
        }
        FocusField(kOrder[next]);
        return;
    }
    switch (w->focus) {
    case SimControl::TerminalSystem:
    case SimControl::TerminalStation:
    case SimControl::TerminalFrequency: FieldKey(FieldRef(w->focus), key); break;
    case SimControl::TerminalText: TextKey(key); break;
    default: break;
    }
}

void SimDesktop::FieldKey(SimField& field, std::uint16_t key) {
    Touch();
    const std::size_t start = SelectionStart(field);
    const std::size_t end = SelectionEnd(field);
    if (m_alt) return;
    if (m_ctrl) {
        if (key == 'C') {
            // The selection, or the whole field when nothing is selected.
            const std::string text = start < end ? field.text.substr(start, end - start) : field.text;
            if (!text.empty()) m_clipboard = text;
        } else if (key == 'X' && start < end) {
            m_clipboard = field.text.substr(start, end - start);
            ReplaceSelection(field, std::string());
        } else if (key == 'V' && m_clipboard) {
            // A single-line field takes the clipboard's first line.
            const std::string& clip = *m_clipboard;
            ReplaceSelection(field, clip.substr(0, clip.find_first_of("\r\n")));
        }
        return;
    }
    switch (key) {
    case vk::Back:
        if (start < end) {
            ReplaceSelection(field, std::string());
        } else if (field.caret > 0) {
            field.text.erase(field.caret - 1, 1);
            field.caret = field.anchor = field.caret - 1;
        }
        return;
    case vk::Delete:
        if (start < end) {
            ReplaceSelection(field, std::string());
        } else if (field.caret < field.text.size()) {
            field.text.erase(field.caret, 1);
        }
        return;
    case vk::Left:
    case vk::Right:
    case vk::Home:
    case vk::End:
        if (key == vk::Left && field.caret > 0) --field.caret;
        if (key == vk::Right && field.caret < field.text.size()) ++field.caret;
        if (key == vk::Home) field.caret = 0;
        if (key == vk::End) field.caret = field.text.size();
        if (!m_shift) field.anchor = field.caret;
        return;
    default: break;
    }
    if (const auto c = UsKeyCharacter(key, m_shift)) ReplaceSelection(field, std::string(1, *c));
}

// The text area is read only: the caret moves, Shift selects, Ctrl+C copies.
void SimDesktop::TextKey(std::uint16_t key) {
    Touch();
    if (m_alt) return;
    SimTextPos& caret = m_textCaret;
    const std::size_t last = m_lines.size() - 1;
    if (m_ctrl && key == 'C') {
        SimTextPos from = std::min(m_textAnchor, m_textCaret, [](const SimTextPos& a, const SimTextPos& b) {
            return a.line < b.line || (a.line == b.line && a.column < b.column);
        });
        SimTextPos to = (from == m_textAnchor) ? m_textCaret : m_textAnchor;
        if (from == to) return;
        std::string text;
        for (std::size_t line = from.line; line <= to.line; ++line) {
            const std::string& l = m_lines[line];
            const std::size_t a = line == from.line ? std::min(from.column, l.size()) : 0;
            const std::size_t b = line == to.line ? std::min(to.column, l.size()) : l.size();
            if (line != from.line) text += "\r\n";
            text += l.substr(a, b - a);
        }
        m_clipboard = text;
        return;
    }
    switch (key) {
    case vk::Up:
        if (caret.line > 0) --caret.line;
        break;
    case vk::Down:
        if (caret.line < last) ++caret.line;
        break;
    case vk::Home:
        if (m_ctrl) caret.line = 0;
        caret.column = 0;
        break;
    case vk::End:
        if (m_ctrl) caret.line = last;
        caret.column = m_lines[caret.line].size();
        break;
    case vk::Left:
        if (caret.column > 0) {
            --caret.column;
        } else if (caret.line > 0) {
            --caret.line;
            caret.column = m_lines[caret.line].size();
        }
        break;
    case vk::Right:
        if (caret.column < m_lines[caret.line].size()) {
            ++caret.column;
        } else if (caret.line < last) {
            ++caret.line;
            caret.column = 0;
        }
        break;
    default: return;
    }
    caret.column = std::min(caret.column, m_lines[caret.line].size());
    if (!m_shift) m_textAnchor = caret;
}

void SimDesktop::MouseEvent(MouseAction action, int dx, int dy) {
    ChangeScope scope(*this);
    Tick();
    switch (action) {
    case MouseAction::MoveAbsolute: {
        const auto scale = [](int units, int pixels) {
            const long long v = (static_cast<long long>(units) * pixels + 32768) / 65536;
            return static_cast<int>(std::clamp<long long>(v, 0, pixels - 1));
        };
        m_cursor = {scale(dx, m_config.screenWidth), scale(dy, m_config.screenHeight)};
        Touch();
        break;
    }
    case MouseAction::LeftDown: Click(m_cursor); break;
    case MouseAction::LeftUp: break;
    }
}

// A click activates the window under the cursor (a click is never refused)
// and gives the focus to the control under it, with the caret at its end.
void SimDesktop::Click(ScreenPoint point) {
    for (const auto& w : m_windows) {
        if (!Visible(w.info.show) || !Contains(ShownRect(w), point)) continue;
        const WindowHandle handle = w.info.handle;
        Activate(handle);
        if (handle != m_terminal) return;
        for (SimControl control : {SimControl::TerminalSystem, SimControl::TerminalStation,
                                   SimControl::TerminalFrequency, SimControl::TerminalText}) {
            const auto rect = Rect(ControlHandle(handle, control));
            if (!rect || !Contains(*rect, point)) continue;
            Find(handle)->focus = control;
            if (control == SimControl::TerminalText) {
                m_textCaret = m_textAnchor = {m_lines.size() - 1, m_lines.back().size()};
            } else {
                SimField& field = FieldRef(control);
                field.caret = field.anchor = field.text.size();
            }
        }
        return;
    }
}

std::optional<ScreenPoint> SimDesktop::CursorPos() { return m_cursor; }

bool SimDesktop::SetCursorPos(ScreenPoint point) {
    ChangeScope scope(*this);
    m_cursor = {std::clamp(point.x, 0, m_config.screenWidth - 1), std::clamp(point.y, 0, m_config.screenHeight - 1)};
    Touch();
    return true;
}

// ---- clipboard and environment ---------------------------------------------

bool SimDesktop::ClearClipboard() {
    m_clipboard.reset();
    return true;
}

bool SimDesktop::SetClipboardText(const std::string& text) {
    m_clipboard = text;
    return true;
}

std::string SimDesktop::ClipboardText() { return m_clipboard.value_or(std::string()); }

std::string SimDesktop::EnvironmentVariable(const std::string& name) {
    const auto it = m_environment.find(Upper(name));
    return it == m_environment.end() ? std::string() : it->second;
}

void SimDesktop::SetEnvironmentVariable(const std::string& name, const std::string& value) {
    m_environment[Upper(name)] = value;
}

// ---- starting AirMail ------------------------------------------------------

ProgramStartResult SimDesktop::StartNormal(const std::string& program, const std::string& /*workingFolder*/) {
    return StartProgram(program);
}

ProgramStartResult SimDesktop::ShellOpen(WindowHandle /*owner*/, const std::string& file,
                                         const std::string& /*workingFolder*/) {
    return StartProgram(file);
}

ProgramStartResult SimDesktop::StartProgram(const std::string& program) {
    ChangeScope scope(*this);
    Tick();
    const std::string airmail = m_config.programFolder + "\\Airmail3.exe";
    if (ComparablePath(program) != ComparablePath(airmail)) return {false, kErrorFileNotFound};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_mapper.ToNative(airmail), ec)) return {false, kErrorFileNotFound};
    if (m_main != 0) {
        Activate(m_main);
    } else if (!m_starting) {
        if (m_startDelay <= 0) {
            ShowMainWindow();
        } else {
            m_starting = true;
            Schedule(m_clock.NowUtc() + m_startDelay, Due::MainAppears, 0);
        }
    }
    return {true, 0};
}

void SimDesktop::StartAirMail() {
    ChangeScope scope(*this);
    if (m_main == 0) ShowMainWindow();
}

// AirMail keeps its log from run to run; a fresh installation has an empty
// one from its first start, so that a reader can take its length before the
// first call.
void SimDesktop::ShowMainWindow() {
    m_starting = false;
    const std::filesystem::path path(DebugLogPath());
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream(path, std::ios::binary | std::ios::app).flush();
    m_main = Create("TMainForm", "AirMail", kMainRect, SimControl::MainWindow);
    Activate(m_main);
}

void SimDesktop::CloseWindow(WindowHandle window) {
    ChangeScope scope(*this);
    if (window != 0 && window == m_main) {
        Destroy(m_position);
        Destroy(m_terminal);
        Destroy(m_main);
        // AirMail ends: the call is dropped, the Terminal text goes.
        m_callState = SimCallState::Idle;
        ++m_callId;
        m_lines.assign(1, std::string());
        m_textCaret = m_textAnchor = {};
        m_f6Count = 0;
        Touch();
        return;
    }
    Destroy(window);
}

WindowHandle SimDesktop::AddOtherWindow(const std::string& className, const std::string& caption,
                                        WindowRect rect) {
    ChangeScope scope(*this);
    const WindowHandle handle = Create(className, caption, rect, SimControl::OtherWindow);
    Activate(handle);
    return handle;
}

// ---- script ----------------------------------------------------------------

void SimDesktop::ScriptCall(const std::string& station, const std::string& frequency, SimCallOutcome outcome) {
    const auto key = FrequencyKey(frequency);
    if (!key) return;
    m_script[ScriptKey(station, *key)].push_back(std::move(outcome));
}

void SimDesktop::SetDefaultOutcome(SimCallOutcome outcome) { m_defaultOutcome = std::move(outcome); }

void SimDesktop::SetDemoOutcomes(SnrLookup snr, std::uint32_t sequenceStart) {
    m_demoSnr = std::move(snr);
    m_random = std::mt19937(sequenceStart);
}

void SimDesktop::SetTerminalOpensOnF6Press(int presses) { m_f6Needed = std::max(1, presses); }

void SimDesktop::SetStartDelaySeconds(int seconds) { m_startDelay = std::max(0, seconds); }

void SimDesktop::SetTerminalFields(const std::string& system, const std::string& station,
                                   const std::string& frequency) {
    ChangeScope scope(*this);
    m_system = {system, 0, 0};
    m_station = {station, 0, 0};
    m_frequency = {frequency, 0, 0};
    Touch();
}

void SimDesktop::AppendTerminalLine(const std::string& line) {
    ChangeScope scope(*this);
    m_lines.back() += line;
    m_lines.emplace_back();
    Touch();
}

void SimDesktop::SetForegroundRefused(bool refused) { m_foregroundRefused = refused; }

// ---- calls -----------------------------------------------------------------

void SimDesktop::Schedule(UtcSeconds when, Due what, std::uint64_t call) {
    m_pending.push_back({when, m_pendingOrder++, what, call});
}

void SimDesktop::Tick() {
    ChangeScope scope(*this);
    const UtcSeconds now = m_clock.NowUtc();
    for (;;) {
        auto due = m_pending.end();
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (it->when > now) continue;
            if (due == m_pending.end() || it->when < due->when ||
                (it->when == due->when && it->order < due->order)) {
                due = it;
            }
        }
        if (due == m_pending.end()) return;
        const Pending pending = *due;
        m_pending.erase(due);
        Run(pending);
    }
}

void SimDesktop::Run(const Pending& p) {
    if (p.what == Due::MainAppears) {
        if (m_starting && m_main == 0) ShowMainWindow();
        return;
    }
    if (p.call != m_callId) return;
    const std::string& station = m_callStation;
    switch (p.what) {
    case Due::Connect:
        if (m_callState != SimCallState::Calling) return;
        m_callState = SimCallState::Connected;
        AppendTerminalLine("*** Connected to " + station);
        WriteLog(p.when, "Connected to " + station);
        if (m_callOutcome.serverMinutes >= 0) {
            AppendTerminalLine("PMBO " + station + " - last contacted server " +
                               std::to_string(m_callOutcome.serverMinutes) + " min ago.");
        }
        if (!m_callOutcome.greeting.empty()) AppendTerminalLine(m_callOutcome.greeting);
        AppendTerminalLine(station + ">");
        Schedule(p.when + std::max(0, m_callOutcome.connectedSeconds), Due::Disconnect, p.call);
        break;
    case Due::NoAnswer:
        if (m_callState != SimCallState::Calling) return;
        EndCall("*** No answer from " + station, "No answer from " + station, p.when);
        break;
    case Due::ManualStop:
        if (m_callState != SimCallState::Calling) return;
        EndCall("*** No answer from " + station + " (manual)", "No answer from " + station + " (manual)", p.when);
        break;
    case Due::Disconnect: {
        if (m_callState != SimCallState::Connected) return;
        const std::string manual = m_callOutcome.manualDisconnect ? " (manual)" : "";
        EndCall("*** Disconnected from " + station + manual, "Disconnected from " + station + manual, p.when);
        break;
    }
    case Due::MainAppears: break;
    }
}

void SimDesktop::StartCall() {
    if (m_callState != SimCallState::Idle) return;  // busy with a call
    const std::string station = Trim(m_station.text);
    const std::string frequency = Trim(m_frequency.text);
    if (station.empty() || !FrequencyKey(frequency)) {
        AppendTerminalLine("*** Enter a station and a frequency to connect");
        return;
    }
    const std::string system = Trim(m_system.text);
    m_callOutcome = OutcomeFor(system, station, frequency);
    ++m_callId;
    m_callState = SimCallState::Calling;
    m_callStation = station;
    m_callFrequency = frequency;
    const UtcSeconds now = m_clock.NowUtc();
    AppendTerminalLine("*** Calling " + station + " on " + frequency + " kHz");
    WriteLog(now, "Calling " + station + " on " + frequency + " kHz");
    const UtcSeconds when = now + std::max(0, m_callOutcome.afterSeconds);
    switch (m_callOutcome.kind) {
    case SimCallOutcome::Kind::Connect: Schedule(when, Due::Connect, m_callId); break;
    case SimCallOutcome::Kind::NoAnswer: Schedule(when, Due::NoAnswer, m_callId); break;
    case SimCallOutcome::Kind::ManualStop: Schedule(when, Due::ManualStop, m_callId); break;
    }
    Touch();
}

SimCallOutcome SimDesktop::OutcomeFor(const std::string& system, const std::string& station,
                                      const std::string& frequency) {
    if (const auto key = FrequencyKey(frequency)) {
        const auto it = m_script.find(ScriptKey(station, *key));
        if (it != m_script.end() && !it->second.empty()) {
            SimCallOutcome outcome = it->second.front();
            if (it->second.size() > 1) it->second.pop_front();
            return outcome;
        }
    }
    if (!m_demoSnr) return m_defaultOutcome;
    // Demo: the chance to connect rises with the SNR, from 5 % well below
    // 10 dB through one half at 10 dB to 95 % well above; one in four when
    // the SNR is unknown.
    const auto draw = [this] { return static_cast<double>(m_random()) / 4294967296.0; };
    const auto snr = m_demoSnr(system, station, frequency);
    const double chance = snr ? std::clamp(1.0 / (1.0 + std::exp(-(*snr - 10.0) / 5.0)), 0.05, 0.95) : 0.25;
    if (draw() < chance) {
        const int after = 20 + static_cast<int>(40 * draw());
        const int duration = 60 + static_cast<int>(180 * draw());
        const int minutes = static_cast<int>(60 * draw());
        return SimCallOutcome::Connected(after, duration, Upper(system) == "HAM" ? minutes : -1);
    }
    return SimCallOutcome::NoAnswerAfter(45 + static_cast<int>(45 * draw()));
}

void SimDesktop::PressStop() {
    ChangeScope scope(*this);
    Tick();
    const UtcSeconds now = m_clock.NowUtc();
    if (m_callState == SimCallState::Calling) {
        EndCall("*** No answer from " + m_callStation + " (manual)", "No answer from " + m_callStation + " (manual)",
                now);
    } else if (m_callState == SimCallState::Connected) {
        EndCall("*** Disconnected from " + m_callStation + " (manual)",
                "Disconnected from " + m_callStation + " (manual)", now);
    }
}

void SimDesktop::EndCall(const std::string& terminalLine, const std::string& logText, UtcSeconds when) {
    m_callState = SimCallState::Idle;
    AppendTerminalLine(terminalLine);
    WriteLog(when, logText);
    Touch();
}

std::string SimDesktop::DebugLogPath() const {
    return m_mapper.ToNative(m_config.dataFolder + "\\Logfiles\\Debug.log");
}

void SimDesktop::WriteLog(UtcSeconds when, const std::string& text) {
    const UtcFields f = FieldsFromUtc(when);
    const std::int64_t day = (when >= 0 ? when : when - 86399) / 86400;
    char stamp[40];
    if (!m_lastLogDay || *m_lastLogDay != day) {
        std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %02d:%02d:%02d.00", f.year, f.month, f.day, f.hour,
                      f.minute, f.second);
    } else {
        std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.00", f.hour, f.minute, f.second);
    }
    const std::string line = std::string(stamp) + " " + text;
    m_logLines.push_back(line);
    Touch();
    const std::filesystem::path path(DebugLogPath());
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << line << "\r\n";
    out.flush();
    if (!out) {
        ++m_logFailures;
        return;
    }
    m_lastLogDay = day;
}

// ---- observable state ------------------------------------------------------

std::vector<SimWindow> SimDesktop::Windows() const {
    std::vector<SimWindow> out;
    out.reserve(m_windows.size());
    for (const auto& w : m_windows) out.push_back(w.info);
    return out;
}

SimControl SimDesktop::FocusedControl() const {
    const Window* w = Find(m_foreground);
    return w ? w->focus : SimControl::None;
}

const SimField& SimDesktop::Field(SimControl field) const {
    static const SimField kNone;
    switch (field) {
    case SimControl::TerminalSystem: return m_system;
    case SimControl::TerminalStation: return m_station;
    case SimControl::TerminalFrequency: return m_frequency;
    default: return kNone;
    }
}

SimField& SimDesktop::FieldRef(SimControl field) {
    switch (field) {
    case SimControl::TerminalStation: return m_station;
    case SimControl::TerminalFrequency: return m_frequency;
    default: return m_system;
    }
}

std::string SimDesktop::TerminalText() const {
    std::string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i) text += "\r\n";
        text += m_lines[i];
    }
    return text;
}

}  // namespace tw::platform
