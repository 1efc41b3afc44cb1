// AirMail window control against the simulated AirMail: finding windows,
// starting AirMail, opening and checking the Terminal, the Position Report
// window, arranging the windows and the click, and the waiting services.

#include <QFile>

#include <array>

#include "ConnectFixture.h"

namespace tw::test {
namespace {

using platform::WindowRect;
using WindowControlTest = ConnectFixture;

TEST_F(WindowControlTest, WindowFindMatchesClassAndCaseSensitiveCaptionPart) {
    sim.StartAirMail();
    const auto viewer = sim.AddOtherWindow("TMainForm", "Log Viewer", {0, 0, 100, 100});
    sim.AddOtherWindow("TMainForm", "Tidewell", {0, 0, 100, 100});
    const std::tuple<const char*, const char*, platform::WindowHandle> cases[] = {
        {"TMainForm", "Mail", sim.MainWindow()}, {"TMainForm", "airmail", 0},
        {"TMainForm", "Viewer", viewer}, {"TTerminalForm", "AirMail", 0}};
    for (const auto& [cls, part, expected] : cases)
        EXPECT_EQ(windows.WindowFind(QString::fromLatin1(cls), QString::fromLatin1(part)), expected)
            << cls << " / " << part;
}

// F6 once a second until the Terminal opens, then a field copied once a
// second until one answers; five tries each.  Another program's window that
// comes forward during the first wait takes none of the presses.
TEST_F(WindowControlTest, TerminalOpenPressesF6AndChecksTheFieldsFiveTimesAtMost) {
    // The press the Terminal opens on, its system field (an empty one copies
    // as nothing), then the presses and checks made and the outcome.
    const std::tuple<int, const char*, int, int, bool> cases[] = {
        {3, "SAILMAIL", 3, 1, true}, {6, "SAILMAIL", 5, 0, false}, {1, "", 1, 5, false}};
    for (const auto& [opensOnPress, system, presses, checks, ok] : cases) {
        SCOPED_TRACE(opensOnPress);
        sim.SetTerminalOpensOnF6Press(opensOnPress);
        sim.SetTerminalFields(system, "", "");
        sim.StartAirMail();
        drive.ui.ClearRecords();
        const int tabs = KeyPresses(platform::vk::Tab);
        bool other = false;
        clockWaiter.onSecond = [&] {
            Second();
            if (!std::exchange(other, true)) sim.AddOtherWindow("Ship's Log", "", {0, 0, 50, 50});
        };

        EXPECT_EQ(windows.TerminalOpen(), ok);
        EXPECT_EQ(KeyPresses(platform::vk::Tab) - tabs, checks);
        EXPECT_EQ(sim.LostKeyPresses(), 0);
        std::vector<std::string> statuses;
        for (int n = 1; n <= presses; ++n)
            statuses.push_back("Opening Terminal Window, " + std::to_string(n) + " Sec");
        for (int n = 1; n <= checks; ++n)
            statuses.push_back("Checking Terminal Window, " + std::to_string(n) + " Sec");
        statuses.push_back(ok ? "" : "Terminal Window Problem");
        EXPECT_EQ(Statuses(), statuses);
        sim.CloseWindow(sim.MainWindow());
    }
}

// Asked, the user says Yes: AirMail is started, with a plain start where the
// system is not Windows NT (the window tests start it through the shell), and
// its Terminal opened.
TEST_F(WindowControlTest, AirMailNotRunningIsStartedWhenTheUserSaysYes) {
    sim.SetEnvironmentVariable("OS", "");
    drive.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(windows.TerminalActivate());
    ASSERT_EQ(drive.ui.messages.size(), 1u);  // the question only
    EXPECT_EQ(drive.ui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(sim.ForegroundWindow(), sim.TerminalWindow());
    EXPECT_GE(clock.NowUtc() - kNoonUtc, 4);  // 2 s after the start, 2 s after the F6
}

// The Terminal cannot be opened without AirMail's main window, nor AirMail
// started without its program: both are reported.
TEST_F(WindowControlTest, AirMailMissingOrNotStartedIsReported) {
    EXPECT_FALSE(windows.TerminalOpen());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.messages[0].text, QStringLiteral("The AirMail Window must be open."));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(Statuses().back(), "AirMail Window Problem");
    EXPECT_EQ(drive.ui.broughtToFront.back(), QStringLiteral("Tidewell"));

    QFile::remove(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\Airmail3.exe")));
    drive.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_FALSE(windows.AirMailOpenAirMail(QStringLiteral("Start it?")));
    ASSERT_EQ(drive.ui.messages.size(), 3u);  // the question, then the failure
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(QStringLiteral("Unable to start AirMail")));
    EXPECT_TRUE(drive.ui.LastMessage().contains(QStringLiteral("the AirMail Program Folder")));
    EXPECT_EQ(drive.ui.messages[2].icon, MsgIcon::Exclamation);
    EXPECT_EQ(Statuses().back(), "Airmail Window Problem");
}

// The main window's left and top, then the Terminal's, for a desktop's right
// and bottom edges.
TEST(AirMailWindowPlaces, CentreAndBottomRightWithHalvesToEven) {
    const std::array<int, 6> cases[] = {
        {1024, 768, 142, 145, 412, 300}, {1025, 769, 142, 146, 413, 301},
        {1027, 767, 144, 144, 415, 299}, {1920, 1080, 590, 301, 1308, 612}};
    for (const auto& [right, bottom, left, top, termLeft, termTop] : cases) {
        SCOPED_TRACE(right);
        const AirMailWindowPlaces p = AirMailWindowPlacesFor(right, bottom);
        EXPECT_EQ(p.main, (WindowRect{left, top, left + 740, top + 410}));
        EXPECT_EQ(p.terminal, (WindowRect{termLeft, termTop, termLeft + 612, termTop + 434}));
    }
}

// The windows are placed and restored.  The Terminal, open behind another
// window, is brought in front without a question or a key; a click in its
// middle gives it the focus.
TEST_F(WindowControlTest, TheTerminalIsPlacedBroughtInFrontAndClicked) {
    sim.StartAirMail();
    windows.AirMailResizeWindows();  // no Terminal yet: only the main window moves
    EXPECT_EQ(sim.Rect(sim.MainWindow()), (WindowRect{142, 145, 882, 555}));
    sim.SendInput({{kVkF6, false, false}, {kVkF6, true, false}});
    sim.Show(sim.TerminalWindow(), platform::ShowMode::Minimize);
    windows.AirMailResizeWindows();
    EXPECT_EQ(sim.Rect(sim.TerminalWindow()), (WindowRect{412, 300, 1024, 734}));

    sim.AddOtherWindow("ThunderRT6FormDC", "Tidewell", {0, 0, 200, 200});
    main.settings.m_bAirMailResize = false;  // the arrangement would bring it forward too
    drive.ui.ClearRecords();
    EXPECT_TRUE(windows.TerminalActivate());
    EXPECT_EQ(sim.ForegroundWindow(), sim.TerminalWindow());
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Activating Terminal", ""}));
    sim.SetCursorPos({10, 10});
    EXPECT_EQ(windows.TerminalClickCenter(), 1);
    EXPECT_EQ(sim.CursorPos(), (platform::ScreenPoint{718, 517}));  // the middle
    EXPECT_EQ(sim.FocusedControl(), platform::SimControl::TerminalText);
}

TEST_F(WindowControlTest, PositionReportIsOpenedAndTheListInvalidated) {
    main.UpdateBold(false, false);  // a valid list: Start enabled
    // Without AirMail, answered No: nothing opens and the list stays valid.
    drive.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(windows.AirMailOpenPositionReport());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(QStringLiteral("Your current position is")));
    EXPECT_TRUE(main.cmdStart.enabled);

