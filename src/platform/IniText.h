#pragma once
// The text of a profile (INI) file: finding a value and editing one, as pure
// functions on the bytes of the file.  Both profile backends read the file,
// call these, and write the result back.
//
// The reading rules are those of the Windows profile functions:
// - "[section]" lines start sections; a section runs to the next line that
//   starts with "[".  Lines before the first section belong to none.
// - "key=value" lines are keys; the key is the text before the first "=".
//   A line without "=" is no key.  A line starting with ";" is a comment for
//   a write (new keys go above the comments of the next section), but a key
//   for a read (";k=v" is the key ";k"), as Windows has no comments.
// - Names compare without regard to ASCII letter case and to surrounding
//   blanks (spaces and tabs).  The value is trimmed of blanks; a value
//   enclosed in a matching pair of single or double quotes loses them.
// - The first matching section and the first matching key in it win.
// - Lines end in CR LF, LF or a lone CR; the last line may have no line end.
//   A UTF-8 byte order mark at the start of the file is skipped.
//
// Those functions work on the text as it stands.  A profile file itself is
// read as the Windows profile functions read it: a file that starts with a
// UTF-16 byte order mark (FF FE little-endian, FE FF big-endian) holds UTF-16
// text, one that starts with the UTF-8 mark (EF BB BF) UTF-8 text; a file
// without a mark that holds a NUL byte (which no text of the code page does)
// is UTF-16 without a mark, big-endian when more of its NULs stand at even
// offsets (the high byte first), else little-endian; any other file is in
// the ANSI code page (1252).  The *OfFile functions below take the file's
// bytes: names, values and defaults are ANSI text as the "A" profile
// functions hand them over; a character the code page lacks reads as "?",
// and a write keeps the file's encoding, its byte order mark (or its lack of
// one) and every character it does not change, so that a UTF-16 file never
// gets a line of ANSI text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Profile.h"

namespace tw::platform::ini {

// The text without leading and trailing blanks (spaces and tabs).
std::string_view Trim(std::string_view text);

// Whether two section or key names are the same name: trimmed, ASCII case
// ignored.
bool NamesEqual(std::string_view a, std::string_view b);

// The value of [section] key, or nothing when the section or key is absent.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// GetPrivateProfileStringA on a file's text: the value, or `def` (less its
// trailing blanks, as Windows does) when absent; either cut to
// bufferSize - 1 bytes.  A buffer of size 0 gives "".
std::string GetString(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view def, std::size_t bufferSize);

// Whether section, key and value can be written without changing the
// structure of the file.  Refused: empty names, line breaks or NUL anywhere,
// "]" in a section name, "=" in a key, a key starting with "[" or ";".
// (The Windows functions would write such text and so create other lines or
// sections than the caller meant; both backends refuse it instead.)
bool CanWrite(std::string_view section, std::string_view key, std::string_view value);

// The line end that new lines get, the file's own: CR LF when the text has one
// or has no line end at all (a new or one-line file), else LF when it has one,
// else CR.
std::string_view NewLineOf(std::string_view text);

// The text after writing [section] key=value (CanWrite must hold):
// - an existing key (the first in the first matching section) keeps its line
//   up to and including "=" and the blanks after it, so its spelling and
//   spacing stay; the old value is replaced by the new one less its leading
//   blanks (they would not read back) and the line keeps its line end;
// - a new key goes on a new line right after the last non-blank line of the
//   section; comment lines directly above the next section's header belong
//   to that header and stay below the new key;
// - a new section goes at the end of the text, after a line end if the text
//   does not end with one.
// New lines use NewLineOf(text) and end with it.  Every other byte stays.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

// SetValue for each entry in turn (each must pass CanWrite).
std::string SetValues(std::string_view text, const std::vector<ProfileEntry>& entries);

// GetString on a profile file's bytes in any of its encodings.
std::string GetStringOfFile(std::string_view bytes, std::string_view section,
                            std::string_view key, std::string_view def, std::size_t bufferSize);

// SetValues on a profile file's bytes, written back in the file's encoding.
std::string SetValuesOfFile(std::string_view bytes, const std::vector<ProfileEntry>& entries);

// Whether a profile file's bytes end with a line end, in the file's encoding:
// LF, or CR in a file whose line ends are all CR (elsewhere the LF of a CR LF
// may be still to come).  A profile file another program is writing in
// pieces almost never ends so between two of its writes; a UTF-16 file cut
// inside a character never does.
bool EndsWithLineEnd(std::string_view bytes);

// A profile file's bytes parsed once, for many reads of text that stays as
// it is: the lines are split and each section's keys found when it is made,
// so that a read costs the same in a file of any length.  GetString answers
// as GetStringOfFile on the same bytes does (the same rules: the first
// matching section, the first matching key in it).
class ParsedFile {
public:
    explicit ParsedFile(std::string_view bytes);

    std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                          std::size_t bufferSize) const;

private:
    // Where a value lies in m_text (quotes and blanks already taken off).
    struct Span {
        std::size_t begin;
        std::size_t size;
    };
    using Keys = std::unordered_map<std::string, Span>;  // by folded name

    bool m_unicode = false;  // m_text is a Unicode file's text as UTF-8
    std::string m_text;      // else the file's bytes
    std::unordered_map<std::string, Keys> m_sections;  // the first of each folded name
};

}  // namespace tw::platform::ini
