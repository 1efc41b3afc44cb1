// The real main window under the offscreen platform, on real profile files.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <QtTest/qtestspontaneevent.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "program/Application.h"
#include "ui/GridWidget.h"
#include "ui/LatLonEdit.h"
#include "ui/ModalAnswerer.h"
#include "ui/QtUserInterface.h"
#include "ui/frmHelpWidgets.h"
#include "ui/frmStationInfoWidget.h"
#include "ui/frmMainWidget.h"
#include "ui/frmPropagationBestWidget.h"
#include "ui/frmPropagationDetailsWidget.h"
#include "ui/frmPropagationHoursWidget.h"
#include "ui/frmOptionsWidget.h"
#include "ui/frmSummaryWidget.h"
#include "views/PropagationBest.h"
#include "views/PropagationDetails.h"
#include "views/PropagationHours.h"
#include "views/HelpWindows.h"
#include "views/StationInfo.h"
#include "views/Summary.h"

namespace tw {
namespace {

// The window on an empty drive C: and a profile file that does not exist yet.
class MainWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Open();
    }

    // The window anew on the profile as it is now.
    void Open() {
        window.reset();
        app.reset();
        CommandLine line;
        line.profileFile = Ini();
        line.driveC = dir.filePath(QStringLiteral("drive_c"));
        line.utcSeconds = 1780747200 + 5 * 3600 + 4 * 60 + 3;  // 2026-06-06 17:04:03
        app = std::make_unique<Application>(line, ui, metrics, dir.path());
        window = std::make_unique<frmMainWidget>(app->main(), ui, metrics);
        window->show();
        QApplication::processEvents();
    }

    QString Ini() const { return dir.filePath(QStringLiteral("Tidewell.Ini")); }
    // The window anew on a profile of this text.
    void OpenOn(const QByteArray& text) {
        QFile ini(Ini());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(text) == text.size());
        ini.close();
        Open();
    }

    QTemporaryDir dir;
    test::ModalAnswerer answerer;
    QtUserInterface ui;
    FixedTextMetrics metrics;
    std::unique_ptr<Application> app;
    std::unique_ptr<frmMainWidget> window;
};

