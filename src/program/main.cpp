// Tidewell: which station and which frequency to call now.

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/Demo.h"
#include "program/Headless.h"
#include "ui/QtTextMetrics.h"
#include "ui/QtUserInterface.h"
#include "ui/SimAirMailView.h"
#include "ui/frmMainWidget.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

int RunWindow(const tw::CommandLine& line, const QString& programFolder) {
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    tw::QtUserInterface ui;
    const tw::QtTextMetrics metrics(QApplication::font());
    tw::Application composition(line, ui, metrics, programFolder);
    tw::frmMainWidget window(composition.main(), ui, metrics);
    window.show();
    // The demo's simulated AirMail, beside Tidewell's window.
    std::unique_ptr<tw::SimAirMailView> simulated;
    if (tw::platform::SimDesktop* sim = composition.simulatedAirMail())
        simulated = std::make_unique<tw::SimAirMailView>(
            *sim, QPoint(window.frameGeometry().right() + 16, 0));
    return QApplication::exec();
}

// Runs the command once the application object exists.
int Run(tw::CommandLine line, QTextStream& out, QTextStream& err) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    // A mistyped folder is told as such, before AirMail's folders are looked for in it.
    if (!line.driveC.isEmpty() && !QFileInfo(line.driveC).isDir()) {
        err << "Tidewell: The folder \"" << line.driveC << "\" given with --drive-c does not exist."
            << Qt::endl;
        return 1;
    }
    tw::DemoDrive demo;  // lives as long as the run
    if (line.demo) {
        QString error;
        if (!tw::PrepareDemoDrive(tw::DemoDataFolder(programFolder),
                                  tw::DemoProgramsFolder(programFolder),
                                  QDateTime::currentDateTimeUtc(), demo, error, line.profileFile)) {
            err << "tidewell: cannot start the demo: " << error << Qt::endl;
            return 1;
        }
        line.driveC = demo.driveC;
        line.profileFile = demo.profileFile;
    }
    if (line.command == tw::CommandLine::Command::Window) return RunWindow(line, programFolder);
    return tw::RunHeadless(line, programFolder, out, err);
}

}  // namespace

int main(int argc, char** argv) {
    const tw::CommandLine line = tw::ParseCommandLine(Arguments(argc, argv));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!line.error.isEmpty()) {
        err << "tidewell: " << line.error << "\n\n" << tw::CommandLineUsage();
        return 2;
    }
    if (line.command == tw::CommandLine::Command::Help) {
        out << tw::CommandLineUsage();
        return 0;
    }
    if (line.command == tw::CommandLine::Command::Window) {
        QApplication app(argc, argv);
        return Run(line, out, err);
    }
    QCoreApplication app(argc, argv);
    return Run(line, out, err);
}
