// The real main window under the offscreen platform, on real profile files.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/Application.h"
#include "app/ui/GridWidget.h"
#include "app/ui/QtUserInterface.h"
#include "app/ui/frmMainWidget.h"
#include "ui/ModalAnswerer.h"

namespace tw {
namespace {

class MainWidgetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString Ini() const { return dir.filePath(QStringLiteral("Tidewell.Ini")); }

    void Open(QByteArray profile = {}) {
        if (!profile.isEmpty()) {
            QFile file(Ini());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(profile);
        }
        CommandLine line;
        line.profileFile = Ini();
        line.driveC = dir.filePath(QStringLiteral("drive_c"));
        line.utcSeconds = 1780747200 + 5 * 3600 + 4 * 60 + 3;  // 2026-06-06 17:04:03
        app = std::make_unique<Application>(line, ui, metrics, dir.path());
        window = std::make_unique<frmMainWidget>(app->main(), ui, metrics);
        window->show();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    test::ModalAnswerer answerer;
    QtUserInterface ui;
    FixedTextMetrics metrics;
    std::unique_ptr<Application> app;
    std::unique_ptr<frmMainWidget> window;
};

TEST_F(MainWidgetTest, OpensWithCaptionsColumnsAndPanels) {
    Open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tidewell"));
    EXPECT_EQ(window->frmFrequency()->title(), QStringLiteral("Best Stations and Frequencies"));
    EXPECT_EQ(window->cmdUpdate()->text(), QStringLiteral("Refresh"));
    EXPECT_EQ(window->cmdStart()->toolTip(),
              QStringLiteral("Start Connection Process (be sure that your Radio/Pactor is turned on)"));
    EXPECT_EQ(window->cmbSystem()->toolTip(), QStringLiteral("System"));

    // Without AirMail there is no position (the user is told): Refresh bold,
    // Start and Stop disabled.
    EXPECT_FALSE(answerer.texts.isEmpty());
    EXPECT_TRUE(window->cmdUpdate()->font().bold());
    EXPECT_FALSE(window->cmdStart()->isEnabled());
    EXPECT_FALSE(window->cmdStop()->isEnabled());

    const Grid& grid = app->main().best.grdFrequency;
    EXPECT_EQ(grid.Rows(), 1);
    QStringList shown;
    for (int c = 0; c < grid.Cols(); ++c)
        if (grid.ColWidth(c) > 0) shown << grid.Text(0, c);
    EXPECT_EQ(shown, (QStringList{"Station", "Range", "Frequency", "Snr"}));
    // Widths follow the sample texts in the grid's font.
    EXPECT_EQ(grid.ColWidth(1), metrics.TextWidthTwips(QStringLiteral("------------------Station-")));

    EXPECT_EQ(window->panel(3)->toolTip(), QStringLiteral("Connect Time (mm:ss)"));
    EXPECT_EQ(window->panel(5)->toolTip(), QStringLiteral("Zulu Time (hh:mm:ss)"));
}

TEST_F(MainWidgetTest, AdditionalDataAndDialFrequencyWidenTheGrid) {
    Open("[Propagation Data]\r\nAdditional Data=True\r\n[Radio Data]\r\nFrequency=True\r\n");
    const Grid& grid = app->main().best.grdFrequency;
    int shown = 0;
    for (int c = 0; c < grid.Cols(); ++c) shown += grid.ColWidth(c) > 0;
    EXPECT_EQ(shown, 14);
    EXPECT_EQ(grid.Text(0, 5), QStringLiteral("Pactor Freq"));
    EXPECT_EQ(grid.Text(0, 4), QStringLiteral("Dial Freq"));
}

TEST_F(MainWidgetTest, ClockTicksIntoPanelFive) {
    Open();
    ASSERT_NE(window->tmrTime(), nullptr);
    EXPECT_TRUE(window->tmrTime()->isActive());
    EXPECT_EQ(window->tmrTime()->interval(), 1000);
    QMetaObject::invokeMethod(window->tmrTime(), "timeout");
    EXPECT_EQ(window->panel(5)->text(), QStringLiteral("17:04:03"));
}

TEST_F(MainWidgetTest, WithoutProfileTheWindowSitsAtTheTopLeft) {
    Open();
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_TRUE(app->main().settings.m_bAirMailResize);
}

TEST_F(MainWidgetTest, ResizingBelowTheLimitsKeepsTheControlSizes) {
    Open();
    window->resize(900, 600);
    QApplication::processEvents();
    const QSize frame = window->frmFrequency()->size();
    const QSize grid = window->grdFrequency()->size();
    EXPECT_GT(frame.width(), 800);

    window->resize(150, 100);  // below 3000 twips wide and 1201 twips high
    QApplication::processEvents();
    EXPECT_EQ(window->frmFrequency()->size(), frame);
    EXPECT_EQ(window->grdFrequency()->size(), grid);

    window->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_GT(window->frmFrequency()->width(), frame.width());
    EXPECT_GT(window->grdFrequency()->height(), grid.height());
}

TEST_F(MainWidgetTest, MenusOfWindowsNotYetThereStayDisabled) {
    Open();
    ASSERT_NE(window->action(QStringLiteral("mnuFileExit")), nullptr);
    EXPECT_TRUE(window->action(QStringLiteral("mnuFileDefault"))->isEnabled());
    EXPECT_EQ(window->action(QStringLiteral("mnuViewStationInfoBeam"))->text(),
              QStringLiteral("Staion Info with Beam List..."));
    for (const char* name : {"mnuViewPropagationBestShort", "mnuOptionsAirmail", "mnuHelpAbout",
                             "mnuFrequencyPropagationHours"})
        EXPECT_FALSE(window->action(QString::fromLatin1(name))->isEnabled()) << name;
    // The Frequency menu is the grid's pop-up, not part of the menu bar.
    for (QAction* a : window->menuBar()->actions()) EXPECT_NE(a->text(), QStringLiteral("Frequency"));
}

TEST_F(MainWidgetTest, ExitWritesTheProfileWithTheWindowGeometry) {
    Open();
    window->move(30, 40);
    window->resize(700, 500);
    QApplication::processEvents();
    window->action(QStringLiteral("mnuFileExit"))->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());

    QFile file(Ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("Top Stations=5\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("[Window Data]")) << text.constData();
    EXPECT_TRUE(text.contains(QByteArray("Left=") + QByteArray::number(30 * 15))) << text.constData();
}

}  // namespace
}  // namespace tw
