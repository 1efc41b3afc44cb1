// tidewell-propagation-bench: Tidewell's own cost of one propagation run.
//
//     tidewell-propagation-bench [runs]          (default 200 runs per case)
//
// Prints the mean time per run of 10 frequencies for each part of a run:
// building the deck text, reading an output (the real VOACAP samples of the
// tests/data/its-samples), starting and waiting for a program that does nothing, and
// the whole PropagationGet as the update cycle calls it (deck file, old output
// removed, start, wait, output read) with a program that only copies a canned
// output into place; then, when built beside it, the whole run with the ITS
// HF stand-in.  A benchmark, not a test: it checks only that the runs succeed.

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "program/ConsoleUserInterface.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "propagation/Propagation.h"
#include "propagation/PropagationDecks.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tw;

// Mean milliseconds of `runs` calls of `work`, and how many of them failed.
void Time(const char* title, int runs, const std::function<bool()>& work) {
    int failures = 0;
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) failures += work() ? 0 : 1;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-62s %9.4f ms per run (%d runs%s)\n", title, ms / runs, runs,
                failures ? (", " + std::to_string(failures) + " FAILED").c_str() : "");
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

PropagationRun GuamRun() {
    PropagationRun run;
    run.Model = ModelVoacap;
    run.Month = 6;
    run.FirstHour = 20;
    run.HourCount = 2;
    run.Positions = {38.6, -120.3, 13.5, 144.8};
    run.Frequencies = {3600, 5400, 7100, 8100, 10200, 12400, 14100, 16600, 18100, 21100};
    run.FirstIndex = 1;
    run.LastIndex = 10;
    run.Inputs.SunspotNumber = 150.0f;
    return run;
}

// A sample's output as the answer to `deck`: the deck echoed in place of
// the sample's own (the tables are the sample's).
QByteArray Answering(const QByteArray& output, const QByteArray& deck) {
    const qsizetype from = output.indexOf(" LINEMAX");
    const qsizetype to = output.indexOf("\n QUIT", from) + 7;
    QByteArray echo;
    for (const QByteArray& card : deck.split('\n')) {
        if (!card.trimmed().isEmpty()) echo += ' ' + card.trimmed() + '\n';
    }
    return from < 0 || to < 7 ? output : output.left(from) + echo + output.mid(to);
}

bool WriteExecutable(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    file.write(bytes);
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                               QFileDevice::ExeOwner);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const QString samples = QStringLiteral(TIDEWELL_SAMPLES_DIR "/");
    const PropagationRun guam = GuamRun();
    PropagationRun honolulu = guam;
    honolulu.Month = 12;
    honolulu.FirstHour = 0;
    honolulu.HourCount = 24;
    honolulu.Positions = {38.6, -120.3, 21.3, -157.9};
    honolulu.Frequencies = {3600, 7100, 10200, 14100, 18100};
    honolulu.LastIndex = 5;

    std::printf("Tidewell propagation run benchmark\n");

    // The pure parts, many times over for a readable figure.
    const int pureRuns = runs * 50;
    QByteArray deck;
    QString error;
    Time("deck text, ICEPAC/VOACAP, 10 frequencies", pureRuns,
         [&] { return IcepacVoacapDeck(guam, 2026, deck, error); });
    PropagationRun rec533 = guam;
    rec533.Model = ModelRec533;
    Time("deck text, REC533, 10 frequencies", pureRuns,
         [&] { return Rec533Deck(rec533, 2026, deck, error); });

    const QByteArray guamOut = ReadFile(samples + QStringLiteral("voacap-guam-2h.out"));
    const QByteArray honoluluOut = ReadFile(samples + QStringLiteral("voacap-honolulu-24h.out"));
    if (guamOut.isEmpty() || honoluluOut.isEmpty()) {
        std::printf("(the VOACAP samples are missing in %s: output reading not timed)\n",
                    qPrintable(samples));
    } else {
        PropagationHours table;
        PropagationPath path;
        Time("output read, VOACAP sample, 2 hours, 10 frequencies", pureRuns / 10,
             [&] { return IcepacVoacapReadOutput(guamOut, guam, table, path, error); });
        Time("output read, VOACAP sample, 24 hours, 5 frequencies", pureRuns / 10,
             [&] { return IcepacVoacapReadOutput(honoluluOut, honolulu, table, path, error); });
    }

