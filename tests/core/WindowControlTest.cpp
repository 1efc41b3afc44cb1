// AirMail window control against the simulated AirMail: finding windows,
// starting AirMail, opening and checking the Terminal, the Position Report
// window, arranging the windows, the clipboard round trips and the click, and
// the waiting services.

#include <gtest/gtest.h>

#include <QFile>

#include "ConnectFixture.h"
#include "connect/Waiter.h"

namespace tw::test {
namespace {

using platform::SimControl;

class WindowControlTest : public ConnectFixture {};

TEST_F(WindowControlTest, WindowFindMatchesClassAndCaseSensitiveCaptionPart) {
    sim.StartAirMail();
    const auto other = sim.AddOtherWindow("TMainForm", "Log Viewer", {0, 0, 100, 100});
    sim.AddOtherWindow("TMainForm", "Tidewell", {0, 0, 100, 100});
    struct Case {
        const char* cls;
        const char* part;
        platform::WindowHandle expected;
    };
    for (const Case& c : {Case{"TMainForm", "AirMail", sim.MainWindow()}, Case{"TMainForm", "Mail", sim.MainWindow()},
                          Case{"TMainForm", "airmail", 0}, Case{"TMainForm", "Viewer", other},
                          Case{"TTerminalForm", "AirMail", 0}, Case{"TNoSuchClass", "", 0}}) {
        SCOPED_TRACE(std::string(c.cls) + " / " + c.part);
        EXPECT_EQ(windows.WindowFind(QString::fromLatin1(c.cls), QString::fromLatin1(c.part)), c.expected);
    }
    EXPECT_EQ(windows.AirMailGetAirMail(), sim.MainWindow());
    EXPECT_EQ(windows.TerminalGetWindow(), 0);
    EXPECT_EQ(windows.PositionReportGetWindow(), 0);
}

TEST_F(WindowControlTest, TerminalAlreadyOpenIsBroughtForwardWithoutQuestionKeysOrWait) {
    sim.StartAirMail();
    sim.SendInput({{kVkF6, false, false}, {kVkF6, true, false}});
    ASSERT_NE(sim.TerminalWindow(), 0);
    const auto tidewell = sim.AddOtherWindow("ThunderRT6FormDC", "Tidewell", {0, 0, 200, 200});
    ASSERT_EQ(sim.ForegroundWindow(), tidewell);
    const int callsBefore = InputCalls();

    EXPECT_TRUE(windows.TerminalActivate());
    EXPECT_EQ(sim.ForegroundWindow(), sim.TerminalWindow());
    EXPECT_TRUE(drive.ui.messages.empty());
    EXPECT_EQ(InputCalls(), callsBefore);
    EXPECT_EQ(clockWaiter.Waited(), 0.0);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Activating Terminal", ""}));
}

TEST_F(WindowControlTest, TerminalOpensOnTheThirdF6) {
    sim.SetTerminalOpensOnF6Press(3);
    sim.StartAirMail();

    EXPECT_TRUE(windows.TerminalActivate());
    EXPECT_NE(sim.TerminalWindow(), 0);
    EXPECT_EQ(sim.ForegroundWindow(), sim.TerminalWindow());
    EXPECT_EQ(KeyPresses(kVkF6), 3);
    EXPECT_TRUE(drive.ui.messages.empty());  // AirMail runs: nothing to ask
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Activating Terminal", "Opening Terminal Window, 1 Sec",
                                                    "Opening Terminal Window, 2 Sec", "Opening Terminal Window, 3 Sec",
                                                    "Checking Terminal Window, 1 Sec", ""}));
}

TEST_F(WindowControlTest, TerminalThatNeverOpensGivesTerminalWindowProblemAfterFiveF6) {
    sim.SetTerminalOpensOnF6Press(6);
    sim.StartAirMail();
    EXPECT_FALSE(windows.TerminalOpen());
    EXPECT_EQ(KeyPresses(kVkF6), 5);
    EXPECT_EQ(Statuses().back(), "Terminal Window Problem");
    EXPECT_TRUE(StatusShown("Opening Terminal Window, 5 Sec"));
    EXPECT_FALSE(StatusShown("Checking Terminal Window, 1 Sec"));
}

