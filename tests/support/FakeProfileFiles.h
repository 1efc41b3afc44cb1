#pragma once
// An in-memory stand-in for the profile file functions, with the matching
// rules of the real ones (section and key names without regard to letter case
// and surrounding blanks, file names without regard to letter case; a missing
// value reads as the default; values cut to the caller's buffer), a log of
// every write, and writes that fail on demand with a chosen system error code.

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Profile.h"

namespace tw::test {

class FakeProfileFiles final : public platform::IProfileFiles {
public:
    struct WriteCall {
        std::string file;
        std::string section;
        std::string key;
        std::string value;
        bool ok = true;
    };

    std::string GetString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def,
                          std::size_t bufferSize) override {
        const auto* v = Find(file, section, key);
        std::string out = v != nullptr ? Trim(*v) : def;
        if (bufferSize == 0) return {};
        if (out.size() > bufferSize - 1) out.resize(bufferSize - 1);
        return out;
    }

    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override {
        const int number = static_cast<int>(m_writes.size()) + 1;
        std::optional<int> failure;
        if (m_failFrom && number >= m_failFrom->first) failure = m_failFrom->second;
        for (const auto& [s, k, code] : m_failKeys) {
            if (Norm(s) == Norm(section) && Norm(k) == Norm(key)) failure = code;
        }
        m_writes.push_back({file, section, key, value, !failure});
        if (failure) {
            m_lastError = *failure;
            return false;
        }
        Set(file, section, key, value);
        return true;
    }

    int LastError() const override { return m_lastError; }

    // Puts a value into the file as if it stood there (names kept as given).
    void Set(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) {
        auto& entries = m_files[Lower(file)];
        for (auto& e : entries) {
            if (Norm(e.section) == Norm(section) && Norm(e.key) == Norm(key)) {
                e.value = value;
                return;
            }
        }
        entries.push_back({section, key, value});
    }

    // The stored value, or nothing when the key is missing.
    std::optional<std::string> Value(const std::string& file, const std::string& section,
                                     const std::string& key) const {
        const auto* v = Find(file, section, key);
        return v != nullptr ? std::optional<std::string>(*v) : std::nullopt;
    }

    // Every write from the n-th (counted from 1 over this object's life) fails.
    void FailWritesFrom(int n, int code) { m_failFrom = std::make_pair(n, code); }
    // Writes of this key fail.
    void FailKey(const std::string& section, const std::string& key, int code) {
        m_failKeys.emplace_back(section, key, code);
    }

    const std::vector<WriteCall>& Writes() const { return m_writes; }
    // The number of values stored in a file.
    std::size_t StoredCount(const std::string& file) const {
        const auto it = m_files.find(Lower(file));
        return it == m_files.end() ? 0 : it->second.size();
    }

private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };

    static std::string Lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    }
    static std::string Trim(const std::string& s) {
        const auto first = s.find_first_not_of(" \t");
        if (first == std::string::npos) return {};
        const auto last = s.find_last_not_of(" \t");
        return s.substr(first, last - first + 1);
    }
    static std::string Norm(const std::string& s) { return Lower(Trim(s)); }

    const std::string* Find(const std::string& file, const std::string& section,
                            const std::string& key) const {
        const auto it = m_files.find(Lower(file));
        if (it == m_files.end()) return nullptr;
        for (const auto& e : it->second) {
            if (Norm(e.section) == Norm(section) && Norm(e.key) == Norm(key)) return &e.value;
        }
        return nullptr;
    }

    std::map<std::string, std::vector<Entry>> m_files;
    std::vector<WriteCall> m_writes;
    std::optional<std::pair<int, int>> m_failFrom;
    std::vector<std::tuple<std::string, std::string, int>> m_failKeys;
    int m_lastError = 0;
};

}  // namespace tw::test
