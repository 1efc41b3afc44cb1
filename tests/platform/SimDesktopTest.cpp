// The simulated AirMail desktop: its windows, what AirMail's keys do in them,
// the clipboard, starting AirMail, and the scripted calls with the lines they
// leave in "Logfiles\Debug.log" as the clock moves on.  The tests of window
// control and of the connection process drive it the way the program does.

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/UsKeyboard.h"
#include "TempDir.h"

namespace tw::platform {
namespace {

constexpr std::uint16_t kF5 = 116, kF6 = 117;
const std::vector<std::uint16_t> kNone, kShift{vk::Shift}, kCtrlShift{vk::Control, vk::Shift};

struct Stroke {
    std::uint16_t key;
    std::vector<std::uint16_t> modifiers = kNone;
};

class SimDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dir / "Program Files/AirMail");
        test::WriteBytes(m_dir / "Program Files/AirMail/Airmail3.exe", "x");
        m_mapper.SetDrive('C', m_dir.path());
        Reset();
    }
    // A new simulated desktop at 2024-05-10 06:00:00, AirMail not running, no log.
    void Reset() {
        std::filesystem::remove(m_dir / "Program Files/AirMail/Logfiles/Debug.log");
        m_clock.Set(UtcFromFields({2024, 5, 10, 6, 0, 0}));
        m_sim = std::make_unique<SimDesktop>(m_clock, m_mapper);
    }

    // Key strokes, each with its modifiers held around it, in one SendInput call.
    void Keys(const std::vector<Stroke>& strokes) {
        std::vector<KeyEvent> events;
        for (const auto& [key, modifiers] : strokes) {
            for (auto m : modifiers) events.push_back({m, false, false});
            events.push_back({key, false, false});
            events.push_back({key, true, false});
            for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) events.push_back({*m, true, false});
        }
        ASSERT_EQ(m_sim->SendInput(events), events.size());
    }
    void Type(const std::string& text) {
        std::vector<Stroke> strokes;
        for (char c : text) {
            const auto scan = UsKeyScan(c);
            strokes.push_back({scan->vk, scan->NeedsShift() ? kShift : kNone});
        }
        Keys(strokes);
    }
    std::string Copy() {
        m_sim->ClearClipboard();
        Keys({{'C', kCtrlShift}});  // "^C" as the key notation builds it
        return m_sim->ClipboardText();
    }
    void OpenTerminal(const std::string& station) {
        m_sim->SetTerminalFields("SAILMAIL", station, "8384.5");
        m_sim->StartAirMail();
        Keys({{kF6}});
        ASSERT_NE(m_sim->TerminalWindow(), 0);
    }
    void Advance(int seconds) {
        m_clock.Advance(seconds);
        m_sim->Tick();
    }
    std::string Log() { return test::ReadBytes(m_sim->DebugLogPath()); }

    test::TempDir m_dir;
    ManualClock m_clock{0};
    PathMapper m_mapper;
    std::unique_ptr<SimDesktop> m_sim;
};

// ---- Windows ---------------------------------------------------------------

TEST_F(SimDesktopTest, WindowsFoundByClassFrontToBackMovedAndBroughtForward) {
    EXPECT_EQ(*m_sim->Rect(m_sim->DesktopWindow()), (WindowRect{0, 0, 1024, 768}));
    EXPECT_EQ(m_sim->FindNextWindow(0, "TMainForm"), 0);  // AirMail not running
    m_sim->StartAirMail();
    const WindowHandle main = m_sim->MainWindow();
    const WindowHandle other = m_sim->AddOtherWindow("TMainForm", "Logbook", {0, 0, 100, 100});
    EXPECT_EQ(m_sim->FindNextWindow(0, "tmainform"), other);  // case ignored, front first
    EXPECT_EQ(m_sim->FindNextWindow(other, "TMainForm"), main);
    EXPECT_EQ(m_sim->FindNextWindow(main, "TMainForm"), 0);
    EXPECT_EQ(m_sim->ClassName(main), "TMainForm");
    EXPECT_EQ(m_sim->FindWindowExact("TMainForm", "AirMail"), main);
    EXPECT_EQ(m_sim->FindWindowExact("TMainForm", "Air"), 0);
    EXPECT_FALSE(m_sim->SetForeground(0));
    m_sim->SetForegroundRefused(true);
    EXPECT_FALSE(m_sim->SetForeground(main));
    EXPECT_EQ(m_sim->ForegroundWindow(), other);
}

// ---- AirMail's keys ----------------------------------------------------------

