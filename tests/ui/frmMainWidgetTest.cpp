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
#include <QtTest/QTest>

#include "program/Application.h"
#include "ui/GridWidget.h"
#include "ui/LatLonEdit.h"
#include "ui/QtUserInterface.h"
#include "ui/frmMainWidget.h"
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

namespace tw {
namespace {

// The position boxes: nothing is typed until the user agrees to edit them;
// then overtype, stepping and key filtering, each change making Refresh bold.
class PositionBoxTest : public MainWidgetTest {
protected:
    void StartEditing() {
        Open();
        answerer.script.push_back(QMessageBox::Yes);
        QTest::mouseClick(window->txtLat(), Qt::LeftButton, {}, QPoint(3, 5));
        ASSERT_TRUE(app->main().settings.m_bAirMailLatLonEdit);
        ASSERT_EQ(window->txtLat()->text(), QStringLiteral("00°00.00'N"));
    }
};

TEST_F(PositionBoxTest, KeysAreSwallowedUntilTheUserAgreesToEdit) {
    Open();
    const int asked = answerer.texts.size();
    window->txtLat()->setFocus();
    QTest::keyClicks(window->txtLat(), QStringLiteral("12"));
    EXPECT_EQ(window->txtLat()->text(), QStringLiteral("00°00.00'N"));
    EXPECT_EQ(answerer.texts.size(), asked);  // typing does not ask

    // No: AirMail's own Position Report window is opened instead (here AirMail
    // cannot be reached, which the user is told about).
    const auto questions = [this] {
        return answerer.texts.filter(QStringLiteral("Normally your current Lat/Lon")).size();
    };
    answerer.script.push_back(QMessageBox::No);
    QTest::mouseClick(window->txtLat(), Qt::LeftButton, {}, QPoint(3, 5));
    ASSERT_GT(answerer.texts.size(), asked);
    EXPECT_TRUE(answerer.texts[asked].startsWith(QStringLiteral("Normally your current Lat/Lon")));
    EXPECT_FALSE(app->main().settings.m_bAirMailLatLonEdit);
    // The question comes once.
    QTest::mouseClick(window->txtLat(), Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_EQ(questions(), 1);
    EXPECT_FALSE(app->main().settings.m_bAirMailLatLonEdit);
}

TEST_F(PositionBoxTest, OvertypeSteppingAndFiltering) {
    StartEditing();
    LatLonEdit* lat = window->txtLat();
    LatLonEdit* lon = window->txtLon();
    lat->setFocus();
    lat->setSelection(0, 1);
    EXPECT_FALSE(window->cmdUpdate()->font().bold() && window->cmdStart()->isEnabled());

    struct Step {
        QWidget* box;
        int key;          // Qt key, or 0 for the text
        const char* text;
        const char* expected;
    };
    const Step steps[] = {
        {lat, 0, "3", "30°00.00'N"},        // overtype the tens of degrees
        {lat, 0, "8", "38°00.00'N"},        // the caret skipped to the next digit
        {lat, 0, "x", "38°00.00'N"},        // refused
        {lat, Qt::Key_Up, "", "38°10.00'N"},  // the caret sits on the tens of minutes
        {lat, Qt::Key_Right, "", "38°10.00'N"},
        {lat, Qt::Key_Down, "", "38°09.00'N"},
        {lon, 0, "1", "100°00.00'E"},
        {lon, 0, "2", "120°00.00'E"},
    };
    QWidget* current = lat;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.expected);
        if (s.box != current) {
            current = s.box;
            lon->setFocus();
            lon->setSelection(0, 1);
        }
        if (s.key != 0)
            QTest::keyClick(s.box, static_cast<Qt::Key>(s.key));
        else
            QTest::keyClicks(s.box, QString::fromLatin1(s.text));
        EXPECT_EQ(static_cast<QLineEdit*>(s.box)->text(), QString::fromUtf8(s.expected));
        EXPECT_EQ(static_cast<QLineEdit*>(s.box)->selectedText().size(), 1);
    }
    // On the hemisphere letter only N/S (E/W) are taken, upper-cased.
    lon->setSelection(10, 1);
    QTest::keyClicks(lon, QStringLiteral("n"));
    EXPECT_EQ(lon->text(), QStringLiteral("120°00.00'E"));
    QTest::keyClicks(lon, QStringLiteral("w"));
    EXPECT_EQ(lon->text(), QStringLiteral("120°00.00'W"));
    // The model holds what the boxes show, and the list needs a refresh.
    EXPECT_EQ(app->main().txtLat.caption, QStringLiteral("38°09.00'N"));
    EXPECT_EQ(app->main().txtLon.caption, QStringLiteral("120°00.00'W"));
    EXPECT_TRUE(window->cmdUpdate()->font().bold());
    EXPECT_FALSE(window->cmdStart()->isEnabled());
}

}  // namespace
}  // namespace tw
