// The main window's behaviour without widgets: start-up, first activation,
// the update cycle, resizing and the menus.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/frmMain.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

constexpr platform::UtcSeconds kNoon = 1780747200;  // 2026-06-06 12:00:00 UTC
const std::string kIni = "C:\\Tidewell\\Tidewell.Ini";

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : profile(files), clock(kNoon) { NewWindow(); }

    // A window whose steps give a position and a list (built or not), counting
    // the builds and noting panel 1 during the build.
    void NewWindow(bool listOk = true) {
        ui.ClearRecords();
        builds = 0;
        panelDuringBuild.clear();
        main = std::make_unique<frmMain>(
            frmMain::Services{ui, metrics, profile, clock, QStringLiteral("C:\\Tidewell"), {}});
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

TEST_F(MainWindowTest, LoadPlacesTheWindowTopLeftUnlessResizeIsOff) {
    files.Set(kIni, "Window Data", "Left", "1500");
    files.Set(kIni, "Window Data", "Top", "900");
    files.Set(kIni, "Propagation Data", "Additional Data", "True");
    for (const bool resize : {true, false}) {
        SCOPED_TRACE(resize);
        files.Set(kIni, "AirMail Data", "Resize", resize ? "True" : "False");
        NewWindow();
        main->Form_Load();
        EXPECT_EQ(main->WindowLeft(), resize ? 0 : 1500);
        EXPECT_EQ(main->WindowTop(), resize ? 0 : 900);
        // The header follows the stored settings: 13 columns with additional data.
        const Grid& grid = main->best.grdFrequency;
        int shown = 0;
        for (int c = 0; c < grid.Cols(); ++c) shown += grid.ColWidth(c) > 0;
        EXPECT_EQ(shown, 13);
    }
}

TEST_F(MainWindowTest, FirstActivationUpdatesAndTheOutcomeDecidesWhichButtonIsBold) {
    struct Case {
        const char* name;
        bool position;
        bool listOk;
        const char* focus;  // nullptr: none asked for
    };
    for (const Case& c :
         {Case{"no position", false, false, nullptr}, Case{"list failed", true, false, "cmdUpdate"},
          Case{"list built", true, true, "cmdStart"}}) {
        SCOPED_TRACE(c.name);
        NewWindow(c.listOk);
        if (!c.position) main->steps.LatLonGetCurrent = [](LatLon&) { return false; };
        QSignalSpy focus(main.get(), &frmMain::focusRequested);
        main->Form_Load();
        ui.SetPanelText(3, QStringLiteral("01:00"));
        main->best.grdFrequency.SetRows(5);  // a list from before
        main->Form_Activate();

        EXPECT_EQ(builds, c.position ? 1 : 0);
        EXPECT_EQ(panelDuringBuild, c.position ? QStringLiteral("Working") : QString());
        EXPECT_EQ(ui.PanelText(1), QString());
        EXPECT_EQ(main->cmdStart.enabled, c.listOk);
        EXPECT_EQ(main->cmdStart.bold, c.listOk);
        EXPECT_EQ(main->cmdUpdate.bold, !c.listOk);
        EXPECT_FALSE(main->cmdStop.enabled);
        EXPECT_EQ(focus.count(), c.focus ? 1 : 0);
        EXPECT_EQ(focus.value(0).value(0).toString(), QString::fromLatin1(c.focus));
        EXPECT_EQ(ui.PanelText(3), QString());
        EXPECT_EQ(main->best.grdFrequency.Rows(), 1);
        EXPECT_EQ(main->txtLat.caption, c.position ? QStringLiteral("38.6lat") : "0lat");
        EXPECT_EQ(main->txtLon.caption, c.position ? QStringLiteral("-120.3lon") : "0lon");
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
    EXPECT_EQ(
        std::tie(s.m_bStationAllStations, s.m_bStationHighestFrequency, s.m_iStationTopFrequencies),
        std::make_tuple(false, true, 3));
}

// The system list updates only after the first activation, later activations
// do nothing, and requests that arrive during an update are ignored.
TEST_F(MainWindowTest, UpdateRequestsOutsideTheirTimeAreIgnored) {
    main->Form_Load();
    main->cmbSystem_Click();
    EXPECT_EQ(builds, 0);
    main->Form_Activate();
    main->Form_Activate();
    EXPECT_EQ(builds, 1);
    main->steps.BestListBuild = [this] {
        if (++builds == 2) {  // requests through a repaint point of the update
            main->cmdUpdate_Click();
            main->cmbSystem_Click();
        }
        return true;
    };
    main->cmbSystem_Click();
    EXPECT_EQ(builds, 2);
    EXPECT_FALSE(ui.busy);
    main->cmdUpdate_Click();
    EXPECT_EQ(builds, 3);
}

// A hand-typed position is written into AirMail, all three keys in one
// write, before the build; any failure stops the update before the build.
TEST_F(MainWindowTest, HandTypedPositionIsWrittenIntoAirMailBeforeTheBuild) {
    struct Case {
        const char* name;
        const char* lat;
        const char* lon;
        bool writeFails;
        bool written;  // the write was asked for
    };
    for (const Case& c : {Case{"all written", "12.5", "-45", false, true},
                          Case{"latitude undecodable", "x", "-45", false, false},
                          Case{"longitude undecodable", "12.5", "y", false, false},
                          Case{"write fails", "12.5", "-45", true, true}}) {
        SCOPED_TRACE(c.name);
        NewWindow();
        QStringList written;
        main->steps.LatLonDecode = [](const QString& text, bool, double& value) {
            bool ok = false;
            value = text.toDouble(&ok);
            return ok;
        };
        main->steps.AirMailWritePosition = [&](const QString& lat, const QString& lon,
                                               const QString& time) {
            written = {lat, lon, time};
            return !c.writeFails;
        };
        qsizetype writtenAtBuild = -1;
        main->steps.BestListBuild = [&] {
            writtenAtBuild = written.size();
            return true;
        };
        main->Form_Load();
        main->settings.m_bAirMailLatLonEdit = true;
        main->txtLat.caption = QString::fromLatin1(c.lat);
        main->txtLon.caption = QString::fromLatin1(c.lon);
        clock.Set(kNoon + 3723);  // 13:02:03
        main->Update(false);

        const bool built = c.written && !c.writeFails;
        const QStringList all{"12.5lat", "-45lon", "2026/06/06 13:02:03"};
        EXPECT_EQ(written, c.written ? all : QStringList());
        EXPECT_EQ(writtenAtBuild, built ? 3 : -1);
        EXPECT_EQ(main->cmdStart.enabled, built);
        EXPECT_EQ(main->cmdUpdate.bold, !built);
        EXPECT_FALSE(ui.busy);
        // The writer and the decoder tell the user themselves.
        EXPECT_TRUE(ui.messages.empty());
    }
    EXPECT_EQ(main->TimeGetZulu().timeSpec(), Qt::UTC);
}

TEST_F(MainWindowTest, RepeatedStateLeavesPanelOneUntouched) {
    main->UpdateStatusState(QStringLiteral("Working"));
    main->UpdateStatusState(QStringLiteral("Working"));
    ASSERT_EQ(ui.panelWrites.size(), 1u);
    EXPECT_EQ(ui.PanelText(1), QStringLiteral("Working"));
}

TEST_F(MainWindowTest, ResizeFollowsTheWindowAboveTheLimitsOnly) {
    const Control frame = main->frmFrequency;
    const Control grid = main->grdFrequencyBox;
    const int status = 300;
    // Usable width 3000 and height 1200, or minimised: nothing changes.
    main->Form_Resize(3000 + 2 * frame.left, 1200 + frame.top + status + 60, status, false);
    main->Form_Resize(20000, 20000, status, true);
    EXPECT_EQ(main->frmFrequency.width, frame.width);
    EXPECT_EQ(main->frmFrequency.height, frame.height);
    EXPECT_EQ(main->grdFrequencyBox.width, grid.width);
    EXPECT_EQ(main->grdFrequencyBox.height, grid.height);

    main->Form_Resize(12000, 9000, status, false);
    EXPECT_EQ(main->frmFrequency.width, 12000 - 2 * frame.left);
    EXPECT_EQ(main->cmbSystem.left, main->frmFrequency.width - main->cmbSystem.width - 120);
    EXPECT_EQ(main->cmdUpdate.left, main->cmbSystem.left);
    EXPECT_EQ(main->cmdBestTime.left, main->cmbSystem.left);
    EXPECT_EQ(main->grdFrequencyBox.width, main->cmdUpdate.left - grid.left - 120);
    EXPECT_EQ(main->frmFrequency.height, 9000 - frame.top - status - 60);
    EXPECT_EQ(main->grdFrequencyBox.height, main->frmFrequency.height - grid.top - 60);
}

TEST_F(MainWindowTest, FileDefaultRestoresDefaultsAndRunsTheFirstActivationAgain) {
    int findFolders = 0;
    main->steps.AirMailFindFolders = [&] { ++findFolders; };
    main->Form_Load();
    main->Form_Activate();
    main->settings.m_iStationTopStations = 9;
    files.Set(kIni, "Station Data", "Top Stations", "9");

    main->MenuClick(QStringLiteral("mnuFileDefault"));
    EXPECT_EQ(main->settings.m_iStationTopStations, 5);
    EXPECT_EQ(findFolders, 2);
    EXPECT_EQ(builds, 2);
    EXPECT_TRUE(main->m_bActivated);
    // The profile is not written until exit.
    EXPECT_TRUE(files.Writes().empty());
}

TEST_F(MainWindowTest, UnloadWritesTheProfileBeforeClosingTheOtherWindows) {
    main->Form_Load();
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
        for (const QString& name : details) EXPECT_EQ(main->menus[name].enabled, c.details);
        for (const QString& name : info) EXPECT_EQ(main->menus[name].enabled, c.info);
    }
    // Items of windows that do not exist stay disabled whatever the selection.
    main->SetMenuAvailable(info[0], false);
    main->mnuView_Opening();
    EXPECT_FALSE(main->menus[info[0]].enabled);
}

TEST_F(MainWindowTest, EditAskDecidesBetweenTypingAndAirMailsWindow) {
    struct Case {
        const char* name;
        bool reportOpen;
        bool prompt;
        MsgAnswer answer;
        bool editing;
        int reportOpened;
    };
    for (const Case& c : {Case{"report window open", true, true, MsgAnswer::Yes, false, 0},
                          Case{"yes", false, true, MsgAnswer::Yes, true, 0},
                          Case{"no", false, true, MsgAnswer::No, false, 1},
                          Case{"asked before", false, false, MsgAnswer::Yes, false, 1}}) {
        SCOPED_TRACE(c.name);
        NewWindow();
        ui.answers.clear();
        int opened = 0;
        main->steps.PositionReportIsOpen = [&] { return c.reportOpen; };
        main->steps.AirMailOpenPositionReport = [&] { ++opened; };
        main->settings.m_bAirMailLatLonEditPrompt = c.prompt;
        ui.QueueAnswer(c.answer);
        EXPECT_EQ(main->LatLonBoxClick(LatLonBox::Latitude, 0), c.editing ? 0 : -1);
        const bool asked = c.prompt && !c.reportOpen;
        ASSERT_EQ(ui.messages.size(), asked ? 1u : 0u);
        if (asked) {
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
