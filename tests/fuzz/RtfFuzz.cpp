// The RTF reader on any input: it ends, one colour per character, and every
// colour is a red-green-blue value (nothing above 24 bits).

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "common/RtfText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const tw::RtfText doc = tw::RtfTextRead(bytes);
    if (doc.text.size() != doc.colors.size()) std::abort();
    if (doc.text.size() > bytes.size()) std::abort();
    for (const tw::Color c : doc.colors)
        if (c > 0x00FFFFFFu) std::abort();
    return 0;
}
