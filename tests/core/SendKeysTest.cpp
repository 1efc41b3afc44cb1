// Keystroke synthesis: the event list of each notation case under the US
// layout, the single delivery per call, and the key sequences the program
// types into AirMail played against the simulated AirMail (with its debug
// log read back by the log parser).

#include <gtest/gtest.h>

#include <QDate>
#include <QString>

#include "airmail/DebugLog.h"
#include "connect/SendKeys.h"
#include "platform/Clock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/UsKeyboard.h"
#include "support/AirMailDrive.h"

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

TEST(SendKeysNotation, Events) {
    const std::pair<const char*, const char*> cases[] = {
        // Modifiers hold for the next item only; an upper-case letter brings
        // its own Shift, but gets no second one under "+".
        {"{TAB}+{TAB}", "9d 9u 16d 9d 9u 16u"}, {"^C", "17d 16d 67d 67u 16u 17u"},
        {"^c", "17d 67d 67u 17u"}, {"+a", "16d 65d 65u 16u"}, {"+A", "16d 65d 65u 16u"},
        {"+aB", "16d 65d 65u 16u 16d 66d 66u 16u"}, {"^%a", "17d 18d 65d 65u 18u 17u"},
        {"a+", "65d 65u 16d 16u"},  // a modifier at the end is pressed alone
        // Groups: an empty one types its ")"; an unmatched "(" adds nothing
        // and is the item a "+" before it holds.
        {"%(wp)", "18d 87d 87u 80d 80u 18u"},
        {"(A+{)", "16d 65d 65u 16u 16d 187d 187u 16u 16d 219d 219u 16u"},
        {"()", "16d 48d 48u 16u"}, {"(ab", "65d 65u 66d 66u"}, {"+(a", "16d 16u 65d 65u"},
        // Braced keys, named in any case; extended ones go down extended.  A
        // count repeats them, rounded half to even, at least once.
        {"{F5}", "116d 116u"}, {"{f16}", "127d 127u"}, {"{Tab}", "9d 9u"},
        {"{UP 3}", "38dx 38u 38dx 38u 38dx 38u"}, {"{UP  2}", "38dx 38u"},
        {"{TAB 0}", "9d 9u"}, {"{TAB x}", "9d 9u"}, {"{TAB 2.5}", "9d 9u 9d 9u"},
        {"{TAB 3.5}", "9d 9u 9d 9u 9d 9u 9d 9u"},
        {"{UP}{HOME}+{END}", "38dx 38u 36dx 36u 16d 35dx 35u 16u"},
        {"{DEL}{BS}{ESC}", "46dx 46u 8d 8u 27d 27u"}, {"{BREAK}{PAUSE}", "19dx 19u 19d 19u"},
        {"{PRTSC}{NUMLOCK}{SCROLLLOCK}", "44dx 44u 144dx 144u 145d 145u"},
        // "~" in braces is Enter, a bare one a tilde.  Braces without a key
        // name type their first character, empty ones the "}"; an unmatched
        // "{" adds nothing.
        {"{~}{ENTER}", "13d 13u 13d 13u"}, {"~", "16d 192d 192u 16u"}, {"{xyz}", "88d 88u"},
        {"{x 2}", "88d 88u 88d 88u"}, {"{+}", "16d 187d 187u 16u"}, {"{ }", "32d 32u"},
        {"{}", "16d 221d 221u 16u"}, {"{ab", "65d 65u 66d 66u"},
        // Plain characters through the layout; one it has no key for is left out.
        {"8384.5", "56d 56u 51d 51u 56d 56u 52d 52u 190d 190u 53d 53u"}, {"\xE9", ""}};
    for (const auto& [keys, events] : cases)
        EXPECT_EQ(Describe(SendKeysBuildEvents(keys, platform::UsKeyScan)), events) << keys;
    // The layout types a control character with Ctrl and its letter.
    EXPECT_EQ(platform::UsKeyScan('\x01'), (KeyScan{'A', 2}));
    EXPECT_EQ(platform::UsKeyScan('\x1A'), (KeyScan{'Z', 2}));
    // A count is held to its limit.
    EXPECT_EQ(SendKeysBuildEvents("{TAB 99999999999}", platform::UsKeyScan).size(),
              2u * kSendKeysMaxCount);
    // However many modifiers stand in a row (no stack grows with them), each
    // is released, and the item after them gets no Shift of its own.
    const auto held = SendKeysBuildEvents(std::string(200000, '+') + "A", platform::UsKeyScan);
    ASSERT_EQ(held.size(), 2u * 200000 + 2);
    EXPECT_EQ(Describe({held.begin() + 199999, held.begin() + 200004}), "16d 65d 65u 16u 16u");
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
        return c == 'a' ? KeyScan{'Q', 0} : platform::UsKeyScan(c);
    }
    void MouseEvent(platform::MouseAction, int, int) override {}
    std::optional<platform::ScreenPoint> CursorPos() override { return std::nullopt; }
    bool SetCursorPos(platform::ScreenPoint) override { return false; }

    std::vector<std::vector<KeyEvent>> calls;
    std::string asked;
    std::size_t accept = static_cast<std::size_t>(-1);
};

TEST(SendKeys, DeliversTheWholeSequenceInOneCallThroughTheServicesLayout) {
    RecordingInput input;
    EXPECT_TRUE(SendKeys(input, QStringLiteral("{TAB}+{TAB}a")));
    ASSERT_EQ(input.calls.size(), 1u);
    EXPECT_EQ(Describe(input.calls[0]), "9d 9u 16d 9d 9u 16u 81d 81u");  // the service's layout
    // Nothing to send makes no call.
    EXPECT_TRUE(SendKeys(input, QString()));
    EXPECT_EQ(input.calls.size(), 1u);
    // Only characters ask the layout, in code page 1252: a-umlaut and the euro sign.
    SendKeys(input, QString::fromUtf8("\xC3\xA4\xE2\x82\xAC"));
    EXPECT_EQ(input.asked, "a\xE4\x80");
    // Events the system did not take are reported.
    input.accept = 3;
    EXPECT_FALSE(SendKeys(input, QStringLiteral("{F6}{F6}")));
}

// ---- Against the simulated AirMail -----------------------------------------

// The log lines the simulated AirMail writes, read back by the program's own
// parser: times as the events fell due, across midnight.
TEST(SendKeysIntoSimulatedAirMail, LogLinesReadBackByTheLogParser) {
    test::AirMailDrive drive;
    platform::ManualClock clock{platform::UtcFromFields({2024, 5, 10, 23, 59, 0})};
    platform::SimDesktop desktop(clock, drive.paths);
    desktop.StartAirMail();
    desktop.SetTerminalFields("SAILMAIL", "QAA9920", "8384.5");
    desktop.ScriptCall("QAA9920", "8384.5", platform::SimCallOutcome::Connected(45, 100));
    ASSERT_TRUE(SendKeys(desktop, QStringLiteral("{F6}{F5}")));
    clock.Advance(200);
    desktop.Tick();

    QDate date;
    QStringList times;
    for (const std::string& line : desktop.LogLines())
        times << DebugLogParseLine(QString::fromStdString(line), date).time.toString(Qt::ISODate);
    EXPECT_EQ(times, (QStringList{"2024-05-10T23:59:00Z", "2024-05-10T23:59:45Z",
                                  "2024-05-11T00:01:25Z"}));
}

}  // namespace
}  // namespace tw