TEST_F(SimDesktopTest, KeysToAWindowOfAnotherProgramOrAMinimisedOneAreLost) {
    OpenTerminal("QAA9920");
    m_sim->AddOtherWindow("ThunderRT6FormDC", "Tidewell", {0, 0, 200, 200});
    Keys({{vk::Tab}});
    EXPECT_EQ(m_sim->LostKeyPresses(), 1);
    const WindowHandle terminal = m_sim->TerminalWindow();
    ASSERT_TRUE(m_sim->Show(terminal, ShowMode::Minimize));
    ASSERT_TRUE(m_sim->SetForeground(terminal));
    Keys({{vk::Tab}});
    EXPECT_EQ(m_sim->LostKeyPresses(), 2);
    EXPECT_EQ(*m_sim->Rect(terminal), (WindowRect{-32000, -32000, -31840, -31972}));
    ASSERT_TRUE(m_sim->Show(terminal, ShowMode::Normal));
    Keys({{vk::Tab}});
    EXPECT_EQ(m_sim->LostKeyPresses(), 2);
    EXPECT_EQ(m_sim->FocusedControl(), SimControl::TerminalSystem);
}

TEST_F(SimDesktopTest, AltWThenPOpensThePositionReportAndPAloneNothing) {
    m_sim->StartAirMail();
    Keys({{'W', {vk::Menu}}, {vk::Escape}, {'P'}, {'P', {vk::Menu}}});  // Escape closes the menu
    EXPECT_EQ(m_sim->PositionReportWindow(), 0);
    Keys({{'W', {vk::Menu}}, {'P'}});
    EXPECT_NE(m_sim->PositionReportWindow(), 0);
    EXPECT_EQ(m_sim->ForegroundWindow(), m_sim->PositionReportWindow());
}

