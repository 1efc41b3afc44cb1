// The connection process end to end: the main window's Start and Stop, the
// simulated AirMail's Terminal and debug log, scripted answers and call
// outcomes, the ManualClock moved on by the waits and the timer ticks.

#include <QDir>
#include <QFile>

#include "ConnectFixture.h"

namespace tw::test {
namespace {

using platform::SimCallOutcome;
using platform::SimControl;
using enum MsgAnswer;

// ---- texts ------------------------------------------------------------------

TEST(ConnectTexts, ElapsedText) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "00"},       {7, "07"},         {59, "59"},        {60, "1:00"},        {125, "2:05"},
        {3599, "59:59"}, {3600, "1:00:00"}, {3725, "1:02:05"}, {36061, "10:01:01"}, {-5, "00"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(ElapsedText(seconds), QString::fromLatin1(text)) << seconds;
}

// The minutes of a greeting "PMBO K1AAA - last contacted server 20 min ago.".
TEST(ConnectTexts, LastConnectMinutes) {
    const std::pair<const char*, int> cases[] = {
        {"contacted server 20 min ago.", 20},      {"contacted server 0 min ago.", 0},
        {"contacted server 125 minutes ago", 125}, {"contacted server ? min ago", -1},
        {"contacted server min ago", -1},          {"contacted 20 min ago", -1},
        {"contacted server 20 hours ago", -1}};
    for (const auto& [line, minutes] : cases)
        EXPECT_EQ(LastConnectMinutes(QString::fromLatin1(line)), minutes) << line;
}

TEST(ConnectTexts, TerminalFieldKinds) {
    const std::tuple<const char*, bool, bool> cases[] = {
        {"7100.0", true, false},   {"14108.0(p3)", true, false}, {"144100.0", true, false},
        {"1.5", false, false},     {"1410800.0", false, false},  {"", false, false},
        {"HAM", false, true},      {"SailMail", false, true},    {"fax", false, true},
        {"HARBOURNET", false, false}, {"K1AAA", false, false}};
    for (const auto& [text, frequency, system] : cases) {
        EXPECT_EQ(TerminalTextIsFrequency(QString::fromLatin1(text)), frequency) << text;
        EXPECT_EQ(TerminalTextIsSystem(QString::fromLatin1(text)), system) << text;
    }
}

// ---- the process ------------------------------------------------------------

// Three checked rows, K1AAA, K2BBB and K3CCC; every frequency question is
// recorded with the Terminal's station and frequency and the rows' colours of
// that moment.
class ConnectProcessTest : public ConnectFixture {
protected:
    struct Question {
        MessageRequest request;
        std::string station, frequency;
        std::vector<Color> colors = {};  // rows 1.. at the time
    };

    void SetUp() override {
        AirMailWithTerminal();
        AddRows({{"K1AAA", "7100.0", 20}, {"K2BBB", "10100.0", 20}, {"K3CCC", "14100.0", 20}});
        drive.ui.onMessageBox = [this](const MessageRequest& m) {
            if (m.text.startsWith(QStringLiteral("Please check frequency"))) {
                questions.push_back({m, sim.Field(SimControl::TerminalStation).text,
                                     sim.Field(SimControl::TerminalFrequency).text});
                for (int r = 1; r < grid().Rows(); ++r)
                    questions.back().colors.push_back(FrequencyColor(r));
                // A process that keeps asking would go round the list for ever on the default No.
                if (questions.size() > 40) drive.ui.answers.push_front(Cancel);
            }
            if (onMessage) onMessage(m);
        };
    }

