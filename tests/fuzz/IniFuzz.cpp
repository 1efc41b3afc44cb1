// The INI editor on any text, section, key and value: reading never fails,
// a written key reads back as the same value does in a file of its own, and
// of the old text at most one line changes (none when a line is added).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "platform/IniText.h"

using namespace tw::platform::ini;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(16);
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string value = in.ConsumeRandomLengthString(32);
    const std::string text = in.ConsumeRemainingBytesAsString();
    (void)GetString(text, section, key, "default", 64);
    if (!CanWrite(section, key, value)) return 0;

    const std::string written = SetValue(text, section, key, value);
    if (FindValue(written, section, key) !=
        FindValue(SetValue("", section, key, value), section, key))
        std::abort();
    std::size_t same = 0;
    while (same < text.size() && same < written.size() && text[same] == written[same]) ++same;
    std::size_t tail = 0;
    while (tail < text.size() - same && tail < written.size() - same &&
           text[text.size() - 1 - tail] == written[written.size() - 1 - tail])
        ++tail;
    const std::string_view replaced =
        std::string_view(text).substr(same, text.size() - same - tail);
    if (replaced.find_first_of("\r\n") != std::string_view::npos) std::abort();
    // Writing the same again changes nothing.
    if (SetValue(written, section, key, value) != written) std::abort();
    return 0;
}