TEST_F(SimDesktopTest, TabOrderEditingKeysCopyAndPasteInTheFields) {
    const Stroke tab{vk::Tab}, backTab{vk::Tab, kShift};
    const struct {
        std::vector<Stroke> tabs;
        SimControl focus;
        const char* copied;
    } cases[] = {{{tab}, SimControl::TerminalSystem, "SAILMAIL"},
                 {{tab, tab, tab}, SimControl::TerminalFrequency, "8384.5"},
                 {{tab, tab, tab, tab}, SimControl::TerminalSystem, "SAILMAIL"},  // wraps
                 {{backTab}, SimControl::TerminalFrequency, "8384.5"},  // back from the text
                 {{tab, backTab}, SimControl::TerminalFrequency, "8384.5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tabs.size());
        Reset();
        OpenTerminal("QAA9920");
        Keys(c.tabs);
        EXPECT_EQ(m_sim->FocusedControl(), c.focus);
        EXPECT_EQ(Copy(), c.copied);
    }
    // The frequency, selected whole: typing replaces it.
    Type("14108.5");
    Keys({{vk::Back}});
    Type("0");
    Keys({{vk::Home}, {vk::Right, kShift}, {vk::Delete}});
    EXPECT_EQ(m_sim->Field(SimControl::TerminalFrequency).text, "4108.0");
    EXPECT_EQ(Copy(), "4108.0");  // nothing selected: the whole field
    // The station, left with the caret at its end and come back to, is
    // selected whole again: a paste replaces it with the clipboard's first line.
    Keys({backTab, {vk::End}, tab, backTab});
    m_sim->SetClipboardText("QGX1739\r\nsecond line");
    Keys({{'V', kCtrlShift}});
    EXPECT_EQ(m_sim->Field(SimControl::TerminalStation).text, "QGX1739");
    // An empty field copies nothing: the clipboard keeps its text.
    Keys({backTab, {vk::Delete}, {'C', kCtrlShift}});
    EXPECT_EQ(m_sim->ClipboardText(), "QGX1739\r\nsecond line");
}

TEST_F(SimDesktopTest, TextAreaSelectsWithUpHomeShiftEnd) {
    m_sim->AppendTerminalLine("first");
    m_sim->AppendTerminalLine("second line");
    m_sim->AppendTerminalLine("third");
    OpenTerminal("QE7NMD");
    ASSERT_EQ((m_sim->TextCaret()), (SimTextPos{3, 0}));  // it opens at the end of its text
    std::vector<std::string> read;
    for (int i = 0; i < 4; ++i) {
        Keys({{vk::Up}, {vk::Home}, {vk::End, kShift}});
        read.push_back(Copy());
    }
    EXPECT_EQ(read, (std::vector<std::string>{"third", "second line", "first", "first"}));
    // A selection across lines copies with CRLF; Ctrl+Home goes to the start.
    Keys({{vk::End, {vk::Control}}, {vk::Up, kShift}, {vk::Up, kShift}});
    EXPECT_EQ(Copy(), "second line\r\nthird\r\n");
    Keys({{vk::Home, {vk::Control}}});
    EXPECT_EQ((m_sim->TextCaret()), (SimTextPos{0, 0}));
    Type("x");  // the text area is read only
    EXPECT_EQ(m_sim->TerminalText(), "first\r\nsecond line\r\nthird\r\n");
    // Typed into a field, the keys of one call change the desktop once: one
    // callback, none for a tick with nothing due.
    Keys({{vk::Tab}});
    int calls = 0;
    m_sim->SetOnChanged([&calls] { ++calls; });
    const auto before = m_sim->Revision();
    Type("abc");
    EXPECT_EQ(calls, 1);
    EXPECT_GT(m_sim->Revision(), before);
    m_sim->Tick();
    EXPECT_EQ(calls, 1);
}

// ---- Starting AirMail --------------------------------------------------------

TEST_F(SimDesktopTest, OnlyAirmail3InTheProgramFolderStartsAfterTheStartDelay) {
    for (const char* program :
         {"C:\\Program Files\\AirMail\\Logbook.exe", "C:\\AirMail\\Airmail3.exe"}) {
        const auto result = m_sim->StartNormal(program, "");
        EXPECT_EQ(std::pair(result.ok, result.error), std::pair(false, 2)) << program;
    }
    m_sim->SetStartDelaySeconds(2);
    ASSERT_TRUE(m_sim->ShellOpen(0, "c:/program files/airmail//AIRMAIL3.EXE", "").ok);
    m_clock.Advance(1);
    EXPECT_EQ(m_sim->FindNextWindow(0, "TMainForm"), 0);
    m_clock.Advance(1);
    EXPECT_NE(m_sim->FindNextWindow(0, "TMainForm"), 0);
    EXPECT_EQ(m_sim->ForegroundWindow(), m_sim->MainWindow());
}

// ---- Calls and the debug log ---------------------------------------------------

// Each call takes the next scripted outcome of its station and frequency, the
// last one staying; each line is stamped with the second it fell due.
TEST_F(SimDesktopTest, ScriptedCallsTakeTheirOutcomesInTurnAndLeaveTheirLogLines) {
    OpenTerminal("");
    Keys({{kF5}});
    EXPECT_EQ(Log(), "");  // no station, no call; the log exists from AirMail's start on
    auto manualDisconnect = SimCallOutcome::Connected(40, 200);
    manualDisconnect.manualDisconnect = true;
    for (const SimCallOutcome& outcome : {SimCallOutcome::Connected(30, 120, 0), SimCallOutcome::NoAnswerAfter(5),
                                          SimCallOutcome::StoppedAfter(20), manualDisconnect})
        m_sim->ScriptCall("qaa9920", "8384.50", outcome);
    m_sim->SetDefaultOutcome(SimCallOutcome::StoppedAfter(10));
    // The last frequency has no script: the default outcome.
    for (const char* frequency : {"8384.5", "8384.5", "8384.5", "8384.5", "8384.5", "12470.0"}) {
        m_sim->SetTerminalFields("SAILMAIL", "QAA9920", frequency);
        Keys({{kF5}});
        Advance(600);
        EXPECT_EQ(m_sim->CallState(), SimCallState::Idle);
    }
    const std::string calling = " Calling QAA9920 on 8384.5 kHz";
    const std::string connected = " Connected to QAA9920";
    const std::string manualEnd = " Disconnected from QAA9920 (manual)";
    const std::vector<std::string> lines = {
        "06:00:00.00" + calling, "06:00:30.00" + connected, "06:02:30.00 Disconnected from QAA9920",
        "06:10:00.00" + calling, "06:10:05.00 No answer from QAA9920", "06:20:00.00" + calling,
        "06:20:20.00 No answer from QAA9920 (manual)", "06:30:00.00" + calling,
        "06:30:40.00" + connected, "06:34:00.00" + manualEnd, "06:40:00.00" + calling,
        "06:40:40.00" + connected, "06:44:00.00" + manualEnd,
        "06:50:00.00 Calling QAA9920 on 12470.0 kHz",
        "06:50:10.00 No answer from QAA9920 (manual)"};
    std::string expected = "2024/05/10 ";
    for (const std::string& line : lines) expected += line + "\r\n";
    EXPECT_EQ(Log(), expected);
    // A server contacted within the minute is greeted as 0 minutes ago.
    EXPECT_NE(m_sim->TerminalText().find("\r\n*** Connected to QAA9920\r\n"
                                         "PMBO QAA9920 - last contacted server 0 min ago.\r\n"),
              std::string::npos);
    // A second F5 during a call starts none; the stop control ends the call at once.
    m_sim->SetDefaultOutcome(SimCallOutcome::Connected(30, 120));
    Keys({{kF5}});
    Advance(5);
    Keys({{kF5}});
    m_sim->PressStop();
    Advance(1000);
    EXPECT_EQ(m_sim->LogLines().size(), 17u);
    EXPECT_EQ(m_sim->LogLines().back(), "07:00:05.00 No answer from QAA9920 (manual)");
}

// ---- Demo outcomes --------------------------------------------------------------

TEST_F(SimDesktopTest, DemoConnectsMoreOftenWithBetterSnrAndRepeats) {
    // Connections in 200 calls with a prediction of `snr` dB.
    const auto connections = [&](double snr) {
        Reset();
        m_sim->SetDemoOutcomes([snr](const auto&, const auto&, const auto&) { return snr; }, 7);
        OpenTerminal("QAA9920");
        for (int call = 0; call < 200; ++call) {
            Keys({{kF5}});
            Advance(1000);
        }
        int total = 0;
        for (const auto& line : m_sim->LogLines()) total += line.find("Connected to") != std::string::npos;
        return total;
    };
    const int good = connections(20.0);
    EXPECT_LT(connections(0.0), 60);  // about 12 % of 200
    EXPECT_GT(good, 140);             // about 88 % of 200
    EXPECT_EQ(connections(20.0), good);
}

}  // namespace
}  // namespace tw::platform

