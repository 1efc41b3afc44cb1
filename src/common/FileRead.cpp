#include "common/FileRead.h"

#include "common/ProfileAccess.h"
#include "platform/Files.h"

namespace tw {

bool OpenRegularFile(QFile& file, QString& error) {
    int fd = -1;
    const int err = platform::OpenRegularFileForReading(ProfileFileName(file.fileName()), fd);
    if (err == platform::kNotRegularFile) {
        error = QStringLiteral("It is not a regular file.");
        return false;
    }
    if (err != 0) {
        error = SystemErrorText(err).trimmed();
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool ReadFileBounded(const QString& path, QByteArray& bytes, QString& error, qint64 limit,
                     bool* opened) {
    bytes.clear();
    if (opened != nullptr) *opened = false;
    QFile file(path);
    if (!OpenRegularFile(file, error)) return false;
    if (opened != nullptr) *opened = true;
    bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        bytes.clear();
        return false;
    }
    if (bytes.size() > limit) {
        error = QStringLiteral("It is larger than %1 bytes.").arg(limit);
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace tw