TEST_F(MainWidgetTest, OpensWithItsControlsMenusPanelsAndClock) {
    const frmMain& m = app->main();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tidewell"));
    EXPECT_EQ(window->cmdUpdate()->text(), QStringLiteral("&Refresh"));
    EXPECT_EQ(window->cmdStart()->toolTip(), m.cmdStart.toolTip);
    EXPECT_EQ(window->cmbSystem()->toolTip(), QStringLiteral("System"));

    // The menu items as the model has them; the Frequency menu is the grid's
    // pop-up, not part of the menu bar.
    for (auto it = m.menus.begin(); it != m.menus.end(); ++it) {
        const QAction* action = window->action(it.key());
        ASSERT_NE(action, nullptr) << it.key().toStdString();
        EXPECT_EQ(action->text().remove('&'), it.value().caption);
        EXPECT_EQ(action->isEnabled(), it.value().enabled) << it.key().toStdString();
    }
    QStringList bar;
    for (QAction* a : window->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&View", "&Options", "&Help"}));

    // No label reaches into the position boxes beside it.
    const QWidget* boxes[] = {window->txtLat(), window->txtLon()};
    for (const QLabel* label : window->findChildren<QLabel*>())
        for (const QWidget* box : boxes)
            EXPECT_FALSE(label->parent() == box->parent() && label->geometry().intersects(box->geometry()))
                << label->text().toStdString();
    EXPECT_EQ(window->panel(3)->toolTip(), QStringLiteral("Connect Time (mm:ss)"));
    EXPECT_EQ(window->panel(5)->toolTip(), QStringLiteral("Zulu Time (hh:mm:ss)"));
    EXPECT_TRUE(window->tmrTime()->isActive());
    EXPECT_EQ(window->tmrTime()->interval(), 1000);
    QMetaObject::invokeMethod(window->tmrTime(), "timeout");
    EXPECT_EQ(window->panel(5)->text(), QStringLiteral("17:04:03"));

    // Without AirMail the first list failed: Best Time opens its window all
    // the same, which says why it stays empty.
    const qsizetype told = answerer.texts.size();
    EXPECT_GT(told, 0);
    QTest::mouseClick(window->cmdBestTime(), Qt::LeftButton);
    ASSERT_EQ(answerer.texts.size(), told + 1);
    EXPECT_EQ(answerer.texts.back(), QStringLiteral("The best connect time cannot be predicted. "
                                                    "There is no AirMail system to take the stations from."));
    ASSERT_NE(window->propagationBest(), nullptr);
    EXPECT_TRUE(window->propagationBest()->isVisible());
}

// The best list takes up what the window gains (the limits are the model's);
// exit writes the profile with the window's place.
TEST_F(MainWidgetTest, TheBestListGrowsWithTheWindowAndExitWritesItsPlace) {
    window->move(30, 40);
    window->resize(900, 600);
    QApplication::processEvents();
    const QSize frame = window->frmFrequency()->size();
    const QSize grid = window->grdFrequency()->size();
    window->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(window->frmFrequency()->size(), frame + QSize(100, 100));
    EXPECT_EQ(window->grdFrequency()->size(), grid + QSize(100, 100));

    window->action(QStringLiteral("mnuFileExit"))->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    QFile file(Ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // 30 pixels are 450 twips.
    for (const char* line : {"Top Stations=5\r\n", "[Window Data]", "Left=450\r\n"})
        EXPECT_TRUE(text.contains(line)) << text.constData();
}

// Without a stored size the window shows every column of the list (the
// additional ones included) and not much more, as far as the screen allows;
// the size and place it is left at come back at the next start.  It has a
// minimum size.
TEST_F(MainWidgetTest, OpensWideEnoughForTheColumnsAndKeepsItsPlace) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* additional : {"False", "True"}) {
        SCOPED_TRACE(additional);
        OpenOn(QByteArray("[Propagation Data]\r\nAdditional Data=") + additional +
               "\r\n[AirMail Data]\r\nResize=False\r\n");
        const Grid& grid = app->main().best.grdFrequency;
        const int wanted = app->main().best.ColumnsWidthWanted(grid);
        if (window->frameGeometry().width() < screen.width()) {
            EXPECT_GE(grid.ClientWidth(), wanted);
            EXPECT_LE(grid.ClientWidth(), wanted + 300);
        } else {
            EXPECT_GT(wanted, 9180);  // wider than the design's window
        }
        EXPECT_TRUE(screen.contains(window->frameGeometry()));
    }
    EXPECT_EQ(window->frameGeometry().width(), screen.width());  // the additional data
    EXPECT_GE(window->minimumSizeHint().width(), app->main().WindowMinimumWidth() / 15);

    window->setGeometry(45, 60, 600, 400);
    const QRect placed = window->frameGeometry();
    window->close();
    Open();
    EXPECT_EQ(window->frameGeometry(), placed);
}

