// The main window's behaviour without widgets: start-up, first activation,
// the update cycle, resizing and the menus.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "app/frmMain.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

constexpr platform::UtcSeconds kNoon = 1780747200;  // 2026-06-06 12:00:00 UTC
const std::string kIni = "C:\\Tidewell\\Tidewell.Ini";

// A window whose connection process runs when the test says so.
class TestWindow : public frmMain {
public:
    using frmMain::frmMain;
    bool ConnectRunning() const override { return connecting; }
    bool connecting = false;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : profile(files), clock(kNoon) { NewWindow(); }

    // A window whose steps give a position and a list (built or not), counting
    // the builds and noting panel 1 during the build.
    // A good build leaves `listRows` rows, the header among them.
    void NewWindow(bool listOk = true, int listRows = 3) {
        ui.ClearRecords();
        builds = 0;
        panelDuringBuild.clear();
        main = std::make_unique<TestWindow>(
            frmMain::Services{ui, metrics, profile, clock, QStringLiteral("C:\\Tidewell"), {}});
        main->steps.LatLonGetCurrent = [](LatLon& p) { p = {38.6, -120.3}; return true; };
        main->steps.LatLonEncode = [](double v, bool isLat) {
            return QStringLiteral("%1%2").arg(v).arg(isLat ? "lat" : "lon");
        };
        main->steps.BestListBuild = [this, listOk, listRows] {
            ++builds;
            panelDuringBuild = ui.PanelText(1);
            if (listOk) main->best.grdFrequency.SetRows(listRows);
            return listOk;
        };
    }

    test::ScriptedUserInterface ui;
    FixedTextMetrics metrics;
    test::FakeProfileFiles files;
    ProfileAccess profile;
    platform::ManualClock clock;
    std::unique_ptr<TestWindow> main;
    int builds = 0;
    QString panelDuringBuild;
};

// Start-up places the window top left unless AirMail's Resize is off, with the
// header of the stored settings (15 columns with additional data); the first
// activation updates, and the outcome decides which button is bold.
TEST_F(MainWindowTest, StartUpPlacesTheWindowAndTheFirstUpdateDecidesWhichButtonIsBold) {
    files.Set(kIni, "Window Data", "Left", "1500");
    files.Set(kIni, "Window Data", "Top", "900");
    files.Set(kIni, "Propagation Data", "Additional Data", "True");
    // AirMail's Resize, a position found, the list built, its rows, the
    // button given the focus ("": none asked for).  An empty list offers
    // nothing to start and nothing to refresh.
    const std::tuple<const char*, bool, bool, bool, int, const char*> cases[] = {
        {"no position", true, false, false, 1, ""},
        {"list failed", false, true, false, 1, "cmdUpdate"},
        {"list built", true, true, true, 3, "cmdStart"},
        {"list empty", true, true, true, 1, "cmdUpdate"}};
    for (const auto& [name, resize, position, listOk, rows, focused] : cases) {
        SCOPED_TRACE(name);
        files.Set(kIni, "AirMail Data", "Resize", resize ? "True" : "False");
        NewWindow(listOk, rows);
        const bool startable = listOk && rows > 1;
        if (!position) main->steps.LatLonGetCurrent = [](LatLon&) { return false; };
        QSignalSpy focus(main.get(), &frmMain::focusRequested);
        main->Form_Load();
        EXPECT_EQ(std::pair(main->WindowLeft(), main->WindowTop()), resize ? std::pair(0, 0) : std::pair(1500, 900));
        Grid& grid = main->best.grdFrequency;
        int shown = 0;
        for (int c = 0; c < grid.Cols(); ++c) shown += grid.ColWidth(c) > 0;
        EXPECT_EQ(shown, 15);
        ui.SetPanelText(3, QStringLiteral("01:00"));
        grid.SetRows(5);  // a list from before
        main->Form_Activate();

        EXPECT_EQ(builds, position ? 1 : 0);
        EXPECT_EQ(panelDuringBuild, position ? QStringLiteral("Working") : QString());
        EXPECT_EQ(ui.PanelText(1), QString());
        // Start enabled and bold, Refresh bold, Stop enabled.
        EXPECT_EQ(std::tuple(main->cmdStart.enabled, main->cmdStart.bold, main->cmdUpdate.bold,
                             main->cmdStop.enabled),
                  std::tuple(startable, startable, !listOk, false));
        EXPECT_EQ(focus.count(), *focused ? 1 : 0);
        EXPECT_EQ(focus.value(0).value(0).toString(), QString::fromLatin1(focused));
        EXPECT_EQ(ui.PanelText(3), QString());
        EXPECT_EQ(grid.Rows(), rows);
        EXPECT_EQ(main->txtLat.caption, position ? QStringLiteral("38.6lat") : "0lat");
        EXPECT_EQ(main->txtLon.caption, position ? QStringLiteral("-120.3lon") : "0lon");
        EXPECT_EQ(ui.busyCalls, (std::vector<bool>{true, false}));  // the hourglass came and went
    }
    EXPECT_EQ(ui.broughtToFront.back(), QStringLiteral("Tidewell"));
}