TEST_F(WindowControlTest, F6GoesToAirMailEvenWhenAnotherWindowCameForwardBetweenPresses) {
    sim.SetTerminalOpensOnF6Press(2);
    sim.StartAirMail();
    // The user brings another window forward during the first wait.
    bool clicked = false;
    clockWaiter.onSecond = [&] {
        Second();
        if (!clicked) {
            clicked = true;
            sim.AddOtherWindow("Notepad", "Untitled - Notepad", {0, 0, 50, 50});
        }
    };
    EXPECT_TRUE(windows.TerminalOpen());
    EXPECT_EQ(KeyPresses(kVkF6), 2);
    EXPECT_EQ(sim.LostKeyPresses(), 0);
}

TEST_F(WindowControlTest, EmptyTerminalFieldsAfterFiveRoundsGiveTerminalWindowProblem) {
    sim.StartAirMail();
    sim.SetTerminalFields("", "", "");
    EXPECT_FALSE(windows.TerminalOpen());
    EXPECT_EQ(Statuses().back(), "Terminal Window Problem");
    EXPECT_TRUE(StatusShown("Checking Terminal Window, 5 Sec"));
    // Each round: Tab, then the copy.
    EXPECT_EQ(KeyPresses(platform::vk::Tab), 5);
}

TEST_F(WindowControlTest, TerminalOpenWithoutAirMailSaysTheMainWindowMustBeOpen) {
    EXPECT_FALSE(windows.TerminalOpen());
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"The AirMail Window must be open."}));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(Statuses().back(), "AirMail Window Problem");
    EXPECT_EQ(drive.ui.broughtToFront.back(), QStringLiteral("Tidewell"));
}

TEST_F(WindowControlTest, AirMailNotRunningAnsweredNoStartsNothing) {
    drive.ui.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(windows.TerminalActivate());
    EXPECT_FALSE(sim.AirMailRunning());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    const MessageRequest& ask = drive.ui.messages[0];
    EXPECT_EQ(ask.text, QStringLiteral("To set the Radio's Frequency and control the Connection Process, the AirMail "
                                       "program must be running, Radio/Pactor must be turned on and the Terminal "
                                       "Window must be open.\n\nWould you like to start the AirMail program and open "
                                       "the Terminal window?"));
    EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
    EXPECT_EQ(ask.icon, MsgIcon::Exclamation);
    EXPECT_EQ(Statuses().back(), "Terminal Window Problem");
    EXPECT_EQ(InputCalls(), 0);
}

TEST_F(WindowControlTest, AirMailNotRunningAnsweredYesIsStartedAndItsTerminalOpened) {
    // Both ways of starting it: the shell on Windows NT, a plain start elsewhere.
    for (const char* os : {"Windows_NT", ""}) {
        SCOPED_TRACE(os);
        if (sim.AirMailRunning()) sim.CloseWindow(sim.MainWindow());
        sim.SetEnvironmentVariable("OS", os);
        drive.ui.ClearRecords();
        drive.ui.QueueAnswer(MsgAnswer::Yes);
        const auto before = clock.NowUtc();
        EXPECT_TRUE(windows.TerminalActivate());
        EXPECT_TRUE(sim.AirMailRunning());
        EXPECT_NE(sim.TerminalWindow(), 0);
        EXPECT_EQ(sim.ForegroundWindow(), sim.TerminalWindow());
        EXPECT_GE(clock.NowUtc() - before, 4);  // 2 s after the start, 2 s after the F6
        EXPECT_EQ(drive.ui.messages.size(), 1u);
    }
}

