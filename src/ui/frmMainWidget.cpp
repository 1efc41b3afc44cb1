#include "ui/frmMainWidget.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include <optional>
#include <utility>

#include "ui/GridWidget.h"
#include "ui/LatLonEdit.h"
#include "ui/ScreenPlacement.h"
#include "common/WindowPlacement.h"
#include "ui/frmHelpWidgets.h"
#include "views/HelpWindows.h"
#include "ui/frmPropagationBestWidget.h"
#include "ui/frmPropagationDetailsWidget.h"
#include "ui/frmStationInfoWidget.h"
#include "ui/frmStationMapWidget.h"
#include "views/StationMap.h"
#include "ui/frmPropagationHoursWidget.h"
#include "ui/frmOptionsWidget.h"
#include "ui/HamStationPage.h"
#include "ui/QtUserInterface.h"
#include "ui/frmSummaryWidget.h"
#include "connect/ConnectProcess.h"

namespace tw {

namespace {
void SetBold(QWidget* widget, bool bold) {
    QFont font = widget->font();
    if (font.bold() != bold) {
        font.setBold(bold);
        widget->setFont(font);
    }
}
}  // namespace

frmMainWidget::frmMainWidget(frmMain& model, QtUserInterface& ui, const ITextMetrics& metrics,
                             QWidget* parent)
    : QMainWindow(parent), m_model(model), m_ui(ui), m_metrics(metrics) {
    setWindowTitle(QString::fromLatin1(frmMain::kCaption));
    m_ui.SetParentWindow(this);
    BuildControls();
    BuildMenus();
    BuildStatusBar();

    m_tmrTime = new QTimer(this);
    m_tmrTime->setInterval(m_model.tmrTime.interval);
    connect(m_tmrTime, &QTimer::timeout, this, [this] { m_model.tmrTime_Timer(); });

    m_tmrProcess = new QTimer(this);
    m_tmrProcess->setInterval(m_model.tmrProcess.interval);
    connect(m_tmrProcess, &QTimer::timeout, this, [this] { m_model.tmrProcess_Timer(); });
    connect(&m_model, &frmMain::processTimerChanged, this, [this] {
        if (m_model.tmrProcess.enabled)
            m_tmrProcess->start();
        else
            m_tmrProcess->stop();
    });
    if (m_model.connection) m_model.connection->Beep = [] { QApplication::beep(); };
    // The history window is made on first use and then lives with this one.
    if (m_model.summary)
        connect(m_model.summary, &frmSummary::showRequested, this, [this] {
            if (m_summary) return;
            m_summary = new frmSummaryWidget(*m_model.summary, m_metrics, this);
            m_summary->ShowRequested();
        });
    if (m_model.propagationHours)
        m_propagationHours = new frmPropagationHoursWidget(*m_model.propagationHours, m_metrics, this);
    if (m_model.propagationBest)
        m_propagationBest = new frmPropagationBestWidget(*m_model.propagationBest, m_metrics, this);
    if (m_model.propagationDetails)
        m_propagationDetails =
            new frmPropagationDetailsWidget(*m_model.propagationDetails, m_metrics, this);
    // The views open below one another: the best connect time and the
    // 24-hour views below the detailed view, the detailed view below the
    // 24-hour view.
    if (m_propagationBest && m_propagationDetails)
        m_propagationBest->PlaceBelowOnFirstShow(m_propagationDetails);
    if (m_propagationHours && m_propagationDetails) {
        m_propagationHours->PlaceBelowOnFirstShow(m_propagationDetails);
        m_propagationDetails->PlaceBelowOnFirstShow(m_propagationHours);
    }
    if (m_model.stationInfo)
        m_stationInfo = new frmStationInfoWidget(*m_model.stationInfo, m_metrics, this);
    if (m_model.stationMap) m_stationMap = new frmStationMapWidget(*m_model.stationMap, m_metrics, this);
    if (m_model.options) {
        m_options = new frmOptionsWidget(*m_model.options, m_metrics, this);
        if (m_model.options->hamStation)
            m_options->SetHamStationPage(new HamStationPage(*m_model.options->hamStation, m_metrics));
    }
    if (m_model.diagram) m_diagram = new frmDiagramWidget(*m_model.diagram, m_metrics, this);
    if (m_model.diagram && m_options) {
        // The options dialog's outer size, for the block diagram to keep it on the screen.
        m_model.diagram->OptionsSize = [this](int) {
            const QSize frame = m_options->frameGeometry().size();
            return QSize(frame.width() * m_metrics.TwipsPerPixelX(),
                         frame.height() * m_metrics.TwipsPerPixelY());
        };
    }
    if (m_model.overview) m_overview = new frmOverviewWidget(*m_model.overview, this);
    if (m_model.about) m_about = new frmAboutWidget(*m_model.about, this);

    connect(&m_model, &frmMain::controlsChanged, this, &frmMainWidget::SyncControls);
    connect(&m_model, &frmMain::progressChanged, this, &frmMainWidget::SyncProgress);
    connect(&m_model, &frmMain::geometryChanged, this, &frmMainWidget::SyncGeometry);
    connect(&m_model, &frmMain::closeRequested, this, &QWidget::close);
    connect(&m_model, &frmMain::focusRequested, this, [this](const QString& name) {
        if (name == QLatin1String("cmdStart")) m_cmdStart->setFocus();
        if (name == QLatin1String("cmdUpdate")) m_cmdUpdate->setFocus();
    });

    // Start: defaults, the stored settings and geometry, the window in place.
    m_model.gridChromeWidth =
        TwipsX(2 * m_grid->frameWidth() + m_grid->verticalScrollBar()->sizeHint().width());
    m_model.Form_Load();
    centralWidget()->setMinimumSize(PixelsX(m_model.WindowMinimumWidth()),
                                    PixelsY(m_model.WindowMinimumHeight()));
    SyncGeometry();
    SyncControls();
    if (m_model.tmrTime.enabled) m_tmrTime->start();
}

frmMainWidget::~frmMainWidget() = default;

int frmMainWidget::PixelsX(int twips) const { return twips / m_metrics.TwipsPerPixelX(); }
int frmMainWidget::PixelsY(int twips) const { return twips / m_metrics.TwipsPerPixelY(); }
int frmMainWidget::TwipsX(int pixels) const { return pixels * m_metrics.TwipsPerPixelX(); }
int frmMainWidget::TwipsY(int pixels) const { return pixels * m_metrics.TwipsPerPixelY(); }

void frmMainWidget::Place(QWidget* widget, const Control& control) {
    widget->setGeometry(PixelsX(control.left), PixelsY(control.top), PixelsX(control.width),
                        PixelsY(control.height));
}

void frmMainWidget::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    m_frmPosition = new QGroupBox(central);
    m_lblLat = new QLabel(QStringLiteral("Lat"), m_frmPosition);
    m_lblLon = new QLabel(QStringLiteral("Lon"), m_frmPosition);
    m_txtLat = new LatLonEdit(m_model, LatLonBox::Latitude, m_frmPosition);
    m_txtLon = new LatLonEdit(m_model, LatLonBox::Longitude, m_frmPosition);

