#pragma once
// Where "Tidewell.Ini" lives.  Beside the executable, where that folder can be
// written; where it cannot (a program folder under C:\Program Files for a user
// without administrator rights), in a per-user file, which starts the first
// time as a copy of the file beside the executable when there is one.

#include <QString>

namespace tw {

enum class ProfilePlace { BesideProgram, PerUser };

struct ProfileChoice {
    ProfilePlace place = ProfilePlace::BesideProgram;
    // The per-user file is made now from the one beside the executable.
    bool copyFromBeside = false;
    // The settings move to the per-user file with this start: say so, once.
    bool tell = false;

    bool operator==(const ProfileChoice&) const = default;
};

// The choice from what the start finds: can the executable's folder be
// written, is there a Tidewell.Ini beside the executable, is there one in
// the per-user folder.
ProfileChoice ProfileChoosePlace(bool folderWritable, bool besideExists, bool perUserExists);

// What the user is told when the settings move to the per-user file.
QString ProfilePlaceNotice(const QString& programFolder, const QString& perUserFile);

}  // namespace tw