TEST_F(WindowControlTest, AirMailThatCannotBeStartedIsReported) {
    QFile::remove(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\Airmail3.exe")));
    drive.ui.QueueAnswer(MsgAnswer::Yes);
    EXPECT_FALSE(windows.AirMailOpenAirMail(QStringLiteral("Start it?")));
    ASSERT_EQ(drive.ui.messages.size(), 2u);
    EXPECT_EQ(drive.ui.messages[0].text, QStringLiteral("Start it?"));
    EXPECT_TRUE(drive.ui.messages[1].text.startsWith(QStringLiteral("Unable to start AirMail Program.  ")));
    EXPECT_TRUE(drive.ui.messages[1].text.contains(QStringLiteral("Please check that the AirMail Program Folder")));
    EXPECT_EQ(drive.ui.messages[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(Statuses().back(), "Airmail Window Problem");
}

TEST(AirMailWindowPlaces, CentreAndBottomRightWithHalvesToEven) {
    struct Case {
        int right, bottom;
        int mainLeft, mainTop, terminalLeft, terminalTop;
    };
    for (const Case& c : {Case{1024, 768, 142, 145, 412, 300}, Case{1025, 769, 142, 146, 413, 301},
                          Case{1027, 767, 144, 144, 415, 299}, Case{1920, 1080, 590, 301, 1308, 612}}) {
        SCOPED_TRACE(c.right);
        const AirMailWindowPlaces p = AirMailWindowPlacesFor(c.right, c.bottom);
        EXPECT_EQ(p.main, (platform::WindowRect{c.mainLeft, c.mainTop, c.mainLeft + 740, c.mainTop + 410}));
        EXPECT_EQ(p.terminal,
                  (platform::WindowRect{c.terminalLeft, c.terminalTop, c.terminalLeft + 612, c.terminalTop + 434}));
    }
}

TEST_F(WindowControlTest, ResizePlacesAndRestoresTheOpenWindows) {
    sim.StartAirMail();
    windows.AirMailResizeWindows();  // no Terminal yet: only the main window moves
    auto rectOf = [&](platform::WindowHandle h) {
        for (const auto& w : sim.Windows())
            if (w.handle == h) return w;
        return platform::SimWindow{};
    };
    EXPECT_EQ(rectOf(sim.MainWindow()).rect, (platform::WindowRect{142, 145, 882, 555}));

    sim.SendInput({{kVkF6, false, false}, {kVkF6, true, false}});
    sim.Show(sim.TerminalWindow(), platform::ShowMode::Minimize);
    windows.AirMailResizeWindows();
    EXPECT_EQ(rectOf(sim.TerminalWindow()).rect, (platform::WindowRect{412, 300, 1024, 734}));
    EXPECT_EQ(rectOf(sim.TerminalWindow()).show, platform::ShowMode::Normal);
}

TEST_F(WindowControlTest, CopyAndPasteGoThroughTheFocusedField) {
    AirMailWithTerminal();
    sim.SetTerminalFields("HAM", "OLDCALL", "3590.0");
    ASSERT_TRUE(windows.TerminalActivate());
    sim.SetFocus(sim.TerminalWindow() + 2);  // the station field
    ASSERT_EQ(sim.FocusedControl(), SimControl::TerminalStation);
    EXPECT_EQ(windows.TerminalCopyText(), QStringLiteral("OLDCALL"));

    sim.SetClipboardText("the user's clipboard");
    windows.TerminalPasteText(QStringLiteral("K1ABC"));
    EXPECT_EQ(sim.Field(SimControl::TerminalStation).text, "K1ABC");
    EXPECT_EQ(sim.FocusedControl(), SimControl::TerminalStation);
    EXPECT_EQ(windows.TerminalCopyText(), QStringLiteral("K1ABC"));
    // An empty field copies as an empty text, not as what the clipboard held.
    sim.SetTerminalFields("HAM", "", "3590.0");
    sim.SetClipboardText("stale");
    EXPECT_EQ(windows.TerminalCopyText(), QString());
}

TEST_F(WindowControlTest, ClickCenterClicksTheMiddleOfTheTerminal) {
    AirMailWithTerminal();
    sim.SetCursorPos({10, 10});
    EXPECT_EQ(windows.TerminalClickCenter(), 1);
    // The Terminal sits at 412, 300 to 1024, 734 after the arrangement.
    const auto cursor = sim.CursorPos();
    ASSERT_TRUE(cursor);
    EXPECT_NEAR(cursor->x, (412 + 1024) / 2, 1);
    EXPECT_NEAR(cursor->y, (300 + 734) / 2, 1);
    EXPECT_EQ(sim.FocusedControl(), SimControl::TerminalText);
}

TEST_F(WindowControlTest, PositionReportIsOpenedAndTheListInvalidated) {
    sim.StartAirMail();
    main.UpdateBold(false, false);
    ASSERT_TRUE(main.cmdStart.enabled);

    EXPECT_TRUE(windows.AirMailOpenPositionReport());
    EXPECT_NE(sim.PositionReportWindow(), 0);
    EXPECT_EQ(sim.ForegroundWindow(), sim.PositionReportWindow());
    EXPECT_TRUE(main.cmdUpdate.bold);
    EXPECT_FALSE(main.cmdStart.enabled);
    ASSERT_EQ(drive.ui.messages.size(), 1u);  // AirMail runs: only the hint
    EXPECT_EQ(drive.ui.messages[0].text,
              QStringLiteral("Please close the AirMail's Position Report Window after you have entered the new "
                             "Lat/Lon data.\n\nThen click the Update button in the Tidewell Window to process the "
                             "new Lat/Lon data."));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Exclamation);

    // Already open: no keys, the same hint.
    const int calls = InputCalls();
    EXPECT_TRUE(windows.AirMailOpenPositionReport());
    EXPECT_EQ(InputCalls(), calls);
}

TEST_F(WindowControlTest, PositionReportWithoutAirMailAnsweredNoFails) {
    drive.ui.QueueAnswer(MsgAnswer::No);
    main.UpdateBold(false, false);
    EXPECT_FALSE(windows.AirMailOpenPositionReport());
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_TRUE(drive.ui.messages[0].text.startsWith(
        QStringLiteral("Your current position is normally entered in AirMail's Position Report window.\n\n")));
    EXPECT_TRUE(main.cmdStart.enabled);
}

// ---- waiting ----------------------------------------------------------------

TEST(ManualClockWaiterTest, FractionsAddUpToWholeSeconds) {
    ScriptedUserInterface ui;
    platform::ManualClock clock(86399);  // one second before midnight
    int seconds = 0;
    ManualClockWaiter waiter(clock, ui, [&] { ++seconds; });
    for (int i = 0; i < 19; ++i) waiter.WaitSeconds(0.05);
    EXPECT_EQ(clock.NowUtc(), 86399);
    waiter.WaitSeconds(0.05);
    EXPECT_EQ(clock.NowUtc(), 86400);
    waiter.WaitSeconds(2);
    EXPECT_EQ(clock.NowUtc(), 86402);
    EXPECT_EQ(seconds, 3);
    EXPECT_GE(ui.processEventsCalls, 23);  // events go through on every wait
}

TEST(EventLoopWaiterTest, ProcessesEventsUntilTheTimeHasPassed) {
    struct Case {
        double start, step, wait;
        int expectedRounds;
    };
    // The monotonic clock moves `step` seconds per round of events; a wait
    // across midnight (86400 s of the day) is just another stretch of time.
    for (const Case& c : {Case{100.0, 0.25, 1.0, 4}, Case{86399.5, 0.5, 2.0, 4}, Case{0.0, 1.0, 0.0, 1},
                          Case{0.0, 0.0625, 0.25, 4}}) {
        SCOPED_TRACE(c.start);
        ScriptedUserInterface ui;
        double now = c.start;
        EventLoopWaiter waiter(ui, [&] {
            const double t = now;
            now += c.step;
            return t;
        });
        waiter.WaitSeconds(c.wait);
        EXPECT_EQ(ui.processEventsCalls, c.expectedRounds);
    }
}

}  // namespace
}  // namespace tw::test
