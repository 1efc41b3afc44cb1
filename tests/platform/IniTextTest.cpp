#include <gtest/gtest.h>

#include <string>

#include "platform/IniText.h"

namespace tw::platform::ini {
namespace {

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::size_t buffer;
    std::string expected;
};

const std::string kLong(300, 'x');

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsTheValueLikeWindows) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(GetString(c.text, c.section, c.key, "dflt", c.buffer), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    testing::Values(
        ReadCase{"Plain", "[A]\nk=v\n", "A", "k", 256, "v"},
        ReadCase{"NamesIgnoreCase", "[AirMail Data]\nDirectory Data=x\n", "airmail data",
                 "DIRECTORY DATA", 256, "x"},
        ReadCase{"NamesIgnoreBlanks", " [ A \t]\n\t k  =v\n", "A", " k\t", 256, "v"},
        ReadCase{"ValueTrimmed", "[A]\nk= \t v w \t\n", "A", "k", 256, "v w"},
        ReadCase{"DoubleQuotes", "[A]\nk= \" v \" \n", "A", "k", 256, " v "},
        ReadCase{"SingleQuotes", "[A]\nk='v'\n", "A", "k", 256, "v"},
        ReadCase{"MismatchedQuotesKept", "[A]\nk=\"v'\n", "A", "k", 256, "\"v'"},
        ReadCase{"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", 256, "\""},
        ReadCase{"EmptyValue", "[A]\nk=\n", "A", "k", 256, ""},
        ReadCase{"ValueWithEquals", "[A]\nk=a=b\n", "A", "k", 256, "a=b"},
        ReadCase{"MissingFileText", "", "A", "k", 256, "dflt"},
        ReadCase{"MissingSection", "[B]\nk=v\n", "A", "k", 256, "dflt"},
        ReadCase{"MissingKey", "[A]\nj=v\n", "A", "k", 256, "dflt"},
        ReadCase{"KeyOfNextSectionNotSeen", "[A]\n[B]\nk=v\n", "A", "k", 256, "dflt"},
        ReadCase{"HeaderWithoutCloseEndsSection", "[A]\n[B\nk=v\n", "A", "k", 256, "dflt"},
        ReadCase{"KeyBeforeAnySection", "k=v\n[A]\n", "A", "k", 256, "dflt"},
        ReadCase{"LineWithoutEqualsIsNoKey", "[A]\nk\nk=v\n", "A", "k", 256, "v"},
        ReadCase{"CommentIsNoKey", "[A]\n;k=c\nk=v\n", "A", ";k", 256, "dflt"},
        ReadCase{"FirstSectionWins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "j", 256, "dflt"},
        ReadCase{"FirstKeyWins", "[A]\nk=1\nK=2\n", "A", "k", 256, "1"},
        ReadCase{"CrLf", "[A]\r\nk=v\r\nj=w\r\n", "A", "k", 256, "v"},
        ReadCase{"NoFinalNewline", "[A]\r\nk=v", "A", "k", 256, "v"},
        ReadCase{"ByteOrderMark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", 256, "v"},
        ReadCase{"CutTo255", "[A]\nk=" + kLong + "\n", "A", "k", 256, kLong.substr(0, 255)},
        ReadCase{"CutTo511KeepsAll300", "[A]\nk=" + kLong + "\n", "A", "k", 512, kLong},
        ReadCase{"CutAfterQuotesRemoved", "[A]\nk=\"abcdef\"\n", "A", "k", 4, "abc"},
        ReadCase{"ZeroBuffer", "[A]\nk=v\n", "A", "k", 0, ""}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(IniReadDefault, LosesTrailingBlanksAndIsCut) {
    EXPECT_EQ(GetString("", "A", "k", "ab  ", 256), "ab");
    EXPECT_EQ(GetString("", "A", "k", "abcdef", 3), "ab");
}

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class IniWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyWhatIsWritten) {
    const WriteCase& c = GetParam();
    EXPECT_EQ(SetValue(c.before, c.section, c.key, c.value), c.after);
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

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    testing::Values(
        WriteCase{"ReplaceKeepsKeySpellingAndSpacing", kMixed, "airmail data", "directory data",
                  "C:\\New",
                  "; Tidewell settings\r\n[AirMail Data]\r\n  Directory Data = C:\\New\r\n"
                  "Startup=True\r\n\r\n; radio\r\n[Radio Data]\r\nFrequency=False\r\n"},
        WriteCase{"ReplaceWithEmpty", "[A]\nk=v\nj=w\n", "A", "k", "", "[A]\nk=\nj=w\n"},
        WriteCase{"ReplaceLastLineWithoutNewline", "[A]\r\nk=v", "A", "k", "x", "[A]\r\nk=x"},
        WriteCase{"ReplaceKeepsLineOwnEnding", "[A]\r\nk=v\nj=w\r\n", "A", "k", "x",
                  "[A]\r\nk=x\nj=w\r\n"},
        WriteCase{"NewKeyBeforeBlankAndNextSectionComment", kMixed, "AirMail Data", "Resize",
                  "False",
                  "; Tidewell settings\r\n[AirMail Data]\r\n  Directory Data = C:\\Old   \r\n"
                  "Startup=True\r\nResize=False\r\n\r\n; radio\r\n[Radio Data]\r\n"
                  "Frequency=False\r\n"},
        WriteCase{"NewKeyInLastSectionWithoutNewline", "[A]\nk=v", "A", "j", "w",
                  "[A]\nk=v\nj=w\n"},
        WriteCase{"NewKeyInEmptySection", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        WriteCase{"NewKeyAfterOwnTrailingComment", "[A]\nk=v\n; end\n", "A", "j", "w",
                  "[A]\nk=v\n; end\nj=w\n"},
        WriteCase{"NewKeyGoesToFirstOfDuplicates", "[A]\nk=1\n[A]\nj=2\n", "a", "j", "3",
                  "[A]\nk=1\nj=3\n[A]\nj=2\n"},
        WriteCase{"NewSectionAtEnd", "[A]\r\nk=v\r\n", " B ", " j ", "w",
                  "[A]\r\nk=v\r\n[B]\r\nj=w\r\n"},
        WriteCase{"NewSectionAfterMissingNewline", "[A]\nk=v", "B", "j", "w",
                  "[A]\nk=v\n[B]\nj=w\n"},
        WriteCase{"NewFileUsesCrLf", "", "B", "j", "w", "[B]\r\nj=w\r\n"},
        WriteCase{"ByteOrderMarkStays", "\xEF\xBB\xBF", "B", "j", "w",
                  "\xEF\xBB\xBF[B]\r\nj=w\r\n"},
        WriteCase{"LfFileGetsLf", "[A]\nk=v\n", "B", "j", "w", "[A]\nk=v\n[B]\nj=w\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(IniWriteRead, WrittenValuesReadBack) {
    std::string text;
    text = SetValue(text, "S", "a", "1");
    text = SetValue(text, "S", "b", "  two  ");
    text = SetValue(text, "T", "a", "3");
    text = SetValue(text, "s", "A", "4");
    EXPECT_EQ(GetString(text, "S", "a", "", 256), "4");
    EXPECT_EQ(GetString(text, "S", "b", "", 256), "two");
    EXPECT_EQ(GetString(text, "T", "a", "", 256), "3");
}

TEST(IniCanWrite, RefusesTextThatWouldChangeTheFileStructure) {
    EXPECT_TRUE(CanWrite("AirMail Data", "Lat/Lon Check", "a = b; [c]"));
    EXPECT_TRUE(CanWrite("S", "k", ""));
    EXPECT_FALSE(CanWrite(" ", "k", "v"));
    EXPECT_FALSE(CanWrite("S", "\t", "v"));
    EXPECT_FALSE(CanWrite("S", "k", "v\r\n[Other]"));
    EXPECT_FALSE(CanWrite("S", "k", "v\nx=y"));
    EXPECT_FALSE(CanWrite("S", "k", std::string("v\0w", 3)));
    EXPECT_FALSE(CanWrite("S\n", "k", "v"));
    EXPECT_FALSE(CanWrite("S]x", "k", "v"));
    EXPECT_FALSE(CanWrite("S", "k=j", "v"));
    EXPECT_FALSE(CanWrite("S", "[k", "v"));
    EXPECT_FALSE(CanWrite("S", ";k", "v"));
}

}  // namespace
}  // namespace tw::platform::ini
