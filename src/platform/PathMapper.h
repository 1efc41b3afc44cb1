#pragma once
// Maps the Windows paths the program is written in ("C:\Program Files\AirMail")
// to paths of the machine it runs on.  On Windows this is the identity.
// Elsewhere a drive letter maps to a folder (C: to $WINEPREFIX/drive_c, else
// ~/.wine/drive_c, unless overridden), backslashes become separators, and each
// path component that does not exist as written is matched without regard to
// letter case.  Paths that are already native (starting with "/") keep their
// form but still get the case-insensitive component match.

#include <map>
#include <string>

namespace tw::platform {

class PathMapper {
public:
    // The default mapping for this machine (environment: WINEPREFIX, HOME).
    PathMapper();

    // Map drive letter (any case) to a native folder.
    void SetDrive(char letter, const std::string& folder);
    std::string DriveFolder(char letter) const;

    // The native path for a Windows (or native) path.
    std::string ToNative(const std::string& path) const;

private:
    std::map<char, std::string> m_drives;
};

}  // namespace tw::platform
