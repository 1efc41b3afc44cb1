#include "platform/sim/UsKeyboard.h"

#include <array>

namespace tw::platform {

namespace {

struct PunctuationKey {
    std::uint8_t vk;
    char plain;
    char shifted;
};

// The keys of the main keyboard that are neither letters nor blank.
constexpr std::array<PunctuationKey, 21> kPunctuation{{
    {'0', '0', ')'}, {'1', '1', '!'}, {'2', '2', '@'}, {'3', '3', '#'}, {'4', '4', '$'},
    {'5', '5', '%'}, {'6', '6', '^'}, {'7', '7', '&'}, {'8', '8', '*'}, {'9', '9', '('},
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'}, {0xBE, '.', '>'},
    {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'},
    {0xDE, '\'', '"'},
}};

constexpr std::uint8_t kShift = 1;
constexpr std::uint8_t kCtrl = 2;

}  // namespace

std::optional<KeyScan> UsKeyScan(char character) {
    const auto c = static_cast<unsigned char>(character);
    if (c >= 'a' && c <= 'z') return KeyScan{static_cast<std::uint8_t>(c - 'a' + 'A'), 0};
    if (c >= 'A' && c <= 'Z') return KeyScan{c, kShift};
    if (c == ' ') return KeyScan{0x20, 0};
    for (const auto& key : kPunctuation) {
        if (c == static_cast<unsigned char>(key.plain)) return KeyScan{key.vk, 0};
        if (c == static_cast<unsigned char>(key.shifted)) return KeyScan{key.vk, kShift};
    }
    switch (c) {
    case '\b': return KeyScan{vk::Back, 0};
    case '\t': return KeyScan{vk::Tab, 0};
    case '\r': return KeyScan{vk::Return, 0};
    case '\n': return KeyScan{vk::Return, kCtrl};
    case 0x1B: return KeyScan{0xDB, kCtrl};
    case 0x1C: return KeyScan{0xDC, kCtrl};
    case 0x1D: return KeyScan{0xDD, kCtrl};
    default: break;
    }
    // The other control characters are Ctrl with a letter.
    if (c >= 1 && c <= 26) return KeyScan{static_cast<std::uint8_t>('A' + c - 1), kCtrl};
    return std::nullopt;
}

std::optional<char> UsKeyCharacter(std::uint16_t virtualKey, bool shift) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return static_cast<char>(shift ? virtualKey : virtualKey - 'A' + 'a');
    }
    if (virtualKey == 0x20) return ' ';
    for (const auto& key : kPunctuation) {
        if (virtualKey == key.vk) return shift ? key.shifted : key.plain;
    }
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return static_cast<char>('0' + virtualKey - 0x60);
    switch (virtualKey) {
    case 0x6A: return '*';
    case 0x6B: return '+';
    case 0x6D: return '-';
    case 0x6E: return '.';
    case 0x6F: return '/';
    default: return std::nullopt;
    }
}

}  // namespace tw::platform