// A damaged place or size in the profile gives a window on the screen, at
// least as large as its minimum, and that is what exit writes; shrunk as far
// as it goes, the window keeps Start, Stop and the clock whole.
TEST_F(MainWidgetTest, ADamagedPlaceOrSizeGivesAWindowOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const char* const damaged[] = {
        "Height=99999999",
        "Left=99999999\r\nTop=99999999",
        "Left=-99999999\r\nTop=-5000",
        "Height=2147483647\r\nLeft=-2147483648\r\nWidth=2147483647",
        "Height=1\r\nWidth=-300",
        "Height=tall\r\nLeft=\r\nTop=1e9\r\nWidth=0x7fffffff",
    };
    const auto whole = [this](const QWidget* control) {
        const QRect at(control->mapTo(window.get(), QPoint(0, 0)), control->size());
        return control->isVisible() && window->rect().contains(at);
    };
    for (const char* keys : damaged) {
        SCOPED_TRACE(keys);
        OpenOn(QByteArray("[Window Data]\r\n") + keys + "\r\n");
        EXPECT_TRUE(screen.contains(window->frameGeometry()));
        EXPECT_GE(window->width(), window->minimumSizeHint().width());
        EXPECT_GE(window->height(), window->minimumSizeHint().height());
        EXPECT_LE(app->main().WindowHeight(), screen.height() * 15);
        EXPECT_LE(app->main().WindowWidth(), screen.width() * 15);

        window->resize(1, 1);
        QApplication::processEvents();
        for (const QWidget* control : std::initializer_list<QWidget*>{window->cmdStart(), window->cmdStop(), window->panel(5)})
            EXPECT_TRUE(whole(control)) << control->metaObject()->className();
    }
}

// The station information and overview windows open in the middle of the
// screen, wholly on it; opened again they stay where they were left, moved
// back onto the screen where they would leave it.
TEST_F(MainWidgetTest, StationInformationAndOverviewOpenOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* name;
        QWidget* window;
        std::function<void(bool)> show;
    } windows[] = {
        {"station information", window->stationInfo(),
         [this](bool on) { on ? app->stationInfo().Show() : app->stationInfo().Hide(); }},
        {"overview", window->overviewWindow(),
         [this](bool on) { on ? app->overview().Show() : app->overview().Hide(); }},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        ASSERT_NE(w.window, nullptr);
        window->move(screen.topLeft() + QPoint(screen.width() - 50, screen.height() - 50));
        w.show(true);
        ASSERT_TRUE(w.window->isVisible());
        const QRect frame = w.window->frameGeometry();
        EXPECT_TRUE(screen.contains(frame));
        EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
        w.show(false);
        w.window->move(screen.topLeft() + QPoint(screen.width() - 40, screen.height() - 30));
        w.show(true);
        EXPECT_EQ(w.window->frameGeometry().bottomRight(), screen.bottomRight());
    }
}

// The keyboard: Tab walks the controls in order, F5 refreshes as Refresh
// does, Ctrl+Q exits as File > Exit does.
TEST_F(MainWidgetTest, KeysWalkTheControlsRefreshAndExit) {
    // Every control enabled, to take the focus.
    app->main().cmdStart.enabled = app->main().cmdStop.enabled = app->main().cmdBestTime.enabled = true;
    app->main().ControlsChanged();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->txtLat()->setFocus();
    QList<QWidget*> walk;
    for (int i = 0; i < 9; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
        walk << QApplication::focusWidget();
    EXPECT_EQ(walk, (QList<QWidget*>{window->txtLat(), window->txtLon(), window->cmdStart(), window->cmdStop(),
                                     window->cmbSystem(), window->cmdUpdate(), window->cmdBestTime(),
                                     window->grdFrequency(), window->txtLat()}));

    const int told = answerer.texts.size();
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_EQ(answerer.texts.size(), told + 1);  // the update's message: no position
    window->activateWindow();  // after the message box
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
}

// The position boxes: nothing is typed until the user agrees to edit them;
// then keys overtype and step, each change making Refresh bold.
TEST_F(MainWidgetTest, PositionBoxesTakeKeysOnceTheUserAgreesToEdit) {
    LatLonEdit* lat = window->txtLat();
    LatLonEdit* lon = window->txtLon();
    const int asked = answerer.texts.size();
    lat->setFocus();
    QTest::keyClicks(lat, QStringLiteral("12"));
    EXPECT_EQ(lat->text(), QStringLiteral("00°00.00'N"));
    EXPECT_EQ(answerer.texts.size(), asked);  // typing does not ask

    answerer.script.push_back(QMessageBox::Yes);
    QTest::mouseClick(lat, Qt::LeftButton, {}, QPoint(3, 5));
    ASSERT_EQ(answerer.texts.size(), asked + 1);
    EXPECT_TRUE(answerer.texts.back().startsWith(QStringLiteral("Normally your current Lat/Lon")));
    EXPECT_EQ(lat->selectionStart(), 0);
    // Overtype, the caret skipping the degree sign ("x" is refused); then the
    // arrows step the tens of minutes up, move right and step the minutes down.
    QTest::keyClicks(lat, QStringLiteral("38x"));
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) QTest::keyClick(lat, key);
    EXPECT_EQ(lat->text(), QStringLiteral("38°09.00'N"));
    EXPECT_EQ(lat->selectedText(), QStringLiteral("9"));
    lon->setFocus();
    lon->setSelection(0, 1);
    QTest::keyClicks(lon, QStringLiteral("1"));
    EXPECT_EQ(lon->text(), QStringLiteral("100°00.00'E"));

    // The model holds what the boxes show, and the list needs a refresh.
    EXPECT_EQ(app->main().txtLat.caption, lat->text());
    EXPECT_EQ(app->main().txtLon.caption, lon->text());
    EXPECT_TRUE(window->cmdUpdate()->font().bold());
    EXPECT_FALSE(window->cmdStart()->isEnabled());
}

