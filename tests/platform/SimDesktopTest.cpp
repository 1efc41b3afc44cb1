// The simulated AirMail desktop: its windows, what AirMail's keys do in them,
// the clipboard, starting AirMail, and the scripted calls with the lines they
// leave in "Logfiles\Debug.log" as the clock moves on.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/UsKeyboard.h"
#include "TempDir.h"

namespace tw::platform {
namespace {

using test::ReadBytes;
using test::TempDir;

constexpr std::uint16_t kF5 = 116, kF6 = 117;

// One key stroke with modifiers held around it.
std::vector<KeyEvent> Stroke(std::uint16_t key, std::vector<std::uint16_t> modifiers = {}) {
    std::vector<KeyEvent> events;
    for (auto m : modifiers) events.push_back({m, false, false});
    events.push_back({key, false, false});
    events.push_back({key, true, false});
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) events.push_back({*it, true, false});
    return events;
}

std::vector<KeyEvent> Typed(const std::string& text) {
    std::vector<KeyEvent> events;
    for (char c : text) {
        const auto scan = UsKeyScan(c);
        const auto stroke = scan->NeedsShift() ? Stroke(scan->vk, {vk::Shift}) : Stroke(scan->vk);
        events.insert(events.end(), stroke.begin(), stroke.end());
    }
    return events;
}

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

    void Send(const std::vector<KeyEvent>& events) { ASSERT_EQ(m_sim->SendInput(events), events.size()); }
    void Key(std::uint16_t key, std::vector<std::uint16_t> modifiers = {}) { Send(Stroke(key, std::move(modifiers))); }
    std::string Copy() {
        m_sim->ClearClipboard();
        Key('C', {vk::Control, vk::Shift});  // "^C" as the key notation builds it
        return m_sim->ClipboardText();
    }
    void OpenTerminal(const std::string& system, const std::string& station, const std::string& frequency) {
        m_sim->SetTerminalFields(system, station, frequency);
        m_sim->StartAirMail();
        Key(kF6);
        ASSERT_NE(m_sim->TerminalWindow(), 0);
    }
    void Advance(int seconds) {
        m_clock.Advance(seconds);
        m_sim->Tick();
    }
    std::string Log() { return ReadBytes(m_dir / "Program Files/AirMail/Logfiles/Debug.log"); }

    TempDir m_dir;
    ManualClock m_clock{0};
    PathMapper m_mapper;
    std::unique_ptr<SimDesktop> m_sim;
};

// ---- Windows ---------------------------------------------------------------

TEST_F(SimDesktopTest, WindowsFoundByClassFrontToBack) {
    EXPECT_EQ(m_sim->FindNextWindow(0, "TMainForm"), 0);  // AirMail not running
    m_sim->StartAirMail();
    const WindowHandle main = m_sim->MainWindow();
    const WindowHandle other = m_sim->AddOtherWindow("TMainForm", "Logbook", {0, 0, 100, 100});
    EXPECT_EQ(m_sim->FindNextWindow(0, "tmainform"), other);  // class names ignore case, front first
    EXPECT_EQ(m_sim->FindNextWindow(other, "TMainForm"), main);
    EXPECT_EQ(m_sim->FindNextWindow(main, "TMainForm"), 0);
    EXPECT_EQ(m_sim->WindowText(main), "AirMail");
    EXPECT_EQ(m_sim->ClassName(main), "TMainForm");
    EXPECT_EQ(m_sim->FindWindowExact("TMainForm", "AirMail"), main);
    EXPECT_EQ(m_sim->FindWindowExact("TMainForm", "Air"), 0);
}

TEST_F(SimDesktopTest, KeysToAWindowOfAnotherProgramOrAMinimisedOneAreLost) {
    OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
    const WindowHandle other = m_sim->AddOtherWindow("ThunderRT6FormDC", "Tidewell", {0, 0, 200, 200});
    EXPECT_EQ(m_sim->ForegroundWindow(), other);
    EXPECT_EQ(m_sim->FocusedControl(), SimControl::OtherWindow);
    Key(vk::Tab);
    EXPECT_EQ(m_sim->LostKeyPresses(), 1);

    ASSERT_TRUE(m_sim->SetForeground(m_sim->TerminalWindow()));
    ASSERT_TRUE(m_sim->Show(m_sim->TerminalWindow(), ShowMode::Minimize));
    ASSERT_TRUE(m_sim->SetForeground(m_sim->TerminalWindow()));
    Key(vk::Tab);
    EXPECT_EQ(m_sim->LostKeyPresses(), 2);
    EXPECT_EQ(*m_sim->Rect(m_sim->TerminalWindow()), (WindowRect{-32000, -32000, -31840, -31972}));

    ASSERT_TRUE(m_sim->Show(m_sim->TerminalWindow(), ShowMode::Normal));
    Key(vk::Tab);
    EXPECT_EQ(m_sim->LostKeyPresses(), 2);
    EXPECT_EQ(m_sim->FocusedControl(), SimControl::TerminalSystem);
}