    m_frmConnect = new QGroupBox(central);
    m_cmdStart = new QPushButton(m_frmConnect);
    m_cmdStop = new QPushButton(m_frmConnect);

    m_frmFrequency = new QGroupBox(central);
    m_grid = new GridWidget(m_model.best.grdFrequency, m_metrics, m_frmFrequency);
    m_cmbSystem = new QComboBox(m_frmFrequency);
    m_cmdUpdate = new QPushButton(m_frmFrequency);
    m_cmdBestTime = new QPushButton(m_frmFrequency);

    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] { m_model.cmdUpdate_Click(); });
    connect(m_cmdStart, &QPushButton::clicked, this, [this] { m_model.cmdStart_Click(); });
    connect(m_cmdStop, &QPushButton::clicked, this, [this] { m_model.cmdStop_Click(); });
    connect(m_cmdBestTime, &QPushButton::clicked, this, [this] { m_model.cmdBestTime_Click(); });
    connect(m_cmbSystem, &QComboBox::activated, this, [this](int index) {
        if (m_syncingControls) return;
        m_model.cmbSystem.listIndex = index;
        m_model.cmbSystem_Click();
    });

    BestGrid& best = m_model.best;
    m_grid->onClick = [&best](int x, int y) { best.grdFrequency_Click(x, y); };
    m_grid->onDblClick = [&best](int x, int y) { best.grdFrequency_DblClick(x, y); };
    m_grid->onMouseMove = [&best](int button, int shift, int x, int y) {
        best.grdFrequency_MouseMove(button, shift, x, y);
    };
    m_grid->onMouseUp = [&best](int button, int shift, int x, int y) {
        best.grdFrequency_MouseUp(button, shift, x, y);
    };
    best.onShowPropagationHours = [this] { m_model.ShowPropagationHours(); };
    best.onFrequencyMenuOpening = [this] { m_model.mnuFrequency_Opening(); };
    best.onFrequencyMenuPopup = [this](int x, int y) {
        if (QMenu* popup = m_menus.value(QStringLiteral("Frequency")))
            popup->popup(m_grid->viewport()->mapToGlobal(QPoint(PixelsX(x), PixelsY(y))));
    };

    m_grid->selectedRow = [&best] { return best.m_iGridRow; };
    m_grid->onKeyDown = [this, &best](int key, Qt::KeyboardModifiers modifiers) {
        if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
        std::optional<GridKey> gridKey;
        switch (key) {
        case Qt::Key_Up: gridKey = GridKey::Up; break;
        case Qt::Key_Down: gridKey = GridKey::Down; break;
        case Qt::Key_PageUp: gridKey = GridKey::PageUp; break;
        case Qt::Key_PageDown: gridKey = GridKey::PageDown; break;
        case Qt::Key_Home: gridKey = GridKey::Home; break;
        case Qt::Key_End: gridKey = GridKey::End; break;
        case Qt::Key_Space: gridKey = GridKey::Space; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: gridKey = GridKey::Enter; break;
        case Qt::Key_Menu: gridKey = GridKey::Menu; break;
        case Qt::Key_F10:
            if (modifiers & Qt::ShiftModifier) gridKey = GridKey::Menu;
            break;
        default: break;
        }
        return gridKey && best.grdFrequency_KeyDown(*gridKey);
    };
    m_grid->setContextMenuPolicy(Qt::PreventContextMenu);

    // Tab walks the controls in the order of the work: the position, the
    // connection, the list's system and buttons, the list itself.
    QWidget* order[] = {m_txtLat, m_txtLon, m_cmdStart, m_cmdStop, m_cmbSystem, m_cmdUpdate, m_cmdBestTime, m_grid};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    m_lblLat->setBuddy(m_txtLat);
    m_lblLon->setBuddy(m_txtLon);
    m_lblLat->setText(m_model.AccessCaption(QStringLiteral("lblLat"), m_lblLat->text()));
    m_lblLon->setText(m_model.AccessCaption(QStringLiteral("lblLon"), m_lblLon->text()));
    // F5 refreshes as a click on Refresh does (nothing while it is disabled).
    for (const QString& keys : m_model.Shortcuts(QStringLiteral("cmdUpdate"))) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, m_cmdUpdate, &QPushButton::click);
    }

    m_tmrBlink = new QTimer(this);
    connect(m_tmrBlink, &QTimer::timeout, this, [&best] { best.tmrBlink_Timer(); });
    best.onBlinkTimerChanged = [this, &best] {
        m_tmrBlink->setInterval(best.tmrBlink.interval);
        if (best.tmrBlink.enabled)
            m_tmrBlink->start();
        else
            m_tmrBlink->stop();
    };
}

