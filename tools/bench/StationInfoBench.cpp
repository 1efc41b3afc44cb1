// tidewell-stationinfo-bench: what reading AirMail's station directory and the
// station information window's work on it cost.
//
//     tidewell-stationinfo-bench [repeats]   (default 5)
//
// It builds a temporary AirMail drive with a "HAM" system of 120 stations
// (every third one with a beam antenna, one to three frequency groups each)
// and a "FreqList.rtf" of about 1 MB describing them, padded with long
// descriptions as a real directory has, and times, through the composition
// root as headless mode runs it:
//   (a) reading the document and building the beam list (frmStationInfo:
//       the first use reads the file, ShowBeams searches every station's
//       heading and section and sorts by range); goal: 50 ms;
//   (b) the ham station check over the same files (HamStationLoad: both
//       lists read, sorted and compared); goal: 100 ms.
// Times are medians over the repeats, each on a fresh window.  A benchmark,
// not a test: it prints its figures and exits non-zero only when something
// fails (no beam stations, a check with no rows).

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/frmMain.h"
#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/ConsoleUserInterface.h"
#include "views/HamStation.h"
#include "views/StationInfo.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kStations = 120;
constexpr qsizetype kDocumentBytes = 1024 * 1024;

double Ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString Call(int i) { return QStringLiteral("QB%1X").arg(i, 3, 10, QLatin1Char('0')); }

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The system file and the directory; the directory's sections are padded
// evenly to reach about kDocumentBytes.
bool WriteDrive(const QString& airmail) {
    QByteArray info = "[Station Info]\r\n", list = "[Frequency List]\r\n";
    QList<QByteArray> sections;
    qsizetype size = 0;
    for (int i = 0; i < kStations; ++i) {
        const QByteArray call = Call(i).toLatin1();
        const char field[] = {static_cast<char>('A' + i % 18), static_cast<char>('C' + i % 14), 0};
        info += call + "=" + field + QByteArray::number(i % 10) + QByteArray::number(i * 7 % 10) +
                ":" + call + " Node\r\n";
        QByteArray value, section = "\\cf2 " + call + "\\cf0 . " + call + " Node\\par\r\n";
        section += i % 3 == 0 ? "Antenna: B (beam)\\par\r\n" : "Antenna: V (vertical)\\par\r\n";
        const int groups = 1 + i % 3;
        for (int g = 1; g <= groups; ++g) {
            if (g > 1) value += ";";
            if (groups > 1) section += "Station " + QByteArray::number(g) + ": ";
            for (int f = 0; f < 4; ++f) {
                const QByteArray kHz = QByteArray::number(3500 + 3500 * f + 10 * g + i) + ".5";
                value += (f ? "," : "") + kHz;
                section += "\\cf1 " + kHz + "\\cf0  ";
            }
            section += "\\par\r\n";
        }
        list += call + "=" + value + "\r\n";
        sections << section;
        size += section.size();
    }
    const QByteArray line = "Schedules, operators and notes of the station, as the directory keeps "
                            "them for every entry of the list.\\par\r\n";
    // Each section stays within the beam list's reach of 5000 characters;
    // the rest of the megabyte is the directory's preface.
    const qsizetype perStation = 3500 / line.size();
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;"
                     "\\red255\\green0\\blue0;}\\f0\r\n";
    for (qsizetype n = (kDocumentBytes - size) / line.size() - kStations * perStation; n > 0; --n)
        rtf += line;
    for (const QByteArray& section : sections) {
        rtf += section;
        for (qsizetype n = 0; n < perStation; ++n) rtf += line;
    }
    rtf += "- end -\\par}\r\n";
    return WriteFile(airmail + "/System.HAM.ini", info + "\r\n" + list) &&
           WriteFile(airmail + "/FreqList.rtf", rtf) &&
           WriteFile(airmail + "/Airmail.ini",
                     "[Position Report]\r\nCurrent Latitude=37\xB0" "44.50'N\r\n"
                     "Current Longitude=025\xB0" "40.20'W\r\nCurrent Time=2026/06/06 11:00:00\r\n");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString driveC = dir.filePath(QStringLiteral("drive_c"));
    const QString airmail = driveC + QStringLiteral("/Program Files/AirMail");
    if (!dir.isValid() || !WriteDrive(airmail)) {
        std::fprintf(stderr, "cannot write the drive\n");
        return 1;
    }
    QTextStream err(stderr);
    tw::ConsoleUserInterface ui(err);
    const tw::FixedTextMetrics metrics;
    tw::CommandLine line = tw::ParseCommandLine(
        {"--drive-c", driveC, "--profile", dir.filePath(QStringLiteral("Tidewell.Ini")), "--utc",
         "2026-06-06T12:00"});

    std::vector<double> reads, beams, checks;
    qsizetype beamCount = 0, documentSize = 0;
    int rows = 0;
    for (int r = 0; r < repeats; ++r) {
        tw::Application run(line, ui, metrics, dir.path());
        run.main().Form_Load();
        auto start = SteadyClock::now();
        run.stationInfo().Loaded();
        reads.push_back(Ms(SteadyClock::now() - start));
        run.stationInfo().ShowBeams();
        beams.push_back(Ms(SteadyClock::now() - start));
        beamCount = run.stationInfo().cmbBeam.items.size();
        documentSize = run.stationInfo().DocumentLength();

        tw::Application again(line, ui, metrics, dir.path());
        again.main().Form_Load();
        start = SteadyClock::now();
        again.hamStation().HamStationLoad(false);
        checks.push_back(Ms(SteadyClock::now() - start));
        rows = again.hamStation().grdHamStationAirMail.Rows() +
               again.hamStation().grdHamStationFile.Rows();
    }
    std::printf("FreqList.rtf: %lld bytes, %lld characters of text, %d HAM stations\n",
                static_cast<long long>(QFileInfo(airmail + "/FreqList.rtf").size()),
                static_cast<long long>(documentSize), kStations);
    std::printf("read + beam list (%lld beam stations): %.1f ms, of which reading %.1f ms "
                "(goal 50 ms)\n",
                static_cast<long long>(beamCount), Median(beams), Median(reads));
    std::printf("ham station check (%d grid rows left): %.1f ms (goal 100 ms)\n", rows,
                Median(checks));
    return beamCount > 0 && rows > 0 ? 0 : 1;
}
