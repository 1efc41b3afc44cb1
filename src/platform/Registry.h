#pragma once
// The user's registry (HKEY_CURRENT_USER), read only, for string values.
//
// On Windows this is the system registry.  Elsewhere AirMail runs under Wine,
// which keeps the user's registry in the text file "user.reg" in the folder
// above the C: drive folder (the Wine prefix); the POSIX backend reads that
// file.  A missing file, key or value reads as "not found".

#include <memory>
#include <string>

namespace tw::platform {

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // The string value `valueName` of the key `keyPath` under HKEY_CURRENT_USER
    // ("Software\Sirius Cybernetics\AirMail\Installation", "Install Folder").
    // Key and value names match without regard to letter case.  The value is
    // returned in the Windows ANSI code page (1252), without its terminating
    // NUL.  False (and `value` cleared) when the key or value is missing, the
    // value is not a string, or it does not fit a 256-byte buffer (255
    // characters and the NUL), as a query into such a buffer fails.
    virtual bool QueryString(const std::string& keyPath, const std::string& valueName,
                             std::string& value) = 0;
};

// The size of the buffer a value is read into, its terminating NUL included.
inline constexpr std::size_t kRegistryValueBuffer = 256;

class PathMapper;

// The backend of this operating system.  The POSIX backend finds "user.reg"
// through the mapper's C: drive at each query, so the mapper must outlive it.
std::unique_ptr<IRegistry> MakeRegistry(const PathMapper& mapper);

// Wine's registry file text: the string value of `valueName` under the key
// `keyPath` (relative to the file's root, for user.reg HKEY_CURRENT_USER).
// Used by the POSIX backend (built there only); UTF-8 text in, code page
// 1252 bytes out.
bool WineRegistryFindString(const std::string& fileText, const std::string& keyPath,
                            const std::string& valueName, std::string& value);

}  // namespace tw::platform
