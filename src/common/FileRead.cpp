#include "common/FileRead.h"

#include <QFile>
#include <QFileInfo>

namespace tw {

bool ReadFileBounded(const QString& path, QByteArray& bytes, QString& error, qint64 limit,
                     bool* opened) {
    bytes.clear();
    if (opened != nullptr) *opened = false;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("It is not a regular file.");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
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
