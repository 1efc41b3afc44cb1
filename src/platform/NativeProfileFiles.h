#pragma once
// Profile files of this operating system, written against its file API rather
// than the Windows profile functions, so that a write keeps every other byte
// of the file: the file is read whole, edited with the functions of IniText
// and replaced atomically (a temporary file beside it, flushed, then moved
// over it).  One class, two backends: posix/PosixProfileFiles.cpp (error
// codes are errno values) and win32/Win32ProfileFiles.cpp (GetLastError
// values).

#include "platform/Profile.h"

namespace tw::platform {

class NativeProfileFiles final : public IProfileFiles {
public:
    // The mapper must outlive this object.
    explicit NativeProfileFiles(const PathMapper& mapper) : m_mapper(mapper) {}

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
