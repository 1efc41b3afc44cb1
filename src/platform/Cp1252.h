#pragma once
// Windows code page 1252, the ANSI code page of AirMail's files and of the
// registry values read through the ANSI calls, one character at a time.

namespace tw::platform {

// The UTF-16 unit of a byte.  The five bytes the code page leaves unassigned
// stand for the C1 control of the same value, as Windows maps them.
char16_t Cp1252ToUnicode(unsigned char byte);

// The byte of a UTF-16 unit; "?" for a character the code page lacks (the
// C1 controls of the unassigned bytes map back to those bytes).
char UnicodeToCp1252(char16_t unit);

}  // namespace tw::platform
