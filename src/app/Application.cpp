#include "app/Application.h"

#include <QDir>
#include <QFileInfo>

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
    WireSteps();
}

Application::~Application() = default;

void Application::WireSteps() {}

}  // namespace tw
