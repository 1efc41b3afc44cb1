// The real executable run as a process on real files: its headless commands
// on files of the test's own, and the best list and the AirMail report on a
// copy of the demo drive with the ITS HF stand-ins installed, as a user runs
// them (`tidewell --best-list`, `tidewell --airmail-report`).

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include <signal.h>
#include <unistd.h>

#include "E2eSupport.h"

namespace {

using tw::test::DemoDrive;
using tw::test::ProcessRun;
using tw::test::RunTidewell;
using tw::test::TidewellEnvironment;
using tw::test::WriteFile;

// On an empty drive the list is the header alone and the report has no
// position (exit code 1), as has a drive folder, a system or a station that
// is not there; a bad command line is refused (2).
// None of these runs writes a profile.
TEST(Headless, FailedRunsTellWhyAndWriteNoProfile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("Tidewell.Ini"));
    const QStringList emptyDrive{"--profile", ini,     "--drive-c",
                                 dir.path(),  "--utc", "2026-06-06T12:00"};
    const QString missing = dir.filePath(QStringLiteral("missing"));
    const char* headerOnly = "^Station\\tRange\\tFrequency\\tSnr\\n\\z";
    // The arguments after those of the empty drive, the exit code, standard
    // output, a line of standard error.
    const std::tuple<QStringList, int, const char*, QString> cases[] = {
        {{"--best-list"}, 1, headerOnly, {}},
        {{"--airmail-report"}, 1, "\\nPosition: none\\nSunspot number: \\d+\\n\\z", {}},
        {{"--drive-c", missing, "--best-list"}, 1, "^\\z",
         "Tidewell: The folder \"" + missing + "\" given with --drive-c does not exist.\n"},
        {{"--demo", "--system", "nope", "--best-list"}, 1, headerOnly,
         "Tidewell: AirMail has no system \"nope\". Its systems are HAM, SAILMAIL.\n"},
        {{"--bogus"}, 2, "^\\z", {}},
        {{"--utc", "yesterday", "--best-list"}, 2, "^\\z", {}},
        {{"--best-list", "--print-settings"}, 2, "^\\z", {}},
        {{"--profile"}, 2, "^\\z", {}},
        {{"--history"}, 1, "^\\z", "Unable to open Airmail's \"Logfiles\\Debug.log\". "},
        {{"--history", "--from", "2026-06-01"}, 2, "^\\z", {}},
        {{"--best-time"}, 1, "^\\z", "Tidewell: no AirMail system to take the stations from\n"},
        {{"--long", "--best-list"}, 2, "^\\z", "--long goes with --best-time"},
        {{"--rel", "--best-list"}, 2, "^\\z", "--rel goes with --hours or --best-time"},
        {{"--details", "QA1PMB", "--hour", "24"}, 2, "^\\z", "--hour wants an hour from 0 to 23"},
        {{"--hour", "7", "--best-list"}, 2, "^\\z", "--hour goes with --details"},
        {{"--map", missing, "--size", "50x50"}, 2, "^\\z", "--size wants WIDTHxHEIGHT, each 100 to 10000"},
        {{"--demo", "--system", "nope", "--map", missing}, 1, "^\\z", "Tidewell: there is no station list\n"},
        {{"--demo", "--hours", "Nope"}, 1, "^\\z",
         "Tidewell: The station \"Nope\" is not in the system SAILMAIL. Its stations: Arlen Point, "},
        {{"--demo", "--system", "HAM", "--details", "QA0"}, 1, "^\\z",
         "Tidewell: The station \"QA0\" is not in the system HAM. Its stations: QA1PMB, QA4KXT"},
        {{"--position", "37\u00b044.50'N", "025\u00b040.20'W"}, 2, "^\\z",
         "--position goes with --best-list"},
        {{"--position", "97\u00b044.50'N", "025\u00b040.20'W", "--best-list"}, 1, headerOnly,
         "Tidewell: Unable for decode Latitude 97\u00b044.50'N\n"}};
    for (const auto& [arguments, exitCode, out, err] : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const auto run = RunTidewell(emptyDrive + arguments);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_TRUE(QRegularExpression(QLatin1String(out)).match(run.out).hasMatch())
            << run.out.toStdString();
        // A usage error gives its reason and where to read more.
        EXPECT_EQ(run.err.contains(QStringLiteral("\nSee tidewell --help")), exitCode == 2);
        EXPECT_FALSE(run.err.contains(QStringLiteral("Usage:")) || run.err.contains(QLatin1Char('?')))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(err)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(ini));
    }
}

// The printed list: the header's column names and the data rows' cells.
struct Listing {
    QStringList header;
    QVector<QStringList> rows;

