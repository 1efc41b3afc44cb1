#include "program/Headless.h"

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "program/Application.h"
#include "propagation/Geometry.h"
#include "selection/SystemSelect.h"
#include "selection/BestGrid.h"
#include "program/ConsoleUserInterface.h"
#include "settings/OffsetTable.h"
#include "settings/SettingsProfile.h"
#include "views/Summary.h"
#include "views/PropagationBest.h"
#include "views/PropagationDetails.h"
#include "views/HamStation.h"
#include "views/PropagationHours.h"
#include "views/StationInfo.h"
#include "views/StationMap.h"
#include "ui/StationMapPainter.h"

#include <QImage>
#include <QPainter>

namespace tw {

QStringList GridPrintLines(BestGrid& best) { return GridPrintLines(best, best.grdFrequency); }

QStringList GridPrintLines(BestGrid& best, Grid& grid) {
    QStringList lines;
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.Cols(); ++col) {
            if (grid.ColWidth(col) == 0) continue;
            QString text = best.GridGetText(grid, row, col);
            if (col == best.m_iColFrequency && row >= grid.FixedRows())
                text += best.GridGetChecked(grid, row, col) ? QStringLiteral(" [x]")
                                                             : QStringLiteral(" [ ]");
            cells << text;
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines;
}

int AirMailReport(Application& app, QTextStream& out) {
    frmMain& main = app.main();
    AirMail& airmail = app.airmail();
    Position& position = app.position();
    const Settings& settings = main.settings;
    // The first activation's work before the list is built.
    if (main.steps.AirMailFindFolders) main.steps.AirMailFindFolders();
    if (main.steps.LatLonCheckAge) main.steps.LatLonCheckAge();

    out << "Data folder: " << settings.m_sAirMailDirectoryData << '\n';
    out << "Program folder: " << settings.m_sAirMailDirectoryProgram << '\n';
    const bool systems = SystemSelect(airmail, main, app.commandLine().system);
    out << "Systems: " << main.cmbSystem.items.join(QStringLiteral(", ")) << '\n';
    out << "System: " << main.m_sSystem << '\n';

    // The position by the same fallback order as the update, naming the source.
    std::optional<PositionFix> fix = position.LatLonGetCurrentPositionReportCurrent(false);
    QString source = QStringLiteral("Position Report Current");
    if (!fix) {
        fix = position.LatLonGetCurrentPositionReport(false);
        source = QStringLiteral("Position Report");
    }
    if (!fix) {
        fix = position.LatLonGetCurrentPropagation(true);
        source = QStringLiteral("Propagation");
    }
    if (fix)
        out << "Position: " << LatLonEncodeLatitude(fix->latitude) << ' '
            << LatLonEncodeLongitude(fix->longitude) << " (" << source << ")\n";
    else
        out << "Position: none\n";
    out << "Sunspot number: " << position.SunSpotNumberGet() << '\n';
    if (!fix || !systems) {
        out.flush();
        return 1;
    }

    const CurrentPositionSource current = [&fix](double& lat, double& lon) {
        lat = fix->latitude;
        lon = fix->longitude;
        return true;
    };
    QStringList stations;
    if (!StationGetStations(airmail, main.m_sSystem, current, stations)) {
        out.flush();
        return 1;
    }
    out << "Stations\n";
    for (const QString& station : stations) {
        StationRecord record;
        StationGetRecord(airmail, main.m_sSystem, station, false, record);
        double lat = 0.0, lon = 0.0;
        const bool located = LatLonGetStation(airmail, main.m_sSystem, station, false, lat, lon);
        const QString range =
            located ? QString::number(qRound(LatLonGetRange(fix->latitude, fix->longitude, lat, lon)))
                    : QString();
        out << station << '\t' << record.name << '\t' << record.grid << '\t'
            << (located ? QString::number(lat, 'f', 4) : QString()) << '\t'
            << (located ? QString::number(lon, 'f', 4) : QString()) << '\t' << range << '\n';
    }
    out.flush();
    return 0;
}

int ConnectionHistory(Application& app, QTextStream& out) {
    frmMain& main = app.main();
    if (main.steps.AirMailFindFolders) main.steps.AirMailFindFolders();
    const CommandLine& line = app.commandLine();
    frmSummary& summary = app.summary();
    const bool ok = line.historyFrom.isValid()
                        ? summary.ConnectSummary(true, line.historyFrom, line.historyTo)
                        : summary.ShowWholeLog();
    if (!ok) return 1;
    for (const QString& text : summary.lstSummary) out << text << '\n';
    out << '\n';
    const Grid& grid = summary.grdStations;
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.Cols(); ++col) cells << grid.Text(row, col);
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    out.flush();
    return 0;
}

