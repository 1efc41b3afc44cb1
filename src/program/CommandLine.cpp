#include "program/CommandLine.h"

#include "platform/Clock.h"

namespace tw {

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    const auto setCommand = [&line](CommandLine::Command command, const QString& option) {
        if (line.command != CommandLine::Command::Window && line.command != command)
            line.error = QStringLiteral("%1 cannot be combined with another command").arg(option);
        line.command = command;
    };
    for (int i = 0; i < arguments.size() && line.error.isEmpty(); ++i) {
        const QString& arg = arguments[i];
        const auto value = [&](QString& target) {
            if (i + 1 >= arguments.size()) {
                line.error = QStringLiteral("%1 needs a value").arg(arg);
                return;
            }
            target = arguments[++i];
        };
        if (arg == QLatin1String("--profile")) {
            value(line.profileFile);
        } else if (arg == QLatin1String("--drive-c")) {
            value(line.driveC);
        } else if (arg == QLatin1String("--system")) {
            value(line.system);
        } else if (arg == QLatin1String("--utc")) {
            QString text;
            value(text);
            if (!line.error.isEmpty()) break;
            line.utcSeconds = platform::ParseUtcText(text.toStdString());
            if (!line.utcSeconds)
                line.error = QStringLiteral("--utc wants YYYY-MM-DDTHH:MM[:SS], not \"%1\"").arg(text);
        } else if (arg == QLatin1String("--demo")) {
            line.demo = true;
        } else if (arg == QLatin1String("--print-settings")) {
            setCommand(CommandLine::Command::PrintSettings, arg);
        } else if (arg == QLatin1String("--best-list")) {
            setCommand(CommandLine::Command::BestList, arg);
        } else if (arg == QLatin1String("--airmail-report")) {
            setCommand(CommandLine::Command::AirMailReport, arg);
        } else if (arg == QLatin1String("--history")) {
            setCommand(CommandLine::Command::History, arg);
        } else if (arg == QLatin1String("--from") || arg == QLatin1String("--to")) {
            QString text;
            value(text);
            if (!line.error.isEmpty()) break;
            const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
            if (!date.isValid())
                line.error = QStringLiteral("%1 wants YYYY-MM-DD, not \"%2\"").arg(arg, text);
            (arg == QLatin1String("--from") ? line.historyFrom : line.historyTo) = date;
        } else if (arg == QLatin1String("--hours")) {
            setCommand(CommandLine::Command::Hours, arg);
            value(line.station);
        } else if (arg == QLatin1String("--best-time")) {
            setCommand(CommandLine::Command::BestTime, arg);
        } else if (arg == QLatin1String("--long")) {
            line.bestTimeLong = true;
        } else if (arg == QLatin1String("--rel")) {
            line.reliability = true;
        } else if (arg == QLatin1String("--log")) {
            line.log = true;
        } else if (arg == QLatin1String("--details")) {
            setCommand(CommandLine::Command::Details, arg);
            value(line.station);
        } else if (arg == QLatin1String("--hour")) {
            QString text;
            value(text);
            if (!line.error.isEmpty()) break;
            bool ok = false;
            const int hour = text.toInt(&ok);
            if (!ok || hour < 0 || hour > 23)
                line.error = QStringLiteral("--hour wants an hour from 0 to 23, not \"%1\"").arg(text);
            line.hour = hour;
        } else if (arg == QLatin1String("--position")) {
            value(line.latitude);
            if (line.error.isEmpty()) value(line.longitude);
            if (line.error.isEmpty() && (line.latitude.isEmpty() || line.longitude.isEmpty()))
                line.error = QStringLiteral("--position wants a latitude and a longitude");
        } else if (arg == QLatin1String("--ham-check")) {
            setCommand(CommandLine::Command::HamCheck, arg);
        } else if (arg == QLatin1String("--beam-list")) {
            setCommand(CommandLine::Command::BeamList, arg);
        } else if (arg == QLatin1String("--map")) {
            setCommand(CommandLine::Command::Map, arg);
            value(line.mapFile);
        } else if (arg == QLatin1String("--size")) {
            QString text;
            value(text);
            if (!line.error.isEmpty()) break;
            const QStringList parts = text.split(QLatin1Char('x'));
            bool okWidth = false, okHeight = false;
            const int width = parts.size() == 2 ? parts[0].toInt(&okWidth) : 0;
            const int height = parts.size() == 2 ? parts[1].toInt(&okHeight) : 0;
            if (!okWidth || !okHeight || width < 100 || height < 100 || width > 10000 || height > 10000)
                line.error = QStringLiteral("--size wants WIDTHxHEIGHT, each 100 to 10000, not \"%1\"").arg(text);
            line.mapSize = QSize(width, height);
            line.mapSizeGiven = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            setCommand(CommandLine::Command::Help, arg);
        } else {
            line.error = QStringLiteral("unknown option \"%1\"").arg(arg);
        }
    }
    if (line.error.isEmpty() && line.hour && line.command != CommandLine::Command::Details)
        line.error = QStringLiteral("--hour goes with --details");
    if (line.error.isEmpty() && (line.historyFrom.isValid() || line.historyTo.isValid())) {
        if (line.command != CommandLine::Command::History)
            line.error = QStringLiteral("--from and --to go with --history");
        else if (!line.historyFrom.isValid() || !line.historyTo.isValid())
            line.error = QStringLiteral("--history takes both --from and --to, or neither");
        else if (line.historyFrom > line.historyTo)
            line.error = QStringLiteral("--from comes after --to");
    }
    if (line.error.isEmpty() && line.bestTimeLong && line.command != CommandLine::Command::BestTime)
        line.error = QStringLiteral("--long goes with --best-time");
    if (line.error.isEmpty() && line.reliability && line.command != CommandLine::Command::Hours &&
        line.command != CommandLine::Command::BestTime)
        line.error = QStringLiteral("--rel goes with --hours or --best-time");
    if (line.error.isEmpty() && line.log && (line.command != CommandLine::Command::Hours || line.reliability))
        line.error = QStringLiteral("--log goes with --hours, without --rel");
    if (line.error.isEmpty() && !line.latitude.isEmpty() &&
        line.command != CommandLine::Command::BestList)
        line.error = QStringLiteral("--position goes with --best-list");
    if (line.error.isEmpty() && line.mapSizeGiven && line.command != CommandLine::Command::Map)
        line.error = QStringLiteral("--size goes with --map");
    return line;
}

