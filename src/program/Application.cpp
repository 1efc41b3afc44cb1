#include "program/Application.h"

#include <QDir>
#include <QFileInfo>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "app/frmOptions.h"
#include "connect/ConnectProcess.h"
#include "common/Waiter.h"
#include "connect/WindowControl.h"
#include "propagation/Propagation.h"
#include "selection/BestList.h"
#include "settings/SettingsProfile.h"
#include "views/HelpWindows.h"
#include "views/Summary.h"
#include "views/PropagationBest.h"
#include "views/PropagationDetails.h"
#include "views/HamStation.h"
#include "views/PropagationHours.h"
#include "views/StationInfo.h"
#include "views/StationMap.h"
#include "program/ProfileLocation.h"

namespace tw {

// The waiter the window control holds on to, whose way of waiting can be replaced.
class Application::WaiterSlot final : public IWaiter {
public:
    explicit WaiterSlot(std::unique_ptr<IWaiter> inner) : inner(std::move(inner)) {}
    void WaitSeconds(double seconds) override { inner->WaitSeconds(seconds); }
    bool WaitUntil(const std::function<bool()>& done, double seconds) override {
        return inner->WaitUntil(done, seconds);
    }
    std::unique_ptr<IWaiter> inner;
};

void Application::UseWaiter(std::unique_ptr<IWaiter> waiter) { m_waiter->inner = std::move(waiter); }

void Application::UseProgramClock(std::function<double()> monotonicSeconds) {
    m_processWaiter = std::make_unique<EventLoopWaiter>(m_ui, std::move(monotonicSeconds));
    m_propagation->UseWaiter(m_processWaiter.get());
}

Application::Application(const CommandLine& line, IUserInterface& ui, const ITextMetrics& metrics,
                         const QString& programFolder)
    : m_line(line), m_ui(ui) {
    if (!line.driveC.isEmpty())
        m_paths.SetDrive('C', QDir(line.driveC).absolutePath().toStdString());
    m_profileFiles = platform::MakeProfileFiles(m_paths);
    if (line.utcSeconds) {
        auto fixed = std::make_unique<platform::ManualClock>(*line.utcSeconds);
        m_manualClock = fixed.get();
        m_clock = std::move(fixed);
    } else
        m_clock = std::make_unique<platform::SystemClock>();
    m_profile = std::make_unique<ProfileAccess>(*m_profileFiles);

    // Native separators, as Tidewell names the file in its settings and messages.
    // Without --profile: beside the executable, or the per-user file where
    // its folder cannot be written, told once.
    const ProfileLocation location = line.profileFile.isEmpty()
                                         ? ProfileLocate(programFolder, PerUserSettingsFolder())
                                         : ProfileLocation{};
    const QString profileFile =
        line.profileFile.isEmpty()
            ? location.file
            : QDir::toNativeSeparators(QFileInfo(line.profileFile).absoluteFilePath());
    // Tidewell's own profile is a file of this machine: a drive set for
    // AirMail's files (the demo's C:) never takes it along.
    Settings own;
    Initialize(own, programFolder);
    m_paths.KeepAsWritten(
        ProfileFileName(profileFile.isEmpty() ? own.m_sProfileFile : profileFile));
    m_main = std::make_unique<frmMain>(
        frmMain::Services{ui, metrics, *m_profile, *m_clock, programFolder, profileFile});
    if (!location.notice.isEmpty()) {
        MessageRequest request;
        request.text = location.notice;
        request.icon = MsgIcon::Information;
        ui.MessageBox(request);
    }
    m_registry = platform::MakeRegistry(m_paths);
    m_airmail = std::make_unique<AirMail>(m_main->settings, *m_profile, ui, m_paths, *m_registry,
                                          QString::fromLatin1(frmMain::kCaption));
    m_position = std::make_unique<Position>(*m_airmail, *m_clock);
    m_processes = platform::MakeProcessRunner();
    m_locks = platform::MakeFileLocks();
    m_propagation = std::make_unique<Propagation>(m_main->settings, ui, m_paths, *m_processes,
                                                  *m_locks, *m_clock,
                                                  QString::fromLatin1(frmMain::kCaption));
    // The programs run in real time, so their waits do too, whatever waits
    // the window control is given: the window's events go on meanwhile, and
    // closing the window during an update ends the running program.
    m_processWaiter = std::make_unique<EventLoopWaiter>(ui);
    m_propagation->UseWaiter(m_processWaiter.get());
    m_propagation->Abandoned = [this] {
        return m_main->UpdateAbandoned() || (Interrupted && Interrupted());
    };
    m_bestList = std::make_unique<BestList>(*m_main, *m_airmail, *m_position, *m_propagation);
    m_bestList->preferredSystem = line.system;

    // AirMail's windows: the real desktop, or in the demo the simulated AirMail,
    // whose calls succeed the more often the better the predicted SNR.
    if (line.demo) {
        auto sim = std::make_unique<platform::SimDesktop>(*m_clock, m_paths);
        m_sim = sim.get();
        m_sim->SetDemoOutcomes([this](const std::string& system, const std::string& station,
                                      const std::string& frequency) {
            return PredictedSnr(QString::fromStdString(system), QString::fromStdString(station),
                                QString::fromStdString(frequency));
        });
        m_desktop = std::move(sim);
    } else {
        m_desktop = platform::MakeSystemDesktop();
    }
    m_waiter = std::make_unique<WaiterSlot>(std::make_unique<EventLoopWaiter>(ui));
    m_windows = std::make_unique<WindowControl>(*m_desktop, *m_airmail, *m_waiter,
                                                [this] { m_main->UpdateBold(true, false); });
    m_connection = std::make_unique<ConnectionProcess>(*m_main, *m_airmail, *m_windows);
    m_main->connection = m_connection.get();
    m_summary = std::make_unique<frmSummary>(*m_airmail, *m_clock, metrics);
    m_main->summary = m_summary.get();
    m_hours = std::make_unique<frmPropagationHours>(*m_main, metrics, *m_airmail, *m_position,
                                                    PropagationGetHoursOf(*m_propagation));
    m_main->propagationHours = m_hours.get();
    m_best = std::make_unique<frmPropagationBest>(*m_main, metrics, *m_airmail, *m_position,
                                                  PropagationGetHoursOf(*m_propagation));
    m_best->PropagationPrepareHours = PropagationPrepareHoursOf(*m_propagation);
    m_main->propagationBest = m_best.get();
    m_details = std::make_unique<frmPropagationDetails>(*m_main, *m_bestList, *m_airmail);
    m_main->propagationDetails = m_details.get();
    m_stationInfo = std::make_unique<frmStationInfo>(*m_main, *m_airmail, *m_position);
    m_main->stationInfo = m_stationInfo.get();
    // The map's coastlines lie beside the executable, as the overview does.
    m_stationMap = std::make_unique<frmStationMap>(
        *m_main, *m_airmail, *m_position,
        QDir(programFolder).filePath(QString::fromLatin1(Coastline::kFileName)));
    m_main->stationMap = m_stationMap.get();
    m_hamStation = std::make_unique<HamStation>(*m_main, metrics, *m_airmail, *m_stationInfo);
    m_options = std::make_unique<frmOptions>(frmOptions::Services{*m_main, *m_airmail, *m_position, metrics});
    m_main->options = m_options.get();
    m_options->hamStation = m_hamStation.get();
    m_options->HamStationLoad = [this](bool headerOnly) { m_hamStation->HamStationLoad(headerOnly); };
    // The Antenna tab's Info: the station information window with its beam list.
    m_options->offsets.ShowStationInfo = [this](const QString& station) {
        m_stationInfo->ShowBeams();
        m_stationInfo->Show();
        if (!station.isEmpty()) m_stationInfo->ShowStation(station);
    };
    m_diagram = std::make_unique<frmDiagram>();
    m_main->diagram = m_diagram.get();
    m_overview = std::make_unique<frmOverview>(programFolder);
    m_main->overview = m_overview.get();
    m_about = std::make_unique<frmAbout>();
    m_main->about = m_about.get();
    WireSteps();
}

Application::~Application() {
    if (m_main) {
        m_main->connection = nullptr;
        m_main->summary = nullptr;
        m_main->propagationHours = nullptr;
        m_main->propagationBest = nullptr;
        m_main->propagationDetails = nullptr;
        m_main->stationInfo = nullptr;
        m_main->stationMap = nullptr;
        m_main->options = nullptr;
        m_main->diagram = nullptr;
        m_main->overview = nullptr;
        m_main->about = nullptr;
    }
}

std::optional<double> Application::PredictedSnr(const QString& system, const QString& station,
                                                const QString& frequency) {
    BestGrid& best = m_main->best;
    Grid& grid = best.grdFrequency;
    const double wanted = LeadingNumber(frequency);
    for (int row = 1; row < grid.Rows(); ++row) {
        // The row's own station; a row without it by its name.
        const QString name = grid.Text(row, best.m_iColStation);
        const QString kept = grid.RowData(row);
        const QString id = kept.isEmpty() ? StationFromStationName(*m_airmail, system, name) : kept;
        if (id.compare(station, Qt::CaseInsensitive) != 0 &&
            (!kept.isEmpty() || name.compare(station, Qt::CaseInsensitive) != 0))
            continue;
        QString text = best.GridGetText(grid, row, best.m_iColFrequency);
        text.remove(QStringLiteral("(p3)"));
        if (qAbs(LeadingNumber(text) - wanted) < 0.05)
            return LeadingNumber(grid.Text(row, best.m_iColSnr));
    }
    return std::nullopt;
}

void Application::WireSteps() {
    MainWindowSteps& steps = m_main->steps;
    steps.AirMailFindFolders = [this] { m_airmail->AirMailFindFolders(); };
    steps.LatLonCheckAge = [this] { m_position->LatLonCheckAge(); };
    steps.LatLonGetCurrent = [this](LatLon& p) { return m_position->LatLonGetCurrent(p.lat, p.lon); };
    steps.LatLonDecode = [this](const QString& text, bool isLat, double& value) {
        return isLat ? m_position->LatLonDecodeLatitude(text, value, true)
                     : m_position->LatLonDecodeLongitude(text, value, true);
    };
    steps.LatLonEncode = [](double value, bool isLat) {
        return isLat ? LatLonEncodeLatitude(value) : LatLonEncodeLongitude(value);
    };
    steps.AirMailWritePosition = [this](const QString& lat, const QString& lon, const QString& time) {
        return m_position->LatLonWriteCurrent(lat, lon, time);
    };
    steps.BestListBuild = [this] { return m_bestList->BestListBuild(); };
    steps.PositionReportIsOpen = [this] { return m_windows->PositionReportGetWindow() != 0; };
    steps.AirMailOpenPositionReport = [this] { m_windows->AirMailOpenPositionReport(); };
    // Only the window starts AirMail and opens its Terminal at the first
    // update; a command that prints leaves AirMail alone.
    if (m_line.command == CommandLine::Command::Window)
        m_bestList->TerminalActivate = [this] { m_windows->TerminalActivate(); };
    m_main->SetMenuAvailable(QStringLiteral("mnuViewPositionReport"), true);
    m_main->SetMenuAvailable(QStringLiteral("mnuViewSummary"), true);

    // The 24-hour view: hidden by every update, its chosen hour handed to the
    // main window's detailed view.
    steps.HideViews = [this, others = steps.HideViews] {
        if (others) others();
        m_hours->Hide();
    };
    m_hours->onShowDetails = [this](const QString& system, const QString& station,
                                    const QDateTime& time) {
        m_main->ShowPropagationDetailsAt(system, station, time);
    };
    for (const char* name : {"mnuViewPropagationHours", "mnuFrequencyPropagationHours"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);

    // The best connect time view: hidden by every update too, and not run
    // while another update uses the propagation programs' working files.
    steps.HideViews = [this, others = steps.HideViews] {
        if (others) others();
        m_best->Hide();
    };
    m_best->othersBusy = [this] {
        return m_main->Updating() || m_hours->Updating() || m_details->Updating();
    };
    for (const char* name : {"mnuViewPropagationBestShort", "mnuViewPropagationBestLong"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);
    m_main->cmdBestTime.enabled = true;
    // The detailed view likewise; its "24 Hour Data..." opens the 24-hour
    // view for its system and station on the day of its time.
    steps.HideViews = [this, others = steps.HideViews] {
        if (others) others();
        m_details->Hide();
    };
    m_details->onShowHours = [this](const QString& system, const QString& station,
                                    const QDateTime& time) {
        if (m_main->Updating() || m_hours->Updating() || m_details->Updating() || m_best->Updating())
            return;
        m_hours->Show();
        m_hours->Update(system, station, time);
    };
    for (const char* name : {"mnuViewPropagationDetails", "mnuFrequencyPropagationDetails"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);
    // The station information window: hidden by every update as well.
    steps.HideViews = [this, others = steps.HideViews] {
        if (others) others();
        m_stationInfo->Hide();
    };
    for (const char* name : {"mnuViewStationInfo", "mnuViewStationInfoBeam",
                             "mnuFrequencyStationInfo", "mnuFrequencyStationInfoBeam"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);
    // The station map: never hidden by an update, it follows the list.
    for (const char* name : {"mnuViewStationMap", "mnuFrequencyStationMap"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);
    // The options dialog, on the tab of each Options item.
    for (const char* name : {"mnuOptionsAirmail", "mnuOptionsPropagation", "mnuOptionsStations",
                             "mnuOptionsOffsets", "mnuOptionsRadio", "mnuOptionsHam"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);

    // The help windows.  The block diagram's buttons lead to AirMail's
    // windows and to the main window; its options buttons do nothing until
    // ShowOptions is given.
    m_diagram->AirMailOpenPositionReport = [this] { m_windows->AirMailOpenPositionReport(); };
    m_diagram->TerminalActivate = [this] { m_windows->TerminalActivate(); };
    m_diagram->AirMailOpenAirMail = [this](const QString& question) {
        m_windows->AirMailOpenAirMail(question);
    };
    m_diagram->ShowOptions = [this](int tab, int left, int top) { m_options->ShowTabAt(tab, left, top); };
    m_diagram->ShowMain = [this] { m_ui.BringToFront(QString::fromLatin1(frmMain::kCaption)); };
    for (const char* name : {"mnuHelpDiagram", "mnuHelpOverview", "mnuHelpAbout"})
        m_main->SetMenuAvailable(QString::fromLatin1(name), true);
}

}  // namespace tw
