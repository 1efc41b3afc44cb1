#pragma once
// An in-memory stand-in for the profile file functions, with the matching
// rules of the real ones (section and key names without regard to letter case
// and surrounding blanks, file names without regard to letter case; a missing
// value reads as the default; values cut to the caller's buffer), a log of
// every key written, and writes of chosen keys that fail with a chosen system error code.

#include <QString>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Profile.h"

namespace tw::test {

class FakeProfileFiles final : public platform::IProfileFiles {
public:
    std::string GetString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def,
                          std::size_t bufferSize) override {
        if (m_holds == 0) ++m_unheldReads;
        const auto value = Value(file, section, key);
        return (value ? Trim(*value) : def).substr(0, bufferSize - 1);
    }

    // All entries or none: a chosen failing key fails the whole write.
    bool WriteStrings(const std::string& file,
                      const std::vector<platform::ProfileEntry>& entries) override {
        for (const auto& e : entries) m_writes.push_back(file + " [" + e.section + "] " + e.key + "=" + e.value);
        for (const auto& e : entries) {
            const auto failure = m_failures.find(Name("", e.section, e.key));
            if (failure == m_failures.end()) continue;
            m_lastError = failure->second;
            return false;
        }
        for (const auto& e : entries) Set(file, e.section, e.key, e.value);
        return true;
    }

    int LastError() const override { return m_lastError; }
    void HoldReads(bool hold) override { m_holds += hold ? 1 : -1; }
    // Reads made while no reads were held: each a read of the whole file in
    // the real profile functions.
    int UnheldReads() const { return m_unheldReads; }

    // Puts a value into the file as if it stood there.
    void Set(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) {
        m_values[Name(file, section, key)] = value;
    }

    // The stored value, or nothing when the key is missing.
    std::optional<std::string> Value(const std::string& file, const std::string& section,
                                     const std::string& key) const {
        const auto it = m_values.find(Name(file, section, key));
        if (it == m_values.end()) return std::nullopt;
        return it->second;
    }

    // Writes of this key, in any file, fail with the code (0: succeed again).
    void FailKey(const std::string& section, const std::string& key, int code) {
        if (code == 0)
            m_failures.erase(Name("", section, key));
        else
            m_failures[Name("", section, key)] = code;
    }

    // Every write as "file [section] key=value", in order.
    const std::vector<std::string>& Writes() const { return m_writes; }

private:
    int m_holds = 0, m_unheldReads = 0;
    using Names = std::tuple<std::string, std::string, std::string>;

    static std::string Trim(const std::string& s) {
        const auto first = s.find_first_not_of(" \t");
        if (first == std::string::npos) return {};
        return s.substr(first, s.find_last_not_of(" \t") - first + 1);
    }
    static Names Name(const std::string& file, const std::string& section, const std::string& key) {
        const auto lower = [](const std::string& s) {
            return QString::fromLatin1(s).toLower().toLatin1().toStdString();
        };
        return {lower(file), lower(Trim(section)), lower(Trim(key))};
    }

    std::map<Names, std::string> m_values;
    std::map<Names, int> m_failures;
    std::vector<std::string> m_writes;
    int m_lastError = 0;
};

}  // namespace tw::test