    explicit Listing(const QString& out) {
        QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!lines.isEmpty()) header = lines.takeFirst().split(QLatin1Char('\t'));
        for (const QString& line : lines) rows << line.split(QLatin1Char('\t'));
    }
    QString Cell(const QStringList& row, const char* column) const {
        return row.value(header.indexOf(QLatin1String(column)));
    }

    // The stations in list order, one entry per block of equal Station cells.
    QStringList Blocks() const {
        QStringList blocks;
        for (const QStringList& row : rows)
            if (blocks.isEmpty() || blocks.last() != Cell(row, "Station"))
                blocks << Cell(row, "Station");
        return blocks;
    }

    // The highest checked frequency (kHz) of a station; 0 without a checked row.
    double BestCheckedFrequency(const QString& station) const {
        double best = 0.0;
        for (const QStringList& row : rows)
            if (Cell(row, "Station") == station && Cell(row, "Frequency").endsWith(" [x]"))
                best = std::max(best, Cell(row, "Frequency").chopped(4).remove("(p3)").toDouble());
        return best;
    }
};

// Every file below a folder, by its path in it, with its bytes.
std::map<QString, QByteArray> FilesBelow(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        files[file.fileName().mid(folder.size())] =
            file.open(QIODevice::ReadOnly) ? file.readAll() : "?";
    }
    return files;
}

// A demo stopped from outside while a propagation program runs (SIGTERM: a
// logout, `kill`; SIGINT: Ctrl+C; SIGQUIT: Ctrl+\; SIGHUP: the terminal
// closed, which hangs up twice) stops that program at once and removes its
// temporary drive.  A headless command then ends as the signal ends a
// program; the window closes as File > Exit closes it and the program ends
// normally, the simulated AirMail with it.
TEST(Headless, AStoppedDemoRemovesItsDrive) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto programRuns = [&] {
        return QDirIterator(dir.path(), {"sound.dat"}, QDir::Files, QDirIterator::Subdirectories)
            .hasNext();
    };
    // The command, the signal, how often it is sent.
    const std::tuple<QStringList, int, int> cases[] = {
        {{"--best-list"}, SIGTERM, 1}, {{"--best-time", "--long"}, SIGINT, 1}, {{}, SIGTERM, 1},
        {{"--best-list"}, SIGQUIT, 1}, {{"--best-list"}, SIGHUP, 2}, {{}, SIGHUP, 2}};
    for (const auto& [command, signal, times] : cases) {
        SCOPED_TRACE(command.join(' ').toStdString() + " signal " + std::to_string(signal));
        QProcess process;  // each propagation program runs until it is stopped
        process.setProcessEnvironment(TidewellEnvironment({{"QT_QPA_PLATFORM", "offscreen"},
                                                           {"TMPDIR", dir.path()},
                                                           {"ITSHF_STANDIN_SLEEP_MS", "600000"}}));
        process.start(QStringLiteral(TIDEWELL_EXE), QStringList{"--demo"} + command);
        for (int i = 0; i < 1200 && !programRuns(); ++i) ASSERT_FALSE(process.waitForFinished(50));
        QElapsedTimer stopping;
        stopping.start();
        // Sent again once the program has taken it (not pending in /proc/PID/status).
        const auto pending = [&] {
            QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
            quint64 bits = 0;
            const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
            for (const QByteArray& line : text.split('\n'))
                if (line.startsWith("SigPnd:") || line.startsWith("ShdPnd:"))
                    bits |= line.mid(7).trimmed().toULongLong(nullptr, 16);
            return (bits >> (signal - 1) & 1) != 0;
        };
        for (int i = 0; i < times && process.state() == QProcess::Running; ++i) {
            for (int wait = 0; i > 0 && wait < 400 && pending(); ++wait) process.waitForFinished(5);
            if (process.state() == QProcess::Running)
                ::kill(static_cast<pid_t>(process.processId()), signal);
        }
        ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(20000));
        EXPECT_LT(stopping.elapsed(), 4000);  // not at the program's time limit (5 s)
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                  command.isEmpty());
        EXPECT_EQ(QDir(dir.path()).entryList({"tidewell-*"}, QDir::Dirs), QStringList());
    }
}

TEST_F(DemoDrive, PrintSettingsShowsStoredValuesOverDefaults) {
    WriteFile(Profile(),
              "[station data]\r\n"
              "  top stations = 8 \r\n"
              "[Offset Data]\r\n"
              "Rows=3\r\n"
              "Row1=System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop\r\n"
              "Row2=HAM,QA1PMB,14108.0(p3) 7101.0,3,60,270,2200,0600\r\n"
              "Row3=SAILMAIL,QE7NMD,,-2\r\n");

    const ProcessRun run = Tidewell("--print-settings", "2026-06-06T12:00", "HAM");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(QStringLiteral("m_iStationTopStations=8"))) << run.out.toStdString();
    // The offset rows come last.
    EXPECT_EQ(lines.mid(lines.size() - 2),
              (QStringList{"OffsetRow=HAM,QA1PMB,14108.0(p3) 7101.0,3,60,270,2200,600",
                           "OffsetRow=SAILMAIL,QE7NMD,,-2,360,0,0,2400"}));
}