TEST_F(SimDesktopTest, DesktopSizeMoveAndRefusedForeground) {
    EXPECT_EQ(*m_sim->Rect(m_sim->DesktopWindow()), (WindowRect{0, 0, 1024, 768}));
    m_sim->StartAirMail();
    ASSERT_TRUE(m_sim->Move(m_sim->MainWindow(), 142, 145, 740, 410, true));
    EXPECT_EQ(*m_sim->Rect(m_sim->MainWindow()), (WindowRect{142, 145, 882, 555}));
    const WindowHandle other = m_sim->AddOtherWindow("X", "Y", {0, 0, 10, 10});
    m_sim->SetForegroundRefused(true);
    EXPECT_FALSE(m_sim->SetForeground(m_sim->MainWindow()));
    EXPECT_EQ(m_sim->ForegroundWindow(), other);
    EXPECT_FALSE(m_sim->SetForeground(0));
}

// ---- AirMail's keys ----------------------------------------------------------

TEST_F(SimDesktopTest, F6OpensTheTerminalOnTheSetPress) {
    for (int needed : {1, 3}) {
        SCOPED_TRACE(needed);
        m_sim->SetTerminalOpensOnF6Press(needed);
        m_sim->StartAirMail();
        for (int press = 1; press < needed; ++press) {
            Key(kF6);
            EXPECT_EQ(m_sim->FindNextWindow(0, "TTerminalForm"), 0) << "press " << press;
        }
        Key(kF6);
        const WindowHandle terminal = m_sim->FindNextWindow(0, "TTerminalForm");
        ASSERT_NE(terminal, 0);
        EXPECT_EQ(m_sim->WindowText(terminal), "Terminal");
        EXPECT_EQ(m_sim->ForegroundWindow(), terminal);
        EXPECT_EQ(m_sim->FocusedControl(), SimControl::TerminalText);
        Reset();
    }
}

TEST_F(SimDesktopTest, AltWThenPOpensThePositionReportAndPAloneNothing) {
    m_sim->StartAirMail();
    Key('W', {vk::Menu});
    Key(vk::Escape);  // closes the menu
    Key('P');
    Key('P', {vk::Menu});
    EXPECT_EQ(m_sim->PositionReportWindow(), 0);
    Send({{vk::Menu, false, false}, {'W', false, false}, {'W', true, false}, {'P', false, false},
          {'P', true, false}, {vk::Menu, true, false}});
    const WindowHandle position = m_sim->FindNextWindow(0, "TPositionForm");
    ASSERT_NE(position, 0);
    EXPECT_EQ(m_sim->WindowText(position), "Position Report");
    EXPECT_EQ(m_sim->ForegroundWindow(), position);
}

TEST_F(SimDesktopTest, TerminalTabOrderAndTheFieldCopied) {
    struct Case {
        std::vector<bool> shifts;  // one Tab per entry, with Shift when true
        SimControl focus;
        const char* copied;
    };
    for (const Case& c : {Case{{false}, SimControl::TerminalSystem, "SAILMAIL"},
                          Case{{false, false}, SimControl::TerminalStation, "QAA9920"},
                          Case{{false, false, false}, SimControl::TerminalFrequency, "8384.5"},
                          Case{{false, false, false, false}, SimControl::TerminalSystem, "SAILMAIL"},  // wraps
                          Case{{true}, SimControl::TerminalFrequency, "8384.5"},  // back from the text
                          Case{{false, true}, SimControl::TerminalFrequency, "8384.5"},
                          Case{{false, false, true}, SimControl::TerminalSystem, "SAILMAIL"}}) {
        SCOPED_TRACE(c.shifts.size());
        OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
        for (bool shift : c.shifts) Key(vk::Tab, shift ? std::vector<std::uint16_t>{vk::Shift} : std::vector<std::uint16_t>{});
        EXPECT_EQ(m_sim->FocusedControl(), c.focus);
        EXPECT_EQ(Copy(), c.copied);
        Reset();
    }
}

TEST_F(SimDesktopTest, PasteReplacesTheFieldSelectedByLeavingAndReturning) {
    OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
    Key(vk::Tab);
    Key(vk::Tab);  // station, selected whole
    Key(vk::End);  // caret at the end, nothing selected
    Key(vk::Tab);
    Key(vk::Tab, {vk::Shift});  // back: selected whole again
    m_sim->SetClipboardText("QGX1739\r\nsecond line");
    Key('V', {vk::Control, vk::Shift});
    EXPECT_EQ(m_sim->Field(SimControl::TerminalStation).text, "QGX1739");
    EXPECT_EQ(m_sim->Field(SimControl::TerminalFrequency).text, "8384.5");
}

