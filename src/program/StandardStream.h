#pragma once
// Standard output and standard error as a device for QTextStream, which
// hands it UTF-8.  A console is written in its own terms (WriteConsoleW on
// Windows, whatever its code page); a file or a pipe gets the UTF-8 bytes.

#include <QIODevice>
#include <QStringDecoder>

#include <cstdio>

namespace tw {

class StandardStream final : public QIODevice {
public:
    explicit StandardStream(std::FILE* file);
    // Whether the stream is a console written in UTF-16 (Windows only).
    bool IsConsole() const { return m_console != nullptr; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    std::FILE* m_file;
    void* m_console = nullptr;
    // Keeps a character whose bytes are split between two writes.
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};

}  // namespace tw
