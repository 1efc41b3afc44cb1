#pragma once
// The main window's state that the best list, the connection process and the
// views work on: the settings record, the AirMail system and the station in
// hand, the best grid, the system list, and the services the window was given
// (the user, the profile files, the clock).
//
// The main window (app/frmMain) is one and owns everything here for the whole
// run; the subsystems take it by reference, so none of them needs the window
// itself.  The hooks at the end are what the window does with its other
// controls; a state without a window (in tests) leaves them as they are.

#include <QDateTime>
#include <QString>

#include <vector>

#include "common/Controls.h"
#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "platform/Clock.h"
#include "selection/BestGrid.h"
#include "settings/Settings.h"

namespace tw {

// What the list's last build predicted for one station it evaluated: the
// frequency of the best reliability among those the list may use, with its
// SNR as the list shows it (antenna offsets included) and that reliability
// (-1 where the model gives none).  `predicted` is false for a station whose
// frequencies or prediction could not be had.
struct ListStationPrediction {
    QString station;  // identifier
    QString name;     // as the list shows it
    bool predicted = false;
    QString frequency;
    double snr = 0.0;
    double reliability = -1.0;
};

// The current UTC date and time from the clock, to the whole second.
QDateTime TimeGetZulu(const platform::IClock& clock);

class MainState {
public:
    struct Services {
        IUserInterface& ui;
        const ITextMetrics& metrics;
        ProfileAccess& profile;
        const platform::IClock& clock;
    };

    // The application's title: the main window's caption and the title of its messages.
    static constexpr const char* kCaption = "Tidewell";

    explicit MainState(const Services& services);
    virtual ~MainState() = default;
    MainState(const MainState&) = delete;
    MainState& operator=(const MainState&) = delete;

    Settings settings;
    QString m_sSystem;       // the current AirMail system (the list's, or a view's)
    QString m_sStation;      // the station in hand (identifier)
    QString m_sStationName;  // its display name (SailMail), else empty or the identifier
    // The system the list was built for.  The views make their own system
    // current (m_sSystem); the list and whatever walks it (the connection
    // process) keep this one.
    QString m_sListSystem;
    QString ListSystem() const { return m_sListSystem.isEmpty() ? m_sSystem : m_sListSystem; }
    bool m_bActivated = false;
    // The clock's time the list's predictions are for (before a time shift):
    // a build takes it once, so that every station of a list is predicted for
    // the same minute.
    QDateTime m_listClockTime;
    // Every station the list's last build evaluated, in the order it took
    // them, also those the list leaves out (the station map shows them all).
    std::vector<ListStationPrediction> m_listPredictions;
    BestGrid best;           // grdFrequency, grdWorking, column indexes, colours, sort keys, m_iGridRow
    ComboControl cmbSystem;  // AirMail's systems

    IUserInterface& ui() const { return m_ui; }
    ProfileAccess& profile() const { return m_profile; }
    const platform::IClock& clock() const { return m_clock; }
    QDateTime TimeGetZulu() const { return tw::TimeGetZulu(m_clock); }
    void UpdateStatusStatus(const QString& status) { tw::UpdateStatusStatus(m_ui, status); }
    void UpdateStatusState(const QString& state) { tw::UpdateStatusState(m_ui, state); }

    // --- what the window does ---
    // Show the controls anew (after the system list was filled).
    virtual void ControlsChanged() {}
    // Whether the connection process runs.
    virtual bool ConnectRunning() const { return false; }
    // The controls while the connection process runs, and after it.
    virtual void ConnectSetRunning(bool) {}
    // The connection process's 1-second timer (tmrProcess) on or off.
    virtual void SetProcessTimer(bool) {}
    // How far the list build is: station `station` (1-based) of `stations`
    // is being evaluated; 0 of 0 once the build is over.
    virtual void UpdateProgress(int /*station*/, int /*stations*/) {}

private:
    IUserInterface& m_ui;
    ProfileAccess& m_profile;
    const platform::IClock& m_clock;
};

}  // namespace tw