TEST_F(SimDesktopTest, TypingAndEditingKeysInAField) {
    OpenTerminal("SAILMAIL", "", "8384.5");
    Key(vk::Tab, {vk::Shift});  // frequency, selected
    Send(Typed("14108.5"));
    Key(vk::Back);
    Send(Typed("0"));
    Key(vk::Home);
    Key(vk::Right, {vk::Shift});
    Key(vk::Delete);
    EXPECT_EQ(m_sim->Field(SimControl::TerminalFrequency).text, "4108.0");
    // Nothing selected: Ctrl+C copies the whole field.
    EXPECT_EQ(Copy(), "4108.0");
    // A field with no text leaves the clipboard empty.
    Key(vk::Tab, {vk::Shift});
    Key(vk::Delete);
    EXPECT_EQ(Copy(), "");
}

TEST_F(SimDesktopTest, TextAreaSelectsWithUpHomeShiftEnd) {
    OpenTerminal("HAM", "QE7NMD", "14108.0");
    m_sim->AppendTerminalLine("first");
    m_sim->AppendTerminalLine("second line");
    m_sim->AppendTerminalLine("third");
    Key(vk::Up);
    Key(vk::End, {vk::Control});
    std::vector<std::string> read;
    for (int i = 0; i < 4; ++i) {
        Key(vk::Up);
        Key(vk::Home);
        Key(vk::End, {vk::Shift});
        read.push_back(Copy());
    }
    EXPECT_EQ(read, (std::vector<std::string>{"third", "second line", "first", "first"}));
    // A selection across lines copies with CRLF; Ctrl+Home goes to the start.
    Key(vk::End, {vk::Control});
    Key(vk::Up, {vk::Shift});
    Key(vk::Up, {vk::Shift});
    EXPECT_EQ(Copy(), "second line\r\nthird\r\n");
    Key(vk::Home, {vk::Control});
    EXPECT_EQ((m_sim->TextCaret()), (SimTextPos{0, 0}));
    // The text area is read only.
    Send(Typed("x"));
    EXPECT_EQ(m_sim->TerminalText(), "first\r\nsecond line\r\nthird\r\n");
}

// ---- Starting AirMail --------------------------------------------------------

TEST_F(SimDesktopTest, OnlyAirmail3InTheProgramFolderStarts) {
    for (const auto& [program, ok] : {std::pair{"C:\\Program Files\\AirMail\\Airmail3.exe", true},
                                      std::pair{"c:/program files/airmail//AIRMAIL3.EXE", true},
                                      std::pair{"C:\\Program Files\\AirMail\\Notepad.exe", false},
                                      std::pair{"C:\\AirMail\\Airmail3.exe", false}}) {
        SCOPED_TRACE(program);
        const auto result = m_sim->StartNormal(program, "");
        EXPECT_EQ(result.ok, ok);
        EXPECT_EQ(result.error, ok ? 0 : 2);
        EXPECT_EQ(m_sim->FindNextWindow(0, "TMainForm") != 0, ok);
        Reset();
    }
    std::filesystem::remove(m_dir / "Program Files/AirMail/Airmail3.exe");
    const auto missing = m_sim->ShellOpen(0, "C:\\Program Files\\AirMail\\Airmail3.exe", "");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, 2);
}

TEST_F(SimDesktopTest, MainWindowAppearsAfterTheStartDelay) {
    m_sim->SetStartDelaySeconds(2);
    ASSERT_TRUE(m_sim->ShellOpen(0, "C:\\Program Files\\AirMail\\Airmail3.exe", "C:\\Program Files\\AirMail").ok);
    m_clock.Advance(1);
    EXPECT_EQ(m_sim->FindNextWindow(0, "TMainForm"), 0);
    m_clock.Advance(1);
    EXPECT_NE(m_sim->FindNextWindow(0, "TMainForm"), 0);
    EXPECT_EQ(m_sim->ForegroundWindow(), m_sim->MainWindow());
}

// ---- Calls and the debug log ---------------------------------------------------

