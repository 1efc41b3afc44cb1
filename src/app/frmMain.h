#pragma once
// The main window's behaviour: its state, its controls as small models, the
// start and first-activation sequence, the update cycle, the status bar, the
// clock and the menus.  The Qt window (ui/frmMainWidget) renders these models
// and forwards the user's actions; headless mode and the tests drive them
// directly.

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "airmail/Position.h"
#include "common/Controls.h"
#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "platform/Clock.h"
#include "selection/MainState.h"
#include "settings/SettingsProfile.h"

namespace tw {

class ConnectionProcess;
class frmSummary;
class frmPropagationBest;
class frmPropagationHours;
class frmPropagationDetails;
class frmStationInfo;
class frmStationMap;
class frmOptions;
class frmDiagram;
class frmOverview;
class frmAbout;

int CheckedFromBoolean(bool bChecked);

// A vessel position in degrees (north and east positive).
struct LatLon {
    double lat = 0.0;
    double lon = 0.0;
};

// The work of other subsystems that the start-up and the update cycle call at
// their places.  Each has a sound default, so the window works before all of
// them are supplied: no folder discovery, no position (the cycle then ends as
// it does without one), no list.
struct MainWindowSteps {
    std::function<void()> AirMailFindFolders;
    std::function<void()> LatLonCheckAge;
    // The position from AirMail's profile; false when none can be had.
    std::function<bool(LatLon&)> LatLonGetCurrent;
    // Decode a position box's text (latitude when isLat); shows its own message on failure.
    std::function<bool(const QString& text, bool isLat, double& value)> LatLonDecode;
    // The standard text of a latitude / longitude.
    std::function<QString(double value, bool isLat)> LatLonEncode;
    // Write a hand-typed position (latitude, longitude and time texts) into
    // AirMail's "Airmail.ini" in one go; false after a message on failure.
    std::function<bool(const QString& latitude, const QString& longitude, const QString& time)>
        AirMailWritePosition;
    // Build the best list into the grid; true when a valid list was built.
    std::function<bool()> BestListBuild;
    // Hide the view windows (creating them if needed) at the start of an update.
    std::function<void()> HideViews;
    // Save-time and close-time work of the connection process and the other windows.
    std::function<void()> UnloadOtherWindows;
    // Close one of the other windows by name ("frmAbout", ...); the main
    // window's unload calls it for each in frmMain::UnloadOrder().
    std::function<void(const QString& window)> UnloadWindow;
    // AirMail's Position Report window: is it open, and open it.
    std::function<bool()> PositionReportIsOpen;
    std::function<void()> AirMailOpenPositionReport;
};

class frmMain : public QObject, public MainState, public IWindowGeometry {
    Q_OBJECT
public:
    struct Services {
        IUserInterface& ui;
        const ITextMetrics& metrics;
        ProfileAccess& profile;
        const platform::IClock& clock;
        QString programFolder;   // where "Tidewell.Ini" lives
        QString profileFile;     // replaces programFolder\Tidewell.Ini when not empty
    };

    explicit frmMain(const Services& services, QObject* parent = nullptr);
    ~frmMain() override;

    // The state the subsystems share (settings, system, station, best grid,
    // cmbSystem) is the MainState part of the window.

    // --- controls ---
    Control frmFrequency, frmPosition, frmConnect;
    Control cmdUpdate, cmdBestTime, cmdStart, cmdStop;
    Control grdFrequencyBox;  // position and size of the grid control
    Control txtLat, txtLon;
    TimerControl tmrTime, tmrProcess;
    // Menu items by control name ("mnuFileDefault", ...), in menu order.
    QMap<QString, Control> menus;
    QStringList MenuNames(const QString& menu) const;  // "File", "View", ... (separators as "-")
    // The keyboard: a caption with "&" before the access key of the menu
    // ("File"), menu item, button or label (lblLat, lblLon) of that name; the
    // caption as it is where there is none.  The keys of one menu differ, and
    // so do those of the menu bar, the buttons and the labels together.
    QString AccessCaption(const QString& name, const QString& caption) const;
    // The shortcuts of a menu item or button, in QKeySequence's portable
    // text: F5 for Refresh, Ctrl+Q and Alt+F4 for File > Exit.
    QStringList Shortcuts(const QString& name) const;

    MainWindowSteps steps;

    // What the grid control needs beyond its columns (its frame and vertical
    // scroll bar), twips across; the window sets it before Form_Load.
    int gridChromeWidth = 0;
    // What the window's frame takes across (twips), once the window knows it.
    int windowFrameWidth = 0;
    // The window's designed outer size (twips), used where the profile holds
    // none: wide enough for every shown column of the list and the controls
    // beside it, the height of the design.
    int WindowDesignWidth() const;
    int WindowDesignHeight() const { return Geometry{}.height; }
    // The smallest inner size (twips, the status bar not counted) that shows
    // the position and connection frames whole and a few rows of the list
    // beside Refresh and Best Time.
    int WindowMinimumWidth() const;
    int WindowMinimumHeight() const;

