#pragma once
// Keystroke synthesis: a key sequence in the program's key notation becomes
// one list of keyboard events, delivered to the system in a single SendInput
// call, so that nothing the user types meanwhile can land between them.
//
// The notation, read left to right one item at a time:
//   "+", "^", "%"       Shift, Ctrl, Alt held down for the next single item
//                       (a character, a braced key or a group); at the very
//                       end of the sequence the modifier is pressed and
//                       released alone
//   "(" text ")"        a group: every character up to the next ")" typed as
//                       a plain character (no modifiers, braces or nesting)
//   "{" name "}"        a named key ("{TAB}", "{F5}", "{~}" is Enter), or the
//                       first character of the braced text when the name is
//                       no key name ("{+}" types a plus sign)
//   "{" name count "}"  the same, typed count times ("{UP 3}"); the count is
//                       the text between the first blank and the next one
//   anything else       a plain character ("~" types a tilde)
// A plain character goes through the keyboard layout (VkKeyScanA): its key,
// with Shift around it when the layout needs Shift and no "+" holds it.

#include <QString>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"

namespace tw {

// The keyboard layout: the key and shift state that type a character.
using KeyScanLookup = std::function<std::optional<platform::KeyScan>(char)>;

// The most strokes one braced item with a count produces ("{TAB 100000}"
// would otherwise flood the other program with keys).
inline constexpr int kSendKeysMaxCount = 1000;

// The events for a key sequence (code page 1252 bytes), in delivery order.
// Every modifier pressed is released within the sequence.  Pure.
std::vector<platform::KeyEvent> SendKeysBuildEvents(std::string_view keys, const KeyScanLookup& keyScan);

// Builds the events of `keys` with the input service's keyboard layout and
// delivers them in one SendInput call.  True when the system took every
// event (also when there were none).  The short wait after the keys is the
// caller's (WaitSeconds).
bool SendKeys(platform::IInput& input, const QString& keys);

}  // namespace tw
