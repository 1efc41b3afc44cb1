#pragma once
// Profile files as the core sees them: QString in, QString out.  The files
// themselves are in the Windows ANSI code page (1252); the conversion happens
// here, so the core never handles raw bytes and never writes invalid text
// into another program's file.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <string>

#include "platform/Profile.h"

namespace tw {

// Windows code page 1252 <-> Unicode.  Characters that the code page lacks
// become "?" on the way out.
QString AnsiToUnicode(const QByteArray& bytes);
QByteArray UnicodeToAnsi(const QString& text);
// A file's name in the bytes the profile functions and the path mapper take.
std::string ProfileFileName(const QString& file);

class ProfileAccess {
public:
    explicit ProfileAccess(platform::IProfileFiles& files) : m_files(files) {}

    // One key to write.
    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    // The whole value, "" when the file, section or key is missing.
    QString Get(const QString& file, const QString& section, const QString& key) const;
    // True on success; LastError() holds the system error code of a failure.
    bool Write(const QString& file, const QString& section, const QString& key,
               const QString& value);
    // Keys that belong together, written in one replace of the file: all of
    // them change or none does.
    bool Write(const QString& file, const QVector<Entry>& entries);
    int LastError() const { return m_files.LastError(); }

    platform::IProfileFiles& Files() { return m_files; }

private:
    platform::IProfileFiles& m_files;
};

// Holds the profile files' reads while it lives (IProfileFiles::HoldReads):
// an update reads AirMail's profile and system files once instead of once or
// more per station.
class ProfileReadsHeld {
public:
    explicit ProfileReadsHeld(ProfileAccess& profile) : m_files(profile.Files()) {
        m_files.HoldReads(true);
    }
    ~ProfileReadsHeld() { m_files.HoldReads(false); }
    ProfileReadsHeld(const ProfileReadsHeld&) = delete;
    ProfileReadsHeld& operator=(const ProfileReadsHeld&) = delete;

private:
    platform::IProfileFiles& m_files;
};

// The system's text for an error code, as a QString; for the profile
// layer's own code of a temporary file removed by another program, its own
// text.
QString SystemErrorText(int code);

}  // namespace tw