// A request to end the program (a signal) while the question is open closes
// it unanswered: AirMail's Position Report is not opened, the boxes stay
// closed to hand edits, nothing more is asked and the window closes.
TEST_F(MainWidgetTest, ARequestToEndWhileTheQuestionIsOpenTakesNoAnswer) {
    int reportsOpened = 0;
    app->main().steps.AirMailOpenPositionReport = [&] { ++reportsOpened; };
    const qsizetype asked = answerer.texts.size();
    answerer.instead = [this] { window->CloseRequested(); };
    QTest::mouseClick(window->txtLat(), Qt::LeftButton, {}, QPoint(3, 5));
    QApplication::processEvents();
    ASSERT_EQ(answerer.texts.size(), asked + 1);
    EXPECT_TRUE(answerer.texts.back().startsWith(QStringLiteral("Normally your current Lat/Lon")));
    EXPECT_EQ(reportsOpened, 0);
    EXPECT_FALSE(app->main().settings.m_bAirMailLatLonEdit);
    EXPECT_FALSE(window->isVisible());
}

// View > "AirMail Connection History..." opens the history of the whole log
// (without a log it opens empty and tells so); Update counts the days of
// the two dates; closing hides the window, which the menu shows again.
TEST_F(MainWidgetTest, TheHistoryWindowOpensFromTheViewMenuAndLivesOnHidden) {
    QAction* item = window->action(QStringLiteral("mnuViewSummary"));
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_TRUE(answerer.texts.value(answerer.texts.size() - 1).startsWith(
        QStringLiteral("Unable to open Airmail's \"Logfiles\\Debug.log\". ")));
    frmSummaryWidget* history = window->summaryWindow();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    EXPECT_EQ(history->lstSummary()->count(), 0);

    const QString logs = dir.filePath(QStringLiteral("drive_c/Program Files/AirMail/Logfiles"));
    ASSERT_TRUE(QDir().mkpath(logs));
    QFile log(logs + QStringLiteral("/Debug.log"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("2026/06/01 08:00:00.00 Connected to QX2BB\r\n08:10:00.00 Disconnected from QX2BB\r\n"
              "2026/06/03 09:00:00.00 No answer from QX1AA\r\n");
    log.close();
    item->trigger();
    EXPECT_EQ(history->windowTitle(), QStringLiteral("AirMail Connection History"));
    ASSERT_EQ(history->lstSummary()->count(), 4);
    EXPECT_EQ(history->lstSummary()->item(0)->text(), QStringLiteral("Time:               06/01/26 to 06/03/26"));
    EXPECT_EQ(history->dtStart()->date(), QDate(2026, 6, 1));

    history->dtStart()->setDate(QDate(2026, 6, 2));
    QTest::mouseClick(history->cmdUpdate(), Qt::LeftButton);
    EXPECT_EQ(history->lstSummary()->item(1)->text(),
              QStringLiteral("Records:        1, Tries/Day 1.0, Connects/Day 0.0"));
    EXPECT_EQ(history->grdStations()->grid().Rows(), 1);

    history->close();
    EXPECT_FALSE(app->summary().visible);
    item->trigger();
    EXPECT_EQ(window->summaryWindow(), history);
    EXPECT_TRUE(history->isVisible());
    EXPECT_EQ(history->dtStart()->date(), QDate(2026, 6, 1));
    // Exit closes it with the main window.
    window->action(QStringLiteral("mnuFileExit"))->trigger();
    EXPECT_FALSE(history->isVisible());
}

// The best connect time view opens, the first time only, directly below the
// detailed view when that is open: left edges together, its top at the
// other's bottom edge, moved up to keep its bottom on the screen but never
// above the screen's top.
// The views open below one another the first time (the best connect time
// and the 24-hour views below the detailed view, the detailed view below
// the 24-hour view), and always wholly on the screen.
TEST_F(MainWidgetTest, TheViewsOpenBelowEachOtherOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Frames, relative to the screen's available area.
    const struct {
        const char* name;
        QRect above;
        int height;
        bool aboveShown;
        QPoint at;
    } cases[] = {
        {"below", {40, 30, 300, 200}, 100, true, {40, 230}},
        {"moved up to the screen's bottom", {60, screen.height() - 150, 300, 100}, 120, true,
         {60, screen.height() - 120}},
        {"taller than the screen", {10, 20, 300, 100}, screen.height() + 50, true, {10, 0}},
        {"the view above closed", {40, 30, 300, 200}, 100, false, {7, 9}},
    };
    const auto views = [this] {
        struct View {
            const char* name;
            WindowModel& aboveModel;
            QWidget* above;
            WindowModel& model;
            QWidget* view;
        };
        return std::vector<View>{
            {"best time", app->propagationDetails(), window->propagationDetails(),
             app->propagationBest(), window->propagationBest()},
            {"24 hours", app->propagationDetails(), window->propagationDetails(),
             app->propagationHours(), window->propagationHours()},
            {"detailed", app->propagationHours(), window->propagationHours(),
             app->propagationDetails(), window->propagationDetails()},
        };
    };
    for (const auto& c : cases) {
        for (std::size_t v = 0; v < views().size(); ++v) {
            Open();
            const auto view = views()[v];
            SCOPED_TRACE(std::string(c.name) + ", " + view.name);
            ASSERT_TRUE(view.above && view.view);
            view.aboveModel.Show();
            const QSize frame = view.above->frameGeometry().size() - view.above->size();
            view.above->move(c.above.topLeft() + screen.topLeft());
            view.above->resize(c.above.size() - frame);
            if (!c.aboveShown) view.aboveModel.Hide();
            view.view->move(screen.topLeft() + QPoint(7, 9));  // where it stays when not placed
            view.view->resize(QSize(200, c.height) - frame);
            view.model.Show();
            ASSERT_TRUE(view.view->isVisible());
            EXPECT_EQ(view.view->frameGeometry().topLeft(), c.at + screen.topLeft());
            EXPECT_EQ(view.view->frameGeometry().height(), std::min(c.height, screen.height()));
            // Opened again, it stays where the user put it, on the screen.
            view.view->move(screen.topLeft() + QPoint(5, screen.height() - 20));
            view.model.Hide();
            view.model.Show();
            EXPECT_EQ(view.view->frameGeometry().bottomLeft(), screen.bottomLeft() + QPoint(5, 0));
        }
    }
}

// Each Options item opens the one dialog on its tab; an open dialog keeps
// what was typed.  Apply takes the change over and rebuilds the list (the
// detailed columns appear) and the dialog stays.
TEST_F(MainWidgetTest, OptionsItemsOpenTheirTabsAndApplyRebuildsTheList) {
    const char* const items[] = {"mnuOptionsAirmail", "mnuOptionsPropagation", "mnuOptionsStations",
                                 "mnuOptionsOffsets", "mnuOptionsRadio", "mnuOptionsHam"};
    frmOptionsWidget* dialog = window->optionsWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    auto* noise = qobject_cast<QLineEdit*>(dialog->control(QStringLiteral("txtPropagationNoiseLevel")));
    ASSERT_NE(noise, nullptr);
    for (int tab = 0; tab < 6; ++tab) {
        SCOPED_TRACE(items[tab]);
        window->action(QString::fromLatin1(items[tab]))->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->tabs()->currentIndex(), tab);
        EXPECT_EQ(dialog->tabs()->tabText(tab), frmOptions::TabCaptions()[tab]);
        if (tab == 1) QTest::keyClicks(noise, QStringLiteral("0"));
    }
    EXPECT_EQ(noise->text(), QStringLiteral("-1450"));
    noise->clear();
    QTest::keyClicks(noise, QStringLiteral("-150"));

    const auto shown = [this] {
        const Grid& g = window->grdFrequency()->grid();
        int n = 0;
        for (int c = 0; c < g.Cols(); ++c) n += g.ColWidth(c) > 0;
        return n;
    };
    const int columns = shown();
    auto* detailed = qobject_cast<QCheckBox*>(dialog->control(QStringLiteral("chkPropagationAdditionalData")));
    ASSERT_NE(detailed, nullptr);
    detailed->setChecked(true);
    QTest::mouseClick(dialog->button(QStringLiteral("cmdApply")), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(app->main().settings.m_fPropagationNoiseLevel, -150.0f);
    EXPECT_GT(shown(), columns);
    // The window widens for them, up to the screen's width.
    EXPECT_EQ(window->frameGeometry().width(), window->screen()->availableGeometry().width());
    EXPECT_TRUE(dialog->isVisible());
}

// The offset editor's drop-down opens with a click and puts the chosen
// system into the cell; Esc ends only the cell edit, what was typed stays;
// another tab can be chosen during a cell edit.  Esc elsewhere and the close
// box are Cancel: the dialog closes without a question, nothing taken over.
TEST_F(MainWidgetTest, TheOffsetEditorsListsOpenAndEscEndsOnlyTheCellEdit) {
    QDir().mkpath(dir.filePath(QStringLiteral("drive_c/Program Files/AirMail")));
    for (const char* system : {"HAM", "SAILMAIL"})
        QFile(dir.filePath(QStringLiteral("drive_c/Program Files/AirMail/System.%1.ini").arg(system))).open(QIODevice::WriteOnly);
    window->action(QStringLiteral("mnuOptionsOffsets"))->trigger();
    frmOptionsWidget* dialog = window->optionsWindow();
    const qsizetype told = answerer.texts.size();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));  // focus moves as on a desktop
    const Grid& g = dialog->grdOffset()->grid();
    const auto click = [&](int col) {
        QTest::mouseClick(dialog->grdOffset()->viewport(), Qt::LeftButton, {},
                          QPoint((g.ColPos(col) + 30) / metrics.TwipsPerPixelX(), (g.RowPos(1) + 30) / metrics.TwipsPerPixelY()));
    };
    QComboBox* combo = dialog->cmbOffset();
    click(OffsetColSystem);
    QTest::mouseClick(combo, Qt::LeftButton);
    ASSERT_TRUE(combo->isVisible() && combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_EQ(g.Text(1, OffsetColSystem), QStringLiteral("SAILMAIL"));
    click(OffsetColOffset);
    QTest::keyClicks(dialog->txtOffset(), QStringLiteral("6"));
    QTest::keyClick(dialog->txtOffset(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->txtOffset()->isVisible());
    EXPECT_EQ(g.Text(1, OffsetColOffset), QStringLiteral("6"));
    click(OffsetColOffset);
    QTabBar* bar = dialog->tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(frmOptions::TabRadio).center());
    EXPECT_EQ(dialog->tabs()->currentIndex(), frmOptions::TabRadio);

    QTest::keyClick(dialog->tabs(), Qt::Key_Escape);
    EXPECT_EQ(std::pair(answerer.texts.size(), dialog->isVisible()), std::pair(told, false));
    window->action(QStringLiteral("mnuOptionsOffsets"))->trigger();
    EXPECT_EQ(g.Text(1, OffsetColSystem), QString());
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(dialog, &close);  // as the window system sends it
    EXPECT_EQ(std::pair(answerer.texts.size(), dialog->isVisible()), std::pair(told, false));
}

// Each Help item opens its window beside the main one (not modal; the
// overview tells that its file is missing); a diagram button opens the
// options on its tab below itself; exit closes them all.
TEST_F(MainWidgetTest, HelpMenuOpensItsWindowsWhichCloseWithTheMainWindow) {
    const std::pair<const char*, QWidget*> items[] = {{"mnuHelpDiagram", window->diagramWindow()},
                                                      {"mnuHelpOverview", window->overviewWindow()},
                                                      {"mnuHelpAbout", window->aboutWindow()}};
    for (const auto& [item, help] : items) {
        SCOPED_TRACE(item);
        ASSERT_NE(help, nullptr);
        window->action(QString::fromLatin1(item))->trigger();
        EXPECT_TRUE(help->isVisible());
        EXPECT_FALSE(help->isModal());
    }
    EXPECT_EQ(window->aboutWindow()->windowTitle(), QStringLiteral("Tidewell - About"));
    EXPECT_TRUE(window->overviewWindow()->txtOverview()->toPlainText().startsWith(
        QStringLiteral("Unable to open \"Tidewell.txt\" file.")));

    // The options dialog opens on the button's tab, its corner below the
    // button's middle, moved back onto the screen where it would leave it.
    frmOptionsWidget* dialog = window->optionsWindow();
    for (const auto& [name, tab] : {std::pair{"cmdPropagation", 1}, std::pair{"cmdStation", 2},
                                    std::pair{"cmdAntenna", 3}}) {
        SCOPED_TRACE(name);
        QPushButton* button = window->diagramWindow()->button(QString::fromLatin1(name));
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
        const QPoint corner = button->mapToGlobal(QPoint(button->width() / 2, button->height()));
        const QRect screen = dialog->screen()->availableGeometry();
        const QRect frame = dialog->frameGeometry();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->tabs()->currentIndex(), tab);
        EXPECT_EQ(frame.left(), std::max(screen.left(), std::min(corner.x(), screen.right() + 1 - frame.width())));
        EXPECT_EQ(frame.top(), std::max(screen.top(), std::min(corner.y(), screen.bottom() + 1 - frame.height())));
    }

    window->action(QStringLiteral("mnuFileExit"))->trigger();
    for (const auto& [item, help] : items) EXPECT_FALSE(help->isVisible()) << item;
}

// A close signal closes the open message box as a box closed without a
// button (No, not the default Yes) and answers later boxes so without
// showing them: a box shown would be clicked Yes by the answerer.
TEST(MessageBoxes, CloseBoxesEndsTheOpenBoxAndAnswersLaterOnesAtOnce) {
    QtUserInterface ui;
    MessageRequest question;
    question.text = QStringLiteral("Go on?");
    question.buttons = MsgButtons::YesNo;
    QTimer::singleShot(0, [&ui] { ui.CloseBoxes(); });
    EXPECT_EQ(ui.MessageBox(question), MsgAnswer::No);
    test::ModalAnswerer answerer;
    EXPECT_EQ(ui.MessageBox(question), MsgAnswer::No);
    EXPECT_TRUE(answerer.texts.isEmpty());
}

}  // namespace
}  // namespace tw
