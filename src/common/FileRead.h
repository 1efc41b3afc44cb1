#pragma once
// Reading another program's file whole, with a bound: only a regular file is
// read (a device or a pipe could block the open or never end), and the bytes
// are counted as they are read, never trusted from the size the file reports.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tw {

// The most read of a file of AirMail's or of a propagation program, far beyond
// any real one.
inline constexpr qint64 kFileReadLimit = 16 * 1024 * 1024;

// Reads the file at `path` (a path of this machine) into `bytes`.  False with
// `error` (a sentence) when it cannot be opened or read, is not a regular
// file, or holds more than `limit` bytes.  `opened` (when given) tells
// whether the file was opened, so that a failure after it is one of reading.
// Opens `file` (its name a path of this machine) for reading when it is a
// regular file, without waiting on a pipe in its place.  False with `error`
// (a sentence) when it cannot be opened or is not a regular file.
bool OpenRegularFile(QFile& file, QString& error);

bool ReadFileBounded(const QString& path, QByteArray& bytes, QString& error,
                     qint64 limit = kFileReadLimit, bool* opened = nullptr);

}  // namespace tw
