#pragma once
// The United States keyboard layout, both ways: the key and shift state that
// types a character (what VkKeyScanA answers under that layout) and the
// character that a key types with or without Shift.  The simulated desktop
// uses it as its active layout; tests of keystroke synthesis use it as the
// layout lookup.

#include <optional>

#include "platform/Desktop.h"

namespace tw::platform {

// VkKeyScanA under the US layout: letters, digits, the punctuation of the
// main keyboard, blank, Tab, Return, Backspace, and the control characters
// that Ctrl with a letter or bracket types.  Nothing for other bytes (the
// layout has no key for the accented letters of code page 1252).
std::optional<KeyScan> UsKeyScan(char character);

// The character a key types under the US layout with Caps Lock off: main
// keyboard keys, the blank, and the number pad with Num Lock on.  Nothing
// for keys that type no character (function, arrow and modifier keys, Tab,
// Return, Backspace).
std::optional<char> UsKeyCharacter(std::uint16_t virtualKey, bool shift);

}  // namespace tw::platform
