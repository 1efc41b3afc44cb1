#include "program/Demo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "common/ProfileAccess.h"
#include "platform/PathMapper.h"
#include "platform/Profile.h"
#include "settings/Settings.h"

namespace tw {

namespace {

QString FirstExisting(const QStringList& candidates) {
    for (const QString& c : candidates)
        if (!c.isEmpty() && QFileInfo(c).isDir()) return QDir(c).absolutePath();
    return {};
}

bool CopyTree(const QString& from, const QString& to, QString& error) {
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) {
                error = QStringLiteral("cannot create %1").arg(target);
                return false;
            }
        } else if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target) ||
                   !QFile::setPermissions(target, QFile::permissions(source) | QFile::WriteOwner)) {
            error = QStringLiteral("cannot copy %1 to %2").arg(source, target);
            return false;
        }
    }
    return true;
}

// The demo's AirMail log moved by whole days so that its last day is the day
// before `today`: its calls are those of the last weeks, as a user's are, so
// the Log column and the 24-hour view's Log have something to show whatever
// the date.  Only the dates of the dated lines change.
bool MoveDemoLog(const QString& path, QDate today, QString& error) {
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    const auto dateOf = [](const QByteArray& line) {
        return line.size() > 10 && line[4] == '/' && line[7] == '/'
                   ? QDate::fromString(QString::fromLatin1(line.left(10)), QStringLiteral("yyyy/MM/dd"))
                   : QDate();
    };
    QDate last;
    for (const QByteArray& line : lines)
        if (const QDate date = dateOf(line); date.isValid()) last = date;
    const qint64 days = last.isValid() ? last.daysTo(today.addDays(-1)) : 0;
    if (days == 0) return true;
    for (QByteArray& line : lines)
        if (const QDate date = dateOf(line); date.isValid())
            line.replace(0, 10, date.addDays(days).toString(QStringLiteral("yyyy/MM/dd")).toLatin1());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(lines.join('\n')) < 0) {
        error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

}  // namespace

DemoDrive::~DemoDrive() {
    if (!folder || !folder->isValid()) return;
    const QString path = folder->path();
    for (int i = 0; i < 40 && !QDir(path).removeRecursively(); ++i) QThread::msleep(50);
}

QString DemoDataFolder(const QString& programFolder) {
    return FirstExisting({programFolder + QStringLiteral("/demo"),
#ifdef TIDEWELL_DEMO_DATA
                          QStringLiteral(TIDEWELL_DEMO_DATA),
#endif
                          programFolder + QStringLiteral("/../share/tidewell/demo")});
}

QString DemoProgramsFolder(const QString& programFolder) {
    return FirstExisting({programFolder + QStringLiteral("/demo-bin/itshfbc/bin_win"),
#ifdef TIDEWELL_DEMO_PROGRAMS
                          QStringLiteral(TIDEWELL_DEMO_PROGRAMS),
#endif
                          programFolder + QStringLiteral("/../demo-bin/itshfbc/bin_win")});
}

bool PrepareDemoDrive(const QString& dataFolder, const QString& programsFolder,
                      const QDateTime& nowUtc, DemoDrive& drive, QString& error,
                      const QString& userProfile) {
    if (dataFolder.isEmpty() || !QFileInfo(dataFolder + QStringLiteral("/drive_c")).isDir()) {
        error = QStringLiteral("the bundled demo data was not found");
        return false;
    }
    drive.folder = std::make_unique<QTemporaryDir>();
    if (!drive.folder->isValid()) {
        error = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    const QString root = drive.folder->path();
    if (!CopyTree(dataFolder, root, error)) return false;
    drive.driveC = root + QStringLiteral("/drive_c");
    drive.profileFile = root + QStringLiteral("/Tidewell.Ini");
    if (!userProfile.isEmpty() && QFileInfo::exists(userProfile) &&
        (!QFile::copy(userProfile, drive.profileFile) ||
         !QFile::setPermissions(drive.profileFile,
                                QFile::permissions(drive.profileFile) | QFile::WriteOwner))) {
        error = QStringLiteral("cannot copy the profile %1").arg(userProfile);
        return false;
    }
    // AirMail is the demo's copy, whatever folders the user's profile names
    // (another drive, a folder of this machine): the user's AirMail is never
    // read or written.  The profile is a file of this machine, mapped by no drive.
    const Settings defaults;
    {
        const platform::PathMapper own;
        const auto files = platform::MakeProfileFiles(own);
        ProfileAccess profile(*files);
        const QString section = QStringLiteral("AirMail Data");
        if (!profile.Write(
                QDir::toNativeSeparators(drive.profileFile),
                {{section, QStringLiteral("Directory Data"), defaults.m_sAirMailDirectoryData},
                 {section, QStringLiteral("Directory Program"),
                  defaults.m_sAirMailDirectoryProgram}})) {
            error = QStringLiteral("cannot write the demo's profile: %1")
                        .arg(SystemErrorText(profile.LastError()));
            return false;
        }
    }

    // The stand-in propagation programs, under the names Tidewell runs.
    const QString binWin = drive.driveC + QStringLiteral("/itshfbc/bin_win");
    QDir().mkpath(binWin);
    QDir().mkpath(drive.driveC + QStringLiteral("/itshfbc/RUN"));
    for (const char* name : {"icepacw.exe", "voacapw.exe", "rec533w.exe"}) {
        const QString source = programsFolder + QLatin1Char('/') + QString::fromLatin1(name);
        const QString target = binWin + QLatin1Char('/') + QString::fromLatin1(name);
        if (programsFolder.isEmpty() || !QFile::copy(source, target)) {
            error = QStringLiteral("the stand-in propagation program %1 was not found").arg(source);
            return false;
        }
    }

    // A fresh position report, so the demo does not start with an age warning.
    platform::PathMapper paths;
    paths.SetDrive('C', drive.driveC.toStdString());
    const auto files = platform::MakeProfileFiles(paths);
    ProfileAccess profile(*files);
    if (!profile.Write(defaults.m_sAirMailDirectoryData + QStringLiteral("\\Airmail.ini"),
                       QStringLiteral("Position Report"), QStringLiteral("Current Time"),
                       nowUtc.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")))) {
        error = QStringLiteral("cannot write the demo position report: %1")
                    .arg(SystemErrorText(profile.LastError()));
        return false;
    }
    return MoveDemoLog(drive.driveC + QStringLiteral("/Program Files/AirMail/Logfiles/Debug.log"),
                       nowUtc.date(), error);
}

}  // namespace tw