void frmMainWidget::BuildMenus() {
    for (const char* menuName : {"File", "View", "Options", "Help", "Frequency"}) {
        const QString name = QString::fromLatin1(menuName);
        // The Frequency menu is the grid's pop-up; it has no place in the bar.
        QMenu* menu = name == QLatin1String("Frequency") ? new QMenu(name, this)
                                                          : menuBar()->addMenu(m_model.AccessCaption(name, name));
        m_menus.insert(name, menu);
        for (const QString& item : m_model.MenuNames(name)) {
            if (item == QLatin1String("-")) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(m_model.AccessCaption(item, m_model.menus.value(item).caption));
            action->setObjectName(item);
            QList<QKeySequence> keys;
            for (const QString& key : m_model.Shortcuts(item)) keys << QKeySequence(key);
            action->setShortcuts(keys);
            // The window holds it too, so its keys work wherever the focus is.
            if (!keys.isEmpty()) addAction(action);
            m_actions.insert(item, action);
            connect(action, &QAction::triggered, this, [this, item] { m_model.MenuClick(item); });
        }
    }
    connect(m_menus.value(QStringLiteral("View")), &QMenu::aboutToShow, this,
            [this] { m_model.mnuView_Opening(); });
}

void frmMainWidget::BuildStatusBar() {
    static const char* const kTexts[5] = {"Running", "", "00:00", "00:00", "00:00:00"};
    static const char* const kTips[5] = {"Status", "Status Message", "Connect Time (mm:ss)",
                                         "Process Time (mm:ss)", "Zulu Time (hh:mm:ss)"};
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setToolTip(QString::fromLatin1(kTips[i]));
        label->setMinimumWidth(i == 1 ? 0 : label->fontMetrics().horizontalAdvance(
                                                    QStringLiteral("00:00:00 ")) + 8);
        statusBar()->addWidget(label, i == 1 ? 1 : 0);
        m_panels[static_cast<std::size_t>(i)] = label;
        if (i == 1) {
            m_progress = new QProgressBar(this);
            m_progress->setToolTip(QStringLiteral("Stations Evaluated"));
            m_progress->setTextVisible(true);
            m_progress->setMaximumWidth(label->fontMetrics().horizontalAdvance(
                                            QStringLiteral("000 of 000")) * 2);
            m_progress->hide();
            statusBar()->addWidget(m_progress);
        }
    }
    m_ui.AttachPanels(m_panels);
    for (int i = 0; i < 5; ++i) m_ui.SetPanelText(i + 1, QString::fromLatin1(kTexts[i]));
    statusBar()->setSizeGripEnabled(true);
}

