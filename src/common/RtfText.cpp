#include "common/RtfText.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/Cp1252.h"

namespace tw {

namespace {

// The longest control word and parameter read; longer ones are cut there, as
// the format allows no more.
constexpr int kMaxWordLetters = 32;
constexpr int kMaxParamDigits = 10;

// Destinations whose text is not document text.
bool SkippedDestination(std::string_view word) {
    static constexpr std::string_view kWords[] = {
        "fonttbl",   "stylesheet", "info",       "pict",      "object",   "header",
        "headerl",   "headerr",    "headerf",    "footer",    "footerl",  "footerr",
        "footerf",   "footnote",   "fldinst",    "listtable", "listoverridetable",
        "rsidtbl",   "generator",  "xmlnstbl",   "themedata", "colorschememapping",
        "latentstyles", "datastore", "filetbl",  "revtbl",    "bkmkstart", "bkmkend",
        "annotation", "atnid",     "atnauthor",  "comment",   "private",  "template",
        "nonshppict", "shpinst",   "shppict",    "blipuid",   "pn",       "pntext",
        "mmathPr",   "wgrffmtfilter", "xe",      "tc",        "txe",      "do"};
    for (std::string_view w : kWords)
        if (w == word) return true;
    return false;
}

// What a group carries: the text colour (an index of the colour table, -1 for
// the default), the \uc count, and whether its content is skipped.
struct State {
    int color = -1;
    int uc = 1;
    bool skip = false;
    bool colorTable = false;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : m_p(reinterpret_cast<const unsigned char*>(bytes.constData())),
          m_end(m_p + bytes.size()) {
        // Every character takes a byte at least: the arrays are made at their
        // largest and cut to what was read at the end.
        m_out.text.resize(bytes.size());
        m_out.colors.resize(bytes.size());
        m_text = reinterpret_cast<char16_t*>(m_out.text.data());
        m_colorsOut = m_out.colors.data();
        m_table.push_back({});
    }

    RtfText Read() {
        // A rich-text document opens its first group with "\rtf" (blanks
        // and line ends before it are allowed).
        const unsigned char* start = m_p;
        while (start < m_end && (*start == ' ' || *start == '\t' || *start == '\r' || *start == '\n')) ++start;
        if (std::string_view(reinterpret_cast<const char*>(start),
                             static_cast<std::size_t>(std::min<long long>(m_end - start, 5))) != "{\\rtf")
            m_out.problem = QStringLiteral("It is not a rich-text document.");
        while (m_p < m_end) {
            const unsigned char c = *m_p++;
            switch (c) {
                case '{':
                    m_stack.push_back(m_state);
                    m_skipPending = 0;
                    break;
                case '}':
                    // A brace without its opening one is ignored.
                    if (!m_stack.empty()) {
                        if (m_state.colorTable && !m_stack.back().colorTable) EndColorTable();
                        m_state = m_stack.back();
                        m_stack.pop_back();
                    }
                    m_skipPending = 0;
                    break;
                case '\\':
                    Control();
                    break;
                case '\r':
                case '\n':
                    break;
                default:
                    if (m_state.colorTable) {
                        if (c == ';') NextColorEntry();
                    } else if (m_state.skip || m_skipPending > 0) {
                        Byte(c);
                    } else {
                        // A run of plain text in one go.
                        const Color color = CurrentColor();
                        Append(platform::Cp1252ToUnicode(c), color);
                        while (m_p < m_end && IsPlain(*m_p)) {
                            const unsigned char b = *m_p++;
                            Append(b < 0x80 ? static_cast<char16_t>(b) : platform::Cp1252ToUnicode(b),
                                   color);
                        }
                    }
            }
        }
        m_out.text.resize(m_count);
        m_out.colors.resize(m_count);
        return std::move(m_out);
    }

private:
    struct Entry {
        bool set = false;
        int r = 0, g = 0, b = 0;
    };

    void Put(char16_t ch) {
        if (m_state.skip || m_state.colorTable) return;
        if (m_skipPending > 0) {
            --m_skipPending;
            return;
        }
        Append(ch, CurrentColor());
    }
    void Append(char16_t ch, Color color) {
        m_text[m_count] = ch;
        m_colorsOut[m_count] = color;
        ++m_count;
    }
    static bool IsPlain(unsigned char c) {
        return c != '\\' && c != '{' && c != '}' && c != '\r' && c != '\n';
    }
    void Byte(unsigned char c) { Put(platform::Cp1252ToUnicode(c)); }
    // A break (paragraph, line, tab) is never eaten by the \uc skip.
    void Break(char16_t ch) {
        m_skipPending = 0;
        Put(ch);
    }

    Color CurrentColor() const {
        if (m_state.color <= 0 || m_state.color >= static_cast<int>(m_colors.size())) return 0;
        return m_colors[static_cast<std::size_t>(m_state.color)];
    }