TEST_F(SimDesktopTest, ScriptedCallLogLinesFallDueOnTheClock) {
    auto manualDisconnect = SimCallOutcome::Connected(40, 200);
    manualDisconnect.manualDisconnect = true;
    struct Case {
        SimCallOutcome outcome;
        std::vector<std::pair<int, const char*>> log;  // seconds after F5, log text
    };
    const Case cases[] = {
        {SimCallOutcome::Connected(30, 120), {{30, "Connected to QAA9920"}, {150, "Disconnected from QAA9920"}}},
        {SimCallOutcome::NoAnswerAfter(5), {{5, "No answer from QAA9920"}}},
        {SimCallOutcome::StoppedAfter(20), {{20, "No answer from QAA9920 (manual)"}}},
        {manualDisconnect, {{40, "Connected to QAA9920"}, {240, "Disconnected from QAA9920 (manual)"}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log.back().second);
        Reset();
        OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
        m_sim->ScriptCall("qaa9920", "8384.50", c.outcome);
        Key(kF5);
        std::string expected = "2024/05/10 06:00:00.00 Calling QAA9920 on 8384.5 kHz\r\n";
        EXPECT_EQ(Log(), expected);
        int elapsed = 0;
        for (const auto& [at, text] : c.log) {
            Advance(at - 1 - elapsed);
            EXPECT_EQ(Log(), expected) << "not yet at " << at - 1 << " s";
            Advance(1);
            elapsed = at;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "06:%02d:%02d.00 ", at / 60, at % 60);
            expected += stamp + std::string(text) + "\r\n";
            EXPECT_EQ(Log(), expected) << "at " << at << " s";
        }
        Advance(3600);
        EXPECT_EQ(Log(), expected);
        EXPECT_EQ(m_sim->CallState(), SimCallState::Idle);
    }
}

TEST_F(SimDesktopTest, EachCallTakesTheNextScriptedOutcomeAndTheLastOneStays) {
    OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
    m_sim->ScriptCall("QAA9920", "8384.5", SimCallOutcome::NoAnswerAfter(10));
    m_sim->ScriptCall("QAA9920", "8384.5", SimCallOutcome::Connected(10, 10));
    m_sim->SetDefaultOutcome(SimCallOutcome::StoppedAfter(10));
    std::vector<std::string> ends;
    for (int call = 0; call < 3; ++call) {
        Key(kF5);
        Advance(100);
        ends.push_back(m_sim->LogLines().back().substr(12));
    }
    EXPECT_EQ(ends, (std::vector<std::string>{"No answer from QAA9920", "Disconnected from QAA9920",
                                              "Disconnected from QAA9920"}));
    // Another frequency has no script: the default outcome.
    m_sim->SetTerminalFields("SAILMAIL", "QAA9920", "12470.0");
    Key(kF5);
    Advance(100);
    EXPECT_EQ(m_sim->LogLines().back().substr(12), "No answer from QAA9920 (manual)");
}

TEST_F(SimDesktopTest, StopControlEndsTheCallAndItsScriptedLinesNeverCome) {
    OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
    m_sim->ScriptCall("QAA9920", "8384.5", SimCallOutcome::Connected(30, 120));
    Key(kF5);
    Advance(10);
    Key(kF5);  // busy: a second F5 starts nothing
    m_sim->PressStop();
    Advance(1000);
    ASSERT_EQ(m_sim->LogLines().size(), 2u);
    EXPECT_EQ(m_sim->LogLines()[1], "06:00:10.00 No answer from QAA9920 (manual)");
}

TEST_F(SimDesktopTest, F5WithoutStationWritesNothing) {
    OpenTerminal("SAILMAIL", "", "8384.5");
    Key(kF5);
    EXPECT_EQ(m_sim->CallState(), SimCallState::Idle);
    // The log exists from AirMail's start on, empty until a call.
    ASSERT_TRUE(std::filesystem::exists(m_sim->DebugLogPath()));
    EXPECT_EQ(Log(), "");
}

TEST_F(SimDesktopTest, ChangeCallbackOncePerChangingCall) {
    OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
    int calls = 0;
    m_sim->SetOnChanged([&calls] { ++calls; });
    const auto before = m_sim->Revision();
    Send(Typed("abc"));
    EXPECT_EQ(calls, 1);
    EXPECT_GT(m_sim->Revision(), before);
    m_sim->Tick();  // nothing due
    EXPECT_EQ(calls, 1);
}

// ---- Demo outcomes --------------------------------------------------------------

TEST_F(SimDesktopTest, DemoConnectsMoreOftenWithBetterSnrAndRepeats) {
    // Connections in 200 calls with a prediction of `snr` dB.
    const auto connections = [&](double snr) {
        Reset();
        m_sim->SetDemoOutcomes([snr](const std::string&, const std::string&, const std::string&) { return snr; }, 7);
        OpenTerminal("SAILMAIL", "QAA9920", "8384.5");
        for (int call = 0; call < 200; ++call) {
            Key(kF5);
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
