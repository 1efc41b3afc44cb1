#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/IniText.h"

namespace tw::platform::ini {
namespace {

const std::string kLong(300, 'x');

// Rows without a buffer size read into 256 bytes; absent values give the
// default "dflt  ", which loses its trailing blanks.
TEST(IniRead, FindsTheValueLikeWindows) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::string expected;
        std::size_t buffer = 256;
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
        {"HeaderWithoutCloseEndsSection", "[A]\n[B\nk=v\n", "A", "k", "dflt"},
        {"KeyBeforeAnySection", "k=v\n[A]\n", "A", "k", "dflt"},
        {"LineWithoutEqualsIsNoKey", "[A]\nk\nk=v\n", "A", "k", "v"},
        {"CommentIsNoKey", "[A]\n;k=c\nk=v\n", "A", ";k", "dflt"},
        {"FirstSectionWins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "j", "dflt"},
        {"FirstKeyWins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        {"CrLf", "[A]\r\nk=v\r\nj=w\r\n", "A", "k", "v"},
        {"NoFinalNewline", "[A]\r\nk=v", "A", "k", "v"},
        {"LoneCrEndsLines", "[A]\rk=v\rj=w\r", "A", "k", "v"},
        {"LoneCrBeforeHeader", "[A]\nk=v\r[B]\rk=w\n", "B", "k", "w"},
        {"ByteOrderMark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
        {"CutTo255", "[A]\nk=" + kLong + "\n", "A", "k", kLong.substr(0, 255)},
        {"CutTo511KeepsAll300", "[A]\nk=" + kLong + "\n", "A", "k", kLong, 512},
        {"CutAfterQuotesRemoved", "[A]\nk=\"abcdef\"\n", "A", "k", "abc", 4},
        {"DefaultCut", "", "A", "k", "df", 3},
        {"ZeroBuffer", "[A]\nk=v\n", "A", "k", "", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(GetString(c.text, c.section, c.key, "dflt  ", c.buffer), c.expected) << c.name;
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
        {"LfFileGetsLf", "[A]\nk=v\n", "B", "j", "w", "[A]\nk=v\n[B]\nj=w\n"},
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
