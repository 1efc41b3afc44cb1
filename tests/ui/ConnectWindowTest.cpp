// The connection process on the real main window under the offscreen platform,
// with the demo's simulated AirMail and a fixed clock that the test moves on.

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextEdit>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>

#include "common/Waiter.h"
#include "connect/WindowControl.h"
#include "program/Application.h"
#include "program/ConsoleUserInterface.h"
#include "program/Headless.h"
#include "program/Demo.h"
#include "support/ScopedEnv.h"
#include "ui/GridWidget.h"
#include "ui/ModalAnswerer.h"
#include "ui/QtUserInterface.h"
#include "ui/SimAirMailView.h"
#include "ui/frmMainWidget.h"
#include "ui/frmPropagationBestWidget.h"
#include "ui/frmPropagationDetailsWidget.h"
#include "ui/frmPropagationHoursWidget.h"
#include "ui/frmOptionsWidget.h"
#include "ui/SnrColorKeyWidget.h"
#include "ui/frmStationInfoWidget.h"
#include "ui/frmStationMapWidget.h"
#include "ui/StationMapPainter.h"
#include "ui/HamStationPage.h"
#include "views/HamStation.h"
#include "views/PropagationBest.h"
#include "views/PropagationHours.h"
#include "views/StationMap.h"

namespace tw {
namespace {

// The demo drive at 2026-06-06 14:00 UTC.  Waiting moves the fixed clock on
// and lets the simulated AirMail act.
class ConnectWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        constexpr qint64 kStart = 1780747200 + 2 * 3600;
        QString error;
        ASSERT_TRUE(
            PrepareDemoDrive(QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo"),
                             QStringLiteral(TIDEWELL_BINARY_DIR "/demo-bin/itshfbc/bin_win"),
                             QDateTime::fromSecsSinceEpoch(kStart, Qt::UTC), drive, error))
            << error.toStdString();
        CommandLine line =
            ParseCommandLine({"--demo", "--drive-c", drive.driveC, "--profile", drive.profileFile});
        line.utcSeconds = kStart;
        app = std::make_unique<Application>(line, ui, metrics, drive.folder->path());
        app->UseWaiter(std::make_unique<ManualClockWaiter>(
            *app->manualClock(), ui, [this] { app->simulatedAirMail()->Tick(); }));
        // The stand-in programs' limit counts on the fixed clock: however slow
        // they are on a busy machine (or under a sanitizer), none is killed.
        app->UseProgramClock([clock = app->manualClock()] { return static_cast<double>(clock->NowUtc()); });
    }

    // The window shown, through its first activation (AirMail started when
    // asked: the default answer).
    void Show(frmMainWidget& window) {
        window.show();
        while (!app->main().m_bActivated) QApplication::processEvents();
    }
    // The list built anew: of `system`, where one is named.
    void Update(const char* system = nullptr) {
        frmMain& main = app->main();
        if (system) main.cmbSystem.listIndex = static_cast<int>(main.cmbSystem.items.indexOf(QString::fromLatin1(system)));
        system ? main.cmbSystem_Click() : main.cmdUpdate_Click();
        while (main.Updating()) QApplication::processEvents();
    }

    DemoDrive drive;
    test::ModalAnswerer answerer;
    QtUserInterface ui;
    FixedTextMetrics metrics;
    std::unique_ptr<Application> app;
};