    // Starts with fresh records and the user's answers queued.
    void StartWith(std::initializer_list<MsgAnswer> answers) {
        drive.ui.ClearRecords();
        questions.clear();
        beeps = 0;
        calls = KeyPresses(kVkF5);
        drive.ui.QueueAnswers(answers);
        main.cmdStart_Click();
    }
    void CallFirstRow(const SimCallOutcome& outcome, std::initializer_list<MsgAnswer> answers) {
        sim.ScriptCall("K1AAA", "7100.0", outcome);
        StartWith(answers);
    }
    bool RunUntilDone(int limit = 900) {
        return RunUntil([this] { return !connection.Running(); }, limit);
    }
    bool RunUntilState(int state) {
        return RunUntil([this, state] { return connection.record().state == state; }, 900);
    }
    // The end of a run, the timers off: the beeps, frequency questions and
    // calls (F5) since Start, the last status and a message shown once.
    void ExpectEnded(int beeped, std::size_t asked, int called, const std::string& status,
                     const char* message = nullptr) {
        EXPECT_FALSE(connection.Running() || main.tmrProcess.enabled || best().tmrBlink.enabled);
        EXPECT_EQ(drive.ui.PanelText(1), QStringLiteral("Done"));
        EXPECT_EQ(beeps, beeped);
        EXPECT_EQ(questions.size(), asked);
        EXPECT_EQ(KeyPresses(kVkF5) - calls, called);
        EXPECT_EQ(Statuses().back(), status);
        if (message) {
            EXPECT_EQ(CountMessages(QString::fromLatin1(message)), 1) << message;
        }
    }

