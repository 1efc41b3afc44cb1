// Profile value encodings: numbers, integers, booleans.
#include <gtest/gtest.h>

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <tuple>

#include "settings/NumberText.h"

namespace tw {
namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);

int SignificantDigits(const QString& text) {
    QString mantissa = text.section(QLatin1Char('E'), 0, 0);
    mantissa.remove(QLatin1Char('-'));
    mantissa.remove(QLatin1Char('.'));
    mantissa.remove(QLatin1Char(','));
    while (mantissa.startsWith(QLatin1Char('0'))) mantissa.remove(0, 1);
    while (mantissa.endsWith(QLatin1Char('0'))) mantissa.chop(1);
    return static_cast<int>(mantissa.size());
}

TEST(NumberText, FloatToTextWritesShortestPlainText) {
    const std::tuple<float, const char*, const char*> cases[] = {
        {-145.0f, "-145", "-145"}, {0.7f, "0.7", "0,7"}, {170.0f, "170", "170"}, {10.0f, "10", "10"}, {3.0f, "3", "3"},
        {0.0f, "0", "0"}, {-0.0f, "0", "0"}, {0.1f, "0.1", "0,1"}, {-150.5f, "-150.5", "-150,5"},
        {1.0f / 3.0f, "0.3333333", "0,3333333"}, {2.0f / 3.0f, "0.6666667", "0,6666667"},
        {1234567.0f, "1234567", "1234567"}, {9999999.0f, "9999999", "9999999"}, {1000000.0f, "1000000", "1000000"},
        {12345678.0f, "1.234568E+07", "1,234568E+07"}, {10000000.0f, "1E+07", "1E+07"}, {0.0001f, "0.0001", "0,0001"},
        {0.00012345f, "0.00012345", "0,00012345"}, {0.00001f, "1E-05", "1E-05"}, {-2.5e-7f, "-2.5E-07", "-2,5E-07"},
        {3.4028235e38f, "3.402823E+38", "3,402823E+38"},
        {1.0000001f, "1", "1"}};  // needs 8 digits: rounded to 7
    for (const auto& [value, c, german] : cases) {
        EXPECT_EQ(FloatToText(value, kC), QString::fromLatin1(c));
        EXPECT_EQ(FloatToText(value, kGerman), QString::fromLatin1(german));
    }
}

// Over many values typed with up to 7 digits: the text reads back to the same
// float, has at most 7 significant digits, and no shorter precision would do.
TEST(NumberText, FloatTextIsShortestRoundTrip) {
    int checked = 0;
    for (int scale = -6; scale <= 8; ++scale) {
        for (int mantissa = -9999999; mantissa <= 9999999; mantissa += 7919 * 13) {
            const float v = static_cast<float>(mantissa * std::pow(10.0, scale - 7));
            const QString text = FloatToText(v, kC);
            SCOPED_TRACE(text.toStdString());
            bool ok = false;
            EXPECT_EQ(FloatFromText(text, ok, kC), v);
            EXPECT_TRUE(ok);
            EXPECT_EQ(FloatFromText(FloatToText(v, kGerman), ok, kGerman), v);
            const int digits = SignificantDigits(text);
            EXPECT_LE(digits, 7);
            // One digit fewer must not read back.
            if (digits > 1) {
                char buf[64];
                const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific,
                                             digits - 2);
                float back = 0;
                std::from_chars(buf, r.ptr, back);
                EXPECT_NE(back, v) << std::string(buf, r.ptr);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);
}

// Each text read by `read(text, ok)`: whether it is a value, and which.
template <typename T, typename Read>
void ExpectReads(std::initializer_list<std::tuple<const char*, bool, T>> cases, Read read) {
    for (const auto& [text, isValue, value] : cases) {
        SCOPED_TRACE(text);
        bool ok = !isValue;
        const T v = read(QString::fromLatin1(text), ok);
        EXPECT_EQ(ok, isValue);
        EXPECT_EQ(isValue ? v : T{}, isValue ? value : T{});
    }
}

TEST(NumberText, FloatFromTextAcceptsNumbersOnly) {
    ExpectReads<float>({{"-150", true, -150.0f}, {" 10 ", true, 10.0f}, {"+3", true, 3.0f}, {"0.7", true, 0.7f},
                        {".5", true, 0.5f}, {"1e3", true, 1000.0f}, {"1E-05", true, 1e-5f},
                        {"1.234568E+07", true, 12345680.0f}, {"", false, 0}, {"   ", false, 0}, {"abc", false, 0},
                        {"1.5.3", false, 0}, {"12abc", false, 0}, {"1,5", false, 0}, {"1,000", false, 0},
                        {"inf", false, 0}, {"nan", false, 0}, {"1e39", false, 0}, {"0x10", false, 0},
                        {"- 5", false, 0}, {"+-5", false, 0}},
                       [](const QString& t, bool& ok) { return FloatFromText(t, ok, kC); });
    // The German number format uses the decimal comma; a file written under a
    // "." format still reads.
    ExpectReads<float>({{"0,7", true, 0.7f}, {"-145,5", true, -145.5f}, {"1,234568E+07", true, 12345680.0f},
                        {"0.7", true, 0.7f}, {"1.000,5", false, 0}, {"1,5,3", false, 0}},
                       [](const QString& t, bool& ok) { return FloatFromText(t, ok, kGerman); });
}

TEST(NumberText, Integers) {
    ExpectReads<qint32>({{"7", true, 7}, {"-15", true, -15}, {" 42 ", true, 42}, {"+5", true, 5}, {"0930", true, 930},
                         {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
                         {"2147483648", false, 0}, {"7.0", false, 0}, {"", false, 0}, {"1e3", false, 0},
                         {"+-5", false, 0}, {"abc", false, 0}, {"5x", false, 0}, {"+", false, 0}, {"-", false, 0}},
                        [](const QString& t, bool& ok) { return IntFromText(t, ok); });
    EXPECT_EQ(IntToText(-145), QStringLiteral("-145"));
    EXPECT_EQ(IntToText(2400), QStringLiteral("2400"));
}

TEST(NumberText, Booleans) {
    ExpectReads<bool>({{"True", true, true}, {"true", true, true}, {"TRUE", true, true}, {"tRuE", true, true},
                       {"False", true, false}, {"false", true, false}, {"FALSE", true, false}, {"0", true, false},
                       {"-1", true, true}, {"1", true, true}, {"0.0", true, false}, {"42", true, true},
                       {" false ", true, false}, {"yes", false, false}, {"", false, false}, {"Truex", false, false},
                       {"T", false, false}},
                      [](const QString& t, bool& ok) { return BooleanFromText(t, ok, kC); });
    bool ok = false;
    EXPECT_TRUE(BooleanFromText(QStringLiteral("0,5"), ok, kGerman));
    EXPECT_TRUE(ok);
    EXPECT_EQ(BooleanText(true), QStringLiteral("True"));
    EXPECT_EQ(BooleanText(false), QStringLiteral("False"));
}

}  // namespace
}  // namespace tw