TEST_F(ConnectWindowTest, StartRunsTheTimersAndStopEndsThem) {
    frmMainWidget window(app->main(), ui, metrics);
    Show(window);
    ASSERT_TRUE(window.cmdStart()->isEnabled()) << answerer.texts.join("\n").toStdString();

    // Keys in the list: Down twice selects row 2, Space flips its check mark (back again after).
    const BestGrid& best = app->main().best;
    const int checked = best.grdFrequency.CellPicture(2, best.m_iColFrequency);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Space})
        QTest::keyClick(window.grdFrequency(), key);
    EXPECT_NE(best.grdFrequency.CellPicture(2, best.m_iColFrequency), checked);
    QTest::keyClick(window.grdFrequency(), Qt::Key_Space);

    // View > Station Propagation 24 Hour... opens the selected row's station by
    // hour; closing it hides it, and an update hides it again after the pop-up opened it.
    frmPropagationHoursWidget* hours = window.propagationHours();
    ASSERT_NE(hours, nullptr);
    QMetaObject::invokeMethod(window.menu(QStringLiteral("View")), "aboutToShow");
    window.action(QStringLiteral("mnuViewPropagationHours"))->trigger();
    ASSERT_TRUE(hours->isVisible());
    EXPECT_TRUE(hours->windowTitle().endsWith(" - " + best.grdFrequency.Text(2, best.m_iColStation)))
        << hours->windowTitle().toStdString();
    EXPECT_FALSE(hours->grdData()->grid().Text(1, 1).isEmpty());
    EXPECT_TRUE(hours->tmrHour()->isActive());
    hours->close();
    EXPECT_FALSE(app->propagationHours().Visible());
    // A double click on the 07 hour opens the detailed view for that hour;
    // its "24 Hour Data..." brings the 24-hour view back.  The View menu
    // opens it at the clock's time, and an update hides both.
    frmPropagationDetailsWidget* details = window.propagationDetails();
    ASSERT_NE(details, nullptr);
    const Grid& hourGrid = hours->grdData()->grid();
    QTest::mouseDClick(hours->grdData()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint((hourGrid.ColPos(8) + 30) / metrics.TwipsPerPixelX(),
                              (hourGrid.RowPos(1) + 30) / metrics.TwipsPerPixelY()));
    ASSERT_TRUE(details->isVisible());
    EXPECT_TRUE(details->windowTitle().endsWith(" - 07:00")) << details->windowTitle().toStdString();
    EXPECT_GT(details->grdFrequency()->grid().Rows(), 2);
    details->mnuFrequency()->actions().first()->trigger();
    EXPECT_TRUE(hours->isVisible());
    EXPECT_EQ(app->propagationHours().ChosenCol(), -1);  // rebuilt
    hours->close();
    window.action(QStringLiteral("mnuViewPropagationDetails"))->trigger();
    EXPECT_TRUE(details->windowTitle().endsWith(
        " - " + app->main().TimeGetZulu().toString(QStringLiteral("hh:mm"))));
    window.action(QStringLiteral("mnuFrequencyPropagationHours"))->trigger();
    EXPECT_TRUE(hours->isVisible());
    // Best Time opens the short form, its pop-up the long form, all of it
    // on screen; the update below hides it too.
    frmPropagationBestWidget* bestTime = window.propagationBest();
    ASSERT_NE(bestTime, nullptr);
    QTest::mouseClick(window.cmdBestTime(), Qt::LeftButton);
    ASSERT_TRUE(bestTime->isVisible());
    EXPECT_EQ(bestTime->grdData()->grid().Text(1, 0), "Snr");
    EXPECT_EQ(bestTime->grdData()->grid().Rows(), 2);
    bestTime->mnuPopup()->findChild<QAction*>(QStringLiteral("mnuPopupLong"))->trigger();
    EXPECT_GT(bestTime->grdData()->grid().Rows(), 2);
    EXPECT_TRUE(bestTime->tmrHour()->isActive());
    const QRect screen = bestTime->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(bestTime->frameGeometry()));
    EXPECT_TRUE(bestTime->grdData()->viewport()->width() * metrics.TwipsPerPixelX() >=
                    app->propagationBest().WidthWanted() - frmPropagationBest::kSizeMargin ||
                bestTime->frameGeometry().width() == screen.width());
    // Their menus switch to the reliability, with its own (wider) colour key.
    hours->mnuData()->findChild<QAction*>(QStringLiteral("mnuDataReliability"))->trigger();
    bestTime->mnuPopup()->findChild<QAction*>(QStringLiteral("mnuPopupReliability"))->trigger();
    EXPECT_TRUE(hours->windowTitle().startsWith("Tidewell - Reliability by Hour and Frequency (%) - "));
    EXPECT_EQ(bestTime->windowTitle(), frmPropagationBest::kCaptionReliability);
    EXPECT_EQ(hours->colorKey()->Values(), HourValues::Reliability);
    EXPECT_LT(hours->colorKey()->sizeHint().width(), SnrColorKeyWidget().sizeHint().width());  // fewer steps
    EXPECT_EQ(bestTime->colorKey()->Values(), HourValues::Reliability);
    // Both hour views show their colour key whole below a grid that shows every row.
    const auto keyAndRows = [&](auto* view, const auto& model) {
        EXPECT_EQ(view->colorKey()->size().expandedTo(view->colorKey()->sizeHint()), view->colorKey()->size());
        EXPECT_GE(view->grdData()->viewport()->height() * metrics.TwipsPerPixelY(), model.HeightWanted() - model.kSizeMargin);
    };
    keyAndRows(hours, app->propagationHours());
    keyAndRows(bestTime, app->propagationBest());
    QTest::mouseClick(window.cmdUpdate(), Qt::LeftButton);
    EXPECT_FALSE(hours->isVisible());
    EXPECT_FALSE(bestTime->isVisible());
    EXPECT_FALSE(details->isVisible());
    ASSERT_TRUE(window.cmdStart()->isEnabled());

    // Start, and Yes to the question whether the frequency is clear: the
    // buttons change and the timers run.
    answerer.script.push_back(QMessageBox::Yes);
    QTest::mouseClick(window.cmdStart(), Qt::LeftButton);
    EXPECT_TRUE(window.cmdStop()->isEnabled());
    EXPECT_TRUE(window.tmrProcess()->isActive());
    ASSERT_TRUE(window.tmrBlink()->isActive());
    // Options > Default waits while the process runs, as File > Default does.
    window.action(QStringLiteral("mnuOptionsAirmail"))->trigger();
    EXPECT_FALSE(window.optionsWindow()->button(QStringLiteral("cmdDefault"))->isEnabled());

    // The blink timer changes the frequency cell's colour; the process timer counts.
    const Color back = best.grdFrequency.BackColor(best.m_iBlinkRow, best.m_iBlinkCol);
    QMetaObject::invokeMethod(window.tmrBlink(), "timeout");
    EXPECT_NE(best.grdFrequency.BackColor(best.m_iBlinkRow, best.m_iBlinkCol), back);
    const QString counted = window.panel(4)->text();
    app->manualClock()->Advance(1);
    QMetaObject::invokeMethod(window.tmrProcess(), "timeout");
    EXPECT_NE(window.panel(4)->text(), counted);

    // Stop asks first: No goes on, Yes ends the process and stops the timers.
    answerer.script.push_back(QMessageBox::No);
    QTest::mouseClick(window.cmdStop(), Qt::LeftButton);
    EXPECT_TRUE(window.cmdStop()->isEnabled());
    answerer.script.push_back(QMessageBox::Yes);
    QTest::mouseClick(window.cmdStop(), Qt::LeftButton);
    EXPECT_FALSE(window.cmdStop()->isEnabled());
    EXPECT_FALSE(window.tmrProcess()->isActive());
    EXPECT_FALSE(window.tmrBlink()->isActive());
    EXPECT_TRUE(window.optionsWindow()->button(QStringLiteral("cmdDefault"))->isEnabled());

    // AirMail on screen: its windows close as the user's windows do.  The
    // Position Report closed is gone (the position boxes no longer wait for
    // it); the main window closed is AirMail quitting, its Terminal with it.
    platform::SimDesktop& sim = *app->simulatedAirMail();
    SimAirMailView view(sim, QPoint());
    for (QWidget* w : {view.mainWindow(), view.terminalWindow(), view.positionWindow()})
        EXPECT_FALSE(w->windowFlags() & Qt::CustomizeWindowHint) << "no close button";
    ASSERT_TRUE(app->windows().AirMailOpenPositionReport());
    ASSERT_TRUE(view.positionWindow()->isVisible());
    view.positionWindow()->close();
    EXPECT_FALSE(app->main().steps.PositionReportIsOpen());
    view.mainWindow()->close();
    EXPECT_FALSE(sim.AirMailRunning() || view.terminalWindow()->isVisible());
}

