#pragma once
// The program's command line.
//
//   tidewell [--profile FILE] [--drive-c DIR] [--utc YYYY-MM-DDTHH:MM[:SS]]
//            [--system NAME] [--demo] [--print-settings | [--position LAT LON] --best-list |
//            --airmail-report | --hours STATION [--rel | --log] | --details STATION [--hour HH] |
//            --best-time [--long] [--rel] |
//            --history [--from YYYY-MM-DD --to YYYY-MM-DD] | --ham-check | --beam-list |
//            --map FILE.png [--size WxH]]
//
// Without a headless command the main window opens.

#include <QDate>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tw {

struct CommandLine {
    enum class Command { Window, PrintSettings, BestList, AirMailReport, Hours, Details, BestTime,
                         History, HamCheck, BeamList, Map, Help };
    Command command = Command::Window;
    QString profileFile;               // replaces the profile beside the executable
    QString driveC;                    // the folder that stands for drive C:
    std::optional<qint64> utcSeconds;  // a fixed clock for the whole run
    QString system;                    // the AirMail system to use
    bool demo = false;                 // run on a copy of the bundled demo drive
    QDate historyFrom, historyTo;      // the history's range; invalid: the whole log
    QString station;                   // the station of --hours and --details
    bool bestTimeLong = false;         // --best-time in the long form (--long)
    bool reliability = false;          // --hours and --best-time show the reliability (--rel)
    bool log = false;                  // --hours shows the calls of AirMail's log (--log)
    std::optional<int> hour;           // the UTC hour of --details; none: the clock's time
    // --position: the vessel's position as typed into the position boxes
    // (both empty without it).
    QString latitude, longitude;
    QString mapFile;                   // --map: the picture to write
    QSize mapSize{1000, 1000};         // --size: its pixels
    bool mapSizeGiven = false;
    QString error;                     // set when the line could not be read
};

// Parses the arguments (without the program name).
CommandLine ParseCommandLine(const QStringList& arguments);

// The usage text.
QString CommandLineUsage();

}  // namespace tw