namespace {

// The views' commands: AirMail's folders and the system in use first; a
// failure is told on standard error and ends the run with 1.
bool ViewSystemSelect(Application& app, QTextStream& err) {
    frmMain& main = app.main();
    if (main.steps.AirMailFindFolders) main.steps.AirMailFindFolders();
    if (SystemSelect(app.airmail(), main, app.commandLine().system)) return true;
    err << "Tidewell: no AirMail system to take the stations from" << Qt::endl;
    return false;
}

int ViewFailed(const QString& reason, QTextStream& err) {
    err << "Tidewell: " << reason << Qt::endl;
    return 1;
}

// A view's grid as tab-separated rows, header first, its hidden columns left out.
int PrintShownColumns(const Grid& grid, QTextStream& out) {
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.Cols(); ++col)
            if (grid.ColWidth(col) > 0) cells << grid.Text(row, col);
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    out.flush();
    return 0;
}

// The identifier of the station a command names: a name or identifier of
// the system's [Station Info] (letter case aside), the way the system spells
// it.  A station the system lacks is told with the system's stations, and a
// display name that two or more stations share with their identifiers; either
// gives an empty text, as does a system file that cannot be read (told).
QString CommandStation(Application& app, const QString& station, QTextStream& err) {
    AirMail& airmail = app.airmail();
    const QString& system = app.main().m_sSystem;
    QStringList names, identifiers;
    if (!StationGetStation(airmail, system, names, &identifiers)) return {};
    QStringList named;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(station, Qt::CaseInsensitive) == 0) named << identifiers[i];
    if (named.size() > 1) {
        err << "Tidewell: The name \"" << station << "\" is not unique in the system " << system
            << ". Give one of its stations' identifiers: " << named.join(QStringLiteral(", "))
            << Qt::endl;
        return {};
    }
    if (named.size() == 1) return named.front();
    // SAILMAIL lists its stations by name; its identifiers are taken too.
    for (const QString& id : identifiers)
        if (id.compare(station, Qt::CaseInsensitive) == 0) return id;
    err << "Tidewell: The station \"" << station << "\" is not in the system " << system
        << ". Its stations: " << names.join(QStringLiteral(", ")) << Qt::endl;
    return {};
}

}  // namespace

int PropagationHoursReport(Application& app, const QString& station, QTextStream& out,
                           QTextStream& err) {
    if (!ViewSystemSelect(app, err)) return 1;
    frmMain& main = app.main();
    frmPropagationHours& view = app.propagationHours();
    const QString id = CommandStation(app, station, err);
    if (id.isEmpty()) return 1;
    if (!view.Update(main.m_sSystem, id, main.TimeGetZulu())) return ViewFailed(view.Failure(), err);
    return PrintShownColumns(view.grdData, out);
}

int PropagationBestReport(Application& app, bool bLong, QTextStream& out, QTextStream& err) {
    if (!ViewSystemSelect(app, err)) return 1;
    frmPropagationBest& view = app.propagationBest();
    if (!view.Update(app.main().m_sSystem, bLong))
        return view.FailureTold() ? 1 : ViewFailed(view.Failure(), err);
    return PrintShownColumns(view.grdData, out);
}

int PropagationDetailsReport(Application& app, const QString& station,
                             std::optional<int> hour, QTextStream& out, QTextStream& err) {
    if (!ViewSystemSelect(app, err)) return 1;
    frmMain& main = app.main();
    frmPropagationDetails& view = app.propagationDetails();
    const QString id = CommandStation(app, station, err);
    if (id.isEmpty()) return 1;
    QDateTime time = main.TimeGetZulu();
    if (hour) time = QDateTime(time.date(), QTime(*hour, 0), Qt::UTC);
    if (!view.Update(main.m_sSystem, id, time)) return ViewFailed(view.Failure(), err);
    for (const QString& text : GridPrintLines(main.best, view.grdFrequency)) out << text << '\n';
    out.flush();
    return 0;
}

int HamCheckReport(Application& app, QTextStream& out, QTextStream& err) {
    frmMain& main = app.main();
    if (main.steps.AirMailFindFolders) main.steps.AirMailFindFolders();
    if (!app.stationInfo().Loaded()) return ViewFailed(app.stationInfo().BoxText(), err);
    HamStation& check = app.hamStation();
    // A system file that cannot be read has been told on standard error.
    if (!check.HamStationLoad(false)) return 1;
    PrintShownColumns(check.grdHamStationAirMail, out);
    out << '\n';
    return PrintShownColumns(check.grdHamStationFile, out);
}

