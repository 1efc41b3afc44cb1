// The connection process end to end: the main window's Start and Stop, the
// simulated AirMail's Terminal and debug log, scripted answers and call
// outcomes, the ManualClock moved on by the waits and the timer ticks.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include "ConnectFixture.h"

namespace tw::test {
namespace {

using platform::SimCallOutcome;
using platform::SimCallState;
using platform::SimControl;

// ---- texts ------------------------------------------------------------------

TEST(ConnectTexts, ElapsedText) {
    struct Case {
        qint64 seconds;
        const char* text;
    };
    for (const Case& c : {Case{0, "00"}, Case{7, "07"}, Case{59, "59"}, Case{60, "1:00"}, Case{125, "2:05"},
                          Case{3599, "59:59"}, Case{3600, "1:00:00"}, Case{3725, "1:02:05"},
                          Case{36000 + 61, "10:01:01"}, Case{-5, "00"}}) {
        EXPECT_EQ(ElapsedText(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
    }
}

TEST(ConnectTexts, LastConnectMinutes) {
    struct Case {
        const char* line;
        int minutes;
    };
    for (const Case& c : {Case{"PMBO K1AAA - last contacted server 20 min ago.", 20},
                          Case{"PMBO K1AAA - last contacted server 0 min ago.", 0},
                          Case{"PMBO K1AAA - last contacted server 125 minutes ago", 125},
                          Case{"PMBO K1AAA - last contacted server ? min ago", -1},
                          Case{"PMBO K1AAA - last contacted server min ago", -1},
                          Case{"PMBO K1AAA - last contacted 20 min ago", -1},
                          Case{"PMBO K1AAA - last contacted server 20 hours ago", -1}}) {
        EXPECT_EQ(LastConnectMinutes(QString::fromLatin1(c.line)), c.minutes) << c.line;
    }
}

TEST(ConnectTexts, TerminalFieldKinds) {
    struct Case {
        const char* text;
        bool frequency;
        bool system;
    };
    for (const Case& c : {Case{"7100.0", true, false}, Case{"14108.0(p3)", true, false}, Case{"144100.0", true, false},
                          Case{"1.5", false, false}, Case{"1410800.0", false, false}, Case{"", false, false},
                          Case{"HAM", false, true}, Case{"SailMail", false, true}, Case{"fax", false, true},
                          Case{"WINLINK", false, false}, Case{"K1AAA", false, false}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TerminalTextIsFrequency(QString::fromLatin1(c.text)), c.frequency);
        EXPECT_EQ(TerminalTextIsSystem(QString::fromLatin1(c.text)), c.system);
    }
}

// ---- the process ------------------------------------------------------------

class ConnectProcessTest : public ConnectFixture {
protected:
    void SetUp() override {
        AirMailWithTerminal();
        rowA = AddRow(QStringLiteral("K1AAA"), QStringLiteral("7100.0"));
        rowB = AddRow(QStringLiteral("K2BBB"), QStringLiteral("10100.0"));
        rowC = AddRow(QStringLiteral("K3CCC"), QStringLiteral("14100.0"));
        drive.ui.onMessageBox = [this](const MessageRequest& m) {
            if (!m.text.startsWith(QStringLiteral("Please check frequency"))) return;
            Question q;
            q.request = m;
            q.time = clock.NowUtc();
            q.station = QString::fromStdString(sim.Field(SimControl::TerminalStation).text);
            q.frequency = QString::fromStdString(sim.Field(SimControl::TerminalFrequency).text);
            q.system = QString::fromStdString(sim.Field(SimControl::TerminalSystem).text);
            q.attempts = connection.record().attempts;
            for (int r = 1; r < grid().Rows(); ++r) q.colors.push_back(FrequencyColor(r));
            questions.push_back(q);
            // A process that keeps asking when it should not would otherwise
            // go round the list for ever on the default answer.
            if (questions.size() > 40) {
                ADD_FAILURE() << "too many questions";
                drive.ui.answers.push_front(MsgAnswer::Cancel);
            }
            if (onQuestion) onQuestion();
        };
    }

    struct Question {
        MessageRequest request;
        platform::UtcSeconds time = 0;
        QString station, frequency, system;
        int attempts = 0;
        std::vector<Color> colors;  // rows 1.. at the time
    };

    void Start() { main.cmdStart_Click(); }
    // Starts with a fresh record, the first row's call scripted and the user's answers queued.
    void CallFirstRow(const SimCallOutcome& outcome, std::initializer_list<MsgAnswer> answers = {MsgAnswer::Yes}) {
        sim.ScriptCall("K1AAA", "7100.0", outcome);
        drive.ui.ClearRecords();
        questions.clear();
        beeps = 0;
        drive.ui.QueueAnswers(answers);
        Start();
    }
    bool RunUntilDone(int limit = 900) {
        return RunUntil([this] { return !connection.Running(); }, limit);
    }
    bool RunUntilState(int state, int limit = 900) {
        return RunUntil([this, state] { return connection.record().state == state; }, limit);
    }
    void ExpectIdleControls() {
        EXPECT_FALSE(connection.Running());
        EXPECT_TRUE(main.cmdStart.enabled);
        EXPECT_TRUE(main.cmdStart.bold);
        EXPECT_FALSE(main.cmdStop.enabled);
        EXPECT_FALSE(main.cmdStop.bold);
        EXPECT_TRUE(main.cmbSystem.enabled);
        EXPECT_TRUE(main.cmdUpdate.enabled);
        EXPECT_TRUE(main.txtLat.enabled);
        EXPECT_TRUE(main.txtLon.enabled);
        EXPECT_FALSE(main.tmrProcess.enabled);
        EXPECT_FALSE(best().tmrBlink.enabled);
        EXPECT_EQ(drive.ui.PanelText(1), QStringLiteral("Done"));
    }

    int rowA = 0, rowB = 0, rowC = 0;
    std::vector<Question> questions;
    std::function<void()> onQuestion;
};

TEST_F(ConnectProcessTest, NoCheckedRowEndsAtOnceWithoutBeep) {
    for (int r : {rowA, rowB, rowC}) best().GridSetChecked(grid(), r, best().m_iColFrequency, false);
    Start();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"At least one frequency must be selected in Connect List."}));
    EXPECT_EQ(drive.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(drive.ui.broughtToFront.back(), QStringLiteral("Tidewell"));
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(KeyPresses(kVkF5), 0);
    ExpectIdleControls();
    // The system was typed into the Terminal first.
    EXPECT_EQ(sim.Field(SimControl::TerminalSystem).text, "HAM");
}

TEST_F(ConnectProcessTest, ThreeRowsAnsweredNoThenTheFirstAgainWithAttemptsFromZero) {
    drive.ui.QueueAnswers({MsgAnswer::No, MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes});
    Start();

    ASSERT_EQ(questions.size(), 4u);
    const struct {
        const char* station;
        const char* frequency;
    } expected[] = {{"K1AAA", "7100.0"}, {"K2BBB", "10100.0"}, {"K3CCC", "14100.0"}, {"K1AAA", "7100.0"}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Question& q = questions[i];
        EXPECT_EQ(q.request.text, QStringLiteral("Please check frequency ") + QString::fromLatin1(expected[i].frequency) +
                                      QStringLiteral(" KHz\n\nIs it Clear and Not Busy?"));
        EXPECT_EQ(q.request.buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(q.request.icon, MsgIcon::Question);
        EXPECT_EQ(DefaultAnswer(q.request), MsgAnswer::No);
        EXPECT_EQ(q.station, QString::fromLatin1(expected[i].station));
        EXPECT_EQ(q.frequency, QString::fromLatin1(expected[i].frequency));
        EXPECT_EQ(q.system, QStringLiteral("HAM"));
        EXPECT_EQ(q.attempts, 0);
    }
    // Each No paints its row noisy before the next question.
    const Color noisy = best().m_lColorNoisy;
    EXPECT_EQ(questions[1].colors[0], noisy);
    EXPECT_EQ(questions[2].colors[0], noisy);
    EXPECT_EQ(questions[2].colors[1], noisy);
    EXPECT_EQ(questions[3].colors[1], noisy);
    EXPECT_EQ(questions[3].colors[2], noisy);
    EXPECT_NE(questions[3].colors[0], noisy);  // asked again: white while the user listens

    // The Yes calls the first row.
    EXPECT_EQ(Statuses().back(), "Waiting Conection, Attempt 1");
    EXPECT_EQ(connection.record().attempts, 1);
    EXPECT_EQ(sim.CallState(), SimCallState::Calling);
    EXPECT_EQ(sim.CallStation(), "K1AAA");
    EXPECT_EQ(KeyPresses(kVkF5), 1);
    EXPECT_TRUE(connection.Running());
    EXPECT_TRUE(StatusShown("Check, Frequency Not Busy"));
}

TEST_F(ConnectProcessTest, NoAnswerMovesToTheNextRowAtTheNextLogCheck) {
    sim.ScriptCall("K2BBB", "10100.0", SimCallOutcome::NoAnswerAfter(60));
    CallFirstRow(SimCallOutcome::NoAnswerAfter(5), {MsgAnswer::Yes, MsgAnswer::Yes});
    ASSERT_EQ(questions.size(), 1u);
    ASSERT_EQ(Statuses().back(), "Waiting Conection, Attempt 1");
    const platform::UtcSeconds waitingFrom = clock.NowUtc();

    ASSERT_TRUE(RunUntil([this] { return questions.size() == 2; }, 30));
    // "No answer from" falls due 5 s after F5; the log is read every third
    // tick, so the next row's question comes with the sixth tick.
    const platform::UtcSeconds asked = questions[1].time - waitingFrom;
    EXPECT_GE(asked, 6);
    EXPECT_LE(asked, 7);
    EXPECT_EQ(questions[1].station, QStringLiteral("K2BBB"));
    EXPECT_EQ(Statuses().back(), "Waiting Conection, Attempt 2");
    EXPECT_EQ(sim.CallStation(), "K2BBB");
    EXPECT_EQ(FrequencyColor(rowA), best().m_lColorClear);  // the call was made on it
    EXPECT_EQ(beeps, 0);
}

TEST_F(ConnectProcessTest, ConnectedThenDisconnectedEndsWithTheLastConnectCheck) {
    struct Case {
        const char* system;
        int serverMinutes;
        bool warns;
        bool check = true;  // m_bAirMailLastConnectCheck
    };
    int cases = 0;
    for (const Case& c : {Case{"HAM", 20, true}, Case{"HAM", 10, false}, Case{"HAM", 15, false},
                          Case{"FAX", 20, false}, Case{"HAM", 99, false, false}}) {
        SCOPED_TRACE(std::string(c.system) + " " + std::to_string(c.serverMinutes));
        // A station of its own for each case: the simulated AirMail keeps a
        // station's last scripted outcome.
        const QString station = QStringLiteral("K%1AAA").arg(++cases);
        grid().SetRows(1);
        AddRow(station, QStringLiteral("7100.0"));
        main.m_sSystem = QString::fromLatin1(c.system);
        main.settings.m_iAirMailLastConnectCheckMinutes = 15;
        main.settings.m_bAirMailLastConnectCheck = c.check;
        const int ups = KeyPresses(platform::vk::Up);
        sim.ScriptCall(station.toStdString(), "7100.0", SimCallOutcome::Connected(10, 240, c.serverMinutes));
        drive.ui.ClearRecords();
        questions.clear();
        beeps = 0;
        drive.ui.QueueAnswer(MsgAnswer::Yes);
        sim.SetCursorPos({3, 4});

        Start();
        ASSERT_TRUE(RunUntilDone());
        const auto statuses = Statuses();
        const auto at = [&](const char* text) { return std::find(statuses.begin(), statuses.end(), text); };
        ASSERT_NE(at("Waiting Disconnect, Attempt 1"), statuses.end());
        ASSERT_NE(at("Connected, Attempt 1"), statuses.end());
        EXPECT_LT(at("Waiting Disconnect, Attempt 1"), at("Connected, Attempt 1"));
        EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Connected, Attempt 1 "));  // shown after the check
        EXPECT_EQ(beeps, 1);
        ExpectIdleControls();

        const int warnings = CountMessages(QStringLiteral("PMBO ") + station);
        EXPECT_EQ(warnings, c.warns ? 1 : 0);
        if (c.warns) {
            const MessageRequest& w = drive.ui.messages.back();
            EXPECT_EQ(w.text, QStringLiteral("PMBO ") + station + QStringLiteral(" - last contacted server 20 min ago."));
            EXPECT_EQ(w.title, QStringLiteral("Tidewell - Terminal - Station/Server Warning"));
            EXPECT_EQ(w.icon, MsgIcon::Information);
        }
        // The mouse is back where the user left it; switched off, the Terminal text is not walked.
        EXPECT_EQ(sim.CursorPos(), (platform::ScreenPoint{3, 4}));
        if (!c.check) {
            EXPECT_EQ(KeyPresses(platform::vk::Up), ups);
        }
    }
}

TEST_F(ConnectProcessTest, AConnectionMadeAndEndedBetweenTwoLogChecksCountsAsMade) {
    // "Connected to" 1 s after F5, "Disconnected from" 1 s later: one log read
    // sees both lines.
    main.settings.m_bAirMailLastConnectCheck = false;
    CallFirstRow(SimCallOutcome::Connected(1, 1));
    ASSERT_TRUE(RunUntilDone());
    const auto statuses = Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Connected, Attempt 1"), statuses.end());
    EXPECT_EQ(questions.size(), 1u);  // no second row was called
    EXPECT_EQ(beeps, 1);
}

TEST_F(ConnectProcessTest, StopAsksInStatesFourAndFive) {
    struct Case {
        int state;
        MsgAnswer answer;
    };
    for (const Case& c : {Case{4, MsgAnswer::No}, Case{4, MsgAnswer::Yes}, Case{5, MsgAnswer::No},
                          Case{5, MsgAnswer::Yes}}) {
        SCOPED_TRACE(c.state * 10 + (c.answer == MsgAnswer::Yes));
        if (connection.Running()) {
            drive.ui.QueueAnswer(MsgAnswer::Yes);
            main.cmdStop_Click();
        }
        sim.PressStop();
        RunSeconds(1);
        CallFirstRow(SimCallOutcome::Connected(5, 3600));
        ASSERT_TRUE(RunUntilState(c.state));
        const int inputs = InputCalls();
        const SimCallState call = sim.CallState();

        drive.ui.QueueAnswer(c.answer);
        main.cmdStop_Click();
        ASSERT_FALSE(drive.ui.messages.empty());
        const MessageRequest& ask = drive.ui.messages.back();
        EXPECT_EQ(ask.text,
                  QStringLiteral("Once the AirMail Connect process has started, the only way to stop it is press the "
                                 "RED STOP ICON in the AirMail Terminal Window.\n\nWould you like to stop the "
                                 "Tidewell Select/Tune/Listen/Connect process?"));
        EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
        EXPECT_EQ(ask.icon, MsgIcon::Information);
        if (c.answer == MsgAnswer::No) {
            EXPECT_TRUE(connection.Running());
            EXPECT_TRUE(main.tmrProcess.enabled);
            EXPECT_TRUE(main.cmdStop.enabled);
            EXPECT_EQ(connection.record().state, c.state);
        } else {
            ExpectIdleControls();
            EXPECT_EQ(beeps, 0);
        }
        // Tidewell sends nothing to AirMail to stop a call.
        EXPECT_EQ(InputCalls(), inputs);
        EXPECT_EQ(sim.CallState(), call);
    }
}

TEST_F(ConnectProcessTest, StopWhileTheTerminalIsBeingFilledEndsBeforeTheQuestion) {
    bool pressed = false;
    waiter.onWait = [&] {
        if (!pressed && connection.Running() && connection.record().state == ConnectStateSelect) {
            pressed = true;
            main.cmdStop_Click();
        }
    };
    Start();
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(KeyPresses(kVkF5), 0);
    EXPECT_EQ(beeps, 0);
    ExpectIdleControls();
}

TEST_F(ConnectProcessTest, ATickWhileAStepRunsOnlyRefreshesThePanels) {
    // The Stop question is open in state 4 while the log says "no answer":
    // the ticks meanwhile must not move on to the next row's question.
    CallFirstRow(SimCallOutcome::NoAnswerAfter(1));
    ASSERT_EQ(connection.record().state, ConnectStateWaitConnect);
    drive.ui.QueueAnswer(MsgAnswer::No);
    const auto previous = drive.ui.onMessageBox;
    drive.ui.onMessageBox = [&](const MessageRequest& m) {
        previous(m);
        if (m.text.startsWith(QStringLiteral("Once the AirMail"))) RunSeconds(10);
    };
    main.cmdStop_Click();
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(connection.record().state, ConnectStateWaitConnect);
    EXPECT_FALSE(drive.ui.PanelText(4).isEmpty());
    // Once the question is closed the next tick goes on.
    drive.ui.QueueAnswer(MsgAnswer::Cancel);
    RunSeconds(3);
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(ConnectProcessTest, StoppedInTheTerminalGoesOnWithTheNextRow) {
    struct Case {
        int state;
        bool stoppedStatus;
    };
    for (const Case& c : {Case{4, false}, Case{5, true}}) {
        SCOPED_TRACE(c.state);
        CallFirstRow(SimCallOutcome::Connected(5, 3600), {MsgAnswer::Yes, MsgAnswer::Cancel});
        ASSERT_TRUE(RunUntilState(c.state));
        sim.PressStop();
        ASSERT_TRUE(RunUntilDone(10));
        ASSERT_EQ(questions.size(), 2u);
        EXPECT_EQ(questions[1].station, QStringLiteral("K2BBB"));
        EXPECT_EQ(StatusShown("Stopped, Terminal Window"), c.stoppedStatus);
        EXPECT_EQ(Statuses().back(), "Stopped");  // the Cancel
        EXPECT_EQ(beeps, 0);
    }
}

TEST_F(ConnectProcessTest, MissingTerminalEndsTheProcessWithoutBeep) {
    // AirMail closes while the user listens; asked to start it again, the user says No.
    onQuestion = [this] {
        if (sim.AirMailRunning()) sim.CloseWindow(sim.MainWindow());
    };
    drive.ui.QueueAnswers({MsgAnswer::Yes, MsgAnswer::No});
    Start();
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(Statuses().back(), "Terminal Window Problem");
    EXPECT_EQ(KeyPresses(kVkF5), 0);
    ExpectIdleControls();
    EXPECT_EQ(CountMessages(QStringLiteral("To set the Radio's Frequency")), 1);
}

TEST_F(ConnectProcessTest, MissingTerminalBeforeTheNextRowEndsWithoutBeep) {
    // The call ends with "No answer from" a second after F5; AirMail closes
    // before the next log check, so the next row finds no Terminal.
    CallFirstRow(SimCallOutcome::NoAnswerAfter(1), {MsgAnswer::Yes, MsgAnswer::No});
    Second();
    sim.CloseWindow(sim.MainWindow());
    ASSERT_TRUE(RunUntilDone(10));
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(questions.size(), 1u);
    ExpectIdleControls();
}

TEST_F(ConnectProcessTest, AirMailNotRunningAtStartEndsWithBeep) {
    sim.CloseWindow(sim.MainWindow());
    drive.ui.QueueAnswer(MsgAnswer::No);
    Start();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(questions.empty());
    ExpectIdleControls();
}

TEST_F(ConnectProcessTest, LogReadErrorEndsTheProcessWithBeep) {
    for (int state : {4, 5}) {
        SCOPED_TRACE(state);
        sim.StartAirMail();  // again after the last round: a new, empty log
        CallFirstRow(SimCallOutcome::Connected(5, 3600));
        ASSERT_TRUE(RunUntilState(state));
        sim.CloseWindow(sim.MainWindow());
        ASSERT_TRUE(QFile::remove(QString::fromStdString(sim.DebugLogPath())));
        ASSERT_TRUE(RunUntilDone(4));
        EXPECT_EQ(beeps, 1);
        EXPECT_EQ(CountMessages(QStringLiteral("Unable to open AirMail's \"Logfiles/Debug.log\" file. ")), 1);
        ExpectIdleControls();
        sim.StartAirMail();
        ASSERT_TRUE(windows.TerminalActivate());
    }
}

TEST_F(ConnectProcessTest, SailMailStationNamesAreTypedAsIdentifiers) {
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQAB970=CM87:Harbor Point\n[Frequency List]\nWQAB970=7100.0\n"));
    main.m_sSystem = QStringLiteral("SAILMAIL");
    grid().SetRows(1);
    const int row = AddRow(QStringLiteral("Harbor Point"), QStringLiteral("7100.0"));
    drive.ui.QueueAnswer(MsgAnswer::Cancel);
    Start();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].station, QStringLiteral("WQAB970"));
    EXPECT_EQ(questions[0].system, QStringLiteral("SAILMAIL"));
    EXPECT_EQ(main.m_sStation, QStringLiteral("WQAB970"));
    EXPECT_EQ(main.m_sStationName, QStringLiteral("Harbor Point"));
    EXPECT_EQ(connection.record().station, QStringLiteral("Harbor Point"));
    EXPECT_EQ(connection.record().row, row);
    EXPECT_EQ(Statuses().back(), "Stopped");
    EXPECT_EQ(beeps, 0);
    ExpectIdleControls();
}

TEST_F(ConnectProcessTest, QuestionNamesTheDialFrequencyWhenAsked) {
    struct Case {
        bool radioFrequency;
        const char* hardware;
        const char* text;
    };
    const char* hardware =
        "[Hardware]\nDecoderType=PTC\nFSKDialCenter=1\nPTC Center Tone=1500\nRadio Mode=2\n";
    for (const Case& c : {Case{false, hardware, "7100.0 KHz"}, Case{true, hardware, "7098.5 (USB)"},
                          Case{true, "", "7100.0 KHz"}}) {
        SCOPED_TRACE(c.text);
        drive.WriteAirMail(QStringLiteral("Airmail.ini"), QString::fromLatin1(c.hardware));
        main.settings.m_bRadioFrequency = c.radioFrequency;
        questions.clear();
        drive.ui.QueueAnswer(MsgAnswer::Cancel);
        Start();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].request.text, QStringLiteral("Please check frequency ") + QString::fromLatin1(c.text) +
                                                 QStringLiteral("\n\nIs it Clear and Not Busy?"));
    }
}

