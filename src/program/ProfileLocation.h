#pragma once
// Finds the settings file of a run started without --profile: beside the
// executable where its folder can be written, else the per-user file
// (settings/ProfilePlace.h decides), which is made here the first time.

#include <QString>

namespace tw {

struct ProfileLocation {
    QString file;    // the full path, with the system's separators
    QString notice;  // where the settings now live, the first time they move; else empty
};

// The per-user folder: %APPDATA%\Tidewell on Windows, else
// $XDG_CONFIG_HOME/tidewell (~/.config/tidewell).
QString PerUserSettingsFolder();

ProfileLocation ProfileLocate(const QString& programFolder, const QString& perUserFolder);

}  // namespace tw
