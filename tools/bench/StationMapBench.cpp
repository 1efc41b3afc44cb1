// tidewell-stationmap-bench: what the station map costs.
//
//     tidewell-stationmap-bench [repeats]   (default 5)
//
// On the demo drive's HAM system (20 stations evaluated, the list built
// once with the stand-in programs) it times, through the composition root:
//   (a) reading "Coastline.dat" (Coastline::Load); goal: 20 ms;
//   (b) painting the map at 1000 x 1000 into a picture as `tidewell --map`
//       does: the first time, which reads and projects the coastlines, and
//       again (median of the repeats); goal: 50 ms.
// A benchmark, not a test: it prints its figures and exits non-zero only
// when something fails (no list, not 20 stations, no coastline).

#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
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
#include "program/Demo.h"
#include "ui/StationMapPainter.h"
#include "views/Coastline.h"
#include "views/StationMap.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

double Ms(SteadyClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Paint(tw::frmStationMap& map) {
    QImage image(1000, 1000, QImage::Format_RGB32);
    const auto start = SteadyClock::now();
    {
        QPainter painter(&image);
        tw::PaintStationMap(painter, image.size(), map, -1);
    }
    return Ms(SteadyClock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const QString coastline = QStringLiteral(TIDEWELL_COASTLINE);

    std::vector<double> loads;
    std::size_t points = 0;
    for (int r = 0; r < repeats; ++r) {
        tw::Coastline data;
        QString error;
        const auto start = SteadyClock::now();
        if (!data.Load(coastline, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        loads.push_back(Ms(SteadyClock::now() - start));
        points = data.Points();
    }

    const QDateTime now = QDateTime::fromString(QStringLiteral("2026-06-06T14:00:00Z"), Qt::ISODate);
    tw::DemoDrive drive;
    QString error;
    if (!tw::PrepareDemoDrive(QStringLiteral(TIDEWELL_DEMO_DATA), QStringLiteral(ITSHF_DEMO_BIN_WIN), now, drive,
                              error)) {
        std::fprintf(stderr, "cannot make the demo drive: %s\n", qPrintable(error));
        return 1;
    }
    QTextStream err(stderr);
    tw::ConsoleUserInterface ui(err);
    const tw::FixedTextMetrics metrics;
    // As `tidewell --map` runs: AirMail is left alone.
    const tw::CommandLine line =
        tw::ParseCommandLine({"--map", "map.png", "--drive-c", drive.driveC, "--profile", drive.profileFile,
                              "--utc", "2026-06-06T14:00", "--system", "HAM"});
    tw::Application run(line, ui, metrics, QFileInfo(coastline).absolutePath());
    run.main().Form_Load();
    run.main().Form_Activate();
    tw::frmStationMap& map = run.stationMap();
    map.Update(run.main().ListTime());
    if (map.Stations().size() != 20) {
        std::fprintf(stderr, "the map has %zu stations, not 20: %s\n", map.Stations().size(),
                     qPrintable(map.Failure()));
        return 1;
    }
    const double first = Paint(map);
    if (map.CoastlinePoints().empty()) {
        std::fprintf(stderr, "no coastline: %s\n", qPrintable(map.CoastlineError()));
        return 1;
    }
    std::vector<double> paints;
    for (int r = 0; r < repeats; ++r) paints.push_back(Paint(map));
    std::printf("Coastline.dat: %zu points, read in %.2f ms (goal 20 ms)\n", points, Median(loads));
    std::printf("map of %zu stations at 1000 x 1000: first %.1f ms (coastlines read and projected), "
                "then %.1f ms (goal 50 ms)\n",
                map.Stations().size(), first, Median(paints));
    return 0;
}
