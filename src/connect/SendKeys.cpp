#include "connect/SendKeys.h"

#include <QByteArray>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/ProfileAccess.h"

namespace tw {

namespace {

using platform::KeyEvent;

struct NamedKey {
    std::string_view name;
    std::uint16_t vk;
    bool extended;
};

// Names are compared without regard to case.
constexpr NamedKey kNamedKeys[] = {
    {"BACKSPACE", 8, false}, {"BS", 8, false}, {"BKSP", 8, false},
    {"BREAK", 19, true}, {"PAUSE", 19, false}, {"CAPSLOCK", 20, false},
    {"DELETE", 46, true}, {"DEL", 46, true},
    {"DOWN", 40, true}, {"UP", 38, true}, {"LEFT", 37, true}, {"RIGHT", 39, true},
    {"END", 35, true}, {"HOME", 36, true}, {"PGDN", 34, true}, {"PGUP", 33, true},
    {"INS", 45, true}, {"INSERT", 45, true},
    {"ENTER", 13, false}, {"~", 13, false}, {"ESC", 27, false}, {"HELP", 47, false},
    {"NUMLOCK", 144, true}, {"SCROLLLOCK", 145, false}, {"PRINT", 42, true},
    {"PRTSC", 44, true}, {"PRTSCN", 44, true}, {"PRINTSCRN", 44, true}, {"PRINTSCREEN", 44, true},
    {"SELECT", 41, false}, {"TAB", 9, false},
    {"F1", 112, false}, {"F2", 113, false}, {"F3", 114, false}, {"F4", 115, false},
    {"F5", 116, false}, {"F6", 117, false}, {"F7", 118, false}, {"F8", 119, false},
    {"F9", 120, false}, {"F10", 121, false}, {"F11", 122, false}, {"F12", 123, false},
    {"F13", 124, false}, {"F14", 125, false}, {"F15", 126, false}, {"F16", 127, false},
};

const NamedKey* FindNamedKey(std::string_view name) {
    for (const auto& key : kNamedKeys) {
        if (key.name.size() == name.size() &&
            std::equal(name.begin(), name.end(), key.name.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == b;
            })) {
            return &key;
        }
    }
    return nullptr;
}

// The count of a braced item: read as a number (leading blanks skipped, the
// number ends where the text stops being one, no number is 0), rounded half
// to even, below 1 taken as 1, and held to kSendKeysMaxCount.
int BracedCount(std::string_view text) {
    if (text.empty()) return 1;
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str() || !std::isfinite(value)) return 1;
    const double rounded = std::nearbyint(value);
    if (rounded < 1) return 1;
    if (rounded > kSendKeysMaxCount) return kSendKeysMaxCount;
    return static_cast<int>(rounded);
}

class EventBuilder {
public:
    explicit EventBuilder(const KeyScanLookup& keyScan) : m_keyScan(keyScan) { m_events.reserve(512); }

    std::vector<KeyEvent> Take() { return std::move(m_events); }

    // Adds the item that starts at `i`; returns where the next item starts.
    std::size_t Item(std::string_view keys, std::size_t i) {
        const char c = keys[i];
        switch (c) {
        case '+': return Modified(keys, i, platform::vk::Shift);
        case '^': return Modified(keys, i, platform::vk::Control);
        case '%': return Modified(keys, i, platform::vk::Menu);
        case '(': return Group(keys, i);
        case '{': return Braced(keys, i);
        default:
            Plain(c);
            return i + 1;
        }
    }

private:
    // Only the Shift flag is consulted (a key that needs Shift gets no second
    // one); Ctrl and Alt are simply held around the item.
    std::size_t Modified(std::string_view keys, std::size_t i, std::uint16_t vk) {
        const bool shift = vk == platform::vk::Shift;
        m_events.push_back({vk, false, false});
        if (shift) m_shift = true;
        std::size_t next = i + 1;
        if (next < keys.size()) next = Item(keys, next);
        m_events.push_back({vk, true, false});
        if (shift) m_shift = false;
        return next;
    }

    std::size_t Group(std::string_view keys, std::size_t i) {
        const std::size_t close = keys.find(')', i + 1);
        if (close == std::string_view::npos || close == i + 1) return i + 1;
        for (std::size_t k = i + 1; k < close; ++k) Plain(keys[k]);
        return close + 1;
    }

    std::size_t Braced(std::string_view keys, std::size_t i) {
        const std::size_t close = keys.find('}', i + 1);
        if (close == std::string_view::npos || close == i + 1) return i + 1;
        const std::string_view text = keys.substr(i + 1, close - i - 1);
        // The name ends at the first blank; the count is the next word after it.
        const std::size_t blank = text.find(' ');
        const std::string_view name = text.substr(0, blank);
        std::string_view countText;
        if (blank != std::string_view::npos) {
            countText = text.substr(blank);
            const std::size_t first = countText.find_first_not_of(' ');
            countText = first == std::string_view::npos ? std::string_view() : countText.substr(first);
            countText = countText.substr(0, countText.find(' '));
        }
        const int count = BracedCount(countText);
        const NamedKey* named = FindNamedKey(name);
        for (int n = 0; n < count; ++n) {
            if (named) {
                Stroke(named->vk, false, named->extended);
            } else {
                Plain(text.front());
            }
        }
        return close + 1;
    }

    // A character through the layout.  A character the layout has no key for
    // is left out: sending the "no key" answer on as a key would press an
    // unrelated one.
    void Plain(char c) {
        const auto scan = m_keyScan(c);
        if (!scan) return;
        Stroke(scan->vk, scan->NeedsShift(), false);
    }

    void Stroke(std::uint16_t vk, bool needsShift, bool extended) {
        const bool addShift = needsShift && !m_shift;
        if (addShift) m_events.push_back({platform::vk::Shift, false, false});
        m_events.push_back({vk, false, extended});
        m_events.push_back({vk, true, false});
        if (addShift) m_events.push_back({platform::vk::Shift, true, false});
    }

    const KeyScanLookup& m_keyScan;
    std::vector<KeyEvent> m_events;
    bool m_shift = false;  // Shift held by a "+" item
};

}  // namespace

std::vector<platform::KeyEvent> SendKeysBuildEvents(std::string_view keys, const KeyScanLookup& keyScan) {
    EventBuilder builder(keyScan);
    std::size_t i = 0;
    while (i < keys.size()) i = builder.Item(keys, i);
    return builder.Take();
}

bool SendKeys(platform::IInput& input, const QString& keys) {
    const QByteArray bytes = UnicodeToAnsi(keys);
    const auto events = SendKeysBuildEvents(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                            [&input](char c) { return input.KeyScanFor(c); });
    if (events.empty()) return true;
    return input.SendInput(events) == events.size();
}

}  // namespace tw