    sim.StartAirMail();
    drive.ui.ClearRecords();
    drive.ui.SetPanelText(3, QStringLiteral("1:05"));  // the last connection's time: it goes too
    EXPECT_TRUE(windows.AirMailOpenPositionReport());
    EXPECT_EQ(sim.ForegroundWindow(), sim.PositionReportWindow());
    EXPECT_EQ(std::pair(main.cmdStart.enabled, drive.ui.PanelText(3)), std::pair(false, QString()));
    ASSERT_EQ(drive.ui.messages.size(), 1u);  // AirMail runs: only the hint
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(QStringLiteral("Please close the AirMail's")));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);

    // Already open: no keys.
    const std::size_t calls = sim.InputCalls().size();
    EXPECT_TRUE(windows.AirMailOpenPositionReport());
    EXPECT_EQ(sim.InputCalls().size(), calls);
}

// ---- waiting ----------------------------------------------------------------

// Ten waits of 0.1 s make a second, though their sum falls a hair short of it.
TEST(WaiterTest, ManualClockFractionsAddUpToWholeSecondsAndTheEventLoopWaitsItsTime) {
    ScriptedUserInterface ui;
    platform::ManualClock clock(86399);
    int seconds = 0;
    ManualClockWaiter waiter(clock, ui, [&] { ++seconds; });
    for (int i = 0; i < 9; ++i) waiter.WaitSeconds(0.1);
    EXPECT_EQ(clock.NowUtc(), 86399);
    waiter.WaitSeconds(0.1);
    EXPECT_EQ(clock.NowUtc(), 86400);
    waiter.WaitSeconds(2);
    EXPECT_EQ(clock.NowUtc(), 86402);
    EXPECT_EQ(seconds, 3);
    EXPECT_EQ(ui.processEventsCalls, 11 + 3);  // on every wait and after every second

    // The event loop's waiter: the monotonic clock moves `step` seconds per
    // round of events; the wait ends once the time has passed.
    const std::tuple<double, double, double, int> cases[] = {
        {100.0, 0.25, 1.0, 4}, {86399.5, 0.5, 2.0, 4}, {0.0, 1.0, 0.0, 1}, {0.0, 0.0625, 0.25, 4}};
    for (const auto& [start, step, wait, rounds] : cases) {
        ScriptedUserInterface loop;
        double now = start;
        EventLoopWaiter looped(loop, [&] { return std::exchange(now, now + step); });
        looped.WaitSeconds(wait);
        EXPECT_EQ(loop.processEventsCalls, rounds) << start;
    }
}

}  // namespace
}  // namespace tw::test