    std::vector<Question> questions;
    std::function<void(const MessageRequest&)> onMessage;
    int calls = 0;  // F5 presses before Start
};

// Each No marks its row noisy and asks about the next, round the list; a
// call without answer moves on to the next row at the next check of the log.
TEST_F(ConnectProcessTest, RowsAreCalledInTurnUntilTheMainWindowCloses) {
    sim.ScriptCall("K2BBB", "10100.0", SimCallOutcome::NoAnswerAfter(60));
    CallFirstRow(SimCallOutcome::NoAnswerAfter(4), {No, No, No, Yes, Yes});

    ASSERT_EQ(questions.size(), 4u);
    const char* const asked[][2] = {
        {"K1AAA", "7100.0"}, {"K2BBB", "10100.0"}, {"K3CCC", "14100.0"}, {"K1AAA", "7100.0"}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Question& q = questions[i];
        EXPECT_EQ(q.request.text,
                  QStringLiteral("Please check frequency %1 KHz\n\nIs it Clear and Not Busy?")
                      .arg(asked[i][1]));
        EXPECT_TRUE(q.request.buttons == MsgButtons::YesNoCancel &&
                    q.request.icon == MsgIcon::Question && DefaultAnswer(q.request) == No);
        EXPECT_EQ(q.station + ' ' + q.frequency, std::string(asked[i][0]) + ' ' + asked[i][1]);
        // The rows answered No are noisy; the row asked about again is not.
        for (std::size_t r = 0; r < 3; ++r)
            EXPECT_EQ(q.colors[r] == best().m_lColorNoisy, r < i && r != i % 3) << "row " << r + 1;
    }
    // The Yes calls the first row, with the system typed at the start.
    EXPECT_EQ(sim.Field(SimControl::TerminalSystem).text, "HAM");
    EXPECT_TRUE(StatusShown("Check, Frequency Not Busy"));
    EXPECT_EQ(Statuses().back(), "Waiting Conection, Attempt 1");
    EXPECT_EQ(sim.CallStation(), "K1AAA");
    EXPECT_EQ(KeyPresses(kVkF5), 1);
    const platform::UtcSeconds waitingFrom = clock.NowUtc();

    ASSERT_TRUE(RunUntil([this] { return questions.size() == 5; }, 30));
    // "No answer from" falls due 4 s after F5; the log is read every third
    // tick, so the next row's question comes with the sixth tick.
    EXPECT_NEAR(clock.NowUtc() - waitingFrom, 6.5, 0.5);
    EXPECT_EQ(questions[4].station, "K2BBB");
    EXPECT_EQ(Statuses().back(), "Waiting Conection, Attempt 2");
    EXPECT_EQ(sim.CallStation(), "K2BBB");
    EXPECT_EQ(FrequencyColor(1), best().m_lColorClear);  // the call was made on it

    // Closing the main window stops the process quietly (the call is
    // AirMail's to finish) and closes the other windows in order.
    const std::size_t inputs = sim.InputCalls().size(), messages = drive.ui.messages.size();
    QDir().mkpath(drive.Native(QStringLiteral("C:\\Tidewell")));  // where the profile is written
    QStringList closed;
    main.steps.UnloadWindow = [&](const QString& window) { closed << window; };
    main.Form_Unload();
    EXPECT_EQ(closed, (QStringList{"frmAbout", "frmDiagram", "frmOptions", "frmOverview",
                                   "frmPropagationBest", "frmPropagationDetails",
                                   "frmPropagationHours", "frmStationInfo", "frmStationMap", "frmSummary"}));
    EXPECT_FALSE(connection.Running() || main.tmrProcess.enabled || best().tmrBlink.enabled);
    EXPECT_EQ(sim.InputCalls().size(), inputs);
    EXPECT_EQ(drive.ui.messages.size(), messages);
}

TEST_F(ConnectProcessTest, QuestionNamesTheDialFrequencyWhenAsked) {
    const char* hardware =
        "[Hardware]\nDecoderType=MODEMA\nFSKDialCenter=1\nMODEMA Center Tone=1500\nRadio Mode=2\n";
    const QString asked = QStringLiteral("Please check frequency %1\n\nIs it Clear and Not Busy?");
    for (const auto& [radioFrequency, ini, text] : {std::tuple{false, hardware, "7100.0 KHz"},
                                                    std::tuple{true, hardware, "7098.5 (USB)"},
                                                    std::tuple{true, "", "7100.0 KHz"}}) {
        SCOPED_TRACE(text);
        drive.WriteAirMail(QStringLiteral("Airmail.ini"), QString::fromLatin1(ini));
        main.settings.m_bRadioFrequency = radioFrequency;
        StartWith({Cancel});
        EXPECT_EQ(drive.ui.LastMessage(), asked.arg(text));
    }
}

// ---- how a run ends ---------------------------------------------------------

// A connection made and ended is the end, with a beep; for a ham station the
// Terminal text is then searched for the server's last contact, and a
// contact older than the limit is shown.
TEST_F(ConnectProcessTest, ConnectedThenDisconnectedEndsWithTheLastConnectCheck) {
    // The system, the server's last contact in minutes, the check on, a warning.
    const std::tuple<const char*, int, bool, bool> cases[] = {
        {"HAM", 20, true, true},  {"HAM", 10, true, false},  {"HAM", 15, true, false},
        {"FAX", 20, true, false}, {"HAM", 99, false, false}};
    // Each call takes the next of these outcomes.  The last connection is made
    // and ended between two log checks: "Connected to" 1 s after F5,
    // "Disconnected from" 1 s later, and one log read sees both.
    for (const auto& [system, minutes, check, warns] : cases)
        sim.ScriptCall("K1AAA", "7100.0", check ? SimCallOutcome::Connected(10, 240, minutes)
                                                : SimCallOutcome::Connected(1, 1, minutes));
    main.settings.m_iAirMailLastConnectCheckMinutes = 15;
    for (const auto& [system, minutes, check, warns] : cases) {
        SCOPED_TRACE(std::string(system) + " " + std::to_string(minutes));
        main.m_sSystem = QString::fromLatin1(system);
        main.settings.m_bAirMailLastConnectCheck = check;
        const int ups = KeyPresses(platform::vk::Up);
        sim.SetCursorPos({3, 4});

        StartWith({Yes});
        ASSERT_TRUE(RunUntilDone());
        ExpectEnded(1, 1, 1, "Connected, Attempt 1");
        ASSERT_EQ(CountMessages(QStringLiteral("PMBO")), warns ? 1 : 0);
        if (warns) {
            const MessageRequest& w = drive.ui.messages.back();
            EXPECT_EQ(w.text, QStringLiteral("PMBO K1AAA - last contacted server 20 min ago."));
            EXPECT_EQ(w.title, QStringLiteral("Tidewell - Terminal - Station/Server Warning"));
            EXPECT_EQ(w.icon, MsgIcon::Information);
        }
        // The mouse is back where the user left it; switched off, the Terminal text is not walked.
        EXPECT_EQ(sim.CursorPos(), (platform::ScreenPoint{3, 4}));
        EXPECT_EQ(KeyPresses(platform::vk::Up) > ups, check);
    }
}

// After a call without answer the walk goes on with the next checked row;
// with "Next Station After No Answer" with another station's, leaving the
// station's other rows to the next round, which asks about every row again.
// A call stopped in the Terminal, while calling or connected (only a
// connection says it was stopped), goes on with the station's next row.
TEST_F(ConnectProcessTest, AFailedCallGoesOnWithTheNextRow) {
    AddRow(QStringLiteral("K3CCC"), QStringLiteral("18100.0"));
    SimCallOutcome stoppedConnected = SimCallOutcome::Connected(5, 10);
    stoppedConnected.manualDisconnect = true;
    const char* inTurn = "K1AAA K2BBB K3CCC K3CCC K1AAA K2BBB K3CCC ";
    const std::tuple<SimCallOutcome, bool, const char*> cases[] = {
        {SimCallOutcome::NoAnswerAfter(4), false, inTurn},
        {SimCallOutcome::NoAnswerAfter(4), true, "K1AAA K2BBB K3CCC K1AAA K2BBB K3CCC K3CCC "},
        {SimCallOutcome::StoppedAfter(4), true, inTurn},
        {stoppedConnected, true, inTurn}};
    // Each call of K3CCC 14100.0 takes the next of these outcomes.
    for (const auto& c : cases) sim.ScriptCall("K3CCC", "14100.0", std::get<0>(c));
    for (const auto& [outcome, nextStation, walk] : cases) {
        main.settings.m_bStationNextAfterNoAnswer = nextStation;
        StartWith({No, No, Yes, No, No, No, Cancel});
        ASSERT_TRUE(RunUntilDone());
        std::string asked;
        for (const Question& q : questions) asked += q.station + ' ';
        EXPECT_EQ(asked, walk);
        EXPECT_EQ(StatusShown("Stopped, Terminal Window"), outcome.manualDisconnect) << walk;
        ExpectEnded(0, 7, 1, "Stopped");
    }
}

// A log that cannot be read while waiting, for the connection or for its end,
// ends the process with a beep.
TEST_F(ConnectProcessTest, TheLogGoneWhileWaitingEndsTheProcess) {
    for (int state : {ConnectStateWaitConnect, ConnectStateWaitDisconnect}) {
        SCOPED_TRACE(state);
        CallFirstRow(SimCallOutcome::Connected(5, 3600), {Yes});
        ASSERT_TRUE(RunUntilState(state));
        sim.CloseWindow(sim.MainWindow());
        ASSERT_TRUE(QFile::remove(QString::fromStdString(sim.DebugLogPath())));
        ASSERT_TRUE(RunUntilDone(4));
        ExpectEnded(1, 1, 1, "Airmail Data Problem",
                    "Unable to open AirMail's \"Logfiles/Debug.log\" file. ");
        AirMailWithTerminal();  // again for the next round
    }
}

// AirMail missing, and the user does not want it started: the end, with a
// beep only when it was missing at the start.
TEST_F(ConnectProcessTest, AirMailMissingEndsTheProcess) {
    SCOPED_TRACE("missing at the start");
    sim.CloseWindow(sim.MainWindow());
    StartWith({No});
    ExpectEnded(1, 0, 0, "Terminal Window Problem", "To set the Radio's Frequency");
    SCOPED_TRACE("closed while the user listens");
    AirMailWithTerminal();
    onMessage = [this](const MessageRequest&) { sim.CloseWindow(sim.MainWindow()); };
    StartWith({Yes, No});
    ExpectEnded(0, 1, 0, "Terminal Window Problem", "To set the Radio's Frequency");
    // The call ends with "No answer from" a second after F5; AirMail closes
    // before the next log check, so the next row finds no Terminal.
    SCOPED_TRACE("closed before the next row");
    onMessage = nullptr;
    AirMailWithTerminal();
    CallFirstRow(SimCallOutcome::NoAnswerAfter(1), {Yes, No});
    Second();
    sim.CloseWindow(sim.MainWindow());
    ASSERT_TRUE(RunUntilDone(10));
    ExpectEnded(0, 1, 1, "Terminal Window Problem", "To set the Radio's Frequency");
}

TEST_F(ConnectProcessTest, NoCheckedRowIsToldInFrontOfTheMainWindow) {
    for (int r : {1, 2, 3}) best().GridSetChecked(grid(), r, best().m_iColFrequency, false);
    const std::size_t inputs = sim.InputCalls().size();
    StartWith({});
    EXPECT_FALSE(connection.Running() || main.tmrProcess.enabled);
    EXPECT_EQ(CountMessages(QStringLiteral("At least one frequency must be selected in Connect List.")), 1);
    EXPECT_EQ(drive.ui.messages.back().icon, MsgIcon::Information);
    EXPECT_EQ(drive.ui.broughtToFront, std::vector<QString>{QStringLiteral("Tidewell")});
    // Nothing reached AirMail, not even the system's name.
    EXPECT_EQ(sim.InputCalls().size(), inputs);
    EXPECT_TRUE(main.cmdStart.enabled);
}

// AirMail already calling, then connected, on a call the user made: Start
// asks first, and No leaves AirMail and the window as they were; Yes goes on.
// A connection AirMail quit in the middle of is asked about no more.
TEST_F(ConnectProcessTest, StartWhileAirMailIsBusyAsksFirst) {
    sim.ScriptCall("K9ZZZ", "7100.0", SimCallOutcome::Connected(60, 3600));
    sim.SetTerminalFields("HAM", "K9ZZZ", "7100.0");
    windows.Keys(QStringLiteral("{F5}"));
    for (const char* state : {"calling", "connected to"}) {
        SCOPED_TRACE(state);
        const QString since = main.TimeGetZulu().toString(QStringLiteral("hh:mm"));
        const std::size_t inputs = sim.InputCalls().size();
        StartWith({No});
        ASSERT_EQ(drive.ui.messages.size(), 1u);
        const MessageRequest& ask = drive.ui.messages[0];
        EXPECT_EQ(ask.text,
                  QStringLiteral("AirMail is %1 K9ZZZ since %2. Start anyway?").arg(state, since));
        EXPECT_TRUE(ask.buttons == MsgButtons::YesNo && ask.icon == MsgIcon::Question &&
                    DefaultAnswer(ask) == No);
        // Nothing typed, nothing changed.
        EXPECT_TRUE(sim.InputCalls().size() == inputs && drive.ui.panelWrites.empty() &&
                    main.cmdStart.bold);
        RunSeconds(60);
    }
    StartWith({Yes, Cancel});
    EXPECT_EQ(questions.size(), 1u);
    // AirMail closed in the middle of a connection leaves it open in the log.
    sim.CloseWindow(sim.MainWindow());
    StartWith({No});
    EXPECT_EQ(CountMessages(QStringLiteral("AirMail is")), 0);
}

TEST_F(ConnectProcessTest, StopWhileTheTerminalIsBeingFilledEndsBeforeTheQuestion) {
    onWait = [this] {
        if (connection.record().state == ConnectStateSelect) main.cmdStop_Click();
    };
    StartWith({});
    ExpectEnded(0, 0, 0, "");
}

// The Station column shows a SailMail station by name; the Terminal takes its
// identifier.  The list's system is typed even when a view has made another
// one current.
TEST_F(ConnectProcessTest, SailMailStationNamesAreTypedAsIdentifiers) {
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQAB970=CM87:Harbor Point\n"));
    main.m_sListSystem = QStringLiteral("SAILMAIL");
    main.m_sSystem = QStringLiteral("HAM");
    grid().SetRows(1);
    AddRow(QStringLiteral("Harbor Point"), QStringLiteral("7100.0"));
    StartWith({Cancel});
    ExpectEnded(0, 1, 0, "Stopped");
    EXPECT_EQ(questions[0].station, "WQAB970");
    EXPECT_EQ(sim.Field(SimControl::TerminalSystem).text, "SAILMAIL");
    EXPECT_EQ(main.m_sStation, QStringLiteral("WQAB970"));
    EXPECT_EQ(main.m_sStationName, QStringLiteral("Harbor Point"));

    // Two stations of one name: each row calls its own station, which it keeps.
    grid().SetRows(1);
    for (const char* id : {"WQAB970", "WQAC971"})
        best().GridSetStation(grid(), AddRow("Harbor Point", "7100.0"), QLatin1String(id));
    StartWith({No, Cancel});
    EXPECT_EQ(questions.at(1).station, "WQAC971");
}

// ---- the main window --------------------------------------------------------

// While the process runs the controls are off, the called frequency blinks
// and the panels count.  Stop asks first while waiting (the ticks meanwhile
// only refresh the panels) and sends nothing to AirMail.
TEST_F(ConnectProcessTest, MainWindowWhileTheProcessRuns) {
    main.cmdBestTime.enabled = false;  // a control that was off before Start stays off after
    const std::vector<const Control*> locked = {&main.cmbSystem, &main.cmdUpdate, &main.txtLat,
                                                &main.txtLon};
    CallFirstRow(SimCallOutcome::Connected(7, 3600), {Yes});
    ASSERT_EQ(connection.record().state, ConnectStateWaitConnect);
    for (const Control* c : locked) EXPECT_FALSE(c->enabled);
    EXPECT_FALSE(main.cmdStart.enabled || main.cmdStart.bold || main.cmdBestTime.enabled);
    EXPECT_TRUE(main.cmdStop.enabled && main.cmdStop.bold);
    EXPECT_EQ(drive.ui.PanelText(1), QStringLiteral("Working"));
    EXPECT_EQ(std::pair(best().m_iBlinkRow, best().m_iBlinkCol),
              std::pair(1, best().m_iColFrequency));
    const std::size_t inputs = sim.InputCalls().size();
    const platform::UtcSeconds start = connection.record().processStart;
    const auto processTime = [&] { return ElapsedText(clock.NowUtc() - start) + QLatin1Char(' '); };

    // "Connected to" comes while the question is open; No goes on waiting.
    onMessage = [this](const MessageRequest&) { RunSeconds(10); };
    drive.ui.QueueAnswer(No);
    main.cmdStop_Click();
    const MessageRequest& ask = drive.ui.messages.back();
    EXPECT_TRUE(ask.text.startsWith(QStringLiteral("Once the AirMail Connect process has")));
    EXPECT_TRUE(ask.buttons == MsgButtons::YesNo && ask.icon == MsgIcon::Information);
    EXPECT_EQ(connection.record().state, ConnectStateWaitConnect);
    EXPECT_EQ(drive.ui.PanelText(4), processTime());
    EXPECT_TRUE(drive.ui.PanelText(3).isEmpty());

    // Panel 3 counts the connection's time.
    onMessage = nullptr;
    ASSERT_TRUE(RunUntilState(ConnectStateWaitDisconnect));
    RunSeconds(65);
    EXPECT_EQ(drive.ui.PanelText(3), QStringLiteral("1:05"));
    EXPECT_EQ(drive.ui.PanelText(4), processTime());

    // An update cannot pull the list from under the process.
    main.cmdUpdate_Click();
    EXPECT_EQ(grid().Rows(), 4);

    drive.ui.QueueAnswer(Yes);
    main.cmdStop_Click();
    EXPECT_EQ(CountMessages(QStringLiteral("Once the AirMail")), 2);
    ExpectEnded(0, 1, 1, "Waiting Disconnect, Attempt 1");
    for (const Control* c : locked) EXPECT_TRUE(c->enabled);
    EXPECT_TRUE(main.cmdStart.enabled && main.cmdStart.bold);
    EXPECT_FALSE(main.cmdStop.enabled || main.cmdStop.bold || main.cmdBestTime.enabled);
    EXPECT_EQ(sim.InputCalls().size(), inputs);
    EXPECT_EQ(FrequencyColor(1), best().m_lColorClear);  // the blink stops on the call's colour
}

}  // namespace
}  // namespace tw::test
