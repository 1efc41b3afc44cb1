#include "settings/ProfilePlace.h"

namespace tw {

ProfileChoice ProfileChoosePlace(bool folderWritable, bool besideExists, bool perUserExists) {
    if (folderWritable) return {};
    // A per-user file made before holds the settings of the later starts;
    // the file beside the executable is no longer read then.
    if (perUserExists) return {ProfilePlace::PerUser, false, false};
    return {ProfilePlace::PerUser, besideExists, true};
}

QString ProfilePlaceNotice(const QString& programFolder, const QString& perUserFile) {
    return QStringLiteral("The folder ") + programFolder +
           QStringLiteral(" cannot be written, so the settings are kept in ") + perUserFile +
           QStringLiteral(" from now on.");
}

}  // namespace tw
