#include "platform/Cp1252.h"

#include <array>
#include <cstddef>

namespace tw::platform {

namespace {

// Bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        const char16_t u = kHigh[byte - 0x80];
        return u != 0 ? u : static_cast<char16_t>(byte);
    }
    return static_cast<char16_t>(byte);
}

char UnicodeToCp1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        const char16_t h = kHigh[i] != 0 ? kHigh[i] : static_cast<char16_t>(0x80 + i);
        if (h == unit) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace tw::platform