    void NextColorEntry() { m_table.push_back({}); }
    // The table read: each entry's colour by its RGB values; an entry with no
    // colour given (the first one, usually) is the default, black.
    void EndColorTable() {
        m_colors.clear();
        for (std::size_t i = 0; i + 1 < m_table.size() || (i < m_table.size() && m_table[i].set);
             ++i) {
            const Entry& e = m_table[i];
            m_colors.push_back(e.set ? Rgb(e.r, e.g, e.b) : 0);
        }
        m_table.assign(1, {});
    }

    void Control() {
        if (m_p >= m_end) return;
        const unsigned char c = *m_p;
        if (!IsLetter(c)) {
            ++m_p;
            Symbol(c);
            return;
        }
        char word[kMaxWordLetters + 1];
        int n = 0;
        while (m_p < m_end && IsLetter(*m_p)) {
            if (n < kMaxWordLetters) word[n++] = static_cast<char>(*m_p);
            ++m_p;
        }
        const std::string_view name(word, static_cast<std::size_t>(n));
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && IsDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        int digits = 0;
        while (m_p < m_end && IsDigit(*m_p)) {
            if (digits++ < kMaxParamDigits) param = param * 10 + (*m_p - '0');
            hasParam = true;
            ++m_p;
        }
        if (negative) param = -param;
        if (m_p < m_end && *m_p == ' ') ++m_p;
        Word(name, hasParam, static_cast<int>(std::clamp(param, -2147483647LL, 2147483647LL)));
    }

    void Symbol(unsigned char c) {
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Put(c);
                break;
            case '~':
                Put(u'\u00A0');
                break;
            case '_':
                Put(u'-');
                break;
            case '-':  // an optional hyphen: not shown
                break;
            case '*':
                // An ignorable destination: its whole group goes.
                m_state.skip = true;
                break;
            case '\'': {
                int value = 0;
                int n = 0;
                while (n < 2 && m_p < m_end && HexValue(*m_p) >= 0) {
                    value = value * 16 + HexValue(*m_p);
                    ++m_p;
                    ++n;
                }
                if (n > 0) Byte(static_cast<unsigned char>(value));
                break;
            }
            case '\r':
            case '\n':
                Break(u'\n');
                break;
            default:
                break;
        }
    }

    void Word(std::string_view w, bool hasParam, int param) {
        if (w == "bin") {
            // Binary data: its bytes are passed over, never read as text.
            const long long left = m_end - m_p;
            if (hasParam && param > left && m_out.problem.isEmpty())
                m_out.problem = QStringLiteral("Its binary data run past its end.");
            m_p += hasParam && param > 0 ? std::min<long long>(param, left) : 0;
            return;
        }
        if (m_state.skip) return;
        if (m_state.colorTable) {
            Entry& e = m_table.back();
            const int v = qBound(0, param, 255);
            if (w == "red") { e.r = v; e.set = true; }
            else if (w == "green") { e.g = v; e.set = true; }
            else if (w == "blue") { e.b = v; e.set = true; }
            return;
        }
        if (w == "par" || w == "line" || w == "sect" || w == "page" || w == "row") {
            Break(u'\n');
        } else if (w == "tab" || w == "cell") {
            Break(u'\t');
        } else if (w == "cf") {
            m_state.color = hasParam ? param : 0;
        } else if (w == "plain") {
            m_state.color = -1;
        } else if (w == "uc") {
            m_state.uc = qBound(0, hasParam ? param : 1, 16);
        } else if (w == "u") {
            if (!hasParam) return;
            const int code = param < 0 ? param + 65536 : param;
            m_skipPending = 0;
            Put(static_cast<char16_t>(code & 0xFFFF));
            m_skipPending = m_state.uc;
        } else if (w == "colortbl") {
            m_state.colorTable = true;
            m_table.assign(1, {});
        } else if (SkippedDestination(w)) {
            m_state.skip = true;
        } else if (w == "emdash") {
            Put(u'\u2014');
        } else if (w == "endash") {
            Put(u'\u2013');
        } else if (w == "bullet") {
            Put(u'\u2022');
        } else if (w == "lquote") {
            Put(u'\u2018');
        } else if (w == "rquote") {
            Put(u'\u2019');
        } else if (w == "ldblquote") {
            Put(u'\u201C');
        } else if (w == "rdblquote") {
            Put(u'\u201D');
        }
    }

    static bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
    static int HexValue(unsigned char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    const unsigned char* m_p;
    const unsigned char* m_end;
    State m_state;
    std::vector<State> m_stack;
    int m_skipPending = 0;
    std::vector<Entry> m_table;
    std::vector<Color> m_colors;
    RtfText m_out;
    char16_t* m_text = nullptr;
    Color* m_colorsOut = nullptr;
    qsizetype m_count = 0;
};

}  // namespace

RtfText RtfTextRead(const QByteArray& bytes) { return Reader(bytes).Read(); }

}  // namespace tw
