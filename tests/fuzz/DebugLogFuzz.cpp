// The debug log reader on any log: after AirMail appends to it, once or
// twice, the event read is that of the last line completed since the start
// (of a line begun before the start, only what was written after counts),
// just as when the appended lines are looked at whole.

#include <fuzzer/FuzzedDataProvider.h>

#include <QFile>

#include <cstdlib>

#include "airmail/DebugLog.h"
#include "common/ProfileAccess.h"
#include "support/AirMailDrive.h"

namespace {

const QString kLog = QStringLiteral("C:\\Program Files\\AirMail\\Logfiles\\Debug.log");

// The last event of the complete lines of `appended`, and whether one was "Connected to".
tw::DebugLogEvent Expected(const std::string& appended, tw::DebugLogEvent event, bool& connected) {
    std::size_t from = 0;
    for (std::size_t nl; (nl = appended.find('\n', from)) != std::string::npos; from = nl + 1) {
        QByteArray line = QByteArray::fromStdString(appended.substr(from, nl - from));
        if (line.endsWith('\r')) line.chop(1);
        if (const auto e = tw::DebugLogLineEvent(tw::AnsiToUnicode(line))) {
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
    if (reader.DebugLogRead() != Expected(first, tw::DebugLogEvent::None, connected)) std::abort();
    Append(*drive, second);
    connected = false;
    if (reader.DebugLogRead() != Expected(first + second, tw::DebugLogEvent::None, connected) ||
        reader.ConnectedSinceStart() != connected)
        std::abort();
    return 0;
}