TEST_F(MainWindowTest, ExpandedListWidensTheSettingsOnlyForTheBuild) {
    main->Form_Load();
    Settings& s = main->settings;
    s.m_iStationTopFrequencies = 3;
    std::tuple<bool, bool, int> duringBuild;
    main->steps.BestListBuild = [&] {
        duringBuild = {s.m_bStationAllStations, s.m_bStationHighestFrequency,
                       s.m_iStationTopFrequencies};
        return true;
    };
    main->Update(true);
    EXPECT_EQ(duringBuild, std::make_tuple(true, false, 20));
    main->steps.BestListBuild();  // the settings after the build
    EXPECT_EQ(duringBuild, std::make_tuple(false, true, 3));
}

// The system list updates only after the first activation, later activations
// do nothing, and requests that arrive during an update are ignored.
TEST_F(MainWindowTest, UpdateRequestsOutsideTheirTimeAreIgnored) {
    main->Form_Load();
    main->cmbSystem_Click();
    main->steps.BestListBuild = [this] {
        if (++builds == 1) main->cmdUpdate_Click();  // through a repaint point of the update
        return true;
    };
    main->Form_Activate();
    main->Form_Activate();
    EXPECT_EQ(builds, 1);
    main->cmbSystem_Click();
    EXPECT_EQ(builds, 2);
}

// The list carries the minute it was predicted for in the caption.  When the
// hour turns an idle window builds it again (the build queued, outside the
// clock's tick); during a connection the list is only marked old and rebuilt
// at the next turn after it; with the setting off nothing happens.
TEST_F(MainWindowTest, TheHourTurningRebuildsAnIdleListOrMarksItOld) {
    const QString caption = QStringLiteral("Best Stations and Frequencies");
    // Setting, connection running, clock (seconds after noon): builds, caption.
    const std::tuple<const char*, bool, bool, int, int, const char*> steps[] = {
        {"same hour", true, false, 3599, 1, " (2026-06-06 12:00 UTC)"},
        {"hour turned", true, false, 3600 + 2459, 2, " (2026-06-06 13:40 UTC)"},
        {"turned while connecting", true, true, 7200, 2, " (2026-06-06 13:40 UTC, old)"},
        {"connection over", true, false, 9000, 2, " (2026-06-06 13:40 UTC, old)"},
        {"next turn", true, false, 10800, 3, " (2026-06-06 15:00 UTC)"},
        {"setting off", false, false, 14400, 3, " (2026-06-06 15:00 UTC)"}};
    main->Form_Load();
    main->Form_Activate();
    for (const auto& [name, hourly, connecting, seconds, expectedBuilds, date] : steps) {
        SCOPED_TRACE(name);
        main->settings.m_bPropagationHourlyRefresh = hourly;
        main->connecting = connecting;
        clock.Set(kNoon + seconds);
        main->tmrTime_Timer();
        QCoreApplication::processEvents();
        EXPECT_EQ(builds, expectedBuilds);
        EXPECT_EQ(main->frmFrequency.caption, caption + QString::fromLatin1(date));
    }
    // A failed build leaves no dated list, and nothing to rebuild by the hour.
    main->steps.BestListBuild = [] { return false; };
    main->cmdUpdate_Click();
    EXPECT_EQ(main->frmFrequency.caption, caption);
}

// Closing during an update gives it up; the window closes once it has ended.
TEST_F(MainWindowTest, ClosingDuringAnUpdateAbandonsItAndClosesAfterIt) {
    main->Form_Load();
    QSignalSpy close(main.get(), &frmMain::closeRequested);
    std::tuple<bool, bool, int> duringBuild;
    main->steps.BestListBuild = [&] {
        const bool may = main->QueryUnload();
        duringBuild = {may, main->UpdateAbandoned(), close.count()};
        return false;
    };
    main->Form_Activate();
    EXPECT_EQ(duringBuild, std::make_tuple(false, true, 0));
    EXPECT_EQ(close.count(), 1);
    EXPECT_FALSE(main->UpdateAbandoned());
    EXPECT_TRUE(main->QueryUnload());
}