// A program folder its user cannot write (as C:\Program Files is for a user
// without administrator rights): the settings go to the per-user file, said
// once.  With a Tidewell.Ini beside the program that file starts as its copy;
// without one the defaults hold and no file is made ahead of time (an empty
// one stood in the way of every later save).  Run as "nobody" when the tests
// run as root, whose rights pass over a folder's permissions.
TEST(Headless, AProgramFolderThatCannotBeWrittenKeepsTheSettingsPerUser) {
    const bool root = ::geteuid() == 0;
    if (root && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "setpriv (util-linux) is needed to run the program without root's rights";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ExeOther |
                                          QFileDevice::ReadOther);
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString perUser = config + QStringLiteral("/tidewell/Tidewell.Ini");
    for (const bool beside : {false, true}) {
        SCOPED_TRACE(beside ? "a Tidewell.Ini beside the program" : "none beside the program");
        const QString folder = dir.filePath(beside ? QStringLiteral("with") : QStringLiteral("without"));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString exe = folder + QStringLiteral("/tidewell");
        ASSERT_TRUE(QFile::copy(QStringLiteral(TIDEWELL_EXE), exe));
        if (beside) WriteFile(folder + QStringLiteral("/Tidewell.Ini"), "[Station Data]\r\nTop Stations=7\r\n");
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
        QDir(config).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(config));
        QProcess chown;  // the per-user folder belongs to the user
        if (root) chown.start(QStringLiteral("chown"), {QStringLiteral("nobody"), config});
        ASSERT_TRUE(!root || (chown.waitForFinished() && chown.exitCode() == 0));

        for (const bool second : {false, true}) {
            QProcess process;
            process.setProcessEnvironment(TidewellEnvironment({{"XDG_CONFIG_HOME", config}, {"HOME", config}}));
            if (root)
                process.start(QStringLiteral("setpriv"), {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                                         exe, "--print-settings"});
            else
                process.start(exe, {"--print-settings"});
            ASSERT_TRUE(process.waitForFinished(60000));
            const QString out = QString::fromUtf8(process.readAllStandardOutput());
            const QString err = QString::fromUtf8(process.readAllStandardError());
            EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("\nm_sProfileFile=") + QFileInfo(perUser).absoluteFilePath() +
                                     QLatin1Char('\n')))
                << out.toStdString();
            EXPECT_EQ(out.contains(QStringLiteral("\nm_iStationTopStations=7\n")), beside);
            // Said at the start that takes the settings over; made only as a copy.
            EXPECT_EQ(err.contains(QStringLiteral("cannot be written, so the settings are kept in")),
                      !(beside && second))
                << err.toStdString();
            EXPECT_EQ(QFile::exists(perUser), beside);
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

// SAILMAIL (AirMail's last used system): the 4 stations selected in AirMail;
// HAM: none selected, the best 5 of the 20 nearest.  Without additional data
// only checked rows stay, ordered by SNR; with it every row keeps its cells.
TEST_F(DemoDrive, TheListHoldsTheTopStationsEachWithACheckedRow) {
    const QStringList longHeader{"Station", "Range",  "Azimuth", "Frequency", "LUF-MUF",
                                 "Layer",   "T Ang",  "Signal",  "Noise",     "Snr",
                                 "Slope",   "Stn Az", "Stn Ant", "Rel",       "Log"};
    // The system, the time, additional data shown, the stations listed.
    const std::tuple<const char*, const char*, bool, int> cases[] = {
        {"", "2026-06-06T02:00", false, 4}, {"HAM", "2026-06-06T14:00", false, 5},
        {"SAILMAIL", "2026-06-06T14:00", true, 4}, {"HAM", "2026-06-06T02:00", true, 5}};
    for (const auto& [system, utc, additional, stations] : cases) {
        SCOPED_TRACE(std::string(system) + " " + utc + (additional ? " additional" : ""));
        WriteFile(Profile(), additional ? "[Propagation Data]\r\nAdditional Data=True\r\n" : "");
        const ProcessRun run = Tidewell("--best-list", QLatin1String(utc), QLatin1String(system));
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const Listing listing(run.out);
        EXPECT_EQ(listing.header, additional ? longHeader : (QStringList{"Station", "Range", "Frequency", "Snr"}));
        EXPECT_EQ(listing.Blocks().size(), stations) << run.out.toStdString();
        QList<double> snrs;
        for (const QStringList& row : listing.rows) {
            SCOPED_TRACE(row.join(QLatin1Char('\t')).toStdString());
            ASSERT_EQ(row.size(), listing.header.size());
            for (const QString& cell : row.mid(0, longHeader.size() - 1))  // the Log aside
                EXPECT_FALSE(cell.trimmed().isEmpty());
            snrs << listing.Cell(row, "Snr").toDouble();
        }
        EXPECT_EQ(run.out.contains(QStringLiteral(" [ ]")), additional) << run.out.toStdString();
        EXPECT_TRUE(additional || std::is_sorted(snrs.rbegin(), snrs.rend()))
            << run.out.toStdString();
    }
}

