// Keystroke synthesis: the event list of each notation case under the US
// layout, the single delivery per call, and the key sequences the program
// types into AirMail played against the simulated AirMail (with its debug
// log read back by the log parser).

#include <gtest/gtest.h>

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "airmail/DebugLog.h"
#include "connect/SendKeys.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/UsKeyboard.h"

namespace tw {
namespace {

using platform::KeyEvent;
using platform::KeyScan;

// Events written compactly: virtual key in decimal, "d" down or "u" up, "x"
// when extended; "16d 9d 9u 16u" is Shift+Tab.
std::string Describe(const std::vector<KeyEvent>& events) {
    std::string out;
    for (const auto& e : events) {
        if (!out.empty()) out += ' ';
        out += std::to_string(e.vk) + (e.keyUp ? "u" : "d") + (e.extended ? "x" : "");
    }
    return out;
}

std::string Build(std::string_view keys) {
    return Describe(SendKeysBuildEvents(keys, [](char c) { return platform::UsKeyScan(c); }));
}

struct NotationCase {
    const char* keys;
    const char* events;
};

class SendKeysNotation : public ::testing::TestWithParam<NotationCase> {};

TEST_P(SendKeysNotation, Events) {
    EXPECT_EQ(Build(GetParam().keys), GetParam().events) << "keys: " << GetParam().keys;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SendKeysNotation,
    ::testing::Values(
        // Modifiers hold for the next item only.
        NotationCase{"{TAB}+{TAB}", "9d 9u 16d 9d 9u 16u"},
        NotationCase{"+{TAB}+{TAB}", "16d 9d 9u 16u 16d 9d 9u 16u"},
        NotationCase{"^C", "17d 16d 67d 67u 16u 17u"},  // an upper-case letter brings its own Shift
        NotationCase{"^V", "17d 16d 86d 86u 16u 17u"},
        NotationCase{"^c", "17d 67d 67u 17u"},
        NotationCase{"+a", "16d 65d 65u 16u"},
        NotationCase{"+A", "16d 65d 65u 16u"},  // no second Shift under "+"
        NotationCase{"+ab", "16d 65d 65u 16u 66d 66u"},
        NotationCase{"^%a", "17d 18d 65d 65u 18u 17u"},
        NotationCase{"%", "18d 18u"},  // a modifier at the end is pressed alone
        NotationCase{"a+", "65d 65u 16d 16u"},
        // Groups.
        NotationCase{"%(wp)", "18d 87d 87u 80d 80u 18u"},
        NotationCase{"+(ab)", "16d 65d 65u 66d 66u 16u"},
        NotationCase{"(A+{)", "16d 65d 65u 16u 16d 187d 187u 16u 16d 219d 219u 16u"},
        NotationCase{"()", "16d 48d 48u 16u"},                  // the ")" of an empty group is typed
        NotationCase{"(ab", "65d 65u 66d 66u"},                 // an unmatched "(" adds nothing
        NotationCase{"+(a", "16d 16u 65d 65u"},                 // ... and is the item "+" holds
        // Braced keys.
        NotationCase{"{F5}", "116d 116u"},
        NotationCase{"{F6}", "117d 117u"},
        NotationCase{"{f16}", "127d 127u"},
        NotationCase{"{Tab}", "9d 9u"},
        NotationCase{"{UP 3}", "38dx 38u 38dx 38u 38dx 38u"},  // extended down, plain up
        NotationCase{"{UP  2}", "38dx 38u 38dx 38u"},
        NotationCase{"{TAB 0}", "9d 9u"},
        NotationCase{"{TAB -4}", "9d 9u"},
        NotationCase{"{TAB 2.5}", "9d 9u 9d 9u"},  // rounded half to even
        NotationCase{"{TAB 3.5}", "9d 9u 9d 9u 9d 9u 9d 9u"},
        NotationCase{"{TAB x}", "9d 9u"},
        NotationCase{"{UP}{HOME}+{END}", "38dx 38u 36dx 36u 16d 35dx 35u 16u"},
        NotationCase{"{UP}^{END}", "38dx 38u 17d 35dx 35u 17u"},
        NotationCase{"{DEL}{BS}{ESC}", "46dx 46u 8d 8u 27d 27u"},
        NotationCase{"{BREAK}{PAUSE}", "19dx 19u 19d 19u"},
        NotationCase{"{PRTSC}{NUMLOCK}{SCROLLLOCK}", "44dx 44u 144dx 144u 145d 145u"},
        NotationCase{"{~}", "13d 13u"},            // "~" in braces is Enter
        NotationCase{"~", "16d 192d 192u 16u"},    // a bare "~" is a tilde
        NotationCase{"{xyz}", "88d 88u"},          // no key name: its first character
        NotationCase{"{x 2}", "88d 88u 88d 88u"},
        NotationCase{"{+}", "16d 187d 187u 16u"},
        NotationCase{"{ }", "32d 32u"},
        NotationCase{"{}", "16d 221d 221u 16u"},   // empty braces: the "}" is typed
        NotationCase{"{ab", "65d 65u 66d 66u"},    // an unmatched "{" adds nothing
        // Plain characters through the layout.
        NotationCase{"8384.5", "56d 56u 51d 51u 56d 56u 52d 52u 190d 190u 53d 53u"},
        NotationCase{"HAM", "16d 72d 72u 16u 16d 65d 65u 16u 16d 77d 77u 16u"},
        NotationCase{"\xE9", ""},  // a character the layout has no key for is left out
        NotationCase{"", ""}));

TEST(SendKeysNotation, CountIsHeldToItsLimit) {
    const auto events = SendKeysBuildEvents("{TAB 99999999999}", [](char c) { return platform::UsKeyScan(c); });
    EXPECT_EQ(events.size(), 2u * kSendKeysMaxCount);
}

// An input service that records its calls and answers with its own layout.
class RecordingInput final : public platform::IInput {
public:
    std::size_t SendInput(const std::vector<KeyEvent>& events) override {
        calls.push_back(events);
        return std::min(events.size(), accept);
    }
    std::optional<KeyScan> KeyScanFor(char c) override {
        asked += c;
        // A layout where "a" sits on the key that is Q elsewhere.
        if (c == 'a') return KeyScan{'Q', 0};
        return platform::UsKeyScan(c);
    }
    void MouseEvent(platform::MouseAction, int, int) override {}
    std::optional<platform::ScreenPoint> CursorPos() override { return std::nullopt; }
    bool SetCursorPos(platform::ScreenPoint) override { return false; }

