#include "app/ProfileAccess.h"

#include <QFile>

#include <array>

namespace tw {

namespace {
// Code page 1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

QString AnsiToUnicode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F) {
            const char16_t u = kHigh[b - 0x80];
            // Unassigned bytes map to the C1 control of the same value, as Windows does.
            out.append(QChar(u != 0 ? u : static_cast<char16_t>(b)));
        } else {
            out.append(QChar(static_cast<char16_t>(b)));
        }
    }
    return out;
}

QByteArray UnicodeToAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            const char16_t h = kHigh[i] != 0 ? kHigh[i] : static_cast<char16_t>(0x80 + i);
            if (h == u) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.append(mapped);
    }
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

QString ProfileAccess::Get(const QString& file, const QString& section, const QString& key,
                           int bufferSize) const {
    const std::string value = m_files.GetString(
        FileNameBytes(file), UnicodeToAnsi(section).toStdString(),
        UnicodeToAnsi(key).toStdString(), std::string(), static_cast<std::size_t>(bufferSize));
    return AnsiToUnicode(QByteArray::fromStdString(value));
}

bool ProfileAccess::Write(const QString& file, const QString& section, const QString& key,
                          const QString& value) {
    return m_files.WriteString(
        FileNameBytes(file), UnicodeToAnsi(section).toStdString(),
        UnicodeToAnsi(key).toStdString(), UnicodeToAnsi(value).toStdString());
}

QString SystemErrorText(int code) {
    return QString::fromLocal8Bit(platform::SystemErrorText(code));
}

}  // namespace tw