// An update with slow propagation programs (the real stand-in, 150 ms a
// run): the window's timers run while a program does, the status bar counts
// the stations, the old rows stay frozen, a second Refresh is ignored, and a
// close during the update gives it up and closes the window after it.  The
// finished list carries its hour in the caption.
TEST_F(ConnectWindowTest, TheWindowLivesDuringAnUpdateAndClosesAfterIt) {
    test::ScopedEnv slow("ITSHF_STANDIN_SLEEP_MS", "150");
    int updates = 0;
    app->main().steps.HideViews = [&] { ++updates; };
    frmMainWidget window(app->main(), ui, metrics);

    // A 10 ms timer notes what the window shows while a station's program runs.
    QStringList progress;
    bool frozen = true;
    std::function<void()> onStation;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!window.progress()->isVisible()) return;
        frozen = frozen && window.grdFrequency()->Frozen();
        if (progress.isEmpty() || progress.back() != window.progress()->text()) {
            progress << window.progress()->text();
            if (onStation) onStation();
        }
    });
    watch.start(10);
    Show(window);
    ASSERT_TRUE(window.cmdStart()->isEnabled()) << answerer.texts.join("\n").toStdString();
    ASSERT_GE(progress.size(), 2);
    const QString stations = progress.back().section(QStringLiteral(" of "), 1);
    EXPECT_EQ(progress.front(), QStringLiteral("1 of ") + stations);
    EXPECT_EQ(progress.back(), stations + QStringLiteral(" of ") + stations);
    EXPECT_TRUE(frozen);
    EXPECT_FALSE(window.grdFrequency()->Frozen());
    EXPECT_FALSE(window.progress()->isVisible());
    EXPECT_EQ(window.frmFrequency()->title().toStdString(),
              "Best Stations and Frequencies (2026-06-06 14:00 UTC)");

    // Refresh; at the second station, Refresh again and close.
    progress.clear();
    bool closed = true;
    onStation = [&] {
        if (!progress.back().startsWith(QStringLiteral("2 of "))) return;
        QTest::mouseClick(window.cmdUpdate(), Qt::LeftButton);
        closed = window.close();
    };
    const qsizetype told = answerer.texts.size();
    QTest::mouseClick(window.cmdUpdate(), Qt::LeftButton);
    EXPECT_FALSE(closed);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(progress, (QStringList{QStringLiteral("1 of ") + stations,
                                     QStringLiteral("2 of ") + stations}));
    EXPECT_EQ(answerer.texts.size(), told);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(QFile::exists(drive.profileFile));
}