    // --- events ---
    void Form_Load();
    void Form_Activate();
    // Inner size of the window and the status bar height, in twips.
    void Form_Resize(int innerWidth, int innerHeight, int statusBarHeight, bool minimized);
    // Closing: the profile is written, then the other windows are closed.
    void Form_Unload();
    void cmbSystem_Click();
    void cmdUpdate_Click();
    void cmdBestTime_Click();
    void tmrTime_Timer();
    void MenuClick(const QString& name);
    void mnuView_Opening();
    void mnuFrequency_Opening();
    // The position boxes: what a key or a click does to a box's text and caret
    // (0-based, one character selected).  A click returns -1 when the boxes
    // are not being edited (it asks instead, LatLonEditAsk).
    LatLonEditResult LatLonBoxKeyDown(LatLonBox box, int caret, LatLonKey key);
    LatLonEditResult LatLonBoxKeyPress(LatLonBox box, int caret, QChar key);
    int LatLonBoxClick(LatLonBox box, int caret);
    void LatLonEditAsk();

    // --- procedures ---
    void Initialize();
    void Update(bool bExpandList);
    void UpdateBold(bool bBold, bool bSetFocus);
    void WindowResizeControls(int innerWidth, int innerHeight, int statusBarHeight, bool minimized);
    void ProfileSaveError();
    void ShowPropagationDetails();
    void ShowPropagationHours();
    // The detailed view of a station at a time, as the 24-hour view opens it
    // for its chosen hour.
    void ShowPropagationDetailsAt(const QString& system, const QString& station, const QDateTime& time);
    void ShowPropagationBest(bool bLong);
    void ShowStationInfo(bool bBeam);
    // The station map of the list, drawn anew (not while an update runs,
    // when it keeps showing the list before).
    void ShowStationMap();

    // Whether an update is running (requests arriving meanwhile are ignored).
    // The window's events go on during an update (the propagation programs
    // are waited for with the events running); the list keeps showing its
    // old rows, and takes no clicks, until the new build replaces them.
    bool Updating() const { return m_updating; }

    // How far the running update is: the station being evaluated and the
    // stations to evaluate (0 and 0 outside a build), and as text, "3 of 20"
    // (empty outside a build).
    int ProgressStation() const { return m_progressStation; }
    int ProgressStations() const { return m_progressStations; }
    QString ProgressText() const;
    void UpdateProgress(int station, int stations) override;

    // The time the list was predicted for (the clock when its build took
    // its stations; invalid while there is no valid list) and whether it is
    // old: its hour turned while a connection process ran.  The frame caption
    // shows both, to the minute the predictions are interpolated to,
    // "Best Stations and Frequencies (2026-06-06 14:05 UTC)" and ", old"
    // before the closing bracket; with a time shift set the caption shows the
    // shifted time, the one the predictions are for.
    QDateTime ListTime() const { return m_listTime; }
    bool ListOld() const { return m_listOld; }

    // Whether the window may close now.  During an update it may not: the
    // update is given up instead (the running program is killed, no more
    // stations are evaluated, nothing is told) and closeRequested follows as
    // soon as the update has ended, so the profile is written after it, once,
    // with the settings as they are outside a build.
    bool QueryUnload();
    // Whether the running update is being given up; the propagation driver
    // asks it, so the build ends at the running program.
    bool UpdateAbandoned() const { return m_abandonUpdate; }

    // Menu items whose windows exist; the others stay disabled.
    void SetMenuAvailable(const QString& name, bool available);

    // IWindowGeometry: the window's outer geometry in twips.
    int WindowHeight() const override { return m_geometry.height; }
    int WindowLeft() const override { return m_geometry.left; }
    int WindowTop() const override { return m_geometry.top; }
    int WindowWidth() const override { return m_geometry.width; }
    void SetWindowHeight(int twips) override;
    void SetWindowLeft(int twips) override;
    void SetWindowTop(int twips) override;
    void SetWindowWidth(int twips) override;
    bool WindowStateNormal() const override { return m_windowState == WindowState::Normal; }
    enum class WindowState { Normal, Minimized, Maximized };
    void SetWindowState(WindowState state) { m_windowState = state; }
    // The window reports where it really is (after the user moved or sized it).
    void GeometryFromWindow(int left, int top, int width, int height);
    // The screen could not hold the width asked for: the window took this
    // one, which counts as the width it was given.
    void WidthKeptOnScreen(int twips);