int BeamListReport(Application& app, QTextStream& out, QTextStream& err) {
    frmMain& main = app.main();
    if (main.steps.AirMailFindFolders) main.steps.AirMailFindFolders();
    frmStationInfo& info = app.stationInfo();
    if (!info.Loaded()) return ViewFailed(info.BoxText(), err);
    double lat = 0.0, lon = 0.0;
    if (!app.position().LatLonGetCurrent(lat, lon))
        return ViewFailed(QStringLiteral("there is no position of the vessel"), err);
    info.ShowBeams();
    out << "Station\tRange\tBearing To\tBearing From\n";
    for (qsizetype i = 0; i < info.cmbBeam.items.size(); ++i) {
        const QString& station = info.cmbBeam.items[i];
        double range = 0.0, to = 0.0, from = 0.0;
        const bool known = info.StationBearings(station, range, to, from);
        out << station << '\t' << info.cmbBeamItemData[i] << '\t'
            << (known ? QString::number(qRound(to)) : QString()) << '\t'
            << (known ? QString::number(qRound(from)) : QString()) << '\n';
    }
    out.flush();
    return 0;
}

int StationMapReport(Application& app, const QString& file, QSize size, QTextStream& out, QTextStream& err) {
    frmMain& main = app.main();
    main.Form_Activate();
    frmStationMap& map = app.stationMap();
    map.Update(main.ListTime());
    if (!map.Failure().isEmpty()) return ViewFailed(map.Failure(), err);
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PaintStationMap(painter, size, map, -1);
    }
    if (!image.save(file, "PNG"))
        return ViewFailed(QStringLiteral("the map cannot be written to \"%1\"").arg(file), err);
    const MapFrame frame = MapFrameFor(size.width(), size.height());
    out << "Station\tRange\tBearing\tX\tY\n";
    for (const MapStation& s : map.Stations())
        out << s.name << '\t' << qRound(s.range) << '\t' << QString::number(s.bearing, 'f', 1) << '\t'
            << qRound(frame.PixelX(s.point)) << '\t' << qRound(frame.PixelY(s.point)) << '\n';
    out.flush();
    return 0;
}

int RunHeadless(const CommandLine& line, const QString& programFolder, QTextStream& out,
                QTextStream& err, const std::function<bool()>& interrupted) {
    ConsoleUserInterface ui(err);
    const FixedTextMetrics metrics;
    Application app(line, ui, metrics, programFolder);
    app.Interrupted = interrupted;
    return RunHeadlessCommand(app, out, err);
}

int RunHeadlessCommand(Application& app, QTextStream& out, QTextStream& err) {
    const CommandLine& line = app.commandLine();
    frmMain& main = app.main();
    main.Form_Load();

    switch (line.command) {
        case CommandLine::Command::PrintSettings: {
            const QVector<OffsetRow> rows =
                OffsetTableReadRows(app.profile(), main.settings.m_sProfileFile);
            for (const QString& text : PrintSettings(main.settings, rows)) out << text << '\n';
            out.flush();
            return 0;
        }
        case CommandLine::Command::BestList: {
            if (!line.latitude.isEmpty()) {
                // A typed position: the update decodes the boxes' texts, writes
                // them into Airmail.ini and builds the list from them.  The age
                // of AirMail's old position is nothing to tell then.
                main.settings.m_bAirMailLatLonEdit = true;
                main.txtLat.caption = line.latitude;
                main.txtLon.caption = line.longitude;
                main.steps.LatLonCheckAge = nullptr;
            }
            main.Form_Activate();
            for (const QString& text : GridPrintLines(main.best)) out << text << '\n';
            out.flush();
            // A good build leaves Start enabled.
            return main.cmdStart.enabled ? 0 : 1;
        }
        case CommandLine::Command::AirMailReport:
            return AirMailReport(app, out);
        case CommandLine::Command::History:
            return ConnectionHistory(app, out);
        case CommandLine::Command::Hours:
            app.propagationHours().SetValues(line.log           ? HourValues::Log
                                             : line.reliability ? HourValues::Reliability
                                                                : HourValues::Snr);
            return PropagationHoursReport(app, line.station, out, err);
        case CommandLine::Command::BestTime:
            app.propagationBest().SetValues(line.reliability ? HourValues::Reliability : HourValues::Snr);
            return PropagationBestReport(app, line.bestTimeLong, out, err);
        case CommandLine::Command::Details:
            return PropagationDetailsReport(app, line.station, line.hour, out, err);
        case CommandLine::Command::HamCheck:
            return HamCheckReport(app, out, err);
        case CommandLine::Command::BeamList:
            return BeamListReport(app, out, err);
        case CommandLine::Command::Map:
            return StationMapReport(app, line.mapFile, line.mapSize, out, err);
        default:
            return 2;
    }
}

}  // namespace tw