QString CommandLineUsage() {
    return QStringLiteral(
        "Usage: tidewell [options] [command]\n"
        "\n"
        "Commands (without one the main window opens):\n"
        "  --print-settings      print the settings in effect and exit\n"
        "  --best-list           build the best station list once, print it and exit\n"
        "  --position LAT LON    with --best-list: the vessel's position, typed as in the\n"
        "                        position boxes (\"37\u00b044.50'N\" \"025\u00b040.20'W\"); it is\n"
        "                        written into AirMail's Airmail.ini before the list is\n"
        "                        built; a position the boxes refuse is told (exit 1)\n"
        "                        and nothing is written\n"
        "  --airmail-report      print what was found of AirMail: folders, systems,\n"
        "                        position, sunspot number and the stations to evaluate\n"
        "  --history             print AirMail's connection history (Logfiles\\Debug.log):\n"
        "                        the report, an empty line, then the stations as\n"
        "                        tab-separated rows (Station, Records, Percent)\n"
        "  --from YYYY-MM-DD --to YYYY-MM-DD\n"
        "                        with --history: only the days from one to the other\n"
        "  --hours STATION       print the predicted SNR of each frequency of STATION\n"
        "                        (identifier, or display name for SAILMAIL) by UTC hour\n"
        "  --best-time [--long]  print the best predicted SNR by UTC hour over the\n"
        "                        system's stations: one row, or one per station with\n"
        "                        --long (tab-separated, header first)\n"
        "  --rel                 with --hours or --best-time: the reliability (percent)\n"
        "                        instead of the SNR\n"
        "  --log                 with --hours: your calls of each hour in AirMail's log,\n"
        "                        connected/calls (the 24-hour view's Log)\n"
        "  --details STATION     print the detailed prediction of each frequency of STATION\n"
        "                        (as --hours names it) with the best list's columns and\n"
        "                        check marks, in ascending frequency order\n"
        "  --hour HH             with --details: at this UTC hour of the day (default: now)\n"
        "  --ham-check           compare AirMail's HAM station file with its FreqList.rtf:\n"
        "                        the rows only in the station file, an empty line, the\n"
        "                        rows only in FreqList.rtf (Station, Tx Rc, Frequency)\n"
        "  --beam-list           print the HAM stations with a beam antenna, nearest\n"
        "                        first: station, range (nmi, 10000 when unknown),\n"
        "                        bearing to and bearing from (degrees)\n"
        "  --map FILE.png        draw the station map of the list into FILE.png and print\n"
        "                        the stations drawn, tab-separated, header first:\n"
        "                        station, range (nmi), bearing (degrees), x, y (the pixel\n"
        "                        of its dot)\n"
        "  --size WxH            with --map: the picture's size (default 1000x1000)\n"
        "  --help                this text\n"
        "\n"
        "Options:\n"
        "  --demo                run on a copy of the bundled demo data, with the stand-in\n"
        "                        propagation programs and a simulated AirMail\n"
        "  --profile FILE        the settings file instead of Tidewell.Ini beside the program\n"
        "  --drive-c DIR         the folder that stands for drive C: (default: the Wine prefix)\n"
        "  --utc YYYY-MM-DDTHH:MM[:SS]  run at this fixed UTC time\n"
        "  --system NAME         the AirMail system to use\n");
}

}  // namespace tw
