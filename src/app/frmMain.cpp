#include "app/frmMain.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/frmOptions.h"
#include "common/FlagGuard.h"
#include "connect/ConnectProcess.h"
#include "views/HelpWindows.h"
#include "views/Summary.h"
#include "views/PropagationBest.h"
#include "views/PropagationDetails.h"
#include "views/PropagationHours.h"
#include "views/StationInfo.h"
#include "views/StationMap.h"

namespace tw {

namespace {
const QString kStatusWorking = QStringLiteral("Working");
const QString kListCaption = QStringLiteral("Best Stations and Frequencies");

qint64 HourOf(const QDateTime& time) { return time.toSecsSinceEpoch() / 3600; }

}  // namespace

int CheckedFromBoolean(bool bChecked) { return bChecked ? 1 : 0; }

frmMain::frmMain(const Services& services, QObject* parent)
    : QObject(parent),
      MainState({services.ui, services.metrics, services.profile, services.clock}),
      m_programFolder(services.programFolder),
      m_profileFileOverride(services.profileFile) {
    DesignLayout();
    DesignMenus();
    tmrTime = {1000, true};
    tmrProcess = {1000, false};
}

frmMain::~frmMain() = default;

void frmMain::DesignLayout() {
    auto set = [](Control& c, const char* caption, const char* tip, int l, int t, int w, int h) {
        c.caption = QString::fromUtf8(caption);
        c.toolTip = QString::fromUtf8(tip);
        c.left = l;
        c.top = t;
        c.width = w;
        c.height = h;
    };
    // Position and connection frames across the top, the best list below them
    // filling the rest of the window (it is the part that grows with the window).
    set(frmPosition, "Your Position", "", 120, 60, 4560, 780);
    set(txtLat, "", "AirMail's Position Report Latitude", 540, 300, 1620, 315);
    set(txtLon, "", "AirMail's Position Report Longitude", 2820, 300, 1620, 315);
    set(frmConnect, "Connection", "", 4800, 60, 2760, 780);
    set(cmdStart, "Start", "Start Connection Process (be sure that your Radio/Pactor is turned on)",
        120, 270, 1215, 375);
    set(cmdStop, "Stop", "Stop Connection Process", 1425, 270, 1215, 375);
    set(frmFrequency, "", "", 120, 900, 8820, 4800);
    frmFrequency.caption = kListCaption;
    set(cmbSystem, "", "System", 7245, 300, 1455, 315);
    set(cmdUpdate, "Refresh", "Refresh Best Station and Frequency List", 7245, 720, 1455, 375);
    set(cmdBestTime, "Best Time", "Best Connect Time", 7245, 1185, 1455, 375);
    set(grdFrequencyBox, "", "", 120, 300, 7005, 4380);
    cmdStart.enabled = false;
    cmdStop.enabled = false;
    // Enabled once the best connect time view exists (the composition root).
    cmdBestTime.enabled = false;
}

void frmMain::DesignMenus() {
    struct Item {
        const char* name;
        const char* caption;
        char key;  // the access key: its first place in the caption is marked
    };
    const auto add = [this](const char* menu, char menuKey, std::initializer_list<Item> items) {
        QStringList names;
        for (const auto& [name, caption, key] : items) {
            const QString n = QString::fromUtf8(name);
            names << n;
            if (n == QLatin1String("-")) continue;
            Control c;
            c.caption = QString::fromUtf8(caption);
            c.enabled = false;
            menus.insert(n, c);
            m_accessKeys.insert(n, QLatin1Char(key));
        }
        m_menuTree.append({QString::fromUtf8(menu), names});
        m_accessKeys.insert(QString::fromUtf8(menu), QLatin1Char(menuKey));
    };
    add("File", 'F', {{"mnuFileDefault", "Default", 'D'}, {"mnuFileExit", "Exit", 'x'}});
    add("View", 'V', {{"mnuViewSummary", "AirMail Connection History...", 'H'},
                      {"mnuViewPositionReport", "AirMail Position Report...", 'P'},
                      {"-", "", 0},
                      {"mnuViewPropagationBestShort", "Best Connect Time (Short)...", 'S'},
                      {"mnuViewPropagationBestLong", "Best Connect Time (Long)...", 'L'},
                      {"-", "", 0},
                      {"mnuViewPropagationDetails", "Station Propagation Detailed...", 'D'},
                      {"mnuViewPropagationHours", "Station Propagation 24 Hour...", '2'},
                      {"-", "", 0},
                      {"mnuViewStationInfo", "Station Info...", 'I'},
                      {"mnuViewStationInfoBeam", "Staion Info with Beam List...", 'B'},
                      {"-", "", 0},
                      {"mnuViewStationMap", "Station Map...", 'M'}});
    add("Options", 'O', {{"mnuOptionsAirmail", "AirMail...", 'A'},
                         {"mnuOptionsPropagation", "Propagation...", 'P'},
                         {"mnuOptionsStations", "Station...", 'S'},
                         {"mnuOptionsOffsets", "Antenna...", 'n'},
                         {"mnuOptionsRadio", "Radio...", 'R'},
                         {"mnuOptionsHam", "Ham Station...", 'H'}});
    add("Help", 'H', {{"mnuHelpDiagram", "Block Diagram...", 'B'},
                      {"mnuHelpOverview", "Overview...", 'O'},
                      {"-", "", 0},
                      {"mnuHelpAbout", "About...", 'A'}});
    add("Frequency", 0, {{"mnuFrequencyPropagationDetails", "Propagation Detailed...", 'D'},
                         {"mnuFrequencyPropagationHours", "Propagation 24 Hour...", '2'},
                         {"-", "", 0},
                         {"mnuFrequencyStationInfo", "Station Info...", 'I'},
                         {"mnuFrequencyStationInfoBeam", "Station Info with Beam List...", 'B'},
                         {"-", "", 0},
                         {"mnuFrequencyStationMap", "Station Map...", 'M'}});
    // The buttons and the position labels share the window with the menu bar.
    for (const auto& [name, key] : {std::pair{"cmdStart", 'S'}, std::pair{"cmdStop", 't'},
                                    std::pair{"cmdUpdate", 'R'}, std::pair{"cmdBestTime", 'B'},
                                    std::pair{"lblLat", 'L'}, std::pair{"lblLon", 'n'}})
        m_accessKeys.insert(QString::fromLatin1(name), QLatin1Char(key));
    // Only the items whose windows exist are offered; the rest stay disabled.
    for (auto it = menus.begin(); it != menus.end(); ++it) m_menuAvailable[it.key()] = false;
    SetMenuAvailable(QStringLiteral("mnuFileDefault"), true);
    SetMenuAvailable(QStringLiteral("mnuFileExit"), true);
}

QStringList frmMain::MenuNames(const QString& menu) const {
    for (const auto& [name, items] : m_menuTree)
        if (name == menu) return items;
    return {};
}

QString frmMain::AccessCaption(const QString& name, const QString& caption) const {
    const QChar key = m_accessKeys.value(name);
    const qsizetype at = key.isNull() ? -1 : caption.indexOf(key);
    if (at < 0) return caption;
    return caption.left(at) + QLatin1Char('&') + caption.mid(at);
}

QStringList frmMain::Shortcuts(const QString& name) const {
    if (name == QLatin1String("cmdUpdate")) return {QStringLiteral("F5")};
    // Alt+F4 where no window manager closes the window on it.
    if (name == QLatin1String("mnuFileExit")) return {QStringLiteral("Ctrl+Q"), QStringLiteral("Alt+F4")};
    return {};
}

void frmMain::SetMenuAvailable(const QString& name, bool available) {
    if (!menus.contains(name)) return;
    m_menuAvailable[name] = available;
    menus[name].enabled = available;
    Changed();
}

void frmMain::SetEnabled(Control& control, bool enabled, bool bold) {
    control.enabled = enabled;
    control.bold = bold;
}

// ---------------------------------------------------------------------------
// Start and first activation

void frmMain::Initialize() {
    tw::Initialize(settings, m_programFolder);
    if (!m_profileFileOverride.isEmpty()) settings.m_sProfileFile = m_profileFileOverride;
    best.SetColors();
    best.m_iGridRow = -1;
    m_bActivated = false;
}

void frmMain::Form_Load() {
    Initialize();
    // A size the profile does not hold is taken from the list's columns,
    // which depend on the settings the profile holds.
    m_geometry.width = 0;
    m_geometry.height = 0;
    ProfileRecall(settings, profile(), *this, ProfileWindows());
    if (settings.m_bAirMailResize) {
        SetWindowTop(0);
        SetWindowLeft(0);
    }
    ListHeader();
    m_lastHour = HourOf(TimeGetZulu());
    if (m_geometry.width <= 0) {
        SetWindowWidth(WindowDesignWidth());
        m_designWidthSet = WindowWidth();
    }
    if (m_geometry.height <= 0) SetWindowHeight(WindowDesignHeight());
    Changed();
}

void frmMain::ListHeader() {
    best.GridFrequencyHeader(best.grdFrequency, settings.m_bPropagationAdditionalData);
    const int columns = best.ColumnsWidthWanted(best.grdFrequency);
    if (m_columnsWidth > 0 && WindowStateNormal()) {
        if (columns > m_columnsWidth && WindowWidth() < WindowDesignWidth()) {
            // Widened for columns that came in; a window widened before and
            // not sized since keeps the width it had before the first time.
            if (m_widenedFrom.width <= 0 || !AtGivenWidth())
                m_widenedFrom = {WindowWidth(), AtGivenWidth()};
            SetWindowWidth(WindowDesignWidth());
            m_designWidthSet = WindowWidth();
        } else if (columns < m_columnsWidth && m_widenedFrom.width > 0) {
            // The columns went again: the width they took is given back,
            // unless the user sized the window meanwhile.
            if (AtGivenWidth()) {
                const int width = std::max(m_widenedFrom.width, WindowDesignWidth());
                const bool given = m_widenedFrom.given || width > m_widenedFrom.width;
                SetWindowWidth(width);
                m_designWidthSet = given ? WindowWidth() : 0;
                if (width == m_widenedFrom.width) m_widenedFrom = {};
            } else {
                m_widenedFrom = {};
            }
        }
    }
    m_columnsWidth = columns;
}

bool frmMain::AtGivenWidth() const {
    // Within the rounding of the window's own report of its width.
    constexpr int kRounding = 30;
    return m_designWidthSet > 0 && std::abs(WindowWidth() - m_designWidthSet) <= kRounding;
}

void frmMain::WidenForBuiltColumns() {
    // The header's widths are the columns' samples; cells wider than those
    // (station names, marked frequencies) widen their columns in the build.
    // A window at the width it was given for the header follows them, once
    // per build; one the user sized, or a stored width, stays.
    if (!WindowStateNormal() || !AtGivenWidth()) return;
    const int design = WindowDesignWidth();
    if (design > WindowWidth()) SetWindowWidth(design);
    m_designWidthSet = WindowWidth();
}

int frmMain::WindowDesignWidth() const {
    // The frame holds the grid, then Refresh and the controls below it (the
    // margins of WindowResizeControls); the top row holds the two frames.
    const int frame = grdFrequencyBox.left + best.ColumnsWidthWanted(best.grdFrequency) + gridChromeWidth +
                      120 + cmbSystem.width + 120;
    return std::max(frame + 2 * frmFrequency.left + windowFrameWidth, WindowMinimumWidth());
}

int frmMain::WindowMinimumWidth() const { return frmConnect.left + frmConnect.width + frmPosition.left; }

int frmMain::WindowMinimumHeight() const {
    // Best Time whole, and room in the grid for its header and five rows.
    const int frame = std::max(cmdBestTime.top + cmdBestTime.height + 120,
                               grdFrequencyBox.top + 6 * Grid::kDefaultRowHeight + 120);
    return frmFrequency.top + frame + 60;
}

QVector<ProfileWindow> frmMain::ProfileWindows() {
    QVector<ProfileWindow> windows;
    if (stationMap) windows.push_back({QStringLiteral("Map "), stationMap});
    return windows;
}

void frmMain::Form_Activate() {
    // An activation that arrives while the first one is still at work (through
    // a repaint point of its update) has nothing to add.
    if (m_bActivated || m_activating) return;
    FlagGuard activating(m_activating);
    if (steps.AirMailFindFolders) steps.AirMailFindFolders();
    if (steps.LatLonCheckAge) steps.LatLonCheckAge();
    Update(false);
    m_bActivated = true;
}

void frmMain::Form_Resize(int innerWidth, int innerHeight, int statusBarHeight, bool minimized) {
    WindowResizeControls(innerWidth, innerHeight, statusBarHeight, minimized);
}

void frmMain::Form_Unload() {
    // A running connection process stops first, quietly: its timer could
    // otherwise tick while the profile is written.  Nothing is sent to AirMail.
    if (connection) connection->ConnectUnload();
    ProfileSave(settings, profile(), *this, ui(), ProfileWindows());
    if (steps.UnloadWindow)
        for (const QString& window : UnloadOrder()) steps.UnloadWindow(window);
    if (steps.UnloadOtherWindows) steps.UnloadOtherWindows();
}

// ---------------------------------------------------------------------------
// Events

void frmMain::cmbSystem_Click() {
    // A choice during an update is ignored: the list shows the system in use again.
    if (m_updating) {
        const int index = static_cast<int>(cmbSystem.items.indexOf(m_sSystem));
        if (index >= 0) cmbSystem.listIndex = index;
        Changed();
        return;
    }
    // Filling the list during the first update must not start a second one.
    if (m_bActivated) Update(false);
}

void frmMain::cmdUpdate_Click() { Update(false); }

void frmMain::cmdBestTime_Click() { ShowPropagationBest(false); }

void frmMain::tmrTime_Timer() {
    const QDateTime now = TimeGetZulu();
    ui().SetPanelText(5, now.toString(QStringLiteral("hh:mm:ss")));
    HourCheck(now);
}

// ---------------------------------------------------------------------------
// The list's hour

// A valid list predicted in an earlier hour, with the hourly rebuild on.
bool frmMain::ListStale(const QDateTime& now) const {
    return settings.m_bPropagationHourlyRefresh && m_listTime.isValid() &&
           HourOf(m_listTime) != HourOf(now);
}

void frmMain::HourCheck(const QDateTime& now) {
    const qint64 hour = HourOf(now);
    if (hour == m_lastHour) return;
    m_lastHour = hour;
    if (!ListStale(now)) return;
    if (m_updating || ConnectRunning()) {
        // Not under a running build or connection process: the list is only
        // marked old, and waits for the user or the next turn of the hour.
        if (!m_listOld) {
            m_listOld = true;
            ShowListCaption();
            Changed();
        }
        return;
    }
    QMetaObject::invokeMethod(this, [this] { HourlyRefresh(); }, Qt::QueuedConnection);
}

void frmMain::HourlyRefresh() {
    if (!m_bActivated || m_updating || ConnectRunning() || !ListStale(TimeGetZulu())) return;
    Update(false);
}

void frmMain::ShowListCaption() {
    QString caption = kListCaption;
    if (m_listTime.isValid()) {
        const QDateTime predicted = m_listTime.addSecs(static_cast<qint64>(
            std::llround(static_cast<double>(settings.m_fPropagationTimeShift) * 3600.0)));
        caption += QStringLiteral(" (") + predicted.toString(QStringLiteral("yyyy-MM-dd hh:mm")) +
                   QStringLiteral(" UTC") + (m_listOld ? QStringLiteral(", old") : QString()) +
                   QLatin1Char(')');
    }
    frmFrequency.caption = caption;
}

QString frmMain::ProgressText() const {
    if (m_progressStations <= 0) return {};
    return QStringLiteral("%1 of %2").arg(m_progressStation).arg(m_progressStations);
}

void frmMain::UpdateProgress(int station, int stations) {
    if (m_progressStation == station && m_progressStations == stations) return;
    m_progressStation = station;
    m_progressStations = stations;
    emit progressChanged();
}

bool frmMain::QueryUnload() {
    if (!m_updating) return true;
    m_abandonUpdate = true;
    m_closeAfterUpdate = true;
    return false;
}

void frmMain::MenuClick(const QString& name) {
    if (!menus.contains(name) || !menus[name].enabled) return;
    if (name == QLatin1String("mnuFileDefault")) {
        // The defaults point the AirMail folders at the standard install, so the
        // folder discovery of the first activation runs again before the list
        // is rebuilt; otherwise a user whose AirMail lives elsewhere would get a
        // list that fails on every AirMail file.
        // Neither while a list is built nor while the connection process walks it.
        if (m_updating || ConnectRunning()) return;
        Initialize();
        Form_Activate();
    } else if (name == QLatin1String("mnuFileExit")) {
        emit closeRequested();
    } else if (name == QLatin1String("mnuViewSummary")) {
        // The window opens, then the run tells when the log cannot be read.
        if (summary) summary->ShowWholeLog();
    } else if (name == QLatin1String("mnuViewPositionReport")) {
        if (steps.AirMailOpenPositionReport) steps.AirMailOpenPositionReport();
    } else if (name == QLatin1String("mnuViewPropagationBestShort")) {
        ShowPropagationBest(false);
    } else if (name == QLatin1String("mnuViewPropagationBestLong")) {
        ShowPropagationBest(true);
    } else if (name == QLatin1String("mnuViewPropagationDetails") ||
               name == QLatin1String("mnuFrequencyPropagationDetails")) {
        ShowPropagationDetails();
    } else if (name == QLatin1String("mnuViewPropagationHours") ||
               name == QLatin1String("mnuFrequencyPropagationHours")) {
        ShowPropagationHours();
    } else if (name == QLatin1String("mnuViewStationInfo") ||
               name == QLatin1String("mnuFrequencyStationInfo")) {
        ShowStationInfo(false);
    } else if (name == QLatin1String("mnuViewStationInfoBeam") ||
               name == QLatin1String("mnuFrequencyStationInfoBeam")) {
        ShowStationInfo(true);
    } else if (name == QLatin1String("mnuViewStationMap") || name == QLatin1String("mnuFrequencyStationMap")) {
        ShowStationMap();
    } else if (const int tab = frmOptions::TabOfMenu(name); tab >= 0 && options) {
        options->ShowTab(tab);
    } else if (name == QLatin1String("mnuHelpDiagram")) {
        if (diagram) diagram->Show();
    } else if (name == QLatin1String("mnuHelpOverview")) {
        if (overview) overview->Show();
    } else if (name == QLatin1String("mnuHelpAbout")) {
        if (about) about->Show();
    }
}

void frmMain::mnuView_Opening() {
    const bool ham = ListSystem().toUpper() == QLatin1String("HAM");  // the list's row
    const bool row = best.m_iGridRow > 0;
    const auto enable = [this](const char* name, bool on) {
        const QString n = QString::fromLatin1(name);
        menus[n].enabled = on && m_menuAvailable.value(n);
    };
    enable("mnuViewPropagationDetails", row);
    enable("mnuViewPropagationHours", row);
    enable("mnuViewStationInfo", row && ham);
    enable("mnuViewStationInfoBeam", row && ham);
    Changed();
}

void frmMain::mnuFrequency_Opening() {
    const bool ham = ListSystem().toUpper() == QLatin1String("HAM");  // the list's row
    for (const char* name : {"mnuFrequencyStationInfo", "mnuFrequencyStationInfoBeam"}) {
        const QString n = QString::fromLatin1(name);
        menus[n].enabled = ham && m_menuAvailable.value(n);
    }
    Changed();
}

// ---------------------------------------------------------------------------
// The position boxes

LatLonEditResult frmMain::BoxEdited(LatLonBox box, const LatLonEditResult& result) {
    if (result.changed) {
        Box(box).caption = result.text;
        // A typed or stepped position invalidates the list until the next update.
        UpdateBold(true, false);
    }
    return result;
}

LatLonEditResult frmMain::LatLonBoxKeyDown(LatLonBox box, int caret, LatLonKey key) {
    // The boxes take no edits while an update has already read them.
    if (!settings.m_bAirMailLatLonEdit || m_updating) return {Box(box).caption, caret, true, false, false};
    return BoxEdited(box, LatLonKeyDown(box, Box(box).caption, caret, key));
}

LatLonEditResult frmMain::LatLonBoxKeyPress(LatLonBox box, int caret, QChar key) {
    if (!settings.m_bAirMailLatLonEdit || m_updating) return {Box(box).caption, caret, true, false, false};
    return BoxEdited(box, LatLonKeyPress(box, Box(box).caption, caret, key));
}

int frmMain::LatLonBoxClick(LatLonBox box, int caret) {
    if (m_updating) return -1;
    if (!settings.m_bAirMailLatLonEdit) {
        LatLonEditAsk();
        if (!settings.m_bAirMailLatLonEdit) return -1;
    }
    return LatLonCaretSnap(box, Box(box).caption, caret, 1);
}

void frmMain::LatLonEditAsk() {
    if (steps.PositionReportIsOpen && steps.PositionReportIsOpen()) return;
    if (settings.m_bAirMailLatLonEditPrompt) {
        ui().BringToFront(QString::fromLatin1(kCaption));
        MessageRequest ask;
        ask.text = QStringLiteral(
            "Normally your current Lat/Lon is entered in AirMail's Position Report Window.  "
            "However for users who do not use AirMail's Position Report Window you can enter "
            "AirMail's Lat/Lon data with the Tidewell program.\n\n"
            "Would you like to edit your current position data without using the AirMail's "
            "Position Report Window?");
        ask.buttons = MsgButtons::YesNo;
        ask.icon = MsgIcon::Exclamation;
        const MsgAnswer answer = ui().MessageBox(ask);
        // Closed by a request to end the program: no answer was given.
        if (ui().Closing()) return;
        if (answer == MsgAnswer::Yes) {
            settings.m_bAirMailLatLonEdit = true;
        } else if (steps.AirMailOpenPositionReport) {
            steps.AirMailOpenPositionReport();
        }
    } else if (steps.AirMailOpenPositionReport) {
        steps.AirMailOpenPositionReport();
    }
    settings.m_bAirMailLatLonEditPrompt = false;
    Changed();
}

// The view windows open on the selected row, for the list's system; they are
// offered in the menus only once they exist (SetMenuAvailable).
void frmMain::ShowPropagationDetails() {
    if (best.m_iGridRow <= 0 || best.m_iGridRow >= best.grdFrequency.Rows() ||
        !propagationDetails || m_updating || ViewsUpdating())
        return;
    const QString system = ListSystem();
    m_sStationName = best.GridGetText(best.grdFrequency, best.m_iGridRow, best.m_iColStation);
    QString station = best.grdFrequency.RowData(best.m_iGridRow);
    if (station.isEmpty()) station = propagationDetails->StationFromName(system, m_sStationName);
    ShowPropagationDetailsAt(system, station, TimeGetZulu());
}

void frmMain::ShowPropagationHours() {
    if (best.m_iGridRow <= 0 || best.m_iGridRow >= best.grdFrequency.Rows() || !propagationHours ||
        m_updating || ViewsUpdating())
        return;
    propagationHours->Show();
    m_sSystem = ListSystem();
    m_sStationName = best.GridGetText(best.grdFrequency, best.m_iGridRow, best.m_iColStation);
    m_sStation = best.grdFrequency.RowData(best.m_iGridRow);
    if (m_sStation.isEmpty()) m_sStation = propagationHours->StationFromName(m_sSystem, m_sStationName);
    propagationHours->Update(m_sSystem, m_sStation, TimeGetZulu());
}

void frmMain::ShowPropagationDetailsAt(const QString& system, const QString& station,
                                       const QDateTime& time) {
    if (!propagationDetails || station.isEmpty() || m_updating || ViewsUpdating()) return;
    propagationDetails->Show();
    propagationDetails->Update(system, station, time);
}

bool frmMain::ViewsUpdating() const {
    return (propagationHours && propagationHours->Updating()) ||
           (propagationDetails && propagationDetails->Updating()) ||
           (propagationBest && propagationBest->Updating());
}

// Opens the best connect time view on the list's system, short or long.
void frmMain::ShowPropagationBest(bool bLong) {
    if (!propagationBest || m_updating || ViewsUpdating()) return;
    // Also after a failed list: the view says why its own run cannot be made.
    propagationBest->Show();
    propagationBest->Update(ListSystem(), bLong);
}

// The station information of the selected row (the items are offered for
// the "HAM" system only, whose Station column holds the call sign), with the
// beam list built first when asked for.
void frmMain::ShowStationInfo(bool bBeam) {
    if (best.m_iGridRow <= 0 || best.m_iGridRow >= best.grdFrequency.Rows() || !stationInfo)
        return;
    if (bBeam) stationInfo->ShowBeams();
    if (!stationInfo->Visible()) stationInfo->Show();
    m_sStation = best.GridGetStation(best.grdFrequency, best.m_iGridRow);
    stationInfo->ShowStation(m_sStation);
}

void frmMain::ShowStationMap() {
    if (!stationMap) return;
    stationMap->Show();
    if (!m_updating) stationMap->Update(m_listTime);
}

// ---------------------------------------------------------------------------
// The update cycle

void frmMain::Update(bool bExpandList) {
    // A request that arrives while an update runs (its events go on the whole
    // time) is ignored; so is one while the connection process walks the
    // list (File > Default or the options dialog would otherwise rebuild the
    // grid under it).
    if (m_updating || ConnectRunning()) return;
    // Nor while a view runs its programs on the same files.
    if (ViewsUpdating()) return;
    {
        FlagGuard updating(m_updating);
        UpdateCycle(bExpandList);
    }
    UpdateProgress(0, 0);
    m_abandonUpdate = false;
    Changed();  // the list takes clicks again
    // The map follows the list; it is not hidden by an update.
    if (stationMap && stationMap->Visible()) stationMap->Update(m_listTime);
    // A window closed during the update closes now.
    if (std::exchange(m_closeAfterUpdate, false)) emit closeRequested();
}

void frmMain::UpdateCycle(bool bExpandList) {
    MouseBusy busy(ui());

    SetEnabled(cmdStart, false, false);
    SetEnabled(cmdStop, false, false);
    Changed();
    UpdateStatusState(kStatusWorking);
    for (int panel : {2, 3, 4}) ui().SetPanelText(panel, QString());
    best.m_iGridRow = -1;
    if (steps.HideViews) steps.HideViews();
    ListHeader();
    ui().ProcessEvents();

    if (settings.m_bAirMailLatLonEdit && !UpdatePositionFromBoxes()) {
        UpdateFailureEnd();
        return;
    }
    // From here on AirMail's files are read once for the whole update: the
    // position the boxes show and the one every station of the list is
    // predicted for come from one reading, whatever AirMail writes meanwhile.
    const ProfileReadsHeld held(profile());
    if (!settings.m_bAirMailLatLonEdit) {
        const auto showPosition = [this](double lat, double lon) {
            if (!steps.LatLonEncode) return;
            txtLat.caption = steps.LatLonEncode(lat, true);
            txtLon.caption = steps.LatLonEncode(lon, false);
        };
        LatLon position;
        if (!steps.LatLonGetCurrent || !steps.LatLonGetCurrent(position)) {
            showPosition(0.0, 0.0);
            UpdateFailureEnd();
            return;
        }
        showPosition(position.lat, position.lon);
        Changed();
    }

    const bool allStations = settings.m_bStationAllStations;
    const bool highest = settings.m_bStationHighestFrequency;
    const qint32 topFrequencies = settings.m_iStationTopFrequencies;
    if (bExpandList) {
        settings.m_bStationAllStations = true;
        settings.m_bStationHighestFrequency = false;
        settings.m_iStationTopFrequencies = 20;
    }
    m_listClockTime = TimeGetZulu();  // the build takes its own once it has its stations
    const bool ok = steps.BestListBuild ? steps.BestListBuild() : false;
    // The new list's time; an hour that turned during the build makes it
    // stale at once, and it is built again right after this update.
    m_listTime = ok ? m_listClockTime : QDateTime();
    m_listOld = false;
    if (ok) WidenForBuiltColumns();
    ShowListCaption();
    if (ok && ListStale(TimeGetZulu()))
        QMetaObject::invokeMethod(this, [this] { HourlyRefresh(); }, Qt::QueuedConnection);
    // A list without a single row offers nothing to start: Start stays off
    // (the Refresh button is not bold, the list is not stale).
    const bool empty = ok && best.grdFrequency.Rows() <= best.grdFrequency.FixedRows();
    UpdateBold(!ok, !empty);
    if (empty) {
        SetEnabled(cmdStart, false, false);
        emit focusRequested(QStringLiteral("cmdUpdate"));
    }
    if (bExpandList) {
        settings.m_bStationAllStations = allStations;
        settings.m_bStationHighestFrequency = highest;
        settings.m_iStationTopFrequencies = topFrequencies;
    }
    ui().BringToFront(QString::fromLatin1(kCaption));
    ui().SetPanelText(1, QString());
}

// The hand-typed position becomes AirMail's current position.
bool frmMain::UpdatePositionFromBoxes() {
    if (!steps.LatLonDecode || !steps.LatLonEncode || !steps.AirMailWritePosition) return false;
    const auto takeBox = [&](Control& box, bool isLat) {
        double value = 0.0;
        if (!steps.LatLonDecode(box.caption, isLat, value)) return false;
        box.caption = steps.LatLonEncode(value, isLat);
        Changed();
        return true;
    };
    // Both boxes first, then the three keys together: a position that never
    // existed (one new coordinate beside an old one) is never written.
    return takeBox(txtLat, true) && takeBox(txtLon, false) &&
           steps.AirMailWritePosition(txtLat.caption, txtLon.caption,
                                      PositionTimeText(TimeGetZulu()));
}

void frmMain::UpdateFailureEnd() {
    m_listTime = QDateTime();
    m_listOld = false;
    ShowListCaption();
    cmdUpdate.bold = true;
    ui().SetPanelText(1, QString());
    Changed();
}

void frmMain::UpdateBold(bool bBold, bool bSetFocus) {
    cmdUpdate.bold = bBold;
    SetEnabled(cmdStart, !bBold, !bBold);
    SetEnabled(cmdStop, false, false);
    Changed();
    if (bSetFocus) emit focusRequested(bBold ? QStringLiteral("cmdUpdate") : QStringLiteral("cmdStart"));
    ui().SetPanelText(3, QString());
    ui().SetPanelText(4, QString());
}

void frmMain::ProfileSaveError() { tw::ProfileSaveError(settings, profile(), ui()); }

// ---------------------------------------------------------------------------
// Geometry

void frmMain::WindowResizeControls(int innerWidth, int innerHeight, int statusBarHeight,
                                   bool minimized) {
    if (minimized) return;
    const int w = innerWidth - 2 * frmFrequency.left;
    if (w > 3000) {
        frmFrequency.width = w;
        cmbSystem.left = w - cmbSystem.width - 120;
        cmdUpdate.left = cmbSystem.left;
        cmdBestTime.left = cmbSystem.left;
        grdFrequencyBox.width = cmdUpdate.left - grdFrequencyBox.left - 120;
    }
    const int h = innerHeight - frmFrequency.top - statusBarHeight - 60;
    if (h >= 1201) {
        frmFrequency.height = h;
        grdFrequencyBox.height = h - grdFrequencyBox.top - 60;
    }
    Changed();
}

void frmMain::SetWindowHeight(int twips) {
    m_geometry.height = twips;
    emit geometryChanged();
}

void frmMain::SetWindowLeft(int twips) {
    m_geometry.left = twips;
    emit geometryChanged();
}

void frmMain::SetWindowTop(int twips) {
    m_geometry.top = twips;
    emit geometryChanged();
}

void frmMain::SetWindowWidth(int twips) {
    m_geometry.width = twips;
    emit geometryChanged();
}

void frmMain::GeometryFromWindow(int left, int top, int width, int height) {
    m_geometry = {left, top, width, height};
}

void frmMain::WidthKeptOnScreen(int twips) {
    if (m_designWidthSet == m_geometry.width) m_designWidthSet = twips;
    m_geometry.width = twips;
}

// ---------------------------------------------------------------------------
// The connection process: cmdStart, cmdStop, tmrProcess and the controls it
// switches.  The process itself lives in connect/ConnectProcess.

void frmMain::cmdStart_Click() {
    if (!cmdStart.enabled || !connection || connection->Running()) return;
    connection->ConnectStart();
}

void frmMain::cmdStop_Click() {
    if (!cmdStop.enabled || !connection) return;
    connection->ConnectStop();
}

void frmMain::tmrProcess_Timer() {
    if (!tmrProcess.enabled || !connection) return;
    connection->ProcessTick();
}

bool frmMain::ConnectRunning() const { return connection && connection->Running(); }

void frmMain::ConnectSetRunning(bool running) {
    if (running) {
        m_connectSaved = {true, cmbSystem.enabled, cmdUpdate.enabled, cmdBestTime.enabled, txtLat.enabled,
                          txtLon.enabled};
        SetEnabled(cmdStart, false, false);
        SetEnabled(cmdStop, true, true);
        cmbSystem.enabled = false;
        cmdUpdate.enabled = false;
        cmdBestTime.enabled = false;
        txtLat.enabled = false;
        txtLon.enabled = false;
        Changed();
        UpdateStatusState(kStatusWorking);
        return;
    }
    SetEnabled(cmdStart, true, true);
    SetEnabled(cmdStop, false, false);
    // The controls come back as they were before Start (a control that is
    // not available in this build stays disabled).
    const ConnectSaved saved = m_connectSaved.saved ? m_connectSaved : ConnectSaved{};
    cmbSystem.enabled = saved.cmbSystem;
    cmdUpdate.enabled = saved.cmdUpdate;
    cmdBestTime.enabled = saved.cmdBestTime;
    txtLat.enabled = saved.txtLat;
    txtLon.enabled = saved.txtLon;
    m_connectSaved.saved = false;
    Changed();
    UpdateStatusState(QStringLiteral("Done"));
}

void frmMain::SetProcessTimer(bool enabled) {
    if (tmrProcess.enabled == enabled) return;
    tmrProcess.enabled = enabled;
    emit processTimerChanged();
}

QStringList frmMain::UnloadOrder() {
    return {QStringLiteral("frmAbout"),           QStringLiteral("frmDiagram"),
            QStringLiteral("frmOptions"),         QStringLiteral("frmOverview"),
            QStringLiteral("frmPropagationBest"), QStringLiteral("frmPropagationDetails"),
            QStringLiteral("frmPropagationHours"), QStringLiteral("frmStationInfo"),
            QStringLiteral("frmStationMap"),      QStringLiteral("frmSummary")};
}

}  // namespace tw
