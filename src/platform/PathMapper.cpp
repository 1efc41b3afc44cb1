#include "platform/PathMapper.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace tw::platform {

namespace {

char UpperLetter(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The form in which kept paths are compared: one kind of separator, and on
// Windows one letter case.
std::string KeptKey(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
#ifdef _WIN32
        c = UpperLetter(c);
#endif
    }
    return path;
}

#ifndef _WIN32

namespace fs = std::filesystem;

std::string EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// Wine's prefix: $WINEPREFIX, else ~/.wine with ~ from $HOME or the user database.
std::string DefaultWinePrefix() {
    std::string prefix = EnvOrEmpty("WINEPREFIX");
    if (!prefix.empty()) return prefix;
    std::string home = EnvOrEmpty("HOME");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    return home + "/.wine";
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperLetter(a[i]) != UpperLetter(b[i])) return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The one entry of `folder` whose name equals `name` without regard to case,
// or "" when there is none or more than one.
std::string UniqueCaseMatch(const std::string& folder, const std::string& name) {
    std::error_code ec;
    std::string found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (!SameIgnoringCase(entry, name)) continue;
        if (!found.empty()) return {};
        found = std::move(entry);
    }
    return found;
}

// Separators already "/": collapse doubled ones and match components by case.
//
// The components that exist as written are found from the end: a whole path
// that exists costs one look-up, a file about to be created in an existing
// folder two, instead of one per component.  Every prefix of an existing
// path exists as written (the system looked each one up on the way), so the
// result is the same as matching component by component from the start.
std::string ResolveComponents(const std::string& path) {
    if (path.empty()) return path;
    const bool absolute = path.front() == '/';
    const bool trailing = path.size() > 1 && path.back() == '/';

    std::vector<std::string> comps;
    for (std::size_t pos = 0; pos < path.size();) {
        std::size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        if (slash > pos) comps.push_back(path.substr(pos, slash - pos));
        pos = slash + 1;
    }
    // prefix[i]: the first i components joined, as written.
    const auto prefix = [&](std::size_t count) {
        std::string out = absolute ? "/" : "";
        for (std::size_t i = 0; i < count; ++i) {
            out += comps[i];
            if (i + 1 < count) out += '/';
        }
        return out;
    };

    // The longest prefix that exists as written ("." and ".." are never
    // looked up and count as existing only within it).
    std::size_t exact = comps.size();
    while (exact > 0 && !Exists(prefix(exact))) --exact;

    std::string out = prefix(exact);
    if (exact > 0) out += '/';
    bool lookup = true;  // false once a component does not exist
    for (std::size_t i = exact; i < comps.size(); ++i) {
        std::string comp = comps[i];
        if (lookup && comp != "." && comp != "..") {
            // Exists(out + comp) is false here for the first one, as the
            // search above found; later ones are looked up as they come.
            if (i == exact || !Exists(out + comp)) {
                std::string match = UniqueCaseMatch(out.empty() ? "." : out, comp);
                if (match.empty()) {
                    lookup = false;
                } else {
                    comp = std::move(match);
                }
            }
        }
        out += comp;
        out += '/';
    }
    if (out.size() > 1 && !trailing) out.pop_back();
    return out;
}

#endif

}  // namespace

PathMapper::PathMapper() {
#ifndef _WIN32
    m_winePrefix = DefaultWinePrefix();
#endif
}

void PathMapper::SetDrive(char letter, const std::string& folder) {
    m_drives[UpperLetter(letter)] = folder;
}

void PathMapper::KeepAsWritten(const std::string& path) {
    if (!path.empty()) m_kept.push_back(KeptKey(path));
}

std::string PathMapper::DriveFolder(char letter) const {
    letter = UpperLetter(letter);
    if (auto it = m_drives.find(letter); it != m_drives.end()) return it->second;
#ifdef _WIN32
    return std::string(1, letter) + ":";
#else
    if (letter == 'C') return m_winePrefix + "/drive_c";
    return m_winePrefix + "/dosdevices/" +
           static_cast<char>(std::tolower(static_cast<unsigned char>(letter))) + ":";
#endif
}

std::string PathMapper::ToNative(const std::string& path) const {
    if (!m_kept.empty() && std::find(m_kept.begin(), m_kept.end(), KeptKey(path)) != m_kept.end())
        return path;
#ifdef _WIN32
    // Only a drive that was set maps (to its folder, as elsewhere); the
    // system finds every other path itself, without regard to case.
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       std::isalpha(static_cast<unsigned char>(path[0]));
    if (!drive) return path;
    const auto set = m_drives.find(UpperLetter(path[0]));
    if (set == m_drives.end()) return path;
    std::string out = set->second;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    while (!out.empty() && (out.back() == '\\' || out.back() == '/')) out.pop_back();
    // "C:x" counts as "C:\x"; separators become "\", doubled ones one.
    const std::string rest = path.substr(2);
    if (!rest.empty()) out += '\\';
    for (char c : rest) {
        if (c == '/') c = '\\';
        if (c == '\\' && out.back() == '\\') continue;
        out += c;
    }
    return out;
#else
    std::string p = path;
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
        const std::string rest = p.substr(2);  // "C:x" counts as "C:\x"
        p = DriveFolder(p[0]) + (rest.empty() ? "" : "/" + rest);
    }
    return ResolveComponents(p);
#endif
}

}  // namespace tw::platform
