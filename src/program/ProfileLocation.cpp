#include "program/ProfileLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "settings/ProfilePlace.h"
#include "settings/SettingsProfile.h"

namespace tw {

namespace {

// Whether a file can be made in the folder: the folder's permission bits
// and attributes do not tell on Windows, where rights come from its access
// list.
bool FolderWritable(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("Tidewell.XXXXXX.tmp")));
    return probe.open();
}

}  // namespace

QString PerUserSettingsFolder() {
#ifdef Q_OS_WIN
    const QString base = qEnvironmentVariable("APPDATA");
    if (!base.isEmpty()) return QDir::toNativeSeparators(QDir(base).filePath(QStringLiteral("Tidewell")));
    return QDir::toNativeSeparators(QDir::home().filePath(QStringLiteral("AppData/Roaming/Tidewell")));
#else
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(base).filePath(QStringLiteral("tidewell"));
#endif
}

ProfileLocation ProfileLocate(const QString& programFolder, const QString& perUserFolder) {
    const QString name = QLatin1String(kProfileFileName);
    const QString beside = QDir(programFolder).filePath(name);
    const QString perUser = QDir(perUserFolder).filePath(name);
    const ProfileChoice choice = ProfileChoosePlace(FolderWritable(programFolder), QFileInfo(beside).isFile(),
                                                    QFileInfo(perUser).isFile());
    if (choice.place == ProfilePlace::BesideProgram) return {};  // the settings' own default

    // The copy of the file beside the executable is made now, so that its
    // settings are this start's.  Without one the defaults hold and the
    // file is made by the save at exit: no empty file is made ahead of time
    // (the move is then told again at the next start, until a save made it).
    // A file that cannot be made is told by the save, as a folder without
    // rights is.
    QDir().mkpath(perUserFolder);
    if (choice.copyFromBeside && QFile::copy(beside, perUser)) {
        // A copy keeps the original's read-only mark, which would refuse the saves.
        QFile::setPermissions(perUser, QFile::permissions(perUser) | QFile::WriteOwner);
    }
    ProfileLocation location;
    location.file = QDir::toNativeSeparators(QFileInfo(perUser).absoluteFilePath());
    if (choice.tell)
        location.notice = ProfilePlaceNotice(QDir::toNativeSeparators(programFolder), location.file);
    return location;
}

}  // namespace tw
