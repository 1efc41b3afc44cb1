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

// The count of a braced item: read as a number (leading white space skipped, the
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
    // A modifier is pressed and stays down until the item after it (after
    // any further modifiers) is done, then they are released in reverse
    // order; at the end of the sequence the pressed ones are released alone.
    // One loop rather than a call per modifier, however many there are.
    std::size_t Item(std::string_view keys, std::size_t i) {
        std::size_t held = 0;
        for (; i < keys.size(); ++i) {
            const std::uint16_t vk = ModifierKey(keys[i]);
            if (vk == 0) break;
            Press(vk);
            ++held;
        }
        if (i < keys.size()) i = Single(keys, i);
        for (; held > 0; --held) Release();
        return i;
    }

private:
    static std::uint16_t ModifierKey(char c) {
        switch (c) {
        case '+': return platform::vk::Shift;
        case '^': return platform::vk::Control;
        case '%': return platform::vk::Menu;
        default: return 0;
        }
    }

    // A character, a braced key or a group.
    std::size_t Single(std::string_view keys, std::size_t i) {
        switch (keys[i]) {
        case '(': return Group(keys, i);
        case '{': return Braced(keys, i);
        default:
            Plain(keys[i]);
            return i + 1;
        }
    }

    // Only the Shift flag is consulted (a key that needs Shift gets no second
    // one); Ctrl and Alt are simply held around the item.
    void Press(std::uint16_t vk) {
        m_events.push_back({vk, false, false});
        m_held.push_back(vk);
        if (vk == platform::vk::Shift) ++m_shift;
    }

    void Release() {
        const std::uint16_t vk = m_held.back();
        m_held.pop_back();
        m_events.push_back({vk, true, false});
        if (vk == platform::vk::Shift) --m_shift;
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
        // The text split at every blank: the name is the first part, the
        // count the second, so "UP  2" has an empty count (one stroke).
        const std::size_t blank = text.find(' ');
        const std::string_view name = text.substr(0, blank);
        std::string_view countText;
        if (blank != std::string_view::npos) {
            countText = text.substr(blank + 1);
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
        const bool addShift = needsShift && m_shift == 0;
        if (addShift) m_events.push_back({platform::vk::Shift, false, false});
        m_events.push_back({vk, false, extended});
        m_events.push_back({vk, true, false});
        if (addShift) m_events.push_back({platform::vk::Shift, true, false});
    }

    const KeyScanLookup& m_keyScan;
    std::vector<KeyEvent> m_events;
    std::vector<std::uint16_t> m_held;  // modifiers pressed, innermost last
    int m_shift = 0;                    // how many of them are Shift
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