TEST_F(ConnectProcessTest, NextRowSkipsUncheckedRowsAndEndsPastTheLast) {
    best().GridSetChecked(grid(), rowB, best().m_iColFrequency, false);
    EXPECT_EQ(connection.ConnectNextRow(), QStringLiteral("7100.0"));
    EXPECT_EQ(connection.record().row, rowA);
    EXPECT_EQ(connection.ConnectNextRow(), QStringLiteral("14100.0"));
    EXPECT_EQ(connection.record().row, rowC);
    EXPECT_EQ(connection.ConnectNextRow(), QString());
    EXPECT_EQ(connection.record().row, grid().Rows());
}

// ---- the main window --------------------------------------------------------

TEST_F(ConnectProcessTest, MainWindowControlsBlinkAndPanelsWhileTheProcessRuns) {
    QSignalSpy timerChanges(&main, &frmMain::processTimerChanged);
    main.cmdBestTime.enabled = false;  // a control that was off before Start stays off after
    ASSERT_TRUE(main.cmdStart.enabled);
    ASSERT_FALSE(main.cmdStop.enabled);
    onQuestion = [this] {
        EXPECT_FALSE(main.cmdStart.enabled);
        EXPECT_FALSE(main.cmdStart.bold);
        EXPECT_TRUE(main.cmdStop.enabled);
        EXPECT_TRUE(main.cmdStop.bold);
        for (const Control* c : std::initializer_list<const Control*>{&main.cmbSystem, &main.cmdUpdate,
                                                                       &main.cmdBestTime, &main.txtLat, &main.txtLon})
            EXPECT_FALSE(c->enabled);
        EXPECT_EQ(drive.ui.PanelText(1), QStringLiteral("Working"));
        EXPECT_TRUE(main.tmrProcess.enabled);
    };
    CallFirstRow(SimCallOutcome::Connected(7, 3600));
    ASSERT_EQ(connection.record().state, ConnectStateWaitConnect);
    EXPECT_EQ(timerChanges.count(), 1);

    // The called frequency blinks: light green and white by turns.
    ASSERT_TRUE(best().tmrBlink.enabled);
    EXPECT_EQ(best().m_iBlinkRow, rowA);
    EXPECT_EQ(best().m_iBlinkCol, best().m_iColFrequency);
    std::vector<Color> blink;
    for (int i = 0; i < 4; ++i) {
        best().tmrBlink_Timer();
        blink.push_back(FrequencyColor(rowA));
    }
    EXPECT_NE(blink[0], blink[1]);
    EXPECT_EQ(blink[0], blink[2]);
    EXPECT_EQ(blink[1], blink[3]);
    for (Color c : blink) EXPECT_TRUE(c == best().m_lColorClear || c == Grid::kDefaultBackColor);

    // Panel 4 counts the process time from the first tick; panel 3 waits for the connection.
    const platform::UtcSeconds processStart = connection.record().processStart;
    for (int i = 0; i < 4; ++i) {
        Second();
        EXPECT_EQ(drive.ui.PanelText(4), ElapsedText(clock.NowUtc() - processStart) + QLatin1Char(' '));
    }
    EXPECT_TRUE(drive.ui.PanelText(3).isEmpty());
    ASSERT_TRUE(RunUntilState(ConnectStateWaitDisconnect));
    const platform::UtcSeconds connectedAt = clock.NowUtc();
    RunSeconds(65);
    EXPECT_EQ(drive.ui.PanelText(3), QStringLiteral("1:05"));
    EXPECT_EQ(drive.ui.PanelText(4), ElapsedText(clock.NowUtc() - processStart) + QLatin1Char(' '));
    EXPECT_EQ(clock.NowUtc() - connectedAt, 65);

    // An update cannot pull the list from under the process.
    int builds = 0;
    main.steps.BestListBuild = [&] {
        ++builds;
        return true;
    };
    main.cmdUpdate_Click();
    EXPECT_EQ(builds, 0);
    EXPECT_EQ(grid().Rows(), 4);

    drive.ui.QueueAnswer(MsgAnswer::Yes);
    main.cmdStop_Click();
    ExpectIdleControls();
    EXPECT_FALSE(main.cmdBestTime.enabled);
    EXPECT_EQ(timerChanges.count(), 2);
    // The blink stops on the remembered colour.
    EXPECT_EQ(FrequencyColor(rowA), best().m_lColorClear);
    // A tick after the end changes nothing.
    const QString panel4 = drive.ui.PanelText(4);
    main.tmrProcess_Timer();
    EXPECT_EQ(drive.ui.PanelText(4), panel4);
}

