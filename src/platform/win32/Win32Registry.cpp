// The user's registry on Windows: HKEY_CURRENT_USER through the ANSI calls.

#include "platform/win32/Win32Api.h"

#include "platform/PathMapper.h"
#include "platform/Registry.h"

namespace tw::platform {

namespace {

// Query value, enumerate subkeys, notify: what reading one value needs.
constexpr REGSAM kReadAccess = 25;

class Win32Registry final : public IRegistry {
public:
    bool QueryString(const std::string& keyPath, const std::string& valueName,
                     std::string& value) override {
        value.clear();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, kReadAccess, &key) !=
            ERROR_SUCCESS)
            return false;
        char buffer[kRegistryValueBuffer] = {};
        DWORD size = sizeof buffer;
        DWORD type = 0;
        const LONG rc = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
        // The size counts the terminating NUL when the value was stored with
        // one; the text ends at the first NUL either way.
        std::size_t length = 0;
        while (length < size && length < sizeof buffer && buffer[length] != '\0') ++length;
        value.assign(buffer, length);
        return true;
    }
};

}  // namespace

std::unique_ptr<IRegistry> MakeRegistry(const PathMapper&) {
    return std::make_unique<Win32Registry>();
}

}  // namespace tw::platform
