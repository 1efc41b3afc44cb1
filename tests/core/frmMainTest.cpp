// The main window's behaviour without widgets: start-up, first activation,
// the update cycle, the status bar, the clock, resizing and the menus.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/frmMain.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

constexpr platform::UtcSeconds kNoon = 1780747200;  // 2026-06-06 12:00:00 UTC

// Position texts in the tests are plain numbers.
bool DecodeNumber(const QString& text, bool, double& value) {
    bool ok = false;
    value = text.toDouble(&ok);
    return ok;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : profile(files), clock(kNoon) { NewWindow(); }
    void NewWindow() {
        ui.ClearRecords();
        builds = 0;
        main = std::make_unique<frmMain>(
            frmMain::Services{ui, metrics, profile, clock, QStringLiteral("C:\\Tidewell"), {}});
    }

    // Steps that give a position and a list, counting the builds and noting
    // panel 1 during the build.
    void GivePositionAndList(bool listOk) {
        main->steps.LatLonGetCurrent = [](LatLon& p) {
            p = {38.6, -120.3};
            return true;
        };
        main->steps.LatLonEncode = [](double v, bool isLat) {
            return QStringLiteral("%1%2").arg(v).arg(isLat ? "lat" : "lon");
        };
        main->steps.BestListBuild = [this, listOk] {
            ++builds;
            panelDuringBuild = ui.PanelText(1);
            return listOk;
        };
    }

    test::ScriptedUserInterface ui;
    FixedTextMetrics metrics;
    test::FakeProfileFiles files;
    ProfileAccess profile;
    platform::ManualClock clock;
    std::unique_ptr<frmMain> main;
    int builds = 0;
    QString panelDuringBuild;
};

TEST_F(MainWindowTest, LoadWithoutProfileUsesDefaultsAndTopLeftCorner) {
    main->Form_Load();
    EXPECT_EQ(main->settings.m_iStationTopStations, 5);
    EXPECT_EQ(main->settings.m_sProfileFile, QStringLiteral("C:\\Tidewell\\Tidewell.Ini"));
    EXPECT_EQ(main->WindowLeft(), 0);
    EXPECT_EQ(main->WindowTop(), 0);
    EXPECT_GT(main->WindowWidth(), 3000);
    // The grid already has its header row.
    EXPECT_EQ(main->best.grdFrequency.Rows(), 1);
    EXPECT_EQ(main->best.grdFrequency.Cols(), 15);
}

TEST_F(MainWindowTest, StoredGeometryIsKeptWhenResizeIsOff) {
    const std::string ini = "C:\\Tidewell\\Tidewell.Ini";
    files.Set(ini, "AirMail Data", "Resize", "False");
    files.Set(ini, "Window Data", "Left", "1500");
    files.Set(ini, "Window Data", "Top", "900");
    files.Set(ini, "Window Data", "Width", "10000");
    main->Form_Load();
    EXPECT_EQ(main->WindowLeft(), 1500);
    EXPECT_EQ(main->WindowTop(), 900);
    EXPECT_EQ(main->WindowWidth(), 10000);
}

TEST_F(MainWindowTest, UpdateWithoutPositionEndsWithRefreshBoldAndHeaderOnly) {
    main->steps.LatLonEncode = [](double, bool isLat) {
        return isLat ? QStringLiteral("zero-lat") : QStringLiteral("zero-lon");
    };
    main->steps.BestListBuild = [this] {
        ++builds;
        return true;
    };
    main->Form_Load();
    main->Form_Activate();

    EXPECT_TRUE(main->m_bActivated);
    EXPECT_EQ(builds, 0);
    EXPECT_TRUE(main->cmdUpdate.bold);
    EXPECT_FALSE(main->cmdStart.enabled);
    EXPECT_FALSE(main->cmdStop.enabled);
    EXPECT_EQ(main->txtLat.caption, QStringLiteral("zero-lat"));
    EXPECT_EQ(main->txtLon.caption, QStringLiteral("zero-lon"));
    EXPECT_EQ(main->best.grdFrequency.Rows(), 1);
    EXPECT_EQ(ui.PanelText(1), QString());
    // The hourglass came and went.
    ASSERT_FALSE(ui.busyCalls.empty());
    EXPECT_TRUE(ui.busyCalls.front());
    EXPECT_FALSE(ui.busy);
}

