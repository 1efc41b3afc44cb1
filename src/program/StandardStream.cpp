#include "program/StandardStream.h"

#include <algorithm>

#ifdef Q_OS_WIN
#include "platform/win32/Win32Api.h"

#include <io.h>
#endif

namespace tw {

StandardStream::StandardStream(std::FILE* file) : m_file(file) {
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) m_console = handle;
#endif
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardStream::writeData(const char* data, qint64 size) {
#ifdef Q_OS_WIN
    if (m_console) {
        const QString text = m_decoder(QByteArrayView(data, size));
        const auto* chars = reinterpret_cast<const wchar_t*>(text.utf16());
        qsizetype left = text.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<qsizetype>(left, 8192));
            if (!::WriteConsoleW(static_cast<HANDLE>(m_console), chars, chunk, &written, nullptr) ||
                written == 0)
                return -1;
            chars += written;
            left -= written;
        }
        return size;
    }
#endif
    const std::size_t written = std::fwrite(data, 1, static_cast<std::size_t>(size), m_file);
    std::fflush(m_file);
    return written == static_cast<std::size_t>(size) ? size : -1;
}

}  // namespace tw
