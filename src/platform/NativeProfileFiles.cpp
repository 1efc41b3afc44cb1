#include "platform/NativeProfileFiles.h"

#include <algorithm>
#include <functional>

namespace tw::platform {

namespace {

// The code of a write whose temporary file another program removed: bit 29
// marks a code of an application's own on Windows, and no errno is as large.
constexpr int kTempGone = (1 << 29) | 1;

std::size_t HashOf(std::string_view text) { return std::hash<std::string_view> {}(text); }

}  // namespace

bool IsComplete(const TextLook& look) {
    if (!look.heldStill) return false;
    if (look.isSeen) return true;
    // An emptied file that was seen complete with text: its writer stalls.
    if (look.text.empty() && look.seenSize > 0) return false;
    if (!look.text.empty() && ini::EndsWithLineEnd(look.text) && look.text.size() >= look.seenSize)
        return true;
    return look.ageMs >= NativeProfileFiles::kSettledAgeMs || look.stillThroughout;
}

// One look at a file: its text, whether it exists, the age of its last change.
struct NativeProfileFiles::Look {
    std::string text;
    bool exists = false;
    long long ageMs = -1;
};

namespace {

// A look through an open handle (the old file kept open after a move).
int LookThrough(const profile_file::OpenFile& file, std::string& text, long long& ageMs) {
    const int err = file.ReadAll(text);
    ageMs = file.AgeMs();
    return err;
}

}  // namespace

bool NativeProfileFiles::Pause(int& waited) {
    if (waited >= kMaxWaitMs) return false;
    static SystemSleep systemSleep;
    (sleep ? *sleep : systemSleep).SleepMilliseconds(kPauseMs);
    waited += kPauseMs;
    return true;
}

void NativeProfileFiles::Remember(const std::string& path, std::string_view text) {
    m_seen[path] = {text.size(), HashOf(text)};
}

int NativeProfileFiles::Settle(const LookReader& read, const Seen* seen, Look& look, int& waited) {
    std::string first;       // the text of the first look
    bool throughout = true;  // every look since held still and gave that text
    for (int own = 0;; own += kPauseMs) {
        Look again;
        if (const int err = read(look); err != 0 || !look.exists) return err;
        if (const int err = read(again); err != 0 || !again.exists) {
            look = std::move(again);
            return err;
        }
        const bool still = again.text == look.text;
        if (own == 0) first = again.text;
        throughout = throughout && still && again.text == first;
        look = std::move(again);
        TextLook judged {look.text, still};
        judged.seenSize = seen ? seen->size : 0;
        judged.isSeen = seen && seen->size == look.text.size() && seen->hash == HashOf(look.text);
        judged.ageMs = look.ageMs;
        judged.stillThroughout = throughout && own >= kMaxWaitMs;
        if (IsComplete(judged)) return 0;
        if (!Pause(waited)) return profile_file::BusyError();
    }
}

int NativeProfileFiles::ReadSettled(const std::string& path, std::string& text, bool& exists,
                                    int& waited) {
    const auto seen = m_seen.find(path);
    Look look;
    const int err = Settle(
        [&path](Look& l) {
            l.text.clear();
            l.ageMs = -1;
            profile_file::OpenFile file;
            const int e = profile_file::Open(path, file);
            l.exists = file.IsOpen();
            return e != 0 || !l.exists ? e : LookThrough(file, l.text, l.ageMs);
        },
        seen == m_seen.end() ? nullptr : &seen->second, look, waited);
    text = std::move(look.text);
    exists = look.exists;
    if (err == 0 && exists) Remember(path, text);
    return err;
}

std::string NativeProfileFiles::ReadForValues(const std::string& path, bool& complete) {
    // A file that cannot be read reads as an empty one, as with Windows.
    std::string text;
    bool exists = false;
    int waited = 0;
    const int err = ReadSettled(path, text, exists, waited);
    complete = err != profile_file::BusyError();
    return err == 0 || !complete ? text : std::string();
}

std::string NativeProfileFiles::GetString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& def,
                                          std::size_t bufferSize) {
    bool complete = false;
    if (m_holds == 0) {
        return ini::GetStringOfFile(ReadForValues(profile_file::NativePath(m_mapper, file), complete),
                                    section, key, def, bufferSize);
    }
    auto named = m_heldPaths.find(file);
    if (named == m_heldPaths.end())
        named = m_heldPaths.emplace(file, profile_file::NativePath(m_mapper, file)).first;
    const std::string& path = named->second;
    auto held = m_held.find(path);
    if (held != m_held.end()) return held->second.GetString(section, key, def, bufferSize);
    if (m_doubtful.count(path) != 0) {
        // Its pauses ran out once in this hold: one look, no more waits.
        std::string text;
        bool exists = false;
        if (profile_file::Read(path, text, exists) != 0) text.clear();
        return ini::GetStringOfFile(text, section, key, def, bufferSize);
    }
    ini::ParsedFile parsed(ReadForValues(path, complete));
    if (!complete) {
        m_doubtful.insert(path);
        return parsed.GetString(section, key, def, bufferSize);
    }
    return m_held.emplace(path, std::move(parsed)).first->second.GetString(section, key, def, bufferSize);
}