#ifdef _WIN32

#include "platform/win32/Win32Api.h"

namespace tw::platform {
namespace {

// The Windows desktop itself (under Wine, on a virtual X display): a window
// of this program found by class and caption, moved, and the clipboard and
// the keyboard layout as the keystroke code uses them.
TEST(SystemDesktop, FindsMovesAndReadsAWindowAndKeepsClipboardText) {
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TidewellTestWindow";
    ASSERT_NE(::RegisterClassA(&windowClass), 0);
    HWND hwnd = ::CreateWindowExA(0, "TidewellTestWindow", "Tidewell Test - Terminal",
                                  WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    const auto desktop = MakeSystemDesktop();
    const auto handle = reinterpret_cast<WindowHandle>(hwnd);
    EXPECT_EQ(desktop->FindWindowExact("TidewellTestWindow", "Tidewell Test - Terminal"), handle);
    EXPECT_EQ(desktop->FindNextWindow(0, "TidewellTestWindow"), handle);
    EXPECT_EQ(desktop->ClassName(handle), "TidewellTestWindow");
    EXPECT_EQ(desktop->WindowText(handle), "Tidewell Test - Terminal");
    EXPECT_TRUE(desktop->Show(handle, ShowMode::Normal));
    EXPECT_TRUE(desktop->Move(handle, 40, 50, 320, 240, true));
    const auto rect = desktop->Rect(handle);
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(std::tuple(rect->left, rect->top, rect->right, rect->bottom),
              std::tuple(40, 50, 360, 290));
    ::DestroyWindow(hwnd);
    EXPECT_EQ(desktop->ClassName(handle), "");  // a window that is gone: the call fails
    EXPECT_FALSE(desktop->Rect(handle).has_value());

    ASSERT_TRUE(desktop->SetClipboardText("QA1PMB 14.0657 Caf\xe9"));
    EXPECT_EQ(desktop->ClipboardText(), "QA1PMB 14.0657 Caf\xe9");
    EXPECT_TRUE(desktop->ClearClipboard());
    EXPECT_EQ(desktop->ClipboardText(), "");

    const auto a = desktop->KeyScanFor('A');
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->vk, 'A');
    EXPECT_TRUE(a->NeedsShift());
    EXPECT_EQ(desktop->EnvironmentVariable("TIDEWELL_NO_SUCH_VARIABLE"), "");
    ::SetEnvironmentVariableA("TIDEWELL_TEST_VARIABLE", std::string(300, 'v').c_str());
    EXPECT_EQ(desktop->EnvironmentVariable("TIDEWELL_TEST_VARIABLE"), std::string(300, 'v'));
}

}  // namespace
}  // namespace tw::platform

#endif  // _WIN32
