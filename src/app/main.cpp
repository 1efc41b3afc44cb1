// Tidewell: which station and which frequency to call now.

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/ui/QtTextMetrics.h"
#include "app/ui/QtUserInterface.h"
#include "app/ui/frmMainWidget.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

int RunWindow(int argc, char** argv, const tw::CommandLine& line) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    tw::QtUserInterface ui;
    const tw::QtTextMetrics metrics(QApplication::font());
    tw::Application composition(line, ui, metrics, QCoreApplication::applicationDirPath());
    tw::frmMainWidget window(composition.main(), ui, metrics);
    window.show();
    return QApplication::exec();
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
    if (line.command == tw::CommandLine::Command::Window) return RunWindow(argc, argv, line);

    QCoreApplication app(argc, argv);
    return tw::RunHeadless(line, QCoreApplication::applicationDirPath(), out, err);
}
