#include "platform/NativeProfileFiles.h"

namespace tw::platform {

std::string NativeProfileFiles::GetString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& def,
                                          std::size_t bufferSize) {
    // A file that cannot be read reads as an empty one, as with Windows.
    const auto read = [](const std::string& path) {
        std::string text;
        bool exists = false;
        if (profile_file::Read(path, text, exists) != 0) text.clear();
        return text;
    };
    if (m_holds == 0) {
        return ini::GetStringOfFile(read(profile_file::NativePath(m_mapper, file)), section, key,
                                    def, bufferSize);
    }
    auto named = m_heldPaths.find(file);
    if (named == m_heldPaths.end())
        named = m_heldPaths.emplace(file, profile_file::NativePath(m_mapper, file)).first;
    auto held = m_held.find(named->second);
    if (held == m_held.end())
        held = m_held.emplace(named->second, ini::ParsedFile(read(named->second))).first;
    return held->second.GetString(section, key, def, bufferSize);
}

void NativeProfileFiles::HoldReads(bool hold) {
    m_holds += hold ? 1 : (m_holds > 0 ? -1 : 0);
    if (m_holds > 0) return;
    m_held.clear();
    m_heldPaths.clear();
}

bool NativeProfileFiles::WriteStrings(const std::string& file,
                                      const std::vector<ProfileEntry>& entries) {
    auto fail = [this](int code) {
        m_lastError = code;
        return false;
    };
    for (const ProfileEntry& e : entries)
        if (!ini::CanWrite(e.section, e.key, e.value))
            return fail(profile_file::InvalidArgumentError());
    if (entries.empty()) return true;

    const std::string path = profile_file::NativePath(m_mapper, file);
    // Everything held is read afresh after a write: the file written may be
    // held under another spelling of its name (letter case on Windows), or
    // as the missing file of a name that now finds it.
    m_held.clear();
    m_heldPaths.clear();
    for (int attempt = 0; attempt < kWriteTries; ++attempt) {
        std::string text;
        bool exists = false;
        if (const int err = profile_file::Read(path, text, exists); err != 0) return fail(err);
        if (exists) {
            if (const int err = profile_file::CheckWritable(path); err != 0) return fail(err);
        }
        const std::string updated = ini::SetValuesOfFile(text, entries);
        if (exists && updated == text) return true;  // the values are already there

        const auto unchanged = [&] {
            if (beforeReplace) beforeReplace(path);
            std::string now;
            bool existsNow = false;
            return profile_file::Read(path, now, existsNow) == 0 && existsNow == exists &&
                   now == text;
        };
        const int err = profile_file::Replace(path, updated, exists, unchanged);
        if (err == 0) return true;
        if (err != profile_file::kChanged) return fail(err);
    }
    return fail(profile_file::BusyError());
}

std::unique_ptr<IProfileFiles> MakeProfileFiles(const PathMapper& mapper) {
    return std::make_unique<NativeProfileFiles>(mapper);
}

}  // namespace tw::platform