    std::vector<std::vector<KeyEvent>> calls;
    std::string asked;
    std::size_t accept = static_cast<std::size_t>(-1);
};

TEST(SendKeys, DeliversTheWholeSequenceInOneCall) {
    RecordingInput input;
    EXPECT_TRUE(SendKeys(input, QStringLiteral("{TAB}+{TAB}a")));
    ASSERT_EQ(input.calls.size(), 1u);
    EXPECT_EQ(Describe(input.calls[0]), "9d 9u 16d 9d 9u 16u 81d 81u");  // the service's layout
}

TEST(SendKeys, NothingToSendMakesNoCall) {
    RecordingInput input;
    EXPECT_TRUE(SendKeys(input, QString()));
    EXPECT_TRUE(input.calls.empty());
}

TEST(SendKeys, ReportsEventsTheSystemDidNotTake) {
    RecordingInput input;
    input.accept = 3;
    EXPECT_FALSE(SendKeys(input, QStringLiteral("{F6}{F6}")));
}

TEST(SendKeys, CharactersReachTheLayoutInCodePage1252) {
    RecordingInput input;
    SendKeys(input, QString::fromUtf8("\xC3\xA4\xE2\x82\xAC"));  // a-umlaut and the euro sign
    EXPECT_EQ(input.asked, "\xE4\x80");
}

// ---- Against the simulated AirMail -----------------------------------------

class SendKeysIntoSimulatedAirMail : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = std::filesystem::path(m_dir.path().toStdString());
        std::filesystem::create_directories(m_root / "Program Files" / "AirMail");
        std::ofstream(m_root / "Program Files" / "AirMail" / "Airmail3.exe") << "x";
        m_mapper.SetDrive('C', m_root.string());
        m_desktop = std::make_unique<platform::SimDesktop>(m_clock, m_mapper);
        m_desktop->StartAirMail();
    }

    void Keys(const char* keys) { ASSERT_TRUE(SendKeys(*m_desktop, QString::fromLatin1(keys))); }
    std::string Copy() {
        m_desktop->ClearClipboard();
        Keys("^C");
        return m_desktop->ClipboardText();
    }

    QTemporaryDir m_dir;
    std::filesystem::path m_root;
    platform::ManualClock m_clock{platform::UtcFromFields({2024, 5, 10, 23, 59, 0})};
    platform::PathMapper m_mapper;
    std::unique_ptr<platform::SimDesktop> m_desktop;
};