void NativeProfileFiles::HoldReads(bool hold) {
    m_holds += hold ? 1 : (m_holds > 0 ? -1 : 0);
    if (m_holds > 0) return;
    m_held.clear();
    m_heldPaths.clear();
    m_doubtful.clear();
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
    m_doubtful.clear();
    profile_file::RemoveStaleTemps(path);

    int waited = 0;
    int held = 0;  // the pauses for a file held open by another program
    // `basis` is what the file must still hold when it is replaced, `source`
    // the text the keys are written into: the same text, except after
    // another program's change to the old file was caught behind a move.
    std::string basis;
    bool exists = false;
    if (const int err = ReadSettled(path, basis, exists, waited); err != 0) return fail(err);
    std::string source = basis;
    const auto lookAgain = [&] {
        const int err = ReadSettled(path, basis, exists, waited);
        source = basis;
        return err;
    };
    for (int attempt = 0; attempt < kWriteTries; ++attempt) {
        if (exists) {
            if (const int err = profile_file::CheckWritable(path); err != 0) return fail(err);
        }
        const std::string updated = ini::SetValuesOfFile(source, entries);
        if (exists && updated == basis) return true;  // the values are already there

        profile_file::TempFile temp;
        {
            profile_file::OpenFile permissions;
            if (const int err = profile_file::Open(path, permissions); err != 0) return fail(err);
            if (const int err = profile_file::WriteTemp(path, updated, permissions, temp); err != 0)
                return fail(err);
        }
        if (beforeReplace) beforeReplace(path);
        // No other program writes the file from here to the move, where the
        // system allows that; one that is writing it now is waited for.
        profile_file::OpenFile guard;
        if (const int err = profile_file::GuardWriters(path, guard); err == profile_file::kHeldOpen) {
            if (!Pause(waited)) return fail(profile_file::BusyError());
            if (const int e = lookAgain(); e != 0) return fail(e);
            --attempt;
            continue;
        } else if (err != 0) {
            return fail(err);
        }
        // The last look before the move, through a handle that keeps the old
        // file for the look after it.
        profile_file::OpenFile original;
        std::string now;
        if (const int err = profile_file::Open(path, original); err != 0) return fail(err);
        if (original.IsOpen() && original.ReadAll(now) != 0) now.clear();
        if (original.IsOpen() != exists || now != basis) {
            if (const int err = lookAgain(); err != 0) return fail(err);
            continue;
        }
        if (beforeMove) beforeMove(path);
        profile_file::Moved moved;
        // A file held open by another program is rewritten in place only
        // once it has stayed held through kHeldPauses (AirMail keeps its
        // files open): before that, the other program may be writing it.
        // Two programs that both rewrite in place can still mix their
        // texts, as two writers through the Windows profile functions can.
        const int err = profile_file::Move(temp, path, original, guard, updated, held >= kHeldPauses, moved);
        if (err == profile_file::kHeldOpen) {
            ++held;
            if (!Pause(waited)) return fail(profile_file::BusyError());
            --attempt;
            continue;
        }
        if (err == profile_file::kChanged) {
            if (const int e = lookAgain(); e != 0) return fail(e);
            continue;
        }
        if (err != 0) return fail(err);
        Remember(path, updated);
        if (!moved.moved || !original.IsOpen()) return true;  // no old file to look at

        // The look after the move: a change of the old file since the last
        // look (a write into it that began before the move, or a file moved
        // in over it) would be lost with it.  Once its text is complete the
        // keys are written into it and it goes in place of ours, unless ours
        // has been written over since.  A file moved in is measured against
        // nothing seen (its writer wrote it whole); the old file against its
        // text at the last look.  When it never becomes complete, our keys
        // are in place and the other program's change is what is lost.
        std::string old;
        long long age = 0;
        if (LookThrough(original, old, age) != 0 || old == basis) return true;
        const Seen before {basis.size(), HashOf(basis)};
        Look look;
        const int settled = Settle(
            [&original](Look& l) {
                l.exists = true;
                return LookThrough(original, l.text, l.ageMs);
            },
            moved.other ? nullptr : &before, look, waited);
        if (settled != 0 || look.text == basis) return true;
        basis = updated;
        source = std::move(look.text);
    }
    return fail(profile_file::BusyError());
}

