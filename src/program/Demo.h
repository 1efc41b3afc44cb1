#pragma once
// The demo: a copy of the bundled AirMail drive in a temporary folder, with the
// stand-in propagation programs installed, the position report stamped with
// the current time and AirMail's log moved to end the day before, so that
// Tidewell runs on it as on a real install.
// The bundled files are never touched.

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace tw {

struct DemoDrive {
    // Removes the drive.  A program the demo ran can hold on to a file or its
    // working folder for a moment after it has ended (on Windows such a folder
    // cannot be removed yet), so the removal is tried again for a while.
    ~DemoDrive();

    std::unique_ptr<QTemporaryDir> folder;  // removed with the drive
    QString driveC;                          // the folder that stands for C:
    QString profileFile;                     // Tidewell.Ini of the demo
};

// The bundled demo data ("drive_c" and "user.reg") and the folder holding the
// stand-in programs, looked up beside the executable first, then in the
// source and build trees this executable was built from.
QString DemoDataFolder(const QString& programFolder);
QString DemoProgramsFolder(const QString& programFolder);

// Builds the demo drive; false with a reason in `error`.  A `userProfile`
// that exists (--profile with --demo) is copied to be the demo's profile, so
// the demo runs with the user's settings and never writes the user's file;
// without one the demo starts from the defaults.  Either way the profile names
// the copy's AirMail folders, so the user's AirMail is never touched.
bool PrepareDemoDrive(const QString& dataFolder, const QString& programsFolder,
                      const QDateTime& nowUtc, DemoDrive& drive, QString& error,
                      const QString& userProfile = QString());

}  // namespace tw