// --position takes the typed position's way: both texts decoded as the
// position boxes decode them and written into Airmail.ini in their standard
// form with the clock's time.  The demo works on copies of the bundled
// drive and of the profile it is given, which it reads (3 top stations) but
// does not write; whatever AirMail folders the profile names (this AirMail on
// drive D:, or in a folder of this machine), the demo's AirMail is its own:
// this one stays byte for byte and its old position gives no age warning.
TEST_F(DemoDrive, APositionGivenIsWrittenAndTheDemoNeverTouchesTheUsersAirMail) {
    const QString airmail = DriveC() + QStringLiteral("/Program Files/AirMail");
    ASSERT_TRUE(QDir(Root()).mkdir("dosdevices") &&
                QFile::link(DriveC(), Root() + "/dosdevices/d:"));
    const auto before = FilesBelow(airmail);
    const auto bundled = FilesBelow(QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo"));
    const QStringList at{"--utc", "2026-06-07T09:30:15", "--system", "HAM"};
    const QStringList position{"--position", "10\u00b00.5'S", "150\u00b000.00'E", "--best-list"};
    for (const auto& [folder, command] :
         {std::pair{QStringLiteral("D:\\Program Files\\AirMail"), QStringList{"--best-list"}},
          std::pair{airmail, position}}) {
        SCOPED_TRACE(folder.toStdString());
        const QByteArray profile = "[AirMail Data]\r\nDirectory Data=" + folder.toUtf8() +
                                   "\r\nDirectory Program=" + folder.toUtf8() +
                                   "\r\n[Station Data]\r\nTop Stations=3\r\n";
        WriteFile(Profile(), profile);
        const ProcessRun run =
            RunTidewell(QStringList{"--demo", "--profile", Profile()} + command + at,
                        {{"TMPDIR", Root()}, {"WINEPREFIX", Root()}});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(Listing(run.out).Blocks().size(), 3) << run.out.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral("older than"))) << run.err.toStdString();
        EXPECT_EQ(FilesBelow(airmail), before);
        EXPECT_EQ(FilesBelow(Root()).at("/Tidewell.Ini"), profile);
    }
    EXPECT_EQ(FilesBelow(QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo")), bundled);

    const QStringList typed = QStringList{"--drive-c", DriveC(), "--profile", Profile()} + position;
    ASSERT_EQ(RunTidewell(typed + at).exitCode, 0);
    QByteArray written = before.at("/Airmail.ini");
    written.replace("Current Latitude=37\xb0" "44.50'N", "Current Latitude=10\xb0" "00.50'S")
        .replace("Current Longitude=025\xb0" "40.20'W", "Current Longitude=150\xb0" "00.00'E")
        .replace("Current Time=2024/05/14 18:32:00", "Current Time=2026/06/07 09:30:15");
    EXPECT_EQ(FilesBelow(airmail).at("/Airmail.ini"), written);

    // An empty Airmail.ini (that nothing writes: emptied an hour ago) takes
    // the position as any other.
    const std::filesystem::path ini = (airmail + QStringLiteral("/Airmail.ini")).toStdString();
    std::filesystem::resize_file(ini, 0);
    std::filesystem::last_write_time(ini, std::filesystem::last_write_time(ini) - std::chrono::hours(1));
    const ProcessRun run = RunTidewell(typed + at);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(FilesBelow(airmail).at("/Airmail.ini"),
              "[Position Report]\r\nCurrent Latitude=10\xb0" "00.50'S\r\n"
              "Current Longitude=150\xb0" "00.00'E\r\nCurrent Time=2026/06/07 09:30:15\r\n");
}

// The vessel is at 37.7N 25.7W.  QA1PMB (FN42, 2079 nmi) and QA6WDX (DM04,
// 4305 nmi) lie west: at 15:00 UTC it is midday at the paths' midpoints, at
// 03:00 UTC the middle of the night.  Both stations have Pactor 3 frequencies
// low and high in the band, which the default Pactor mode keeps.
TEST_F(DemoDrive, TheBestFrequencyOnALongPathIsHigherByDayThanAtNight) {
    Edit("System.HAM.ini", "Selected=\r\n", "Selected=QA1PMB,QA6WDX\r\n");
    const ProcessRun day = Tidewell("--best-list", "2026-12-06T15:00", "HAM");
    const ProcessRun night = Tidewell("--best-list", "2026-12-06T03:00", "HAM");
    ASSERT_EQ(day.exitCode, 0) << day.err.toStdString();
    ASSERT_EQ(night.exitCode, 0) << night.err.toStdString();
    for (const char* station : {"QA1PMB", "QA6WDX"}) {
        SCOPED_TRACE(std::string(station) + "\n" + day.out.toStdString() + night.out.toStdString());
        const double atNight = Listing(night.out).BestCheckedFrequency(QLatin1String(station));
        EXPECT_GT(atNight, 0.0);
        EXPECT_GT(Listing(day.out).BestCheckedFrequency(QLatin1String(station)), atNight);
    }
}

// Damaged inputs that every station needs end the list with one message
// naming the file and the problem (a station's own fault is walked with the
// combined runs below).  A propagation program that fails twice stops the
// build with one message (on the second attempt).  No half-built row stays.
TEST_F(DemoDrive, DamagedInputsAreToldAndTheRestIsBuilt) {
    Edit("System.HAM.ini", "Selected=\r\n", "Selected=QA1PMB,QA6WDX\r\n");
    // The profile, the stand-ins' switches, the line of standard error told once.
    const std::tuple<QByteArray, std::map<QString, QString>, const char*> cases[] = {
        {"[Propagation Data]\r\nModel=7\r\n", {}, "Tidewell: PropagationGet, Model 7 Not Supported. The Model key of"},
        {"", {{"ITSHF_STANDIN_FAIL", "exit1"}},
         "Tidewell: PropagationRec533, Shell do not finish. rec533w.exe ended with an error."}};
    for (const auto& [profile, environment, message] : cases) {
        SCOPED_TRACE(message);
        WriteFile(Profile(), profile);
        const ProcessRun run = Tidewell("--best-list", "2026-06-06T15:00", "HAM", environment);
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QString::fromUtf8(message)), 1) << run.err.toStdString();
        EXPECT_EQ(run.out, "Station\tRange\tFrequency\tSnr\n");
    }
}

