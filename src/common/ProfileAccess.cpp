#include "common/ProfileAccess.h"

#include "platform/Cp1252.h"

namespace tw {

// One character for one: the text is written in place, not appended (every
// profile read converts its names and its value).
QString AnsiToUnicode(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (char ch : bytes) *to++ = QChar(platform::Cp1252ToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

QByteArray UnicodeToAnsi(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* to = out.data();
    for (QChar qc : text) *to++ = platform::UnicodeToCp1252(qc.unicode());
    return out;
}

namespace {

// UnicodeToAnsi straight into the bytes the profile functions take.
std::string AnsiText(const QString& text) {
    std::string out(static_cast<std::size_t>(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        out[static_cast<std::size_t>(i)] = platform::UnicodeToCp1252(text[i].unicode());
    return out;
}

}  // namespace

// File names go to the platform layer in UTF-8 (on Windows it hands them to
// the wide file functions, so any folder name works).
std::string ProfileFileName(const QString& file) { return file.toUtf8().toStdString(); }

QString ProfileAccess::Get(const QString& file, const QString& section, const QString& key) const {
    // The whole value: a value cut to a buffer could end inside a number
    // ("22" of "22124.0").
    const std::string value = m_files.GetString(ProfileFileName(file), AnsiText(section),
                                                AnsiText(key), std::string(), std::string::npos);
    return AnsiToUnicode(
        QByteArray::fromRawData(value.data(), static_cast<qsizetype>(value.size())));
}

bool ProfileAccess::Write(const QString& file, const QString& section, const QString& key,
                          const QString& value) {
    return Write(file, {{section, key, value}});
}

bool ProfileAccess::Write(const QString& file, const QVector<Entry>& entries) {
    std::vector<platform::ProfileEntry> bytes;
    bytes.reserve(static_cast<std::size_t>(entries.size()));
    for (const Entry& e : entries)
        bytes.push_back({AnsiText(e.section), AnsiText(e.key), AnsiText(e.value)});
    return m_files.WriteStrings(ProfileFileName(file), bytes);
}

QString SystemErrorText(int code) {
    // The profile layer's own code: the folder is right, another program
    // (a cleaner of temporary files) took the new text away.
    if (code == platform::ProfileTempGoneError())
        return QStringLiteral("Its new text was lost: another program removed the temporary "
                              "file it was written into before it could take the file's place.");
    return QString::fromUtf8(platform::SystemErrorText(code));
}

}  // namespace tw
