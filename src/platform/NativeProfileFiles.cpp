#include "platform/NativeProfileFiles.h"

#include <algorithm>

namespace tw::platform {

std::string NativeProfileFiles::GetString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& def,
                                          std::size_t bufferSize) {
    // A file that cannot be read reads as an empty one, as with Windows.
    const auto read = [this](const std::string& path) {
        std::string text;
        bool exists = false;
        if (profile_file::Read(path, text, exists) != 0) text.clear();
        if (!text.empty()) m_sizes[path] = std::max(m_sizes[path], text.size());
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

bool NativeProfileFiles::Pause(int& waited) {
    if (waited >= kMaxWaitMs) return false;
    static SystemSleep systemSleep;
    (sleep ? *sleep : systemSleep).SleepMilliseconds(kPauseMs);
    waited += kPauseMs;
    return true;
}

namespace {

// Reads one file's text: 0 or the system error; `exists` false when there
// is none.
using TextReader = std::function<int(std::string& text, bool& exists)>;

}  // namespace

int NativeProfileFiles::ReadSettled(const std::string& path, std::string& text, bool& exists,
                                    int& waited) {
    return Settle(path, [&](std::string& t, bool& e) { return profile_file::Read(path, t, e); },
                  text, exists, waited);
}

int NativeProfileFiles::Settle(const std::string& path, const TextReader& read, std::string& text,
                               bool& exists, int& waited) {
    std::string previous;
    int still = 0;  // how many reads in a row gave this text before this one
    const auto seen = m_sizes.find(path);
    bool known = seen != m_sizes.end();
    std::size_t largest = known ? seen->second : 0;  // also of the reads below
    for (;;) {
        if (const int err = read(text, exists); err != 0) return err;
        if (!exists) return 0;
        still = !previous.empty() && previous == text ? still + 1 : 0;
        // A text shorter than the one last seen (a key removed, or a write
        // caught half way), or the first of a file not seen before, counts
        // once it has read the same over kStillPauses; much shorter only
        // when it holds still over all pauses; empty never.
        const bool partial = text.empty() || (known && text.size() < largest / 2);
        if (!partial && ((known && text.size() >= largest) || still >= kStillPauses)) break;
        if (!Pause(waited)) {
            if (!text.empty() && still >= kStillPauses) break;
            return profile_file::BusyError();
        }
        previous = text;
        known = known || !text.empty();
        largest = std::max(largest, text.size());
    }
    m_sizes[path] = text.size();
    return 0;
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
            if (const int e = ReadSettled(path, basis, exists, waited); e != 0) return fail(e);
            source = basis;
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
            if (const int err = ReadSettled(path, basis, exists, waited); err != 0) return fail(err);
            source = basis;
            continue;
        }
        bool moved = false;
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
        if (err != 0) return fail(err);
        m_sizes[path] = updated.size();
        if (!moved || !exists) return true;  // no old file left behind

        // The look after the move: a write into the old file that began
        // before the move would be lost with it.  Once that write is done
        // (its text holds still), the keys are written into its text and it
        // goes in place of ours, unless ours has been written over since.
        if (afterMove) afterMove(path);
        std::string old;
        if (!original.IsOpen() || original.ReadAll(old) != 0 || old == basis) return true;
        bool oldExists = true;
        const TextReader readOld = [&](std::string& t, bool& e) {
            e = true;
            return original.ReadAll(t);
        };
        // Its text is measured against the old file's.  Our keys are in
        // place; when the other program's text never holds still, its change
        // is what is lost.
        m_sizes[path] = basis.size();
        const int settled = Settle(path, readOld, old, oldExists, waited);
        m_sizes[path] = updated.size();
        if (settled != 0) return true;
        basis = updated;
        source = old;
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

int ProfileBusyError() { return profile_file::BusyError(); }

std::unique_ptr<IProfileFiles> MakeProfileFiles(const PathMapper& mapper) {
    return std::make_unique<NativeProfileFiles>(mapper);
}

}  // namespace tw::platform
