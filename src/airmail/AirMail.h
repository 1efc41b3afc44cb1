#pragma once
// AirMail's folders and profile access: where AirMail keeps its program and
// data, single values from its profile files, the list of its e-mail systems,
// and the messages that tell the user a folder is wrong.

#include <QString>
#include <QPair>
#include <QStringList>
#include <QVector>

#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "platform/PathMapper.h"
#include "settings/Settings.h"

namespace tw {

namespace platform {
class IRegistry;
}

// The system name in a system file's name: "System." + name + ".ini" gives
// the name ("System.SAILMAIL.ini" gives "SAILMAIL"; prefix and extension in
// any letter case).  Only names AirMail itself gives its systems count: one
// or more ASCII letters, digits, "-" or "_".  Any other file name (a second
// dot, a blank, a backslash, nothing between the dots) gives the empty text,
// so that a stray copy such as "System.HAM.old.ini" adds no system.
QString SystemNameFromFileName(const QString& fileName);

class AirMail {
public:
    AirMail(Settings& settings, ProfileAccess& profile, IUserInterface& ui,
            const platform::PathMapper& paths, platform::IRegistry& registry,
            QString mainCaption = QStringLiteral("Tidewell"));

    // Install discovery, run at the main window's first activation.
    void AirMailFindFolders();

    // One value (read whole) from data folder + "\" + fileName.  With
    // showError an empty value is reported: a missing file as such, else the
    // missing key.
    QString AirMailGetProfileString(const QString& fileName, const QString& section,
                                    const QString& key, bool showError);
    // Keys of one section of data folder + "\" + fileName written in one
    // replace of the file; a failure is reported, naming the file.  A file
    // that another program was writing all the while is reported as such,
    // followed by `busyNote`.
    bool AirMailWriteProfileStrings(const QString& fileName, const QString& section,
                                    const QVector<QPair<QString, QString>>& keyValues,
                                    const QString& busyNote = {});

    // The folder hints that end messages about AirMail's files.
    QString AirMailErrorDataMessage();
    QString AirMailErrorProgramMessage();
    // Where a folder's drive lies when its letter maps to a folder of this
    // machine (off Windows, or given with --drive-c), and how to change it;
    // empty otherwise.
    QString DriveHint(const QString& folder) const;

    // The systems of the data folder ("System.*.ini"); false (with a message,
    // an exclamation mark unless another icon is asked for) when none.
    bool AirMailGetSystems(QStringList& names, MsgIcon icon = MsgIcon::Exclamation);

    // Bring the window with this caption to the front; failures are ignored.
    void WindowActivate(const QString& title);
    // The main window to the front (before a message box).
    void ActivateMain() { WindowActivate(m_mainCaption); }
    // A message box (OK button, the program's title) after bringing the main
    // window to the front.
    void ShowMessage(const QString& text, MsgIcon icon);

    // A path of AirMail's (Windows form) as a path of this machine.
    QString NativePath(const QString& windowsPath) const;

    Settings& settings() { return m_settings; }
    ProfileAccess& profile() { return m_profile; }
    IUserInterface& ui() { return m_ui; }
    const QString& mainCaption() const { return m_mainCaption; }

private:
    Settings& m_settings;
    ProfileAccess& m_profile;
    IUserInterface& m_ui;
    const platform::PathMapper& m_paths;
    platform::IRegistry& m_registry;
    QString m_mainCaption;
};

}  // namespace tw