TEST_F(MainWindowTest, UpdateOutcomeDecidesWhichButtonIsBold) {
    struct Case {
        bool listOk;
        bool startEnabled;
        bool refreshBold;
        const char* focus;
    };
    for (const Case& c : {Case{true, true, false, "cmdStart"}, Case{false, false, true, "cmdUpdate"}}) {
        SCOPED_TRACE(c.listOk);
        NewWindow();
        GivePositionAndList(c.listOk);
        QSignalSpy focus(main.get(), &frmMain::focusRequested);
        main->Form_Load();
        ui.SetPanelText(3, QStringLiteral("01:00"));
        main->Form_Activate();

        EXPECT_EQ(builds, 1);
        EXPECT_EQ(panelDuringBuild, QStringLiteral("Working"));
        EXPECT_EQ(ui.PanelText(1), QString());
        EXPECT_EQ(main->cmdStart.enabled, c.startEnabled);
        EXPECT_EQ(main->cmdStart.bold, c.startEnabled);
        EXPECT_EQ(main->cmdUpdate.bold, c.refreshBold);
        EXPECT_FALSE(main->cmdStop.enabled);
        ASSERT_EQ(focus.count(), 1);
        EXPECT_EQ(focus.takeFirst().at(0).toString(), QString::fromLatin1(c.focus));
        EXPECT_EQ(ui.PanelText(3), QString());
        EXPECT_EQ(ui.PanelText(4), QString());
        EXPECT_EQ(main->txtLat.caption, QStringLiteral("38.6lat"));
        EXPECT_EQ(ui.broughtToFront.back(), QStringLiteral("Tidewell"));
    }
}

TEST_F(MainWindowTest, ExpandedListWidensTheSettingsOnlyForTheBuild) {
    GivePositionAndList(true);
    main->Form_Load();
    main->settings.m_iStationTopFrequencies = 3;
    bool all = false, highest = true;
    int top = 0;
    main->steps.BestListBuild = [&] {
        all = main->settings.m_bStationAllStations;
        highest = main->settings.m_bStationHighestFrequency;
        top = main->settings.m_iStationTopFrequencies;
        return true;
    };
    main->Update(true);
    EXPECT_TRUE(all);
    EXPECT_FALSE(highest);
    EXPECT_EQ(top, 20);
    EXPECT_FALSE(main->settings.m_bStationAllStations);
    EXPECT_TRUE(main->settings.m_bStationHighestFrequency);
    EXPECT_EQ(main->settings.m_iStationTopFrequencies, 3);
}

TEST_F(MainWindowTest, RequestsDuringAnUpdateAreIgnored) {
    GivePositionAndList(true);
    main->Form_Load();
    main->Form_Activate();
    builds = 0;
    main->steps.BestListBuild = [this] {
        ++builds;
        main->cmdUpdate_Click();  // arrives through a repaint point
        main->cmbSystem_Click();
        return true;
    };
    main->cmdUpdate_Click();
    EXPECT_EQ(builds, 1);
    EXPECT_FALSE(ui.busy);
    // After the update the next request runs again.
    main->cmdUpdate_Click();
    EXPECT_EQ(builds, 2);
}

TEST_F(MainWindowTest, SystemChoiceBeforeFirstActivationDoesNotUpdate) {
    GivePositionAndList(true);
    main->Form_Load();
    main->cmbSystem_Click();
    EXPECT_EQ(builds, 0);
    main->Form_Activate();
    EXPECT_EQ(builds, 1);
    main->cmbSystem_Click();
    EXPECT_EQ(builds, 2);
    // Later activations do nothing.
    main->Form_Activate();
    EXPECT_EQ(builds, 2);
}

TEST_F(MainWindowTest, HandTypedPositionIsWrittenIntoAirMailBeforeTheBuild) {
    GivePositionAndList(true);
    std::vector<std::pair<QString, QString>> written;
    main->steps.LatLonDecode = DecodeNumber;
    main->steps.AirMailWritePosition = [&](const QString& key, const QString& value) {
        written.emplace_back(key, value);
        return true;
    };
    main->steps.BestListBuild = [&] {
        EXPECT_EQ(written.size(), 3u);
        return true;
    };
    main->Form_Load();
    main->settings.m_bAirMailLatLonEdit = true;
    main->txtLat.caption = QStringLiteral("12.5");
    main->txtLon.caption = QStringLiteral("-45");
    clock.Set(1780747200 + 3723);  // 13:02:03
    main->Update(false);

    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0], std::make_pair(QStringLiteral("Current Latitude"), QStringLiteral("12.5lat")));
    EXPECT_EQ(written[1], std::make_pair(QStringLiteral("Current Longitude"), QStringLiteral("-45lon")));
    EXPECT_EQ(written[2], std::make_pair(QStringLiteral("Current Time"), QStringLiteral("2026/06/06 13:02:03")));
    EXPECT_EQ(main->txtLat.caption, QStringLiteral("12.5lat"));
    EXPECT_TRUE(main->cmdStart.enabled);
}

