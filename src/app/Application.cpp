#include "app/Application.h"

#include <QDir>
#include <QFileInfo>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "propagation/Propagation.h"
#include "selection/BestList.h"

namespace tw {

Application::Application(const CommandLine& line, IUserInterface& ui, const ITextMetrics& metrics,
                         const QString& programFolder)
    : m_line(line), m_ui(ui) {
    if (!line.driveC.isEmpty())
        m_paths.SetDrive('C', QDir(line.driveC).absolutePath().toStdString());
    m_profileFiles = platform::MakeProfileFiles(m_paths);
    if (line.utcSeconds)
        m_clock = std::make_unique<platform::ManualClock>(*line.utcSeconds);
    else
        m_clock = std::make_unique<platform::SystemClock>();
    m_profile = std::make_unique<ProfileAccess>(*m_profileFiles);

    const QString profileFile =
        line.profileFile.isEmpty() ? QString() : QFileInfo(line.profileFile).absoluteFilePath();
    m_main = std::make_unique<frmMain>(
        frmMain::Services{ui, metrics, *m_profile, *m_clock, programFolder, profileFile});
    m_registry = platform::MakeRegistry(m_paths);
    m_airmail = std::make_unique<AirMail>(m_main->settings, *m_profile, ui, m_paths, *m_registry,
                                          QString::fromLatin1(frmMain::kCaption));
    m_position = std::make_unique<Position>(*m_airmail, *m_clock);
    m_processes = platform::MakeProcessRunner();
    m_propagation = std::make_unique<Propagation>(m_main->settings, ui, m_paths, *m_processes,
                                                  *m_clock, QString::fromLatin1(frmMain::kCaption));
    m_bestList = std::make_unique<BestList>(*m_main, *m_airmail, *m_position, *m_propagation);
    m_bestList->preferredSystem = line.system;
    WireSteps();
}

Application::~Application() = default;

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
    steps.AirMailWritePosition = [this](const QString& key, const QString& value) {
        return m_profile->Write(m_main->settings.m_sAirMailDirectoryData + QStringLiteral("\\Airmail.ini"),
                                QStringLiteral("Position Report"), key, value);
    };
    steps.BestListBuild = [this] { return m_bestList->BestListBuild(); };
}

}  // namespace tw
