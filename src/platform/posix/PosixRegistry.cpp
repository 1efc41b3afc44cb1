// The user's registry under Wine: the text file "user.reg" of the Wine prefix,
// the folder above the C: drive folder.  Its layout:
//
//   WINE REGISTRY Version 2
//   [Software\\Sirius Cybernetics\\AirMail\\Installation] 1700000000
//   #time=1da1b2c3d4e5f60
//   "Install Folder"="C:\\Program Files\\AirMail\\"
//   "Count"=dword:00000001
//
// Key paths are relative to HKEY_CURRENT_USER.  Names and strings are quoted
// with the escapes \\ \" \a \b \e \f \n \r \t \v, \x followed by up to four hex
// digits (a UTF-16 code unit) and \ followed by up to three octal digits;
// other characters stand for themselves in UTF-8.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/PathMapper.h"
#include "platform/Registry.h"

namespace tw::platform {

namespace {

std::u16string FromCp1252(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string ToCp1252(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        // A surrogate pair is one character outside the code page.
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        // A character the code page lacks becomes "?", as the ANSI registry query does.
        out.push_back(UnicodeToCp1252(u));
    }
    return out;
}

// Registry names compare without regard to case (the Latin-1 letters included).
char16_t Fold(char16_t u) {
    if ((u >= u'A' && u <= u'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
        return static_cast<char16_t>(u + 0x20);
    return u;
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One UTF-8 sequence at text[i]; a byte that starts no valid sequence stands
// for itself (as Latin-1), so that a damaged file still reads.
char32_t DecodeUtf8(const std::string& text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t value = b0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
        value = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        value = b0 & 0x0Fu;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        value = b0 & 0x07u;
    }
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return b0;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return b0;
        }
        value = (value << 6) | (b & 0x3Fu);
    }
    i += extra + 1;
    return value;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

// Reads an escaped string from line[i] up to the unescaped `end` character.
// On success i stands just after `end`.
bool ParseEscaped(const std::string& line, std::size_t& i, char end, std::u16string& out) {
    out.clear();
    while (i < line.size()) {
        const char c = line[i];
        if (c == end) {
            ++i;
            return true;
        }
        if (c != '\\') {
            AppendCodePoint(out, DecodeUtf8(line, i));
            continue;
        }
        if (i + 1 >= line.size()) return false;
        const char e = line[i + 1];
        i += 2;
        switch (e) {
            case 'a': out.push_back(u'\a'); break;
            case 'b': out.push_back(u'\b'); break;
            case 'e': out.push_back(0x1B); break;
            case 'f': out.push_back(u'\f'); break;
            case 'n': out.push_back(u'\n'); break;
            case 'r': out.push_back(u'\r'); break;
            case 't': out.push_back(u'\t'); break;
            case 'v': out.push_back(u'\v'); break;
            case 'x': {
                unsigned value = 0;
                int digits = 0;
                while (digits < 4 && i < line.size() && HexDigit(line[i]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexDigit(line[i]));
                    ++i;
                    ++digits;
                }
                if (digits == 0) out.push_back(u'x');
                else out.push_back(static_cast<char16_t>(value));
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned value = static_cast<unsigned>(e - '0');
                    int digits = 1;
                    while (digits < 3 && i < line.size() && line[i] >= '0' && line[i] <= '7') {
                        value = value * 8 + static_cast<unsigned>(line[i] - '0');
                        ++i;
                        ++digits;
                    }
                    out.push_back(static_cast<char16_t>(value));
                } else {
                    // \\, \" and \] stand for the character itself.
                    --i;
                    AppendCodePoint(out, DecodeUtf8(line, i));
                }
                break;
        }
    }
    return false;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

class PosixRegistry final : public IRegistry {
public:
    explicit PosixRegistry(const PathMapper& mapper) : m_mapper(mapper) {}

    bool QueryString(const std::string& keyPath, const std::string& valueName,
                     std::string& value) override {
        value.clear();
        const std::string drive = m_mapper.DriveFolder('C');
        if (drive.empty()) return false;
        // The Wine prefix holds drive_c and user.reg side by side.
        const std::filesystem::path regFile = drive + "/../user.reg";
        std::ifstream in(regFile, std::ios::binary);
        if (!in) return false;
        std::ostringstream text;
        text << in.rdbuf();
        if (in.bad()) return false;
        return WineRegistryFindString(text.str(), keyPath, valueName, value);
    }

private:
    const PathMapper& m_mapper;
};

}  // namespace

bool WineRegistryFindString(const std::string& fileText, const std::string& keyPath,
                            const std::string& valueName, std::string& value) {
    value.clear();
    const std::u16string wantedKey = FromCp1252(keyPath);
    const std::u16string wantedName = FromCp1252(valueName);
    bool inKey = false;
    bool found = false;
    std::u16string result;
    for (const std::string& line : SplitLines(fileText)) {
        if (line.empty()) continue;
        if (line[0] == '[') {
            std::size_t i = 1;
            std::u16string key;
            inKey = ParseEscaped(line, i, ']', key) && EqualNoCase(key, wantedKey);
            continue;
        }
        if (!inKey) continue;
        // A value line: "name"=data, or @=data for the key's default value.
        std::size_t i = 0;
        std::u16string name;
        if (line[0] == '"') {
            i = 1;
            if (!ParseEscaped(line, i, '"', name)) continue;
        } else if (line[0] == '@') {
            i = 1;
        } else {
            continue;  // comments (#time=...), continuation lines of binary data
        }
        if (i >= line.size() || line[i] != '=') continue;
        ++i;
        if (!EqualNoCase(name, wantedName)) continue;
        // A later line for the same value overrides an earlier one; a value
        // that is not a string makes the query fail.
        found = false;
        if (line.compare(i, 7, "str(2):") == 0) i += 7;
        else if (line.compare(i, 4, "str:") == 0) i += 4;
        if (i < line.size() && line[i] == '"') {
            ++i;
            std::u16string data;
            if (ParseEscaped(line, i, '"', data)) {
                result = std::move(data);
                found = true;
            }
        }
    }
    if (!found) return false;
    // The stored string ends at its first NUL, as a C string does.
    const std::size_t nul = result.find(u'\0');
    if (nul != std::u16string::npos) result.resize(nul);
    std::string bytes = ToCp1252(result);
    if (bytes.size() + 1 > kRegistryValueBuffer) return false;
    value = std::move(bytes);
    return true;
}

std::unique_ptr<IRegistry> MakeRegistry(const PathMapper& mapper) {
    return std::make_unique<PosixRegistry>(mapper);
}

}  // namespace tw::platform