void frmMainWidget::SyncControls() {
    m_syncingControls = true;
    const frmMain& m = m_model;
    const auto button = [this](QPushButton* b, const Control& c, const char* name) {
        b->setText(m_model.AccessCaption(QString::fromLatin1(name), c.caption));
        b->setToolTip(c.toolTip);
        b->setEnabled(c.enabled);
        SetBold(b, c.bold);
        Place(b, c);
    };
    m_frmPosition->setTitle(m.frmPosition.caption);
    Place(m_frmPosition, m.frmPosition);
    m_frmConnect->setTitle(m.frmConnect.caption);
    Place(m_frmConnect, m.frmConnect);
    m_frmFrequency->setTitle(m.frmFrequency.caption);
    Place(m_frmFrequency, m.frmFrequency);
    m_lblLat->setGeometry(PixelsX(120), PixelsY(m.txtLat.top), PixelsX(m.txtLat.left - 180),
                          PixelsY(m.txtLat.height));
    m_lblLon->setGeometry(PixelsX(m.txtLat.left + m.txtLat.width + 120), PixelsY(m.txtLon.top),
                          PixelsX(m.txtLon.left - m.txtLat.left - m.txtLat.width - 180),
                          PixelsY(m.txtLon.height));
    for (auto [edit, control] : {std::pair{m_txtLat, &m.txtLat}, std::pair{m_txtLon, &m.txtLon}}) {
        if (edit->text() != control->caption) {
            const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
            edit->setText(control->caption);
            if (edit->hasFocus() && caret < control->caption.size()) edit->setSelection(caret, 1);
        }
        edit->setToolTip(control->toolTip);
        edit->setEnabled(control->enabled);
        Place(edit, *control);
    }
    button(m_cmdStart, m.cmdStart, "cmdStart");
    button(m_cmdStop, m.cmdStop, "cmdStop");
    button(m_cmdUpdate, m.cmdUpdate, "cmdUpdate");
    button(m_cmdBestTime, m.cmdBestTime, "cmdBestTime");

    m_cmbSystem->setToolTip(m.cmbSystem.toolTip);
    m_cmbSystem->setEnabled(m.cmbSystem.enabled);
    QStringList items;
    for (int i = 0; i < m_cmbSystem->count(); ++i) items << m_cmbSystem->itemText(i);
    if (items != m.cmbSystem.items) {
        m_cmbSystem->clear();
        m_cmbSystem->addItems(m.cmbSystem.items);
    }
    if (m_cmbSystem->currentIndex() != m.cmbSystem.listIndex)
        m_cmbSystem->setCurrentIndex(m.cmbSystem.listIndex);
    Place(m_cmbSystem, m.cmbSystem);
    Place(m_grid, m.grdFrequencyBox);
    // The old rows stay on screen, without taking clicks, while an update builds the new ones.
    m_grid->SetFrozen(m.Updating());

    for (auto it = m.menus.begin(); it != m.menus.end(); ++it)
        if (QAction* a = m_actions.value(it.key())) a->setEnabled(it.value().enabled);
    m_syncingControls = false;
}