// With VOACAP every station's circuits go into one run of the program; the
// list, the best connect time grid and every message are those of one run
// per station, also with a station whose locator cannot be read.  A list that
// shows the LUF (the additional data) runs each station alone, since a
// combined run's LUF is not the station's own.
TEST_F(DemoDrive, VoacapRunsAllStationsAtOnceWithTheSameResultsAndMessages) {
    Edit("System.HAM.ini", "Selected=\r\n", "Selected=QA4KXT,QA5RNV,QA6WDX,QA7HQF,QA1PMB\r\n");
    Edit("System.HAM.ini", "=FN42li:", "=FN4:");
    const QString log = m_dir.filePath(QStringLiteral("runs.log"));
    const auto run = [&](const char* command, bool combined, bool additional) {
        WriteFile(Profile(), QByteArray("[Propagation Data]\r\nModel=2\r\nCombined Runs=") +
                                 (combined ? "True" : "False") + "\r\nAdditional Data=" +
                                 (additional ? "True" : "False") + "\r\n");
        QFile::remove(log);
        const ProcessRun result =
            Tidewell(command, "2026-06-06T15:00", "HAM", {{"ITSHF_STANDIN_LOG", log}});
        QFile file(log);
        const int runs = file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : 0;
        return std::make_tuple(result.out, result.err + QString::number(result.exitCode), runs);
    };
    for (const auto& [command, additional] :
         {std::pair{"--best-list", false}, {"--best-time", false}, {"--best-list", true}}) {
        SCOPED_TRACE(command + std::string(additional ? " with additional data" : ""));
        const auto [out, err, runs] = run(command, true, additional);
        const auto [outAlone, errAlone, runsAlone] = run(command, false, additional);
        EXPECT_EQ(runs, additional ? runsAlone : 1);
        EXPECT_GE(runsAlone, 3);
        EXPECT_EQ(out, outAlone);
        EXPECT_EQ(err, errAlone);
        EXPECT_EQ(err.count(QStringLiteral("Unable to Convert Grid FN4")), 1) << err.toStdString();
    }
}

// Two Tidewells building lists on one drive at once (a timed job beside the
// open window), for different hours, with REC533 (a run per station): one at
// a time uses the run folder, and each list is the one its command builds
// alone, or the run says why it failed.  Every program run takes 20 ms, so
// that the two overlap.
TEST_F(DemoDrive, TwoTidewellsOnOneDriveEachBuildTheirOwnList) {
    const std::map<QString, QString> slow{{"ITSHF_STANDIN_SLEEP_MS", "20"}};
    const char* const times[] = {"2026-06-06T02:00", "2026-06-06T14:00"};
    QProcess both[2];
    for (int i = 0; i < 2; ++i) {
        both[i].setProcessEnvironment(TidewellEnvironment(slow));
        both[i].start(QStringLiteral(TIDEWELL_EXE), {"--best-list", "--drive-c", DriveC(), "--profile", Profile(),
                                                     "--utc", QLatin1String(times[i]), "--system", "HAM"});
    }
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(both[i].waitForFinished(60000));
        const QString out = QString::fromUtf8(both[i].readAllStandardOutput());
        const QString err = QString::fromUtf8(both[i].readAllStandardError());
        const ProcessRun alone = Tidewell("--best-list", QLatin1String(times[i]), "HAM", slow);
        ASSERT_EQ(alone.exitCode, 0) << alone.err.toStdString();
        EXPECT_TRUE(both[i].exitCode() == 0 ? out == alone.out : err.contains(QStringLiteral("Another Tidewell")))
            << times[i] << "\n" << out.toStdString() << err.toStdString();
    }
}