TEST_F(MainWindowTest, HandTypedPositionFailuresStopTheUpdate) {
    struct Case {
        const char* name;
        const char* lat;
        int failingWrite;  // 1-based write that fails, 0 none
        int writes;        // writes attempted
        int messages;      // ProfileSaveError messages
    };
    for (const Case& c : {Case{"undecodable", "x", 0, 0, 0}, Case{"latitude write", "1", 1, 1, 1},
                          Case{"time write", "1", 3, 3, 1}}) {
        SCOPED_TRACE(c.name);
        NewWindow();
        GivePositionAndList(true);
        int writes = 0;
        main->steps.LatLonDecode = DecodeNumber;
        main->steps.AirMailWritePosition = [&](const QString&, const QString&) {
            return ++writes != c.failingWrite;
        };
        main->Form_Load();
        main->settings.m_bAirMailLatLonEdit = true;
        main->txtLat.caption = QString::fromLatin1(c.lat);
        main->txtLon.caption = QStringLiteral("2");
        main->Update(false);

        EXPECT_EQ(builds, 0);
        EXPECT_EQ(writes, c.writes);
        EXPECT_EQ(static_cast<int>(ui.messages.size()), c.messages);
        if (c.messages > 0) {
            EXPECT_TRUE(ui.LastMessage().startsWith(QStringLiteral("Problem with initialization file ")));
        }
        EXPECT_TRUE(main->cmdUpdate.bold);
        EXPECT_FALSE(main->cmdStart.enabled);
        EXPECT_FALSE(ui.busy);
    }
}

TEST_F(MainWindowTest, RepeatedStatusMessageLeavesPanelTwoUntouched) {
    main->UpdateStatusStatus(QStringLiteral("Propagation, KQ6XA"));
    main->UpdateStatusStatus(QStringLiteral("Propagation, KQ6XA"));
    main->UpdateStatusState(QStringLiteral("Working"));
    main->UpdateStatusState(QStringLiteral("Working"));
    int panel2 = 0, panel1 = 0;
    for (const auto& w : ui.panelWrites) {
        panel2 += w.panel == 2;
        panel1 += w.panel == 1;
    }
    EXPECT_EQ(panel2, 1);
    EXPECT_EQ(panel1, 1);
    EXPECT_EQ(ui.PanelText(2), QStringLiteral("Propagation, KQ6XA "));
    EXPECT_EQ(ui.PanelToolTip(2), QStringLiteral("Status Message"));
}

TEST_F(MainWindowTest, ClockWritesZuluTimeIntoPanelFive) {
    main->tmrTime_Timer();
    EXPECT_EQ(ui.PanelText(5), QStringLiteral("12:00:00"));
    clock.Advance(3600 * 11 + 59 * 60 + 59);
    main->tmrTime_Timer();
    EXPECT_EQ(ui.PanelText(5), QStringLiteral("23:59:59"));
    EXPECT_EQ(main->TimeGetZulu().timeSpec(), Qt::UTC);
}

TEST_F(MainWindowTest, ResizeFollowsTheWindowAboveTheLimitsOnly) {
    const int frameLeft = main->frmFrequency.left;
    const int frameTop = main->frmFrequency.top;
    const int status = 300;

    main->Form_Resize(12000, 9000, status, false);
    EXPECT_EQ(main->frmFrequency.width, 12000 - 2 * frameLeft);
    EXPECT_EQ(main->cmbSystem.left, main->frmFrequency.width - main->cmbSystem.width - 120);
    EXPECT_EQ(main->cmdUpdate.left, main->cmbSystem.left);
    EXPECT_EQ(main->cmdBestTime.left, main->cmbSystem.left);
    EXPECT_EQ(main->grdFrequencyBox.width, main->cmdUpdate.left - main->grdFrequencyBox.left - 120);
    EXPECT_EQ(main->frmFrequency.height, 9000 - frameTop - status - 60);
    EXPECT_EQ(main->grdFrequencyBox.height,
              main->frmFrequency.height - main->grdFrequencyBox.top - 60);

    const Control frame = main->frmFrequency;
    const Control grid = main->grdFrequencyBox;
    // Usable width 3000 and height 1200: nothing changes.
    main->Form_Resize(3000 + 2 * frameLeft, 1200 + frameTop + status + 60, status, false);
    EXPECT_EQ(main->frmFrequency.width, frame.width);
    EXPECT_EQ(main->frmFrequency.height, frame.height);
    EXPECT_EQ(main->grdFrequencyBox.width, grid.width);
    EXPECT_EQ(main->grdFrequencyBox.height, grid.height);
    // Minimised: nothing changes.
    main->Form_Resize(20000, 20000, status, true);
    EXPECT_EQ(main->frmFrequency.width, frame.width);
}