void frmMainWidget::SyncProgress() {
    const QString text = m_model.ProgressText();
    if (text.isEmpty()) {
        m_progress->hide();
        return;
    }
    m_progress->setRange(0, m_model.ProgressStations());
    m_progress->setValue(m_model.ProgressStation());
    m_progress->setFormat(text);
    m_progress->show();
}

void frmMainWidget::SyncGeometry() {
    m_syncingGeometry = true;
    const QSize extra = frameGeometry().size() - geometry().size();
    m_syncedFrame = extra;
    m_model.windowFrameWidth = TwipsX(extra.width());
    // Whatever the profile held, the window lies on the screen, at least as
    // large as its minimum.  The model learns the place it really has from
    // the window once it is on screen (ReportGeometry).
    const QRect wanted(PixelsX(m_model.WindowLeft()), PixelsY(m_model.WindowTop()),
                       PixelsX(m_model.WindowWidth()), PixelsY(m_model.WindowHeight()));
    const QSize minimum = minimumSize().expandedTo(minimumSizeHint()) + extra;
    const QRect frame = KeepOnScreen(wanted.topLeft(), wanted.size(), minimum,
                                     AvailableScreenFor(wanted.topLeft(), wanted.size()));
    move(frame.topLeft());
    resize(frame.size() - extra);
    // A window on screen that could not take the width asked for has the one
    // it could take (before it is placed, the model's sizes are its own).
    if (m_placed && frame.width() != wanted.width()) m_model.WidthKeptOnScreen(TwipsX(frame.width()));
    m_syncingGeometry = false;
}

void frmMainWidget::FrameChanged() {
    // Where the window manager puts its frame on only after the window is
    // shown, the stored outer size is applied again around the real frame,
    // so that the whole window, title bar included, stays on the screen.
    const QSize extra = frameGeometry().size() - geometry().size();
    if (!m_placed || m_syncingGeometry || extra == m_syncedFrame) return;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    SyncGeometry();
}

void frmMainWidget::ReportGeometry() {
    // Until the window is on screen in its place, it has nothing to report.
    if (m_syncingGeometry || !m_placed) return;
    const QRect frame = frameGeometry();
    m_model.GeometryFromWindow(TwipsX(frame.x()), TwipsY(frame.y()), TwipsX(frame.width()),
                               TwipsY(frame.height()));
}

void frmMainWidget::ReportResize() {
    if (windowState() & Qt::WindowMinimized)
        m_model.SetWindowState(frmMain::WindowState::Minimized);
    else if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        m_model.SetWindowState(frmMain::WindowState::Maximized);
    else
        m_model.SetWindowState(frmMain::WindowState::Normal);
    const int statusHeight = statusBar()->isVisible() ? statusBar()->height() : 0;
    const QWidget* central = centralWidget();
    m_model.Form_Resize(TwipsX(central->width()), TwipsY(central->height() + statusHeight),
                        TwipsY(statusHeight), (windowState() & Qt::WindowMinimized) != 0);
}

void frmMainWidget::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The stored size is the outer one; the frame around the window is known
    // once it is on screen.  Placed before, it would grow by its frame at
    // every start.
    if (!m_placed && frameGeometry().size() - geometry().size() != m_syncedFrame) SyncGeometry();
    if (!std::exchange(m_placed, true)) ReportGeometry();
    // The first activation's work runs once the window is on screen.
    QTimer::singleShot(0, this, [this] { m_model.Form_Activate(); });
}

void frmMainWidget::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
        m_model.Form_Activate();
    if (event->type() == QEvent::WindowStateChange) ReportResize();
}

void frmMainWidget::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FrameChanged();
    ReportResize();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        ReportGeometry();
}

void frmMainWidget::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FrameChanged();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        ReportGeometry();
}

void frmMainWidget::CloseRequested() {
    m_ui.CloseBoxes();
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void frmMainWidget::closeEvent(QCloseEvent* event) {
    // During an update the model gives the update up and asks again to close
    // once it has ended.
    if (!m_unloaded && !m_model.QueryUnload()) {
        event->ignore();
        return;
    }
    if (!m_unloaded) {
        m_unloaded = true;
        m_tmrTime->stop();
        m_tmrProcess->stop();
        m_model.Form_Unload();
        // The other windows go with this one, in the main window's order, so
        // that the program ends.
        for (const QString& name : frmMain::UnloadOrder())
            if (auto* other = findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) other->close();
        if (m_summary) m_summary->close();
        if (m_options) m_options->close();
    }
    event->accept();
}

}  // namespace tw