TEST_F(DemoDrive, AirMailReportNamesFoldersSystemsPositionAndStations) {
    // Station, name, locator, latitude, longitude, range.
    const QRegularExpression station(QStringLiteral(
        "^(\\S+)\\t[^\\t]+\\t\\w+\\t-?\\d{1,3}\\.\\d{4}\\t-?\\d{1,3}\\.\\d{4}\\t\\d+$"));
    Edit("System.SAILMAIL.ini", "QWA4471,\r\n", "QWA4471,QXX0000\r\n");  // unknown to AirMail
    for (const QString system : {"", "HAM"}) {
        SCOPED_TRACE(system.toStdString());
        const ProcessRun run = Tidewell("--airmail-report", "2026-06-06T15:00", system);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        // A station without records is listed bare, and not told of.
        EXPECT_FALSE(run.err.contains(QStringLiteral("QXX0000"))) << run.err.toStdString();
        QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (system.isEmpty()) {
            EXPECT_EQ(lines.takeLast(), "QXX0000\tQXX0000\t\t\t\t");
        }
        // AirMail's current position report is the first source.
        EXPECT_EQ(
            lines.mid(0, 7),
            (QStringList{"Data folder: C:\\Program Files\\AirMail",
                         "Program folder: C:\\Program Files\\AirMail", "Systems: HAM, SAILMAIL",
                         "System: " + (system.isEmpty() ? "SAILMAIL" : system),
                         "Position: 37\u00b044.50'N 025\u00b040.20'W (Position Report Current)",
                         "Sunspot number: 95", "Stations"}));
        QStringList stations;
        for (const QString& line : lines.mid(7)) {
            const QRegularExpressionMatch match = station.match(line);
            ASSERT_TRUE(match.hasMatch()) << line.toStdString();
            stations << match.captured(1);
        }
        // SAILMAIL: the stations selected in AirMail, in their order, with
        // their names; nothing selected in HAM: the 20 nearest.
        EXPECT_EQ(stations.size(), system.isEmpty() ? 4 : 20);
        if (system.isEmpty()) {
            EXPECT_EQ(stations, (QStringList{"QAA9920", "QGX1739", "QBZ3504", "QWA4471"}));
            EXPECT_EQ(lines.value(7), "QAA9920\tCaldera Mole\tHM58QM\t38.5130\t-28.6319\t147");
        }
    }
}


