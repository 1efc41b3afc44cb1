// The key notation on any text: every key pressed is released, never before
// it was pressed, and a braced count never floods the other program.

#include <cstdlib>
#include <map>
#include <string_view>

#include "connect/SendKeys.h"
#include "platform/sim/UsKeyboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view keys(reinterpret_cast<const char*>(data), size);
    const auto events = tw::SendKeysBuildEvents(keys, tw::platform::UsKeyScan);
    std::map<std::uint16_t, int> down;
    for (const auto& e : events) {
        int& n = down[e.vk];
        n += e.keyUp ? -1 : 1;
        if (n < 0) std::abort();
    }
    for (const auto& [vk, n] : down)
        if (n != 0) std::abort();
    // At most four events per character typed, a thousand strokes per braced item.
    if (events.size() > 4 * (size + 1) * tw::kSendKeysMaxCount) std::abort();
    return 0;
}
