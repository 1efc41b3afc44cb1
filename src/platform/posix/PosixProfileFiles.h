#pragma once
// Profile files on POSIX systems: the file is read whole, edited with the
// functions of IniText and replaced atomically (a temporary file beside it,
// flushed to disk, then renamed over it).  Error codes are errno values.

#include "platform/Profile.h"

namespace tw::platform {

class PosixProfileFiles final : public IProfileFiles {
public:
    // The mapper must outlive this object.
    explicit PosixProfileFiles(const PathMapper& mapper) : m_mapper(mapper) {}

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