// The demo's log over two days, a connection across midnight among them: the
// report as the window shows it, an empty line, the stations by count and name.
TEST_F(DemoDrive, HistoryOfTwoDaysOfTheDemoLog) {
    const ProcessRun run = RunTidewell({"--history", "--from", "2026-05-20", "--to", "2026-05-21",
                                        "--drive-c", DriveC(), "--profile", Profile()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              "Time:               05/20/26 to 05/21/26\n"
              "Records:        4, Tries/Day 2.0, Connects/Day 1.5\n"
              "Connected:    3 (75%), Connected 8:51, Last 05/21/26\n"
              "Stopped         1 (25%), Last 05/21/26\n"
              "\n"
              "Station\tRecords\tPercent\nQAA9920\t1\t33%\nQG4LND\t1\t33%\nQWA4471\t1\t33%\n");
}

// The views as printed grids, at 15 UTC.  One station's day: QA1PMB (FN42,
// west of the vessel) of HAM with its frequencies listed out of order, and a
// SAILMAIL station by its display name; the detailed view at an hour; the best
// connect time long (a row per station with its range) and short (one "Snr"
// row, the range column hidden).
TEST_F(DemoDrive, ViewsPrintTheirGrids) {
    Edit("System.HAM.ini", "QA1PMB=7070#,10145.5,14112.5,21110#,24925.5,28118#",
         "QA1PMB=28118#,7070#;14112.5,10145.5,24925.5,21110#");
    const auto view = [this](const QStringList& command, const char* system) {
        const ProcessRun shown = Tidewell(command, "2026-06-06T15:00", system);
        EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
        return Listing(shown.out);
    };
    const Listing listing = view({"--hours", "QA1PMB"}, "HAM");
    EXPECT_EQ(listing.header.mid(0, 2) + listing.header.mid(24),
              (QStringList{"Frequency", "00", "23"}));
    QStringList column;
    for (const QStringList& row : listing.rows) {
        EXPECT_EQ(row.size(), 25);
        column << row.value(0);
    }
    EXPECT_EQ(column.join(" "), "7070.0(p3) 10145.5 14112.5 21110.0(p3) 24925.5 28118.0(p3)");
    EXPECT_EQ(view({"--hours", "Arlen Point"}, "SAILMAIL").rows.size(), 6);
    // The same day as reliabilities: whole percentages, at least even odds
    // where the SNR passes the 40 dB a link needs.
    const Listing reliability = view({"--hours", "QA1PMB", "--rel"}, "HAM");
    ASSERT_EQ(reliability.rows.size(), listing.rows.size());
    for (int i = 0; i < listing.rows.size(); ++i) {
        for (int c = 1; c <= 24; ++c) {
            bool whole = false;
            const int rel = reliability.rows[i].value(c).toInt(&whole);
            EXPECT_TRUE(whole && rel >= 0 && rel <= 100) << reliability.rows[i].value(c).toStdString();
            if (listing.rows[i].value(c).toInt() > 40) {
                EXPECT_GE(rel, 50);
            }
        }
    }

    // The detailed view at 07 UTC: the same frequencies with the 07 column's
    // SNR, one of them checked.
    const Listing detailed = view({"--details", "QA1PMB", "--hour", "7"}, "HAM");
    ASSERT_EQ(detailed.rows.size(), listing.rows.size());
    int checked = 0;
    for (int i = 0; i < listing.rows.size(); ++i) {
        const QString frequency = detailed.Cell(detailed.rows[i], "Frequency");
        EXPECT_EQ(frequency.chopped(4), listing.rows[i][0]);
        EXPECT_EQ(detailed.Cell(detailed.rows[i], "Snr"), listing.Cell(listing.rows[i], "07"));
        checked += frequency.endsWith(" [x]");
    }
    EXPECT_EQ(checked, 1);

    const Listing byStation = view({"--best-time", "--long"}, "SAILMAIL");
    EXPECT_EQ(byStation.header.mid(0, 3) + byStation.header.mid(25),
              (QStringList{"Station", "Range", "00", "23"}));
    EXPECT_GE(byStation.rows.size(), 2);
    const Listing folded = view({"--best-time"}, "SAILMAIL");
    EXPECT_EQ(folded.header.size(), 25);
    ASSERT_EQ(folded.rows.size(), 1);
    EXPECT_EQ(folded.rows[0].value(0), "Snr");
    EXPECT_EQ(view({"--best-time", "--rel"}, "SAILMAIL").rows.value(0).value(0), "Rel");

    // A display name two stations share names no station: the identifiers do.
    Edit("System.SAILMAIL.ini", "QKB2208=EL95VS:Palmetto Key", "QKB2208=EL95VS:arlen point");
    const ProcessRun shared = Tidewell({"--hours", "Arlen Point"}, "2026-06-06T15:00", "SAILMAIL");
    EXPECT_EQ(std::pair(shared.exitCode, shared.out), std::pair(1, QString()));
    EXPECT_EQ(shared.err, "Tidewell: The name \"Arlen Point\" is not unique in the system SAILMAIL. "
                          "Give one of its stations' identifiers: QWA4471, QKB2208\n");
    EXPECT_EQ(view({"--hours", "qkb2208"}, "SAILMAIL").rows.size(), 5);
}

// The user's own calls in AirMail's Debug.log reach the list: the Log column
// of the row called counts its calls near the list's time of day (one across
// midnight) within the 60 days of history, and no other row shows any.  With
// "History Ranking" the stations follow their best checked row's chance of a
// connection, (4 Rel / 100 + c) / (4 + n), ties by SNR.  The demo's log ends
// the day before the demo's date, whatever that is.  (Which log lines make a
// counted call: CallLogTest.)
TEST_F(DemoDrive, TheLogColumnCountsTheCallsOfTheLogAndRanksByThem) {
    const QByteArray every = "[Propagation Data]\r\nAdditional Data=True\r\n[Station Data]\r\nTop Stations=40\r\n"
                             "Top Frequencies=20\r\n";
    WriteFile(Profile(), every);
    const Listing plain(Tidewell("--best-list", "2026-06-06T00:20", "HAM").out);
    ASSERT_GE(plain.rows.size(), 40);
    const QByteArray station = plain.Cell(plain.rows[0], "Station").toLatin1();
    const QByteArray kHz = plain.Cell(plain.rows[0], "Frequency").chopped(4).remove("(p3)").toLatin1();
    // Days before June 6, time, outcome, dated only on a new day: counted
    // seven unanswered (the first on the 60 days' first day) and one
    // connected across midnight; not one 61 days ago, one before the 60
    // days' first minute, one 100 minutes off.
    const std::tuple<int, const char*, const char*> calls[] = {
        {61, "00:20:00", "Connected to "},  {60, "00:10:00", "No answer from "}, {60, "00:30:00", "No answer from "},
        {7, "00:20:00", "No answer from "}, {6, "00:20:00", "No answer from "},  {5, "00:20:00", "No answer from "},
        {4, "00:20:00", "No answer from "}, {3, "00:20:00", "No answer from "},  {3, "02:00:00", "Connected to "},
        {2, "00:20:00", "No answer from "}, {2, "23:40:00", "Connected to "}};
    QByteArray log, date;
    for (const auto& [days, time, outcome] : calls) {
        const QByteArray day = QDate(2026, 6, 6).addDays(-days).toString("yyyy/MM/dd ").toLatin1();
        log += (day == date ? QByteArray() : day) + time + " Calling " + station + " on " + kHz + " kHz\r\n" +
               time + " " + outcome + station + "\r\n";
        date = day;
    }
    WriteFile(DriveC() + QStringLiteral("/Program Files/AirMail/Logfiles/Debug.log"), log);
    const Listing listing(Tidewell("--best-list", "2026-06-06T00:20", "HAM").out);
    ASSERT_EQ(listing.rows.size(), plain.rows.size());
    for (int i = 0; i < listing.rows.size(); ++i)
        EXPECT_EQ(listing.Cell(listing.rows[i], "Log"), i == 0 ? "1/8" : "") << i;

    WriteFile(Profile(), every + "History Ranking=True\r\n");
    const Listing ranked(Tidewell("--best-list", "2026-06-06T00:20", "HAM").out);
    std::vector<std::pair<double, double>> blocks;  // each station's best chance and the SNR of that row
    for (int i = 0; i < ranked.rows.size(); ++i) {
        const QStringList& cells = ranked.rows[i];
        if (i == 0 || ranked.Cell(cells, "Station") != ranked.Cell(ranked.rows[i - 1], "Station")) blocks.push_back({-1, -1000});
        const QString rel = ranked.Cell(cells, "Rel"), record = ranked.Cell(cells, "Log");
        const double chance = (4 * (rel.isEmpty() ? 0.5 : rel.toDouble() / 100) + record.section('/', 0, 0).toInt()) /
                              (4 + record.section('/', 1, 1).toInt());
        if (ranked.Cell(cells, "Frequency").endsWith(" [x]"))
            blocks.back() = std::max(blocks.back(), std::pair(std::round(chance * 1e9) / 1e9, ranked.Cell(cells, "Snr").toDouble()));
    }
    EXPECT_TRUE(std::is_sorted(blocks.rbegin(), blocks.rend()));
    EXPECT_NE(ranked.Blocks().first(), station);

    const auto demo = [](const char* at) {
        return RunTidewell({"--demo", "--utc", at, "--hours", "QAA9920", "--log"}).out.toStdString();
    };
    EXPECT_NE(demo("2026-06-06T06:20").find("\t1/6\t"), std::string::npos);
    EXPECT_EQ(demo("2027-03-01T06:20"), demo("2026-06-06T06:20"));
}

}  // namespace

