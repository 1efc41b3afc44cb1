// Profile value encodings: numbers, integers, booleans.
#include <gtest/gtest.h>

#include <QLocale>

#include <tuple>

#include "settings/NumberText.h"

namespace tw {
namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(NumberText, FloatToTextWritesShortestPlainText) {
    const std::tuple<float, const char*, const char*> cases[] = {
        {-150.5f, "-150.5", "-150,5"},        {170.0f, "170", "170"},
        {-0.0f, "0", "0"},                    {1.0f / 3.0f, "0.3333333", "0,3333333"},
        {9999999.0f, "9999999", "9999999"},   {10000000.0f, "1E+07", "1E+07"},
        {0.0001f, "0.0001", "0,0001"},        {0.00001f, "1E-05", "1E-05"},
        {-2.5e-7f, "-2.5E-07", "-2,5E-07"},   {12345678.0f, "1.234568E+07", "1,234568E+07"},
        {3.4028235e38f, "3.402823E+38", "3,402823E+38"},
        {1.0000001f, "1", "1"}};  // needs 8 digits: rounded to 7
    for (const auto& [value, c, german] : cases) {
        EXPECT_EQ(FloatToText(value, kC), QString::fromLatin1(c));
        EXPECT_EQ(FloatToText(value, kGerman), QString::fromLatin1(german));
    }
}

// Each text read by `read(text, ok)`: whether it is a value, and which.
template <typename T, typename Read>
void ExpectReads(std::initializer_list<std::tuple<const char*, bool, T>> cases, Read read) {
    for (const auto& [text, isValue, value] : cases) {
        bool ok = !isValue;
        const T v = read(QString::fromLatin1(text), ok);
        EXPECT_EQ(std::pair(ok, isValue ? v : T{}), std::pair(isValue, isValue ? value : T{}))
            << text;
    }
}

TEST(NumberText, ReadsNumbersIntegersAndBooleansOnly) {
    ExpectReads<float>({{"-150", true, -150.0f}, {" 10 ", true, 10.0f}, {"+3", true, 3.0f},
                        {".5", true, 0.5f}, {"1E-05", true, 1e-5f},
                        {"1.234568E+07", true, 12345680.0f}, {"", false, 0}, {"abc", false, 0},
                        {"1.5.3", false, 0}, {"12abc", false, 0}, {"1,5", false, 0},
                        {"inf", false, 0}, {"nan", false, 0}, {"1e39", false, 0},
                        {"0x10", false, 0}, {"- 5", false, 0}, {"+-5", false, 0}},
                       [](const QString& t, bool& ok) { return FloatFromText(t, ok, kC); });
    // The German number format uses the decimal comma; a file written under a
    // "." format still reads.
    ExpectReads<float>({{"-145,5", true, -145.5f}, {"1,234568E+07", true, 12345680.0f},
                        {"0.7", true, 0.7f}, {"1.000,5", false, 0}, {"1,5,3", false, 0}},
                       [](const QString& t, bool& ok) { return FloatFromText(t, ok, kGerman); });
    ExpectReads<qint32>({{"-15", true, -15}, {" 42 ", true, 42}, {"+5", true, 5},
                         {"0930", true, 930}, {"2147483647", true, 2147483647},
                         {"-2147483648", true, -2147483647 - 1}, {"2147483648", false, 0},
                         {"7.0", false, 0}, {"", false, 0}, {"1e3", false, 0}, {"+-5", false, 0},
                         {"5x", false, 0}, {"+", false, 0}, {"-", false, 0}},
                        [](const QString& t, bool& ok) { return IntFromText(t, ok); });
    // A box for a whole number takes any number, rounded.
    ExpectReads<qint32>({{"2.5", true, 3}, {"-2.5", true, -3}, {"2.4", true, 2}, {"1e3", true, 1000},
                         {"16777217", true, 16777217}, {"2147483647.6", false, 0}, {"x", false, 0}},
                        [](const QString& t, bool& ok) { return IntFromNumberText(t, ok, kC); });
    ExpectReads<bool>({{"tRuE", true, true}, {"FALSE", true, false}, {"0", true, false},
                       {"-1", true, true}, {"0.0", true, false}, {"42", true, true},
                       {" false ", true, false}, {"yes", false, false}, {"", false, false},
                       {"Truex", false, false}},
                      [](const QString& t, bool& ok) { return BooleanFromText(t, ok, kC); });
    ExpectReads<bool>({{"0,5", true, true}},
                      [](const QString& t, bool& ok) { return BooleanFromText(t, ok, kGerman); });
}

}  // namespace
}  // namespace tw
