#pragma once
// Profile (INI) files with the behaviour of the Windows profile functions.
//
// Section and key names match without regard to letter case and surrounding
// blanks; a missing file, section or key reads as the empty string; values are
// cut to the caller's buffer.  A write changes only the lines of the keys
// written (or adds them, creating the file and the section on the first
// write), keeps every other byte, line end and the order of the file, and
// replaces the file atomically: the keys of one write all change or none do.
// A change another program made to the file meanwhile is kept.  Text is
// passed through as bytes (the files are in the Windows ANSI code page);
// conversion belongs to the caller.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tw::platform {

// One key to write.
struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};

class IProfileFiles {
public:
    virtual ~IProfileFiles() = default;

    // Like GetPrivateProfileStringA: the value of [section] key in file, or
    // `def` when absent, cut to bufferSize - 1 characters.  A key that is
    // present with an empty value reads as "", not as `def`.
    virtual std::string GetString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& def,
                                  std::size_t bufferSize) = 0;

    // Like WritePrivateProfileStringA for every entry, in one replace of the
    // file: true on success.  On failure the system error code is kept for
    // LastError() and the file is as it was.  Names or values that would add
    // lines or sections (line breaks, "=" in a key, "]" in a section; see
    // ini::CanWrite) refuse the whole write with the system's
    // invalid-argument code.
    virtual bool WriteStrings(const std::string& file, const std::vector<ProfileEntry>& entries) = 0;

    // One key: WriteStrings with one entry.
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) {
        return WriteStrings(file, {{section, key, value}});
    }

    // The system error code of the last failed write (0 when none).
    virtual int LastError() const = 0;

    // While reads are held (holds nest), each file is read once and later
    // reads of it answer from that text; a write through this object reads
    // the file afresh.  For work that reads the same files many times over a
    // short while (an update reads AirMail's profile and system files per
    // station and per row): the files are then read once per update.
    virtual void HoldReads(bool hold) { (void)hold; }
};

class PathMapper;

// The backend of this operating system; paths go through the mapper.
std::unique_ptr<IProfileFiles> MakeProfileFiles(const PathMapper& mapper);

// The code of a write given up because another program was writing the file
// all the while (it stayed empty, or kept changing).
int ProfileBusyError();

// The code of a write whose temporary file another program removed before
// it was moved into place (its text is this system's own, not the
// operating system's: see SystemErrorText of the common layer).
int ProfileTempGoneError();

// The system's text for an error code, in UTF-8 ("Error Code N" when it has
// none).
std::string SystemErrorText(int code);

}  // namespace tw::platform