TEST_F(SendKeysIntoSimulatedAirMail, StationAndFrequencyPastedOverWholeFields) {
    m_desktop->SetTerminalFields("SAILMAIL", "QGX1739", "12493.5");
    Keys("{F6}");
    ASSERT_NE(m_desktop->TerminalWindow(), 0);
    // Find the frequency field as the connection process does: it is the one
    // with a "." among its 5th to 7th characters.
    Keys("{TAB}+{TAB}");
    for (int i = 0; i < 4 && Copy().find('.') == std::string::npos; ++i) Keys("{TAB}");
    ASSERT_EQ(m_desktop->FocusedControl(), platform::SimControl::TerminalFrequency);
    Keys("+{TAB}");
    Keys("{TAB}+{TAB}");
    m_desktop->SetClipboardText("QAA9920");
    Keys("^V");
    Keys("{TAB}");
    Keys("{TAB}+{TAB}");
    m_desktop->SetClipboardText("8384.5");
    Keys("^V");
    EXPECT_EQ(m_desktop->Field(platform::SimControl::TerminalStation).text, "QAA9920");
    EXPECT_EQ(m_desktop->Field(platform::SimControl::TerminalFrequency).text, "8384.5");
    EXPECT_EQ(m_desktop->Field(platform::SimControl::TerminalSystem).text, "SAILMAIL");
}

TEST_F(SendKeysIntoSimulatedAirMail, TerminalLinesReadUpwardsFromTheEnd) {
    m_desktop->SetTerminalFields("HAM", "QE7NMD", "14108.0");
    m_desktop->ScriptCall("QE7NMD", "14108.0", platform::SimCallOutcome::Connected(30, 240, 20));
    Keys("{F6}{F5}");
    m_clock.Advance(30 + 240);
    m_desktop->Tick();
    // Click into the text area, go to the end, then select line after line upwards.
    const auto rect = *m_desktop->Rect(m_desktop->TerminalWindow());
    const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
    m_desktop->MouseEvent(platform::MouseAction::MoveAbsolute, x * 65536 / 1024, y * 65536 / 768);
    m_desktop->MouseEvent(platform::MouseAction::LeftDown, 0, 0);
    m_desktop->MouseEvent(platform::MouseAction::LeftUp, 0, 0);
    Keys("{UP}^{END}");
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i) {
        Keys("{UP}{HOME}+{END}");
        lines.push_back(Copy());
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"*** Disconnected from QE7NMD", "QE7NMD>",
                                               "PMBO QE7NMD - last contacted server 20 min ago.",
                                               "*** Connected to QE7NMD", "*** Calling QE7NMD on 14108.0 kHz",
                                               "*** Calling QE7NMD on 14108.0 kHz"}));
}

// The log lines the simulated AirMail writes, read back by the program's own
// parser: times as the events fell due (across midnight), events as meant.
TEST_F(SendKeysIntoSimulatedAirMail, LogLinesReadBackByTheLogParser) {
    m_desktop->SetTerminalFields("SAILMAIL", "QAA9920", "8384.5");
    m_desktop->ScriptCall("QAA9920", "8384.5", platform::SimCallOutcome::Connected(45, 100));
    Keys("{F6}{F5}");
    m_clock.Advance(200);
    m_desktop->Tick();

    std::ifstream in(m_desktop->DebugLogPath(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");

    struct Expected {
        const char* time;
        std::optional<DebugLogEvent> event;
    };
    const Expected expected[] = {{"2024-05-10T23:59:00", std::nullopt},
                                 {"2024-05-10T23:59:45", DebugLogEvent::Connected},
                                 {"2024-05-11T00:01:25", DebugLogEvent::Disconnected}};
    QDate current(2000, 1, 1);
    std::size_t start = 0;
    for (const auto& e : expected) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const QString line = QString::fromLatin1(text.substr(start, end - start));
        start = end + 2;
        const DebugLogLine parsed = DebugLogParseLine(line, current);
        EXPECT_EQ(parsed.time.toString(Qt::ISODate).left(19), QString::fromLatin1(e.time)) << line.toStdString();
        EXPECT_GT(parsed.eventPosition, 0);
        EXPECT_EQ(DebugLogLineEvent(line), e.event) << line.toStdString();
    }
    EXPECT_EQ(start, text.size());
}

}  // namespace
}  // namespace tw
