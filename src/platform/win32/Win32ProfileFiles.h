#pragma once
// Profile files on Windows, written against the Win32 file API rather than
// the profile functions themselves, so that a write keeps every other byte
// of the file and replaces it atomically (a temporary file beside it, flushed,
// then moved over it).  Error codes are GetLastError values.

#include "platform/Profile.h"

namespace tw::platform {

class Win32ProfileFiles final : public IProfileFiles {
public:
    // The mapper must outlive this object.
    explicit Win32ProfileFiles(const PathMapper& mapper) : m_mapper(mapper) {}

    std::string GetString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def,
                          std::size_t bufferSize) override;
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override;
    int LastError() const override { return m_lastError; }

private:
    const PathMapper& m_mapper;
    int m_lastError = 0;
};

}  // namespace tw::platform