// The station information window from the menu on the HAM list: it scrolls
// to the selected row's station (its red heading selected, in view) and
// shows the beam list; a station chosen in the list by the user is shown with
// its range.  The Ham Station tab on its own: Check fills both grids with the
// demo's differences, a click on a station offers Info, which opens it.
TEST_F(ConnectWindowTest, StationInformationFromTheMenuAndTheHamStationTab) {
    frmMainWidget window(app->main(), ui, metrics);
    Show(window);
    Update("HAM");
    frmMain& main = app->main();
    ASSERT_GT(main.best.grdFrequency.Rows(), 3) << answerer.texts.join("\n").toStdString();
    for (int i = 0; i < 3; ++i) QTest::keyClick(window.grdFrequency(), Qt::Key_Down);
    const QString station = main.best.GridGetText(main.best.grdFrequency, main.best.m_iGridRow,
                                                  main.best.m_iColStation);

    QMetaObject::invokeMethod(window.menu(QStringLiteral("View")), "aboutToShow");
    QAction* item = window.action(QStringLiteral("mnuViewStationInfoBeam"));
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    frmStationInfoWidget* info = window.stationInfo();
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(info->isVisible());
    QApplication::processEvents();
    QTextEdit* box = info->RichTextBox();
    EXPECT_EQ(box->textCursor().selectedText(), station);
    EXPECT_EQ(box->textCursor().charFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(box->viewport()->rect().contains(box->cursorRect()));
    EXPECT_GT(box->verticalScrollBar()->value(), 0);
    ASSERT_TRUE(info->frmBeam()->isVisible());
    QComboBox* beams = info->cmbBeam();
    ASSERT_GT(beams->count(), 3);
    emit beams->activated(2);
    EXPECT_EQ(box->textCursor().selectedText(), beams->itemText(2));
    EXPECT_EQ(info->lblRange()->text(),
              QStringLiteral("Range: %1").arg(beams->itemData(2).toInt()));
    // Every update hides it.
    Update();
    EXPECT_FALSE(info->isVisible());

    HamStationPage page(app->hamStation(), metrics);
    page.show();
    QTest::mouseClick(page.cmdHamStationCheck(), Qt::LeftButton);
    EXPECT_TRUE(page.lblHamStation()->text().startsWith(QStringLiteral("Last Modified:  ")));
    GridWidget* upper = page.grdHamStationAirMail();
    ASSERT_EQ(upper->grid().Text(3, HamStation::kColStation), QStringLiteral("QO5PPT"));
    EXPECT_EQ(page.grdHamStationFile()->grid().Rows(), 5);
    EXPECT_FALSE(page.cmdHamStationInfo()->isVisible());
    QTest::mouseClick(upper->viewport(), Qt::LeftButton, {},
                      upper->CellRect(1, HamStation::kColStation).center());
    ASSERT_TRUE(page.cmdHamStationInfo()->isVisible());
    QTest::mouseClick(page.cmdHamStationInfo(), Qt::LeftButton);
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(box->textCursor().selectedText(), QStringLiteral("QA7HQF"));
}

// The station map of the HAM list: every station the list evaluated drawn,
// a station's details under the mouse, a click that selects its first row,
// the list's selection highlighted; an update redraws it and leaves it
// open, and the main window's close keeps its frame in the profile.
TEST_F(ConnectWindowTest, TheStationMapFollowsTheListBothWays) {
    frmMainWidget window(app->main(), ui, metrics);
    Show(window);
    Update("HAM");
    frmMain& main = app->main();
    window.action(QStringLiteral("mnuViewStationMap"))->trigger();
    frmStationMapWidget* map = window.stationMap();
    ASSERT_TRUE(map && map->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(map));
    const frmStationMap& model = app->stationMap();
    ASSERT_EQ(model.Stations().size(), main.m_listPredictions.size());
    // The list's third station.
    const auto third = std::find_if(model.Stations().begin(), model.Stations().end(),
                                    [](const MapStation& s) { return s.firstRow > 2; });
    ASSERT_NE(third, model.Stations().end());
    const int index = static_cast<int>(third - model.Stations().begin());
    const MapFrame frame = MapFrameFor(map->width(), map->height());
    const QPoint dot(qRound(frame.PixelX(third->point)), qRound(frame.PixelY(third->point)));
    const auto move = [map](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, map->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(map, &event);
    };
    move(dot + QPoint(2, 1));
    EXPECT_EQ(map->Hovered(), index);
    EXPECT_TRUE(map->toolTip().startsWith(third->name)) << map->toolTip().toStdString();
    EXPECT_TRUE(map->toolTip().contains(QStringLiteral("Best: ") + third->frequency)) << map->toolTip().toStdString();
    QTest::mouseClick(map, Qt::LeftButton, {}, dot);
    EXPECT_EQ(main.best.m_iGridRow, third->firstRow);
    EXPECT_TRUE(main.best.grdFrequency.RowIsVisible(third->firstRow));
    EXPECT_EQ(model.Highlighted(), index);
    // The list's selection moves the highlight.
    QTest::keyClick(window.grdFrequency(), Qt::Key_Home);
    ASSERT_EQ(model.Highlighted() >= 0 ? model.Stations()[static_cast<std::size_t>(model.Highlighted())].firstRow : -1, 1);
    move(QPoint(2, 2));
    EXPECT_EQ(map->Hovered(), -1);

    Update();
    EXPECT_TRUE(map->isVisible());
    EXPECT_EQ(model.Stations().size(), main.m_listPredictions.size());
    window.close();
    QFile profile(drive.profileFile);
    ASSERT_TRUE(profile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(profile.readAll().contains("Map Width=")) << drive.profileFile.toStdString();
}

// A command that only prints never starts AirMail, brings it forward or types
// into it, whatever [AirMail Data] Startup says (True), and asks nothing about it.
TEST_F(ConnectWindowTest, AHeadlessListLeavesAirMailAlone) {
    CommandLine line = app->commandLine();
    line.command = CommandLine::Command::BestList;
    for (const bool running : {false, true}) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        ConsoleUserInterface console(errStream);
        app = std::make_unique<Application>(line, console, metrics, drive.folder->path());
        platform::SimDesktop& sim = *app->simulatedAirMail();
        if (running) sim.StartAirMail();
        EXPECT_EQ(RunHeadlessCommand(*app, outStream, errStream), 0) << err.toStdString();
        EXPECT_TRUE(sim.AirMailRunning() == running && sim.TerminalWindow() == 0 &&
                    sim.InputCalls().empty())
            << running;
        EXPECT_FALSE(err.contains(QStringLiteral("AirMail"))) << err.toStdString();
        app.reset();  // before the user interface it was given
    }
}

// A question in a headless run prints its statements on one line, without
// its questions (a "." inside a number ends no sentence), and the answer taken.
TEST(ConsoleLine, KeepsTheStatementsOfAQuestion) {
    const MessageRequest ask{
        QStringLiteral("QAA9920 on 14108.5 kHz is busy.\r\nCall it anyway? Another may answer"),
        QStringLiteral("Tidewell"), MsgButtons::YesNo};
    EXPECT_EQ(ConsoleLine(ask),
              QStringLiteral("Tidewell: QAA9920 on 14108.5 kHz is busy. Another may answer (A "
                             "question not asked in a headless run: answered Yes.)"));
}

}  // namespace
}  // namespace tw