// A hand-typed position is written into AirMail, all three keys in one
// write, before the build; any failure stops the update before the build.
TEST_F(MainWindowTest, HandTypedPositionIsWrittenIntoAirMailBeforeTheBuild) {
    // The boxes' texts, the write fails, the write was asked for.
    const std::tuple<const char*, const char*, const char*, bool, bool> cases[] = {
        {"all written", "12.5", "-45", false, true},
        {"latitude undecodable", "x", "-45", false, false},
        {"longitude undecodable", "12.5", "y", false, false},
        {"write fails", "12.5", "-45", true, true}};
    for (const auto& [name, latText, lonText, writeFails, asked] : cases) {
        SCOPED_TRACE(name);
        NewWindow();
        QStringList written;
        qsizetype writtenAtBuild = -1;
        main->steps.LatLonDecode = [](const QString& text, bool, double& value) {
            bool ok = false;
            value = text.toDouble(&ok);
            return ok;
        };
        main->steps.AirMailWritePosition = [&](const QString& lat, const QString& lon, const QString& time) {
            written = {lat, lon, time};
            return !writeFails;
        };
        main->steps.BestListBuild = [&] {
            writtenAtBuild = written.size();
            main->best.grdFrequency.SetRows(2);
            return true;
        };
        main->Form_Load();
        main->settings.m_bAirMailLatLonEdit = true;
        main->txtLat.caption = QString::fromLatin1(latText);
        main->txtLon.caption = QString::fromLatin1(lonText);
        clock.Set(kNoon + 3723);  // 13:02:03
        main->Update(false);

        const bool built = asked && !writeFails;
        EXPECT_EQ(written, asked ? QStringList({"12.5lat", "-45lon", "2026/06/06 13:02:03"})
                                 : QStringList());
        EXPECT_EQ(writtenAtBuild, built ? 3 : -1);
        EXPECT_EQ(main->cmdStart.enabled, built);
        EXPECT_EQ(main->cmdUpdate.bold, !built);
        // The writer and the decoder tell the user themselves.
        EXPECT_TRUE(ui.messages.empty());
    }
    EXPECT_EQ(main->TimeGetZulu().timeSpec(), Qt::UTC);
}

// Every access key marks a letter of its caption and differs from the others
// of its menu; those of the menu bar, the buttons and the labels differ too.
TEST_F(MainWindowTest, AccessKeysDoNotClash) {
    // The buttons and labels with their captions; the menu bar's menus are named by theirs.
    const QMap<QString, QString> captions = {
        {"cmdStart", main->cmdStart.caption},   {"cmdStop", main->cmdStop.caption},
        {"cmdUpdate", main->cmdUpdate.caption}, {"cmdBestTime", main->cmdBestTime.caption},
        {"lblLat", "Lat"},                      {"lblLon", "Lon"}};
    QMap<QString, QStringList> groups{{"", captions.keys()}};
    for (const char* menu : {"File", "View", "Options", "Help", "Frequency"}) {
        groups[""] << menu;
        groups[menu] = main->MenuNames(menu);
    }
    int marked = 0;
    for (const QStringList& names : groups) {
        QString keys;
        for (const QString& name : names) {
            const QString caption = main->menus.contains(name) ? main->menus[name].caption
                                                               : captions.value(name, name);
            const QString text = main->AccessCaption(name, caption);
            EXPECT_EQ(QString(text).remove('&'), caption);
            const QString key = text.section('&', 1).left(1).toUpper();
            EXPECT_TRUE(key.isEmpty() || !keys.contains(key)) << text.toStdString();
            keys += key;
            marked += !key.isEmpty();
        }
    }
    EXPECT_EQ(marked, 35);  // every menu, item, button and label but the pop-up menu's title
}

TEST_F(MainWindowTest, RepeatedStateLeavesPanelOneUntouched) {
    main->UpdateStatusState(QStringLiteral("Working"));
    main->UpdateStatusState(QStringLiteral("Working"));
    ASSERT_EQ(ui.panelWrites.size(), 1u);
    EXPECT_EQ(ui.PanelText(1), QStringLiteral("Working"));
}

