#include "airmail/AirMail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <string>

#include "common/FileRead.h"
#include "platform/Registry.h"

namespace tw {

namespace {

const QString kRegistryKey = QStringLiteral("Software\\Sirius Cybernetics\\AirMail\\Installation");
const QString kRegistryValue = QStringLiteral("Install Folder");
const QString kNewCommonRoot = QStringLiteral("NewCommonRoot= ");
// The two line breaks that start the folder hint of a message.  A line feed
// is the line break every message box of ours renders.
const QString kParagraph = QStringLiteral("\n\n");

// Both install sources give the folder with one character too many: the
// registry value and "Install.log" end the folder with a backslash.  Only a
// trailing separator (or a stray NUL) is dropped, so that a value written
// without one still names the right folder instead of losing its last letter.
QString DropTrailingSeparator(QString folder) {
    if (!folder.isEmpty()) {
        const QChar last = folder.back();
        if (last == QLatin1Char('\\') || last == QLatin1Char('/') || last == QChar(0))
            folder.chop(1);
    }
    return folder;
}

QString JoinWindows(const QString& folder, const QString& file) {
    return folder + QLatin1Char('\\') + file;
}

}  // namespace

AirMail::AirMail(Settings& settings, ProfileAccess& profile, IUserInterface& ui,
                 const platform::PathMapper& paths, platform::IRegistry& registry,
                 QString mainCaption)
    : m_settings(settings),
      m_profile(profile),
      m_ui(ui),
      m_paths(paths),
      m_registry(registry),
      m_mainCaption(std::move(mainCaption)) {}

QString AirMail::NativePath(const QString& windowsPath) const {
    return QString::fromStdString(m_paths.ToNative(windowsPath.toStdString()));
}

void AirMail::AirMailFindFolders() {
    const auto exists = [this](const QString& folder, const QString& file) {
        return QFileInfo(NativePath(JoinWindows(folder, file))).isFile();
    };

    // 1-3: the program folder as stored, else the registry's install folder
    // for both folders.
    if (!exists(m_settings.m_sAirMailDirectoryProgram, QStringLiteral("Airmail3.exe"))) {
        std::string value;
        if (!m_registry.QueryString(UnicodeToAnsi(kRegistryKey).toStdString(),
                                    UnicodeToAnsi(kRegistryValue).toStdString(), value))
            return;
        const QString folder = DropTrailingSeparator(AnsiToUnicode(QByteArray::fromStdString(value)));
        // An empty value names no folder; keep the stored ones.
        if (folder.isEmpty()) return;
        m_settings.m_sAirMailDirectoryProgram = folder;
        m_settings.m_sAirMailDirectoryData = folder;
    }

    // 4: a data folder with "Airmail.ini" is right as it is.
    if (exists(m_settings.m_sAirMailDirectoryData, QStringLiteral("Airmail.ini"))) return;

    // 5: the data root the installer recorded; the last such line wins.
    QByteArray bytes;
    QString error;
    if (!ReadFileBounded(NativePath(JoinWindows(m_settings.m_sAirMailDirectoryProgram,
                                                QStringLiteral("Install.log"))),
                         bytes, error))
        return;
    QString dataFolder;
    for (const QByteArray& raw : bytes.split('\n')) {
        QString line = AnsiToUnicode(raw);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const qsizetype at = line.indexOf(kNewCommonRoot);
        if (at < 0) continue;
        dataFolder = DropTrailingSeparator(line.mid(at + kNewCommonRoot.size()).trimmed());
    }
    if (!dataFolder.isEmpty()) m_settings.m_sAirMailDirectoryData = dataFolder;
}

QString AirMail::AirMailGetProfileString(const QString& fileName, const QString& section,
                                         const QString& key, bool showError) {
    const QString value = m_profile.Get(
        JoinWindows(m_settings.m_sAirMailDirectoryData, fileName), section, key);
    if (value.isEmpty() && showError) {
        const QString path = JoinWindows(m_settings.m_sAirMailDirectoryData, fileName);
        if (!QFileInfo(NativePath(path)).isFile()) {
            ShowMessage(QStringLiteral("Unable to find AirMail's \"") + fileName +
                            QStringLiteral("\" file.") + AirMailErrorDataMessage(),
                        MsgIcon::Exclamation);
            return value;
        }
        ShowMessage(QStringLiteral("Unable to find AirMail's ") + section + QStringLiteral(", ") +
                        key + QStringLiteral(" in \"") + fileName + QStringLiteral("\".") +
                        AirMailErrorDataMessage(),
                    MsgIcon::Exclamation);
    }
    return value;
}

bool AirMail::AirMailWriteProfileStrings(const QString& fileName, const QString& section,
                                         const QVector<QPair<QString, QString>>& keyValues,
                                         const QString& busyNote) {
    QVector<ProfileAccess::Entry> entries;
    for (const auto& [key, value] : keyValues) entries.push_back({section, key, value});
    if (m_profile.Write(JoinWindows(m_settings.m_sAirMailDirectoryData, fileName), entries))
        return true;
    if (m_profile.LastError() == platform::ProfileBusyError()) {
        // The folder is right: another program (AirMail) is in the file.
        ShowMessage(QStringLiteral("Unable to write AirMail's \"") + fileName +
                        QStringLiteral("\" file: another program is writing it all the time "
                                       "(it stays empty or keeps changing).") + busyNote,
                    MsgIcon::Exclamation);
        return false;
    }
    // A temporary file removed by another program is no fault of the folder.
    const bool folder = m_profile.LastError() != platform::ProfileTempGoneError();
    ShowMessage(WithCause(QStringLiteral("Unable to write AirMail's \"") + fileName + QStringLiteral("\" file. "),
                          SystemErrorText(m_profile.LastError())) +
                    (folder ? AirMailErrorDataMessage() : QString()),
                MsgIcon::Exclamation);
    return false;
}

QString AirMail::DriveHint(const QString& folder) const {
    if (folder.size() < 2 || folder[1] != QLatin1Char(':') || !folder[0].isLetter()) return {};
    const char letter = static_cast<char>(folder[0].toUpper().toLatin1());
    const QString native = QString::fromStdString(m_paths.DriveFolder(letter));
    // On Windows a drive that was not given stays itself: nothing to tell.
    if (native.compare(QString(QLatin1Char(letter)) + QLatin1Char(':'), Qt::CaseInsensitive) == 0) return {};
    const QString drive = QString(QLatin1Char(letter)) + QLatin1Char(':');
    const QString given = letter == 'C' ? QStringLiteral("given with --drive-c, else the Wine prefix's drive_c")
                                        : QStringLiteral("the Wine prefix's dosdevices link");
    return kParagraph + QStringLiteral("Drive ") + drive + QStringLiteral(" is the folder \"") +
           QDir::toNativeSeparators(native) + QStringLiteral("\" (") + given +
           QStringLiteral("). Change the Data folder on the AirMail tab of Options, or start Tidewell "
                          "with --drive-c FOLDER.");
}

QString AirMail::AirMailErrorDataMessage() {
    UpdateStatusStatus(m_ui, QStringLiteral("Airmail Data Problem"));
    return kParagraph + QStringLiteral("Please check that the AirMail Data Folder \"") +
           m_settings.m_sAirMailDirectoryData + QStringLiteral("\" is correct.");
}

QString AirMail::AirMailErrorProgramMessage() {
    UpdateStatusStatus(m_ui, QStringLiteral("Airmail Data Problem"));
    return kParagraph + QStringLiteral("Please check that the AirMail Program Folder \"") +
           m_settings.m_sAirMailDirectoryProgram + QStringLiteral("\" is correct.");
}

QString SystemNameFromFileName(const QString& fileName) {
    static const QRegularExpression kSystemFile(QStringLiteral("^System\\.([A-Za-z0-9_-]+)\\.ini$"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kSystemFile.match(fileName);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool AirMail::AirMailGetSystems(QStringList& names, MsgIcon icon) {
    names.clear();
    // Windows matches "System.*.ini" without regard to case; so do we.  The
    // listing is sorted by name (as Windows lists its own disks), which keeps
    // the order of the system list the same from run to run.
    QDir dir(NativePath(m_settings.m_sAirMailDirectoryData));
    dir.setNameFilters({QStringLiteral("System.*.ini")});
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    if (dir.exists()) {
        for (const QString& file : dir.entryList()) {
            const QString name = SystemNameFromFileName(file);
            if (!name.isEmpty()) names.append(name);
        }
    }
    if (names.isEmpty()) {
        ShowMessage(QStringLiteral("Unable to find AirMail's \"System.*.ini\" files.") +
                        AirMailErrorDataMessage() + DriveHint(m_settings.m_sAirMailDirectoryData),
                    icon);
        return false;
    }
    return true;
}

void AirMail::WindowActivate(const QString& title) { m_ui.BringToFront(title); }

void AirMail::ShowMessage(const QString& text, MsgIcon icon) {
    ActivateMain();
    MessageRequest request;
    request.text = text;
    request.icon = icon;
    m_ui.MessageBox(request);
}

}  // namespace tw
