#pragma once
// Maps the Windows paths the program is written in ("C:\Program Files\AirMail")
// to paths of the machine it runs on.  On Windows only a drive that was set
// maps (`--drive-c`, the demo's drive: "C:\x" becomes "FOLDER\x", separators
// "\", doubled ones one); every other path stays as written, for the system
// to find.  Elsewhere a drive letter maps to a folder (C: to $WINEPREFIX/drive_c, else
// ~/.wine/drive_c, unless overridden; other letters to the prefix's
// "dosdevices/x:" links), backslashes become separators, doubled separators
// become one, and each path component that does not exist as written is
// matched without regard to letter case.  Paths that are already native
// (starting with "/") keep their form but still get the component match.
// Paths kept as written (the program's own profile) never map.

#include <map>
#include <string>
#include <vector>

namespace tw::platform {

class PathMapper {
public:
    // The default mapping for this machine (environment: WINEPREFIX, HOME).
    PathMapper();

    // Map drive letter (any case) to a native folder (`--drive-c DIR`).
    void SetDrive(char letter, const std::string& folder);
    // The native folder of a drive letter: the one set, else the default.
    std::string DriveFolder(char letter) const;
    // A file of this machine that stays as written whatever drive it names:
    // the program's own profile, which a drive set for AirMail's files (the
    // demo's C:, where the temporary folder usually is too) must not take
    // along.  Compared with "\\" and "/" alike, on Windows without regard to case.
    void KeepAsWritten(const std::string& path);

    // The native path for a Windows (or native) path.  A component is matched
    // without regard to case only when the exact name is absent and exactly
    // one entry of its folder matches; otherwise, and for every component
    // after the first one that does not exist, the written name stays (so a
    // file about to be created gets the name the program gives it).
    std::string ToNative(const std::string& path) const;

private:
    std::map<char, std::string> m_drives;
    std::vector<std::string> m_kept;  // as KeptKey gives them
    std::string m_winePrefix;  // where the default drive folders live (not on Windows)
};

}  // namespace tw::platform
