// The debug log reader on any log: after AirMail appends to it, once or
// twice, the event read is that of the last line completed since the start
// (of a line begun before the start, only what was written after counts),
// just as when the appended lines are looked at whole.

#include <fuzzer/FuzzedDataProvider.h>

#include <QFile>

#include <cstdlib>
#include <utility>

#include "airmail/DebugLog.h"
#include "common/ProfileAccess.h"
#include "support/AirMailDrive.h"

namespace {

const QString kLog = QStringLiteral("C:\\Program Files\\AirMail\\Logfiles\\Debug.log");

// The last event of the complete lines of `appended`, and whether one was
// "Connected to".  After a log that ended inside a line, the first line
// counts only when it begins with a time stamp of its own.
tw::DebugLogEvent Expected(const std::string& old, const std::string& appended,
                           bool& connected) {
    tw::DebugLogEvent event = tw::DebugLogEvent::None;
    bool continued = !old.empty() && old.back() != '\n';
    std::size_t from = 0;
    for (std::size_t nl; (nl = appended.find('\n', from)) != std::string::npos; from = nl + 1) {
        QByteArray bytes = QByteArray::fromStdString(appended.substr(from, nl - from));
        if (bytes.endsWith('\r')) bytes.chop(1);
        const QString line = tw::AnsiToUnicode(bytes);
        QDate date(2000, 1, 1);
        if (std::exchange(continued, false) && !tw::DebugLogParseLine(line, date).time.isValid())
            continue;
        if (const auto e = tw::DebugLogLineEvent(line)) {
            event = *e;
            connected = connected || event == tw::DebugLogEvent::Connected;
        }
    }
    return event;
}

void Append(tw::test::AirMailDrive& drive, const std::string& bytes) {
    QFile file(drive.Native(kLog));
    if (!file.open(QIODevice::Append)) std::abort();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto* drive = new tw::test::AirMailDrive;
    FuzzedDataProvider in(data, size);
    const std::string old = in.ConsumeRandomLengthString(128);
    const std::string first = in.ConsumeRandomLengthString(256);
    const std::string second = in.ConsumeRemainingBytesAsString();

    drive->WriteBytes(kLog, QByteArray::fromStdString(old));
    tw::DebugLogReader reader(drive->airmail);
    if (!reader.DebugLogStart()) std::abort();
    bool connected = false;
    Append(*drive, first);
    if (reader.DebugLogRead() != Expected(old, first, connected)) std::abort();
    Append(*drive, second);
    connected = false;
    if (reader.DebugLogRead() != Expected(old, first + second, connected) ||
        reader.ConnectedSinceStart() != connected)
        std::abort();
    return 0;
}