TEST_F(ConnectProcessTest, ClosingTheMainWindowStopsQuietlyAndClosesTheOthersInOrder) {
    drive.ui.QueueAnswer(MsgAnswer::Yes);
    Start();
    ASSERT_TRUE(connection.Running());
    const int inputs = InputCalls();
    QDir().mkpath(drive.Native(QStringLiteral("C:\\Tidewell")));
    const QString profile = drive.Native(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"));
    QStringList closed;
    main.steps.UnloadWindow = [&](const QString& window) {
        EXPECT_TRUE(QFile::exists(profile)) << "the profile is written first";
        closed << window;
    };
    const std::size_t messages = drive.ui.messages.size();

    main.Form_Unload();
    EXPECT_EQ(closed, (QStringList{"frmAbout", "frmDiagram", "frmOptions", "frmOverview", "frmPropagationBest",
                                   "frmPropagationDetails", "frmPropagationHours", "frmStationInfo", "frmSummary"}));
    EXPECT_FALSE(connection.Running());
    EXPECT_FALSE(main.tmrProcess.enabled);
    EXPECT_FALSE(best().tmrBlink.enabled);
    EXPECT_EQ(InputCalls(), inputs);  // nothing sent to AirMail
    EXPECT_EQ(sim.CallState(), SimCallState::Calling);
    EXPECT_EQ(drive.ui.messages.size(), messages);
    EXPECT_EQ(beeps, 0);
}

}  // namespace
}  // namespace tw::test
