// Tidewell: which station and which frequency to call now.

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

#ifdef Q_OS_WIN
#include "platform/win32/Win32Api.h"

#include <cstdio>
#endif

#include "program/Application.h"
#include "program/CloseRequests.h"
#include "program/CommandLine.h"
#include "program/Demo.h"
#include "program/Headless.h"
#include "program/StandardStream.h"
#include "ui/QtTextMetrics.h"
#include "ui/QtUserInterface.h"
#include "ui/SimAirMailView.h"
#include "ui/frmMainWidget.h"

namespace {

#ifdef Q_OS_WIN
// Tidewell is a Windows GUI program, so Explorer opens no console window with
// it, and Windows hands it no console of its own.  Started from a console
// (cmd.exe, PowerShell), it writes the headless commands' output and its
// messages there: stdout and stderr are reopened on the parent's console.  A
// stream the caller redirected to a file or a pipe is left as it is.
void UseParentConsole() {
    const auto unset = [](DWORD which) {
        const HANDLE handle = ::GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
               ::GetFileType(handle) == FILE_TYPE_UNKNOWN;
    };
    const bool out = unset(STD_OUTPUT_HANDLE);
    const bool err = unset(STD_ERROR_HANDLE);
    if ((!out && !err) || !::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (out && !std::freopen("CONOUT$", "w", stdout)) return;
    if (err && !std::freopen("CONOUT$", "w", stderr)) return;
}
#else
void UseParentConsole() {}
#endif

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
    // A request to end (a signal, the console closing) closes the window as
    // File > Exit does, so the settings are saved and the program ends in
    // order, whatever question is open then.
    tw::OnCloseRequest(window, [&window] { window.CloseRequested(); });
    window.show();
    // The demo's simulated AirMail, beside Tidewell's window, already running
    // as AirMail is when a user opens Tidewell; closing its main window quits
    // it, and Tidewell offers to start it again when it needs it.
    std::unique_ptr<tw::SimAirMailView> simulated;
    if (tw::platform::SimDesktop* sim = composition.simulatedAirMail()) {
        sim->StartAirMail();
        simulated = std::make_unique<tw::SimAirMailView>(
            *sim, QPoint(window.frameGeometry().right() + 16, 0));
    }
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
                                  line.utcSeconds ? QDateTime::fromSecsSinceEpoch(*line.utcSeconds, Qt::UTC)
                                                  : QDateTime::currentDateTimeUtc(),
                                  demo, error, line.profileFile)) {
            err << "tidewell: cannot start the demo: " << error << Qt::endl;
            return 1;
        }
        line.driveC = demo.driveC;
        line.profileFile = demo.profileFile;
    }
    if (line.command == tw::CommandLine::Command::Window) return RunWindow(line, programFolder);
    // Asked to end while the demo drive was made: nothing more to do.
    if (tw::CloseRequested()) return 1;
    return tw::RunHeadless(line, programFolder, out, err, tw::CloseRequested);
}

}  // namespace

int main(int argc, char** argv) {
    tw::CatchCloseRequests();
    UseParentConsole();
    const tw::CommandLine line = tw::ParseCommandLine(Arguments(argc, argv));
    // UTF-8 into files and pipes; a console is written in its own characters.
    tw::StandardStream outStream(stdout), errStream(stderr);
    QTextStream out(&outStream);
    QTextStream err(&errStream);
    if (!line.error.isEmpty()) {
        err << "tidewell: " << line.error << "\nSee tidewell --help for the options and commands.\n";
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
    if (line.command == tw::CommandLine::Command::Map) {
        // The map is painted with Qt's Gui module, which needs its platform;
        // off Windows one that needs no screen, unless another is named.
#ifndef Q_OS_WIN
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        QGuiApplication app(argc, argv);
        const int status = Run(line, out, err);
        tw::EndAsRequested();
        return status;
    }
    QCoreApplication app(argc, argv);
    const int status = Run(line, out, err);
    // A command stopped from outside has given up its work and removed its
    // demo drive; it ends as the request ends a program.
    tw::EndAsRequested();
    return status;
}