TEST_F(MainWindowTest, FileDefaultRestoresDefaultsAndRunsTheFirstActivationAgain) {
    GivePositionAndList(true);
    int findFolders = 0;
    main->steps.AirMailFindFolders = [&] { ++findFolders; };
    main->Form_Load();
    main->Form_Activate();
    main->settings.m_iStationTopStations = 9;
    files.Set("C:\\Tidewell\\Tidewell.Ini", "Station Data", "Top Stations", "9");

    main->MenuClick(QStringLiteral("mnuFileDefault"));
    EXPECT_EQ(main->settings.m_iStationTopStations, 5);
    EXPECT_EQ(findFolders, 2);
    EXPECT_EQ(builds, 2);
    EXPECT_TRUE(main->m_bActivated);
    // The profile is not written until exit.
    EXPECT_TRUE(files.Writes().empty());
}

TEST_F(MainWindowTest, ExitAsksTheWindowToCloseAndUnloadWritesTheProfile) {
    main->Form_Load();
    QSignalSpy close(main.get(), &frmMain::closeRequested);
    main->MenuClick(QStringLiteral("mnuFileExit"));
    EXPECT_EQ(close.count(), 1);
    bool othersClosed = false;
    main->steps.UnloadOtherWindows = [&] {
        othersClosed = true;
        EXPECT_FALSE(files.Writes().empty());  // the profile first
    };
    main->Form_Unload();
    EXPECT_TRUE(othersClosed);
    EXPECT_EQ(files.Value("C:\\Tidewell\\Tidewell.Ini", "Station Data", "Top Stations"), "5");
}

TEST_F(MainWindowTest, ViewMenuEnablesStationItemsBySelectionAndSystem) {
    for (const char* name : {"mnuViewPropagationDetails", "mnuViewPropagationHours",
                             "mnuViewStationInfo", "mnuViewStationInfoBeam"})
        main->SetMenuAvailable(QString::fromLatin1(name), true);
    struct Case {
        int row;
        const char* system;
        bool details;
        bool info;
    };
    for (const Case& c : {Case{-1, "HAM", false, false}, Case{2, "SAILMAIL", true, false},
                          Case{2, "ham", true, true}}) {
        SCOPED_TRACE(c.system);
        main->best.m_iGridRow = c.row;
        main->m_sSystem = QString::fromLatin1(c.system);
        main->mnuView_Opening();
        EXPECT_EQ(main->menus[QStringLiteral("mnuViewPropagationDetails")].enabled, c.details);
        EXPECT_EQ(main->menus[QStringLiteral("mnuViewPropagationHours")].enabled, c.details);
        EXPECT_EQ(main->menus[QStringLiteral("mnuViewStationInfo")].enabled, c.info);
        EXPECT_EQ(main->menus[QStringLiteral("mnuViewStationInfoBeam")].enabled, c.info);
    }
    // Items of windows that do not exist stay disabled whatever the selection.
    main->SetMenuAvailable(QStringLiteral("mnuViewStationInfo"), false);
    main->mnuView_Opening();
    EXPECT_FALSE(main->menus[QStringLiteral("mnuViewStationInfo")].enabled);
}

TEST_F(MainWindowTest, EditAskDecidesBetweenTypingAndAirMailsWindow) {
    struct Case {
        const char* name;
        bool reportOpen;
        bool prompt;
        MsgAnswer answer;
        int questions;
        bool editing;
        int reportOpened;
    };
    for (const Case& c : {Case{"report window open", true, true, MsgAnswer::Yes, 0, false, 0},
                          Case{"yes", false, true, MsgAnswer::Yes, 1, true, 0},
                          Case{"no", false, true, MsgAnswer::No, 1, false, 1},
                          Case{"asked before", false, false, MsgAnswer::Yes, 0, false, 1}}) {
        SCOPED_TRACE(c.name);
        NewWindow();
        ui.answers.clear();
        int opened = 0;
        main->steps.PositionReportIsOpen = [&] { return c.reportOpen; };
        main->steps.AirMailOpenPositionReport = [&] { ++opened; };
        main->settings.m_bAirMailLatLonEditPrompt = c.prompt;
        ui.QueueAnswer(c.answer);
        EXPECT_EQ(main->LatLonBoxClick(LatLonBox::Latitude, 0), c.editing ? 0 : -1);
        EXPECT_EQ(static_cast<int>(ui.messages.size()), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(ui.messages[0].buttons, MsgButtons::YesNo);
            EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
        }
        EXPECT_EQ(main->settings.m_bAirMailLatLonEdit, c.editing);
        EXPECT_EQ(opened, c.reportOpened);
        EXPECT_EQ(main->settings.m_bAirMailLatLonEditPrompt, c.reportOpen && c.prompt);
    }
}

}  // namespace
}  // namespace tw
