#pragma once
// The composition root: the platform services for this run, the main window's
// behaviour, and the subsystems wired into its start-up and update cycle.
// The window, headless mode and the end-to-end tests all build one of these.

#include <QString>

#include <memory>

#include "app/CommandLine.h"
#include "app/ProfileAccess.h"
#include "app/UserInterface.h"
#include "app/frmMain.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

namespace tw {

class AirMail;
class BestList;
class Position;
class Propagation;

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
    const CommandLine& commandLine() const { return m_line; }

private:
    void WireSteps();

    CommandLine m_line;
    IUserInterface& m_ui;
    platform::PathMapper m_paths;
    std::unique_ptr<platform::IProfileFiles> m_profileFiles;
    std::unique_ptr<platform::IClock> m_clock;
    std::unique_ptr<ProfileAccess> m_profile;
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<platform::IRegistry> m_registry;
    std::unique_ptr<AirMail> m_airmail;
    std::unique_ptr<Position> m_position;
    std::unique_ptr<platform::IProcessRunner> m_processes;
    std::unique_ptr<Propagation> m_propagation;
    std::unique_ptr<BestList> m_bestList;
};

}  // namespace tw
