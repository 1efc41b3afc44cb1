// The connection process on the real main window under the offscreen platform,
// with the demo's simulated AirMail and a fixed clock that the test moves on.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "program/Application.h"
#include "program/Demo.h"
#include "ui/QtUserInterface.h"
#include "ui/frmMainWidget.h"
#include "connect/Waiter.h"
#include "ui/ModalAnswerer.h"

namespace tw {
namespace {

class ConnectWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(PrepareDemoDrive(QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo"),
                                     QStringLiteral(TIDEWELL_BINARY_DIR "/demo-bin/itshfbc/bin_win"),
                                     QDateTime::fromSecsSinceEpoch(kStart, Qt::UTC), drive, error))
            << error.toStdString();
        CommandLine line;
        line.demo = true;
        line.driveC = drive.driveC;
        line.profileFile = drive.profileFile;
        line.utcSeconds = kStart;
        app = std::make_unique<Application>(line, ui, metrics, drive.folder->path());
        ASSERT_NE(app->manualClock(), nullptr);
        ASSERT_NE(app->simulatedAirMail(), nullptr);
        // Waiting moves the fixed clock on and lets the simulated AirMail act.
        app->UseWaiter(std::make_unique<ManualClockWaiter>(
            *app->manualClock(), ui, [this] { app->simulatedAirMail()->Tick(); }));
        window = std::make_unique<frmMainWidget>(app->main(), ui, metrics);
        window->show();
        // The first activation: AirMail is started when asked (the default answer).
        while (!app->main().m_bActivated) QApplication::processEvents();
        ASSERT_TRUE(window->cmdStart()->isEnabled()) << answerer.texts.join("\n").toStdString();
    }

    // One second of the process timer.
    void Tick() {
        app->manualClock()->Advance(1);
        app->simulatedAirMail()->Tick();
        QMetaObject::invokeMethod(window->tmrProcess(), "timeout");
    }

    static constexpr qint64 kStart = 1780747200 + 14 * 3600;  // 2026-06-06 14:00 UTC
    DemoDrive drive;
    test::ModalAnswerer answerer;
    QtUserInterface ui;
    FixedTextMetrics metrics;
    std::unique_ptr<Application> app;
    std::unique_ptr<frmMainWidget> window;
};

TEST_F(ConnectWindowTest, StartBlinksCountsAndStopAsksFirst) {
    EXPECT_FALSE(window->cmdStop()->isEnabled());
    EXPECT_TRUE(window->cmdStart()->font().bold());

    // Start: the first checked row is typed into the Terminal and the user is
    // asked whether the frequency is clear: Yes.
    answerer.script.push_back(QMessageBox::Yes);
    const int before = answerer.texts.size();
    QTest::mouseClick(window->cmdStart(), Qt::LeftButton);
    ASSERT_GT(answerer.texts.size(), before);
    EXPECT_TRUE(answerer.texts[before].startsWith(QStringLiteral("Please check frequency ")));

    // Waiting for the connection: Start off, Stop bold, the timers running.
    EXPECT_FALSE(window->cmdStart()->isEnabled());
    EXPECT_TRUE(window->cmdStop()->isEnabled());
    EXPECT_TRUE(window->cmdStop()->font().bold());
    EXPECT_FALSE(window->cmdUpdate()->isEnabled());
    EXPECT_TRUE(window->tmrProcess()->isActive());
    ASSERT_TRUE(window->tmrBlink()->isActive());
    EXPECT_TRUE(window->panel(2)->text().startsWith(QStringLiteral("Waiting Conection, Attempt 1")));

    // The blink alternates the frequency cell's colours every tick.
    const BestGrid& best = app->main().best;
    const int row = best.m_iBlinkRow;
    const int col = best.m_iBlinkCol;
    ASSERT_GT(row, 0);
    const Color back = best.grdFrequency.BackColor(row, col);
    QMetaObject::invokeMethod(window->tmrBlink(), "timeout");
    const Color next = best.grdFrequency.BackColor(row, col);
    EXPECT_NE(next, back);
    QMetaObject::invokeMethod(window->tmrBlink(), "timeout");
    EXPECT_EQ(best.grdFrequency.BackColor(row, col), back);

    // Panel 4 counts the process time with the clock.
    Tick();
    const QString first = window->panel(4)->text();
    Tick();
    Tick();
    EXPECT_NE(window->panel(4)->text(), first);
    EXPECT_FALSE(window->panel(4)->text().isEmpty());

    // Stop while waiting asks first; No keeps the process running.
    answerer.script.push_back(QMessageBox::No);
    QTest::mouseClick(window->cmdStop(), Qt::LeftButton);
    EXPECT_TRUE(answerer.texts.back().startsWith(QStringLiteral("Once the AirMail Connect process has started")));
    EXPECT_TRUE(window->cmdStop()->isEnabled());
    answerer.script.push_back(QMessageBox::Yes);
    QTest::mouseClick(window->cmdStop(), Qt::LeftButton);
    EXPECT_FALSE(window->cmdStop()->isEnabled());
    EXPECT_TRUE(window->cmdStart()->isEnabled());
    EXPECT_TRUE(window->cmdStart()->font().bold());
    EXPECT_TRUE(window->cmdUpdate()->isEnabled());
    EXPECT_FALSE(window->tmrProcess()->isActive());
    EXPECT_FALSE(window->tmrBlink()->isActive());
}

}  // namespace
}  // namespace tw
