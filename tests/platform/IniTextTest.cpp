#include <gtest/gtest.h>

#include <string>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/IniText.h"

#ifdef _WIN32
#include "TempDir.h"
#include "platform/win32/Win32Api.h"
#endif

namespace tw::platform::ini {
namespace {

const std::string kLong(300, 'x');

// A UTF-16LE file's bytes, its byte order mark first.
std::string Utf16(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

// What Windows' own profile function reads from a file of these bytes (on
// Windows only; elsewhere nothing).
std::optional<std::string> WindowsReads([[maybe_unused]] const std::string& bytes,
                                        [[maybe_unused]] const char* section,
                                        [[maybe_unused]] const char* key,
                                        [[maybe_unused]] std::size_t bufferSize) {
#ifdef _WIN32
    static int files = 0;  // a new file each time: the system may keep read files
    test::TempDir dir;
    std::string path = dir / ("read" + std::to_string(files++) + ".ini");
    for (char& c : path) c = c == '/' ? '\\' : c;
    test::WriteBytes(path, bytes);
    std::vector<char> buffer(bufferSize + 1, '\0');
    const DWORD n = ::GetPrivateProfileStringA(section, key, "dflt  ", buffer.data(),
                                               static_cast<DWORD>(bufferSize), path.c_str());
    return std::string(buffer.data(), n);
#else
    return std::nullopt;
#endif
}

// Rows without a buffer size read into 256 bytes, from the text as it stands
// and from the text parsed once; absent values give the default "dflt  ",
// which loses its trailing blanks.  On Windows each row is also read by the
// system's GetPrivateProfileStringA, which must agree, but where
// `wineDiffers` names how Wine's reading differs from Windows'.
TEST(IniRead, FindsTheValueLikeWindows) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::string expected;
        std::size_t buffer = 256;
        const char* wineDiffers = nullptr;  // why Wine's reading differs
    };
    const Case cases[] = {
        {"NamesIgnoreCase", "[AirMail Data]\nDirectory Data=x\n", "airmail data", "DIRECTORY DATA",
         "x"},
        {"NamesIgnoreBlanks", " [ A \t]\n\t k  =v\n", "A", " k\t", "v"},
        {"ValueTrimmed", "[A]\nk= \t v w \t\n", "A", "k", "v w"},
        {"DoubleQuotes", "[A]\nk= \" v \" \n", "A", "k", " v "},
        {"SingleQuotes", "[A]\nk='v'\n", "A", "k", "v"},
        {"MismatchedQuotesKept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
        {"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", "\""},
        {"EmptyValueIsNoDefault", "[A]\nk=\n", "A", "k", ""},
        {"ValueWithEquals", "[A]\nk=a=b\n", "A", "k", "a=b"},
        {"MissingSection", "[B]\nk=v\n", "A", "k", "dflt"},
        {"MissingKey", "[A]\nj=v\n", "A", "k", "dflt"},
        {"KeyOfNextSectionNotSeen", "[A]\n[B]\nk=v\n", "A", "k", "dflt"},
        {"HeaderWithoutCloseEndsSection", "[A]\n[B\nk=v\n", "A", "k", "dflt", 256,
         "Wine skips a \"[\" line without \"]\"; Windows ends the section at any line starting with \"[\""},
        {"KeyBeforeAnySection", "k=v\n[A]\n", "A", "k", "dflt"},
        {"LineWithoutEqualsIsNoKey", "[A]\nk\nk=v\n", "A", "k", "v", 256,
         "Wine takes a line without \"=\" as a key without a value, which hides a later k=v"},
        {"SemicolonLineIsAKey", "[A]\n;k=c\nk=v\n", "A", ";k", "c"},
        {"SemicolonLineIsNotTheKeyAfterIt", "[A]\n;k=c\nk=v\n", "A", "k", "v"},
        {"FirstSectionWins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "j", "dflt"},
        {"FirstKeyWins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        {"LoneCrBeforeHeader", "[A]\nk=v\r[B]\rk=w\n", "B", "k", "w"},
        {"CutTo255", "[A]\nk=" + kLong + "\n", "A", "k", kLong.substr(0, 255)},
        {"CutTo511KeepsAll300", "[A]\nk=" + kLong + "\n", "A", "k", kLong, 512},
        {"CutAfterQuotesRemoved", "[A]\nk=\"abcdef\"\n", "A", "k", "abc", 4},
        {"DefaultCut", "", "A", "k", "df", 3},
        {"ZeroBuffer", "[A]\nk=v\n", "A", "k", "", 0},
        {"MixedLineEnds", "[A]\r\nk=1\nj=2\rm=3", "A", "m", "3"},
        {"CrBeforeCrLf", "[A]\r\r\nk=v\r\n", "A", "k", "v"},
        {"BlankLinesBetween", "[A]\r\n\r\n \t\r\nk=v", "A", "k", "v"},
        {"HeaderWithTextAfter", "[A] x\nk=v\n", "A", "k", "v"},
        {"InnerBlanksOfNamesCount", "[A  B]\nk=v\n", "A B", "k", "dflt"},
        {"LaterSectionOfOtherName", "[B]\nk=1\n[A]\nk=2\n", "A", "k", "2"},
        {"ValueStartingWithSemicolon", "[A]\nk=;v\n", "A", "k", ";v"},
        {"EmptyKeyNameSkipped", "[A]\n=v\nk=w\n", "A", "k", "w"},
        {"Exactly255", "[A]\nk=" + std::string(255, 'y') + "\n", "A", "k", std::string(255, 'y')},
        {"AnsiBytes", "[A]\nk=Caf\xE9\n", "A", "k", "Caf\xE9"},
        {"Utf8WithoutMarkIsAnsi", "[A]\nk=Caf\xC3\xA9\n", "A", "k", "Caf\xC3\xA9"},
        {"Utf8MarkConverted", "\xEF\xBB\xBF[A]\r\nk=Caf\xC3\xA9 \xE2\x82\xAC\r\n", "A", "k",
         "Caf\xE9 \x80"},
        {"Utf8MarkOutsideCodePage", "\xEF\xBB\xBF[A]\nk=\xE4\xB8\xAD\n", "A", "k", "?"},
        {"Utf16Le", Utf16(u"[A]\r\nk=Caf\u00e9\r\n"), "A", "k", "Caf\xE9"},
        {"Utf16LeEuroAndOutside", Utf16(u"[A]\rk=\u20ac\u4e2d\r"), "A", "k", "\x80?"},
        {"Utf16LeNamesIgnoreCase", Utf16(u" [Station Data]\n TOP stations = 5 "), "station data",
         "Top Stations", "5"},
        {"Utf16LeMissing", Utf16(u"[A]\nk=v"), "A", "j", "dflt"},
        {"Utf16LeCut", Utf16(u"[A]\nk=" + std::u16string(300, u'x')), "A", "k", kLong.substr(0, 255)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetStringOfFile(c.text, c.section, c.key, "dflt  ", c.buffer), c.expected);
        EXPECT_EQ(ParsedFile(c.text).GetString(c.section, c.key, "dflt  ", c.buffer), c.expected)
            << "parsed once";
        if (const auto system = WindowsReads(c.text, c.section, c.key, c.buffer)) {
            if (c.wineDiffers)
                EXPECT_NE(*system, c.expected) << "Wine now reads as Windows: " << c.wineDiffers;
            else
                EXPECT_EQ(*system, c.expected) << "Windows' own reading differs";
        }
    }
}

const std::string kMixed =
    "; Tidewell settings\r\n"
    "[AirMail Data]\r\n"
    "  Directory Data = C:\\Old   \r\n"
    "Startup=True\r\n"
    "\r\n"
    "; radio\r\n"
    "[Radio Data]\r\n"
    "Frequency=False\r\n";

TEST(IniWrite, ChangesOnlyWhatIsWritten) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"ReplaceKeepsKeySpellingAndSpacing", kMixed, "airmail data", "directory data", "C:\\New",
         "; Tidewell settings\r\n[AirMail Data]\r\n  Directory Data = C:\\New\r\n"
         "Startup=True\r\n\r\n; radio\r\n[Radio Data]\r\nFrequency=False\r\n"},
        {"ReplaceWithEmpty", "[A]\nk=v\nj=w\n", "A", "k", "", "[A]\nk=\nj=w\n"},
        {"ReplaceLastLineWithoutNewline", "[A]\r\nk=v", "A", "k", "x", "[A]\r\nk=x"},
        {"ReplaceKeepsLineOwnEnding", "[A]\r\nk=v\nj=w\r\n", "A", "k", "x", "[A]\r\nk=x\nj=w\r\n"},
        {"NewKeyBeforeBlankAndNextSectionComment", kMixed, "AirMail Data", "Resize", "False",
         "; Tidewell settings\r\n[AirMail Data]\r\n  Directory Data = C:\\Old   \r\n"
         "Startup=True\r\nResize=False\r\n\r\n; radio\r\n[Radio Data]\r\nFrequency=False\r\n"},
        {"NewKeyInLastSectionWithoutNewline", "[A]\nk=v", "A", "j", "w", "[A]\nk=v\nj=w\n"},
        {"NewKeyInEmptySection", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        {"NewKeyAfterOwnTrailingComment", "[A]\nk=v\n; end\n", "A", "j", "w",
         "[A]\nk=v\n; end\nj=w\n"},
        {"NewKeyGoesToFirstOfDuplicates", "[A]\nk=1\n[A]\nj=2\n", "a", "j", "3",
         "[A]\nk=1\nj=3\n[A]\nj=2\n"},
        {"NewSectionAtEnd", "[A]\r\nk=v\r\n", " B ", " j ", "w", "[A]\r\nk=v\r\n[B]\r\nj=w\r\n"},
        {"NewSectionAfterMissingNewline", "[A]\nk=v", "B", "j", "w", "[A]\nk=v\n[B]\nj=w\n"},
        {"NewFileUsesCrLf", "", "B", "j", "w", "[B]\r\nj=w\r\n"},
        {"ByteOrderMarkStays", "\xEF\xBB\xBF", "B", "j", "w", "\xEF\xBB\xBF[B]\r\nj=w\r\n"},
        {"SectionAfterByteOrderMark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "w",
         "\xEF\xBB\xBF[A]\nk=w\n"},
        {"CrFileGetsCr", "[A]\rk=v\r", "A", "j", "w", "[A]\rk=v\rj=w\r"},
        // A last line ending in a lone CR is ended: no CR LF is added after it.
        {"NewKeyAfterLoneCr", "[A]\r\nk=v\r", "A", "j", "w", "[A]\r\nk=v\rj=w\r\n"},
        // Leading blanks of a value do not read back; they must not pile up.
        {"LeadingBlankNotAdded", "[A]\nk= v\n", "A", "k", " v", "[A]\nk= v\n"},
        {"LeadingBlankOfNewKey", "[A]\n", "A", "k", " v", "[A]\nk= v\n"}};
    for (const Case& c : cases) {
        EXPECT_EQ(SetValue(c.before, c.section, c.key, c.value), c.after) << c.name;
    }
}

TEST(IniCanWrite, RefusesTextThatWouldChangeTheFileStructure) {
    EXPECT_TRUE(CanWrite("AirMail Data", "Lat/Lon Check", "a = b; [c]"));
    EXPECT_TRUE(CanWrite("S", "k", ""));
    const std::tuple<std::string, std::string, std::string> refused[] = {
        {" ", "k", "v"},        {"S", "\t", "v"},    {"S", "k", "v\rx=y"}, {"S", "k", "v\nx=y"},
        {"S", "k", {"v\0w", 3}}, {"S\n", "k", "v"},  {"S", "k\n", "v"},    {"S]x", "k", "v"},
        {"S", "k=j", "v"},      {"S", "[k", "v"},     {"S", ";k", "v"}};
    for (const auto& [section, key, value] : refused) {
        EXPECT_FALSE(CanWrite(section, key, value)) << section << "|" << key << "|" << value;
    }
}

}  // namespace
}  // namespace tw::platform::ini