// The demo's station directory against its HAM system file: the differences
// made on purpose and nothing else; the beam list from the vessel off the
// Azores.
TEST_F(DemoDrive, HamCheckAndBeamListOfTheDemoDirectory) {
    const ProcessRun check = Tidewell("--ham-check", "2026-06-06T12:00", "HAM");
    ASSERT_EQ(check.exitCode, 0) << check.err.toStdString();
    EXPECT_EQ(check.out,
              "Station\tTx Rc\tFrequency\n"
              "QA7HQF\t2\t10138.5\n"
              "QL7ANC\t1\t14108.0, 14095.0(p3), 18106.0, 24925.5(p3)\n"
              "QO5PPT\t1\t10145.5(p3), 18106.0, 24925.5\n"
              "\n"
              "Station\tTx Rc\tFrequency\n"
              "QA7HQF\t2\t10139.5\n"
              "QB2NEW\t1\t7103.0\n"
              "QB2NEW\t2\t14108.0(p3), 21098.0\n"
              "QL7ANC\t1\t14108.0, 14095.0(p3), 18106.0\n");

    const ProcessRun beams = Tidewell("--beam-list", "2026-06-06T12:00", "HAM");
    ASSERT_EQ(beams.exitCode, 0) << beams.err.toStdString();
    const QStringList lines = beams.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14) << beams.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Station\tRange\tBearing To\tBearing From"));
    EXPECT_EQ(lines[1], QStringLiteral("QG4LND\t1357\t44\t243"));

    // Without the directory both commands fail and say why.
    QFile::remove(DriveC() + QStringLiteral("/Program Files/AirMail/FreqList.rtf"));
    for (const char* command : {"--ham-check", "--beam-list"}) {
        const ProcessRun run = Tidewell(command, "2026-06-06T12:00", "HAM");
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_TRUE(run.err.contains(QStringLiteral("Unable to open AirMail's \"FreqList.rtf\" file.")))
            << run.err.toStdString();
    }
}
