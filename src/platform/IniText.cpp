#include "platform/IniText.h"

#include <vector>

#include "platform/Cp1252.h"

namespace tw::platform::ini {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One line of the text: [begin, contentEnd) is its text, [contentEnd, end)
// its line end ("\r\n", "\n" or nothing on the last line).
struct Line {
    std::size_t begin;
    std::size_t contentEnd;
    std::size_t end;
};

enum class Kind { Blank, Comment, Header, Key, Other };

// Where the lines start: after a UTF-8 byte order mark, if any.
std::size_t TextStart(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// Lines end in CR LF, LF or a lone CR, as the Windows profile functions read them.
std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = TextStart(text);
    while (pos < text.size()) {
        const std::size_t brk = text.find_first_of("\r\n", pos);
        if (brk == std::string_view::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        const bool crlf = text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n';
        const std::size_t end = brk + (crlf ? 2 : 1);
        lines.push_back({pos, brk, end});
        pos = end;
    }
    return lines;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view Content(std::string_view text, const Line& line) {
    return text.substr(line.begin, line.contentEnd - line.begin);
}

Kind KindOf(std::string_view content) {
    std::string_view t = Trim(content);
    if (t.empty()) return Kind::Blank;
    if (t.front() == ';') return Kind::Comment;
    if (t.front() == '[') return Kind::Header;
    if (t.find('=') != std::string_view::npos) return Kind::Key;
    return Kind::Other;
}

// The name of a header line: the text between "[" and the first "]" (or the
// line's end when there is none), trimmed.
std::string_view HeaderName(std::string_view content) {
    std::string_view t = Trim(content).substr(1);
    std::size_t close = t.find(']');
    return Trim(t.substr(0, close));
}

std::string_view KeyName(std::string_view content) {
    return Trim(content.substr(0, content.find('=')));
}

// A name as NamesEqual compares it: trimmed, ASCII letters in lower case.
std::string FoldedName(std::string_view name) {
    std::string folded(Trim(name));
    for (char& c : folded) c = FoldCase(c);
    return folded;
}

// Whether a line is a key for reading: a comment line with "=" is one too
// (";k=v" is the key ";k", as the Windows profile functions read it); a
// write never names such a key (see CanWrite).
bool IsReadKey(Kind kind, std::string_view content) {
    return kind == Kind::Key || (kind == Kind::Comment && content.find('=') != content.npos);
}

// The value of a key line: after the first "=", trimmed, and without a
// matching pair of quotes around it.
std::string_view ValueOf(std::string_view content) {
    std::string_view value = Trim(content.substr(content.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a section lies: the header line and the line after its last line.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> FindSection(std::string_view text, const std::vector<Line>& lines,
                                       std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view c = Content(text, lines[i]);
        if (KindOf(c) != Kind::Header || !NamesEqual(HeaderName(c), section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && KindOf(Content(text, lines[end])) != Kind::Header) ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

// The first line of the key in the section (IsReadKey).
std::optional<std::size_t> FindKey(std::string_view text, const std::vector<Line>& lines,
                                   const SectionSpan& span, std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        std::string_view c = Content(text, lines[i]);
        if (IsReadKey(KindOf(c), c) && NamesEqual(KeyName(c), key)) return i;
    }
    return std::nullopt;
}

std::string_view CutTo(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return text.substr(0, bufferSize - 1);
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// ---- Encodings of profile files ------------------------------------------

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// A file's encoding and the length of its byte order mark (0: none).
struct FileEncoding {
    Encoding encoding = Encoding::Ansi;
    std::size_t mark = 0;
};

FileEncoding EncodingOf(std::string_view bytes) {
    if (bytes.substr(0, 2) == kUtf16LeMark) return {Encoding::Utf16Le, 2};
    if (bytes.substr(0, 2) == kUtf16BeMark) return {Encoding::Utf16Be, 2};
    if (bytes.substr(0, 3) == kUtf8Mark) return {Encoding::Utf8, 3};
    // No text of the code page holds a NUL; UTF-16 text of Latin letters
    // holds one in every other byte: the high bytes, second (little-endian)
    // or first (big-endian).
    std::size_t even = 0, odd = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') ++(i % 2 ? odd : even);
    if (even + odd == 0) return {};
    return {odd >= even ? Encoding::Utf16Le : Encoding::Utf16Be, 0};
}

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next character of UTF-8 text at `pos` (moved past it); a byte that
// starts no valid sequence is one U+FFFD.
char32_t NextUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    const int extra = lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                      : lead >= 0xF0 && lead < 0xF5 ? 3 : 0;
    if (extra == 0 || pos + static_cast<std::size_t>(extra) >= text.size()) {
        ++pos;
        return kReplacement;
    }
    char32_t c = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = byte(pos + static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        ++pos;
        return kReplacement;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return c;
}

// The UTF-16 code unit at byte `i` of a file of `encoding`.
char32_t Utf16Unit(std::string_view bytes, std::size_t i, Encoding encoding) {
    const auto byte = [&](std::size_t at) -> char32_t { return static_cast<unsigned char>(bytes[at]); };
    return encoding == Encoding::Utf16Be ? (byte(i) << 8) | byte(i + 1) : byte(i) | (byte(i + 1) << 8);
}

// A Unicode file's text as UTF-8, without the byte order mark.  UTF-16 is
// converted (a lone surrogate becomes U+FFFD, an odd last byte is dropped).
std::string UnicodeText(std::string_view bytes, FileEncoding file) {
    if (file.encoding == Encoding::Utf8) return std::string(bytes.substr(file.mark));
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) { return Utf16Unit(bytes, i, file.encoding); };
    for (std::size_t i = file.mark; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// UTF-8 text back to the bytes of a file of `file`'s encoding, with its
// byte order mark when it had one.
std::string FileBytes(std::string_view text, FileEncoding file) {
    if (file.encoding == Encoding::Utf8) return std::string(kUtf8Mark) + std::string(text);
    const bool big = file.encoding == Encoding::Utf16Be;
    std::string out(file.mark == 0 ? "" : big ? kUtf16BeMark : kUtf16LeMark);
    const auto put = [&](char32_t u) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        out += big ? high : low;
        out += big ? low : high;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = NextUtf8(text, pos);
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    for (char c : ansi) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToAnsi(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = NextUtf8(text, pos);
        out += c >= 0x10000 ? '?' : UnicodeToCp1252(static_cast<char16_t>(c));
    }
    return out;
}

}  // namespace

std::string_view Trim(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

bool NamesEqual(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    const std::vector<Line> lines = SplitLines(text);
    const auto span = FindSection(text, lines, section);
    if (!span) return std::nullopt;
    const auto at = FindKey(text, lines, *span, key);
    if (!at) return std::nullopt;
    return std::string(ValueOf(Content(text, lines[*at])));
}

std::string GetString(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view def, std::size_t bufferSize) {
    if (auto value = FindValue(text, section, key)) return std::string(CutTo(*value, bufferSize));
    while (!def.empty() && IsBlank(def.back())) def.remove_suffix(1);
    return std::string(CutTo(def, bufferSize));
}

bool CanWrite(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view s = Trim(section);
    const std::string_view k = Trim(key);
    if (s.empty() || k.empty()) return false;
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) {
        return false;
    }
    if (s.find(']') != std::string_view::npos) return false;
    if (k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';') return false;
    return true;
}

std::string_view NewLineOf(std::string_view text) {
    if (text.find("\r\n") != std::string_view::npos) return "\r\n";
    if (text.find('\n') != std::string_view::npos) return "\n";
    if (text.find('\r') != std::string_view::npos) return "\r";
    return "\r\n";
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
    const std::string_view nl = NewLineOf(text);
    const std::vector<Line> lines = SplitLines(text);
    std::string keyLine(Trim(key));
    keyLine.append("=").append(value);

    // Insert `block` (whole lines, each with its line end) at byte `pos`,
    // first ending the line before it if that line has no line end.
    auto insertAt = [&](std::size_t pos, const std::string& block) {
        std::string out(text.substr(0, pos));
        if (pos > TextStart(text) && !IsLineEnd(out.back())) out += nl;
        out += block;
        out += text.substr(pos);
        return out;
    };

    const auto span = FindSection(text, lines, section);
    if (!span) {
        std::string block = "[";
        block.append(Trim(section)).append("]").append(nl).append(keyLine).append(nl);
        return insertAt(text.size(), block);
    }

    if (const auto at = FindKey(text, lines, *span, key)) {
        const Line& line = lines[*at];
        std::size_t keep = text.find('=', line.begin) + 1;
        while (keep < line.contentEnd && IsBlank(text[keep])) ++keep;
        // Blanks at the start of a value do not read back (values are
        // trimmed); writing them after the blanks kept from the old line
        // would add one more on every write.
        std::string out(text.substr(0, keep));
        std::string_view kept = value;
        while (!kept.empty() && IsBlank(kept.front())) kept.remove_prefix(1);
        out += kept;
        out += text.substr(line.contentEnd);
        return out;
    }

    // The new key's place: skip back over the comment block that sits directly
    // above the next header (when there is one), then over blank lines.
    std::size_t last = span->end;  // one past the line the key follows
    if (span->end < lines.size()) {
        while (last > span->header + 1 && KindOf(Content(text, lines[last - 1])) == Kind::Comment) {
            --last;
        }
    }
    while (last > span->header + 1 && KindOf(Content(text, lines[last - 1])) == Kind::Blank) --last;
    return insertAt(lines[last - 1].end, keyLine + std::string(nl));
}

std::string SetValues(std::string_view text, const std::vector<ProfileEntry>& entries) {
    std::string out(text);
    for (const ProfileEntry& e : entries) out = SetValue(out, e.section, e.key, e.value);
    return out;
}

}  // namespace tw::platform::ini

namespace tw::platform::ini {

std::string GetStringOfFile(std::string_view bytes, std::string_view section,
                            std::string_view key, std::string_view def, std::size_t bufferSize) {
    const FileEncoding encoding = EncodingOf(bytes);
    if (encoding.encoding == Encoding::Ansi) return GetString(bytes, section, key, def, bufferSize);
    const auto value = FindValue(UnicodeText(bytes, encoding), AnsiToUtf8(section), AnsiToUtf8(key));
    if (!value) return GetString({}, section, key, def, bufferSize);
    return std::string(CutTo(Utf8ToAnsi(*value), bufferSize));
}

std::string SetValuesOfFile(std::string_view bytes, const std::vector<ProfileEntry>& entries) {
    const FileEncoding encoding = EncodingOf(bytes);
    if (encoding.encoding == Encoding::Ansi) return SetValues(bytes, entries);
    std::string text = UnicodeText(bytes, encoding);
    for (const ProfileEntry& e : entries)
        text = SetValue(text, AnsiToUtf8(e.section), AnsiToUtf8(e.key), AnsiToUtf8(e.value));
    return FileBytes(text, encoding);
}

bool EndsWithLineEnd(std::string_view bytes) {
    const FileEncoding file = EncodingOf(bytes);
    const bool wide = file.encoding == Encoding::Utf16Le || file.encoding == Encoding::Utf16Be;
    if (wide && (bytes.size() - file.mark) % 2 != 0) return false;  // a character cut in two
    const std::size_t unit = wide ? 2 : 1;
    if (bytes.size() < file.mark + unit) return false;
    const auto at = [&](std::size_t i) {
        return wide ? Utf16Unit(bytes, i, file.encoding)
                    : static_cast<char32_t>(static_cast<unsigned char>(bytes[i]));
    };
    const char32_t last = at(bytes.size() - unit);
    if (last == '\n') return true;
    if (last != '\r') return false;
    // A CR is the whole line end only in a file of CR line ends: elsewhere
    // the LF of its CR LF may be still to come.
    for (std::size_t i = file.mark; i + unit <= bytes.size(); i += unit)
        if (at(i) == '\n') return false;
    return true;
}

}  // namespace tw::platform::ini

namespace tw::platform::ini {

ParsedFile::ParsedFile(std::string_view bytes) {
    const FileEncoding encoding = EncodingOf(bytes);
    m_unicode = encoding.encoding != Encoding::Ansi;
    m_text = m_unicode ? UnicodeText(bytes, encoding) : std::string(bytes);
    const std::string_view text = m_text;
    Keys* keys = nullptr;  // the section being read; none before the first
                           // header and in a later section of a name seen
    for (const Line& line : SplitLines(text)) {
        const std::string_view c = Content(text, line);
        const Kind kind = KindOf(c);
        if (kind == Kind::Header) {
            const auto [at, first] = m_sections.try_emplace(FoldedName(HeaderName(c)));
            keys = first ? &at->second : nullptr;
        } else if (keys && IsReadKey(kind, c)) {
            const std::string_view value = ValueOf(c);
            keys->try_emplace(
                FoldedName(KeyName(c)),
                Span{static_cast<std::size_t>(value.data() - text.data()), value.size()});
        }
    }
}

std::string ParsedFile::GetString(std::string_view section, std::string_view key,
                                  std::string_view def, std::size_t bufferSize) const {
    const auto folded = [this](std::string_view name) {
        return m_unicode ? FoldedName(AnsiToUtf8(name)) : FoldedName(name);
    };
    if (const auto keys = m_sections.find(folded(section)); keys != m_sections.end()) {
        if (const auto at = keys->second.find(folded(key)); at != keys->second.end()) {
            const std::string_view value =
                std::string_view(m_text).substr(at->second.begin, at->second.size);
            if (!m_unicode) return std::string(CutTo(value, bufferSize));
            return std::string(CutTo(Utf8ToAnsi(value), bufferSize));
        }
    }
    return ini::GetString({}, section, key, def, bufferSize);
}

}  // namespace tw::platform::ini
