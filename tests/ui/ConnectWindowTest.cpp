// The connection process on the real main window under the offscreen platform,
// with the demo's simulated AirMail and a fixed clock that the test moves on.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>

#include "program/Application.h"
#include "program/Demo.h"
#include "ui/QtUserInterface.h"
#include "ui/SimAirMailView.h"
#include "ui/frmMainWidget.h"
#include "connect/Waiter.h"
#include "connect/WindowControl.h"
#include "ui/ModalAnswerer.h"

namespace tw {
namespace {

TEST(ConnectWindowTest, StartRunsTheTimersAndStopEndsThem) {
    constexpr qint64 kStart = 1780747200 + 14 * 3600;  // 2026-06-06 14:00 UTC
    DemoDrive drive;
    QString error;
    ASSERT_TRUE(PrepareDemoDrive(QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo"),
                                 QStringLiteral(TIDEWELL_BINARY_DIR "/demo-bin/itshfbc/bin_win"),
                                 QDateTime::fromSecsSinceEpoch(kStart, Qt::UTC), drive, error))
        << error.toStdString();
    CommandLine line =
        ParseCommandLine({"--demo", "--drive-c", drive.driveC, "--profile", drive.profileFile});
    line.utcSeconds = kStart;
    test::ModalAnswerer answerer;
    QtUserInterface ui;
    FixedTextMetrics metrics;
    Application app(line, ui, metrics, drive.folder->path());
    // Waiting moves the fixed clock on and lets the simulated AirMail act.
    app.UseWaiter(std::make_unique<ManualClockWaiter>(*app.manualClock(), ui,
                                                      [&] { app.simulatedAirMail()->Tick(); }));
    frmMainWidget window(app.main(), ui, metrics);
    window.show();
    // The first activation: AirMail is started when asked (the default answer).
    while (!app.main().m_bActivated) QApplication::processEvents();
    ASSERT_TRUE(window.cmdStart()->isEnabled()) << answerer.texts.join("\n").toStdString();

    // Start, and Yes to the question whether the frequency is clear: the
    // buttons change and the timers run.
    answerer.script.push_back(QMessageBox::Yes);
    QTest::mouseClick(window.cmdStart(), Qt::LeftButton);
    EXPECT_TRUE(window.cmdStop()->isEnabled());
    EXPECT_TRUE(window.tmrProcess()->isActive());
    ASSERT_TRUE(window.tmrBlink()->isActive());

    // The blink timer changes the frequency cell's colour; the process timer counts.
    const BestGrid& best = app.main().best;
    const Color back = best.grdFrequency.BackColor(best.m_iBlinkRow, best.m_iBlinkCol);
    QMetaObject::invokeMethod(window.tmrBlink(), "timeout");
    EXPECT_NE(best.grdFrequency.BackColor(best.m_iBlinkRow, best.m_iBlinkCol), back);
    const QString counted = window.panel(4)->text();
    app.manualClock()->Advance(1);
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

    // AirMail on screen: its windows close as the user's windows do.  The
    // Position Report closed is gone (the position boxes no longer wait for
    // it); the main window closed is AirMail quitting, its Terminal with it.
    platform::SimDesktop& sim = *app.simulatedAirMail();
    SimAirMailView view(sim, QPoint());
    for (QWidget* w : {view.mainWindow(), view.terminalWindow(), view.positionWindow()})
        EXPECT_FALSE(w->windowFlags() & Qt::CustomizeWindowHint) << "no close button";
    ASSERT_TRUE(app.windows().AirMailOpenPositionReport());
    ASSERT_TRUE(view.positionWindow()->isVisible());
    view.positionWindow()->close();
    EXPECT_FALSE(app.main().steps.PositionReportIsOpen());
    view.mainWindow()->close();
    EXPECT_FALSE(sim.AirMailRunning() || view.terminalWindow()->isVisible());
}

}  // namespace
}  // namespace tw