TEST_F(MainWindowTest, ResizeFollowsTheWindowAboveTheLimitsOnly) {
    const Control frame = main->frmFrequency, grid = main->grdFrequencyBox;
    const int status = 300;
    // Usable width 3000 and height 1200, or minimised: nothing changes.
    main->Form_Resize(3000 + 2 * frame.left, 1200 + frame.top + status + 60, status, false);
    main->Form_Resize(20000, 20000, status, true);
    EXPECT_EQ(std::tuple(main->frmFrequency.width, main->frmFrequency.height,
                         main->grdFrequencyBox.width, main->grdFrequencyBox.height),
              std::tuple(frame.width, frame.height, grid.width, grid.height));

    main->Form_Resize(12000, 1201 + frame.top + status + 60, status, false);
    EXPECT_EQ(main->frmFrequency.width, 12000 - 2 * frame.left);
    EXPECT_EQ(main->cmbSystem.left, main->frmFrequency.width - main->cmbSystem.width - 120);
    EXPECT_EQ(main->cmdUpdate.left, main->cmbSystem.left);
    EXPECT_EQ(main->cmdBestTime.left, main->cmbSystem.left);
    EXPECT_EQ(main->grdFrequencyBox.width, main->cmdUpdate.left - grid.left - 120);
    EXPECT_EQ(main->frmFrequency.height, 1201);
    EXPECT_EQ(main->grdFrequencyBox.height, main->frmFrequency.height - grid.top - 60);
}

