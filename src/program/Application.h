#pragma once
// The composition root: the platform services for this run, the main window's
// behaviour, and the subsystems wired into its start-up and update cycle.
// The window, headless mode and the end-to-end tests all build one of these.

#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "program/CommandLine.h"
#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "app/frmMain.h"
#include "platform/Clock.h"
#include "platform/FileLock.h"
#include "platform/PathMapper.h"
#include "platform/Desktop.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/sim/SimDesktop.h"

namespace tw {

class AirMail;
class BestList;
class ConnectionProcess;
class IWaiter;
class WindowControl;
class frmPropagationBest;
class frmPropagationHours;
class frmPropagationDetails;
class frmStationInfo;
class frmStationMap;
class HamStation;
class frmOptions;
class Position;
class Propagation;
class frmSummary;
class frmDiagram;
class frmOverview;
class frmAbout;

class Application {
public:
    // programFolder: the folder of the executable (the profile lives there).
    Application(const CommandLine& line, IUserInterface& ui, const ITextMetrics& metrics,
                const QString& programFolder);
    ~Application();

    frmMain& main() { return *m_main; }
    const platform::PathMapper& paths() const { return m_paths; }
    const platform::IClock& clock() const { return *m_clock; }
    ProfileAccess& profile() { return *m_profile; }
    AirMail& airmail() { return *m_airmail; }
    Position& position() { return *m_position; }
    Propagation& propagation() { return *m_propagation; }
    BestList& bestList() { return *m_bestList; }
    WindowControl& windows() { return *m_windows; }
    ConnectionProcess& connection() { return *m_connection; }
    frmSummary& summary() { return *m_summary; }
    frmPropagationHours& propagationHours() { return *m_hours; }
    frmPropagationBest& propagationBest() { return *m_best; }
    frmPropagationDetails& propagationDetails() { return *m_details; }
    frmStationInfo& stationInfo() { return *m_stationInfo; }
    frmStationMap& stationMap() { return *m_stationMap; }
    // The Ham Station tab's check (the options dialog shows it).
    HamStation& hamStation() { return *m_hamStation; }
    frmOptions& options() { return *m_options; }
    frmDiagram& diagram() { return *m_diagram; }
    frmOverview& overview() { return *m_overview; }
    frmAbout& about() { return *m_about; }
    // The simulated AirMail of the demo; nullptr otherwise.
    platform::SimDesktop* simulatedAirMail() { return m_sim; }
    // The clock when the run has a fixed one (--utc); nullptr on the system clock.
    platform::ManualClock* manualClock() { return m_manualClock; }
    // Replaces how the program waits between the keys it types (the window
    // tests move the fixed clock on instead of waiting).
    void UseWaiter(std::unique_ptr<IWaiter> waiter);
    // Replaces the clock the propagation programs' time limit counts on (a
    // monotonic one, in seconds): the window tests count it on their fixed
    // clock, so that a program that is slow on a busy machine is not killed.
    void UseProgramClock(std::function<double()> monotonicSeconds);
    const CommandLine& commandLine() const { return m_line; }
    // Whether the run has been asked from outside to end (a signal to a
    // headless command): the running propagation program is stopped and the
    // work gives up as when the window closes during an update.
    std::function<bool()> Interrupted;

private:
    void WireSteps();
    // The predicted SNR of a station's frequency in the current list.
    std::optional<double> PredictedSnr(const QString& system, const QString& station,
                                       const QString& frequency);

    CommandLine m_line;
    IUserInterface& m_ui;
    platform::PathMapper m_paths;
    std::unique_ptr<platform::IProfileFiles> m_profileFiles;
    std::unique_ptr<platform::IClock> m_clock;
    platform::ManualClock* m_manualClock = nullptr;
    std::unique_ptr<ProfileAccess> m_profile;
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<platform::IRegistry> m_registry;
    std::unique_ptr<AirMail> m_airmail;
    std::unique_ptr<Position> m_position;
    std::unique_ptr<platform::IProcessRunner> m_processes;
    std::unique_ptr<platform::IFileLocks> m_locks;
    std::unique_ptr<IWaiter> m_processWaiter;
    std::unique_ptr<Propagation> m_propagation;
    std::unique_ptr<BestList> m_bestList;
    std::unique_ptr<platform::IDesktop> m_desktop;
    platform::SimDesktop* m_sim = nullptr;
    class WaiterSlot;
    std::unique_ptr<WaiterSlot> m_waiter;
    std::unique_ptr<WindowControl> m_windows;
    std::unique_ptr<ConnectionProcess> m_connection;
    std::unique_ptr<frmSummary> m_summary;
    std::unique_ptr<frmPropagationHours> m_hours;
    std::unique_ptr<frmPropagationBest> m_best;
    std::unique_ptr<frmPropagationDetails> m_details;
    std::unique_ptr<frmStationInfo> m_stationInfo;
    std::unique_ptr<frmStationMap> m_stationMap;
    std::unique_ptr<HamStation> m_hamStation;
    std::unique_ptr<frmOptions> m_options;
    std::unique_ptr<frmDiagram> m_diagram;
    std::unique_ptr<frmOverview> m_overview;
    std::unique_ptr<frmAbout> m_about;
};

}  // namespace tw