#ifndef _WIN32
    // Whole runs through the real process service, in a temporary drive C:.
    QTemporaryDir drive;
    const QString binWin = drive.path() + QStringLiteral("/itshfbc/bin_win/");
    const QString runDir = drive.path() + QStringLiteral("/itshfbc/RUN/");
    QDir().mkpath(binWin);
    QDir().mkpath(runDir);
    platform::PathMapper paths;
    paths.SetDrive('c', drive.path().toStdString());
    auto processes = platform::MakeProcessRunner();
    auto locks = platform::MakeFileLocks();
    platform::ManualClock clock(platform::UtcFromFields({2026, 6, 15, 20, 10, 0}));
    Settings settings;
    QTextStream err(stderr);
    ConsoleUserInterface ui(err);
    Propagation propagation(settings, ui, paths, *processes, *locks, clock);
    std::vector<PropagationResult> results;
    PropagationPath path;
    const QDateTime now(QDate(2026, 6, 15), QTime(20, 10), Qt::UTC);

    WriteExecutable(binWin + QStringLiteral("nothing"), "#!/bin/sh\nexit 0\n");
    const std::string nothing = (binWin + QStringLiteral("nothing")).toStdString();
    Time("process start and wait, a shell script that exits at once", runs, [&] {
        const platform::ProcessStart start = processes->Start(nothing, {}, "");
        return start.pid > 0 && processes->Wait(start.pid, 5) == platform::ProcessEnd::ExitedZero;
    });

    if (!guamOut.isEmpty()) {
        QFile canned(drive.path() + QStringLiteral("/canned.out"));
        PropagationRun written = guam;
        written.Inputs = PropagationInputsFrom(settings, 150.0f);
        IcepacVoacapDeck(written, 2026, deck, error);
        if (canned.open(QIODevice::WriteOnly)) canned.write(Answering(guamOut, deck));
        canned.close();
        WriteExecutable(binWin + QStringLiteral("voacapw.exe"),
                        "#!/bin/sh\nexec cp '" + canned.fileName().toUtf8() + "' sound.out\n");
        Time("PropagationGet, program copies the output (deck..parse)", runs, [&] {
            return propagation.PropagationGet(ModelVoacap, now, guam.Positions, guam.Frequencies,
                                              150.0f, results, path);
        });
    }

#ifdef ITSHF_STANDIN_EXE
    ::unsetenv("ITSHF_STANDIN_FAIL");
    for (const char* name : {"voacapw.exe", "rec533w.exe"}) {
        const QString target = binWin + QString::fromLatin1(name);
        QFile::remove(target);
        std::error_code ec;
        std::filesystem::copy_file(ITSHF_STANDIN_EXE, target.toStdString(), ec);
    }
    Time("PropagationGet, VOACAP stand-in, 10 frequencies", runs, [&] {
        return propagation.PropagationGet(ModelVoacap, now, guam.Positions, guam.Frequencies,
                                          150.0f, results, path);
    });
    Time("PropagationGet, REC533 stand-in, 10 frequencies", runs, [&] {
        return propagation.PropagationGet(ModelRec533, now, guam.Positions, guam.Frequencies,
                                          150.0f, results, path);
    });
    PropagationHours hours;
    Time("PropagationGetHours, VOACAP stand-in, 24 hours, 10 frequencies", runs, [&] {
        return propagation.PropagationGetHours(ModelVoacap, 6, 0, 24, guam.Positions,
                                               guam.Frequencies, 150.0f, hours, path);
    });
#endif
#endif
    return 0;
}