// Columns that come in (the additional data, the dial frequency) widen a
// window too narrow for them, and give the width back when they go, unless
// the user sized the window meanwhile; a wide enough, maximised or narrowed
// list leaves the width alone.
TEST_F(MainWindowTest, ColumnsThatComeInWidenTheWindowAndGoingGiveTheWidthBack) {
    const struct {
        const char* what;
        int width;
        bool additional, radio, maximized;
        bool widens;
        int userWidth;  // the user's width while the columns are shown (0: none)
    } cases[] = {
        {"additional data", 9000, true, false, false, true, 0},
        {"the dial frequency", 9000, false, true, false, true, 0},
        {"sized by the user meanwhile", 9000, true, false, false, true, 12000},
        {"wide enough already", 40000, true, true, false, false, 0},
        {"maximised", 9000, true, false, true, false, 0},
        {"no new columns", 9000, false, false, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files.Set(kIni, "Window Data", "Width", std::to_string(c.width));
        NewWindow();
        main->Form_Load();
        main->Form_Activate();
        ASSERT_EQ(main->WindowWidth(), c.width);
        if (c.maximized) main->SetWindowState(frmMain::WindowState::Maximized);
        main->settings.m_bPropagationAdditionalData = c.additional;
        main->settings.m_bRadioFrequency = c.radio;
        main->Update(false);
        EXPECT_EQ(main->WindowWidth(), c.widens ? main->WindowDesignWidth() : c.width);
        EXPECT_GT(main->WindowWidth(), c.widens ? c.width : 0);
        if (c.userWidth > 0) main->GeometryFromWindow(0, 0, c.userWidth, main->WindowHeight());
        main->settings.m_bPropagationAdditionalData = false;
        main->settings.m_bRadioFrequency = false;
        main->Update(false);
        EXPECT_EQ(main->WindowWidth(), c.userWidth > 0 ? c.userWidth : c.width);
    }
}

// A window at the width it was given for its header follows the columns its
// first list widens (a long station name); one the user sized stays.
TEST_F(MainWindowTest, TheFirstListWidensAWindowAtItsGivenWidth) {
    for (const bool userSized : {false, true}) {
        SCOPED_TRACE(userSized);
        NewWindow();
        main->steps.BestListBuild = [this] {
            main->best.grdFrequency.SetRows(2);
            main->best.GridSetCell(main->best.grdFrequency, 1, main->best.m_iColStation,
                                   QStringLiteral("A station of a very long name indeed"), AlignLeft, false);
            return true;
        };
        main->Form_Load();
        const int given = main->WindowWidth();
        if (userSized) main->GeometryFromWindow(0, 0, given - 600, main->WindowHeight());
        main->Form_Activate();
        EXPECT_EQ(main->WindowWidth(), userSized ? given - 600 : main->WindowDesignWidth());
        EXPECT_GT(main->WindowWidth(), userSized ? 0 : given);
        // At that width the grid holds its columns without a spare twip.
        main->Form_Resize(main->WindowDesignWidth(), 9000, 300, false);
        EXPECT_EQ(main->grdFrequencyBox.width,
                  main->best.ColumnsWidthWanted(main->best.grdFrequency));
    }
}

// The profile is written only at unload, before the other windows close.
TEST_F(MainWindowTest, FileDefaultRunsTheFirstActivationAgainAndUnloadWritesTheProfile) {
    int findFolders = 0;
    main->steps.AirMailFindFolders = [&] { ++findFolders; };
    main->Form_Load();
    main->Form_Activate();
    main->settings.m_iStationTopStations = 9;
    files.Set(kIni, "Station Data", "Top Stations", "9");

    main->MenuClick(QStringLiteral("mnuFileDefault"));
    EXPECT_EQ(std::tuple(main->settings.m_iStationTopStations, findFolders, builds),
              std::tuple(5, 2, 2));
    EXPECT_TRUE(main->m_bActivated);
    EXPECT_TRUE(files.Writes().empty());

    bool othersClosed = false;
    main->steps.UnloadOtherWindows = [&] {
        othersClosed = true;
        EXPECT_EQ(files.Value(kIni, "Station Data", "Top Stations"), "5");
    };
    main->Form_Unload();
    EXPECT_TRUE(othersClosed);
}

TEST_F(MainWindowTest, ViewMenuEnablesStationItemsBySelectionAndSystem) {
    const QStringList details{"mnuViewPropagationDetails", "mnuViewPropagationHours"};
    const QStringList info{"mnuViewStationInfo", "mnuViewStationInfoBeam"};
    for (const QString& name : details + info) main->SetMenuAvailable(name, true);
    // The selected row, the system, the details items and the station items enabled.
    const std::tuple<int, const char*, bool, bool> cases[] = {
        {-1, "HAM", false, false}, {2, "SAILMAIL", true, false}, {2, "ham", true, true}};
    for (const auto& [row, system, detailsOn, infoOn] : cases) {
        SCOPED_TRACE(system);
        main->best.m_iGridRow = row;
        main->m_sSystem = QString::fromLatin1(system);
        main->mnuView_Opening();
        for (const QString& name : details) EXPECT_EQ(main->menus[name].enabled, detailsOn);
        for (const QString& name : info) EXPECT_EQ(main->menus[name].enabled, infoOn);
    }
    // The list's system counts, not one a view made current.
    main->m_sListSystem = QStringLiteral("HAM");
    main->m_sSystem = QStringLiteral("SAILMAIL");
    main->mnuView_Opening();
    EXPECT_TRUE(main->menus[info[0]].enabled);
    // Items of windows that do not exist stay disabled whatever the selection.
    main->SetMenuAvailable(info[0], false);
    main->mnuView_Opening();
    EXPECT_FALSE(main->menus[info[0]].enabled);
}

TEST_F(MainWindowTest, EditAskDecidesBetweenTypingAndAirMailsWindow) {
    // AirMail's report window open, the question still to ask, the answer; then
    // typing allowed and how often AirMail's report window was opened.
    const std::tuple<const char*, bool, bool, MsgAnswer, bool, int> cases[] = {
        {"report window open", true, true, MsgAnswer::Yes, false, 0},
        {"yes", false, true, MsgAnswer::Yes, true, 0},
        {"no", false, true, MsgAnswer::No, false, 1},
        {"asked before", false, false, MsgAnswer::Yes, false, 1}};
    for (const auto& [name, reportOpen, prompt, answer, editing, reportOpened] : cases) {
        SCOPED_TRACE(name);
        NewWindow();
        ui.answers = {answer};
        int opened = 0;
        main->steps.PositionReportIsOpen = [open = reportOpen] { return open; };
        main->steps.AirMailOpenPositionReport = [&] { ++opened; };
        main->settings.m_bAirMailLatLonEditPrompt = prompt;
        EXPECT_EQ(main->LatLonBoxClick(LatLonBox::Latitude, 0), editing ? 0 : -1);
        // The question is a Yes/No with the exclamation icon.
        ASSERT_EQ(ui.messages.size(), prompt && !reportOpen ? 1u : 0u);
        for (const MessageRequest& m : ui.messages)
            EXPECT_EQ(std::pair(m.buttons, m.icon),
                      std::pair(MsgButtons::YesNo, MsgIcon::Exclamation));
        EXPECT_EQ(main->settings.m_bAirMailLatLonEdit, editing);
        EXPECT_EQ(opened, reportOpened);
        EXPECT_EQ(main->settings.m_bAirMailLatLonEditPrompt, reportOpen && prompt);
    }
}

}  // namespace
}  // namespace tw
