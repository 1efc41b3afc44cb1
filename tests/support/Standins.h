#pragma once
// Installs the ITS HF stand-in programs (built into the demo's bin folder) in
// "itshfbc\bin_win" of a drive C: folder, with an empty "itshfbc\RUN".

#include <QDir>
#include <QFile>
#include <QString>

namespace tw::test {

// Empty on success, else what went wrong.
inline QString InstallStandins(const QString& driveC) {
    const QString from = QStringLiteral(TIDEWELL_BINARY_DIR "/demo-bin/itshfbc/bin_win/");
    const QString binWin = driveC + QStringLiteral("/itshfbc/bin_win/");
    if (!QDir().mkpath(binWin) || !QDir().mkpath(driveC + QStringLiteral("/itshfbc/RUN")))
        return QStringLiteral("cannot make the itshfbc folders");
    for (const char* name : {"icepacw.exe", "voacapw.exe", "rec533w.exe"}) {
        if (!QFile::copy(from + QLatin1String(name), binWin + QLatin1String(name)))
            return QStringLiteral("stand-in missing in ") + from;
        QFile::setPermissions(binWin + QLatin1String(name),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return {};
}

}  // namespace tw::test