int profile_file::Read(const std::string& path, std::string& text, bool& exists) {
    text.clear();
    OpenFile file;
    const int err = Open(path, file);
    exists = file.IsOpen();
    return err != 0 || !exists ? err : file.ReadAll(text);
}

std::string profile_file::SafeHostName(std::string_view name) {
    std::string safe;
    for (const char c : name.substr(0, 63)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        safe += plain ? c : '_';
    }
    return safe.empty() ? "_" : safe;
}

std::string profile_file::HostName() {
    static const std::string name = SafeHostName(RawHostName());
    return name;
}

std::string profile_file::TempName(const std::string& lead, const std::string& base,
                                   unsigned long pid, unsigned count) {
    return lead + base + "." + HostName() + "." + std::to_string(pid) + "." +
           std::to_string(count) + ".tmp";
}

bool profile_file::ParseTempName(std::string_view name, const std::string& lead,
                                 const std::string& base, bool foldCase, std::string& host,
                                 unsigned long& pid) {
    const auto same = [foldCase](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [foldCase](char x, char y) {
                   const auto fold = [](char c) {
                       return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
                   };
                   return foldCase ? fold(x) == fold(y) : x == y;
               });
    };
    const std::string front = lead + base + ".";
    const std::string_view tail = ".tmp";
    if (name.size() <= front.size() + tail.size() || !same(name.substr(0, front.size()), front) ||
        !same(name.substr(name.size() - tail.size()), tail))
        return false;
    // host "." pid "." count, the host free of dots.
    std::string_view middle = name.substr(front.size(), name.size() - front.size() - tail.size());
    const auto digits = [](std::string_view t) {
        return !t.empty() && t.size() <= 10 && t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    const std::size_t last = middle.rfind('.');
    if (last == std::string_view::npos || !digits(middle.substr(last + 1))) return false;
    middle = middle.substr(0, last);
    const std::size_t dot = middle.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || !digits(middle.substr(dot + 1)) ||
        middle.substr(0, dot).find('.') != std::string_view::npos)
        return false;
    host = std::string(middle.substr(0, dot));
    pid = std::stoul(std::string(middle.substr(dot + 1)));
    return true;
}

int ProfileBusyError() { return profile_file::BusyError(); }
int ProfileTempGoneError() { return kTempGone; }

std::unique_ptr<IProfileFiles> MakeProfileFiles(const PathMapper& mapper) {
    return std::make_unique<NativeProfileFiles>(mapper);
}

}  // namespace tw::platform
