#include "common/ProfileAccess.h"

#include <QFile>

#include "platform/Cp1252.h"

namespace tw {

QString AnsiToUnicode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes)
        out.append(QChar(platform::Cp1252ToUnicode(static_cast<unsigned char>(ch))));
    return out;
}

QByteArray UnicodeToAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar qc : text) out.append(platform::UnicodeToCp1252(qc.unicode()));
    return out;
}

namespace {
// File names go to the operating system in its own encoding: the ANSI code
// page for the Windows profile functions, the file system's (UTF-8) elsewhere.
std::string FileNameBytes(const QString& file) {
#ifdef _WIN32
    return UnicodeToAnsi(file).toStdString();
#else
    return QFile::encodeName(file).toStdString();
#endif
}
}  // namespace

QString ProfileAccess::Get(const QString& file, const QString& section, const QString& key) const {
    // The whole value: a value cut to a buffer could end inside a number
    // ("22" of "22124.0").
    const std::string value = m_files.GetString(
        FileNameBytes(file), UnicodeToAnsi(section).toStdString(),
        UnicodeToAnsi(key).toStdString(), std::string(), std::string::npos);
    return AnsiToUnicode(QByteArray::fromStdString(value));
}

bool ProfileAccess::Write(const QString& file, const QString& section, const QString& key,
                          const QString& value) {
    return Write(file, {{section, key, value}});
}

bool ProfileAccess::Write(const QString& file, const QVector<Entry>& entries) {
    std::vector<platform::ProfileEntry> bytes;
    bytes.reserve(static_cast<std::size_t>(entries.size()));
    for (const Entry& e : entries)
        bytes.push_back({UnicodeToAnsi(e.section).toStdString(), UnicodeToAnsi(e.key).toStdString(),
                         UnicodeToAnsi(e.value).toStdString()});
    return m_files.WriteStrings(FileNameBytes(file), bytes);
}

QString SystemErrorText(int code) {
    return QString::fromLocal8Bit(platform::SystemErrorText(code));
}

}  // namespace tw