    // -----------------------------------------------------------------------
    // The connection process (connect/ConnectProcess.h).  The composition
    // root sets `connection`; without one Start and Stop do nothing.  The app
    // runs a real 1-second timer that mirrors tmrProcess (processTimerChanged)
    // and calls tmrProcess_Timer on each tick.
    ConnectionProcess* connection = nullptr;
    // The connection history window (View > "AirMail Connection History...");
    // set by the composition root, which offers the menu item then.
    frmSummary* summary = nullptr;
    // The 24-hour propagation view (views/PropagationHours.h), set by the
    // composition root; without one its menu items do nothing.
    frmPropagationHours* propagationHours = nullptr;
    // The best connect time view (views/PropagationBest.h), set by the
    // composition root, which enables Best Time and its menu items then.
    frmPropagationBest* propagationBest = nullptr;
    // The detailed propagation view (views/PropagationDetails.h), likewise.
    frmPropagationDetails* propagationDetails = nullptr;
    // The station information window (views/StationInfo.h), likewise.
    frmStationInfo* stationInfo = nullptr;
    // The station map (views/StationMap.h), likewise; it follows the list,
    // redrawn at the end of every update while it is open.
    frmStationMap* stationMap = nullptr;
    // The options dialog (app/frmOptions.h), set by the composition root,
    // which offers the Options menu then; each item opens it on its tab.
    frmOptions* options = nullptr;
    // The help windows (views/HelpWindows.h), set by the composition root,
    // which offers their Help menu items then.
    frmDiagram* diagram = nullptr;
    frmOverview* overview = nullptr;
    frmAbout* about = nullptr;
    void cmdStart_Click();
    void cmdStop_Click();
    void tmrProcess_Timer();
    // The controls while the process runs (Stop bold and enabled, Start,
    // the system list, Refresh, Best Time and the position boxes disabled,
    // state "Working") and after it (Start bold, Stop disabled, the others as
    // they were before, state "Done").
    void ConnectSetRunning(bool running) override;
    void SetProcessTimer(bool enabled) override;
    bool ConnectRunning() const override;
    void ControlsChanged() override { Changed(); }
    // The other windows, in the order the main window's unload closes them.
    static QStringList UnloadOrder();

signals:
    void processTimerChanged();
    void progressChanged();
    void controlsChanged();
    void geometryChanged();
    void focusRequested(const QString& controlName);
    void closeRequested();

private:
    struct Geometry {
        int left = 0;
        int top = 0;
        int width = 9180;
        int height = 6600;
    };
    void DesignLayout();
    void DesignMenus();
    void UpdateCycle(bool bExpandList);
    void UpdateFailureEnd();
    // Whether a view runs the propagation programs (on the files the list's
    // build uses too).
    bool ViewsUpdating() const;
    void ShowListCaption();
    // The tick's part of the hourly rebuild (the rebuild itself runs queued,
    // outside the timer's event, so that the clock goes on ticking during it).
    void HourCheck(const QDateTime& now);
    bool ListStale(const QDateTime& now) const;
    void HourlyRefresh();
    bool UpdatePositionFromBoxes();
    void SetEnabled(Control& control, bool enabled, bool bold);
    Control& Box(LatLonBox box) { return box == LatLonBox::Latitude ? txtLat : txtLon; }
    LatLonEditResult BoxEdited(LatLonBox box, const LatLonEditResult& result);
    void Changed() { emit controlsChanged(); }
    // The list's header anew; a window too narrow for columns that have come
    // in (the additional data, the dial frequency) widens to show them, and
    // narrows again when they go, unless the user sized it meanwhile.
    void ListHeader();
    // The other windows whose frames the profile keeps.
    QVector<ProfileWindow> ProfileWindows();

    QString m_programFolder;
    QString m_profileFileOverride;
    Geometry m_geometry;
    WindowState m_windowState = WindowState::Normal;
    bool m_updating = false;
    bool m_abandonUpdate = false;
    bool m_closeAfterUpdate = false;
    int m_progressStation = 0;
    int m_progressStations = 0;
    QDateTime m_listTime;
    bool m_listOld = false;
    int m_columnsWidth = 0;  // what the list's shown columns took at the last header (twips)
    // The width the window was given for its columns (twips; 0: the stored
    // width, or the user's): while it keeps it, a build whose cells widened
    // their columns widens it with them.
    int m_designWidthSet = 0;
    bool AtGivenWidth() const;
    void WidenForBuiltColumns();
    // The width before columns that came in widened the window (0: not
    // widened), and whether it was a given width; given back when they go.
    struct WidenedFrom {
        int width = 0;
        bool given = false;
    } m_widenedFrom;
    qint64 m_lastHour = -1;  // the clock's hour at the last tick (hours since 1970)
    bool m_activating = false;
    QMap<QString, bool> m_menuAvailable;
    QList<QPair<QString, QStringList>> m_menuTree;
    QMap<QString, QChar> m_accessKeys;
    // Enabled states of the controls the connection process disables.
    struct ConnectSaved {
        bool saved = false;
        bool cmbSystem = true, cmdUpdate = true, cmdBestTime = true, txtLat = true, txtLon = true;
    } m_connectSaved;
};

}  // namespace tw
