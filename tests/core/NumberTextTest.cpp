// Profile value encodings: numbers, integers, booleans.
#include <gtest/gtest.h>

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>

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

struct FloatCase {
    float value;
    const char* c;
    const char* german;
};

TEST(NumberText, FloatToTextWritesShortestPlainText) {
    const FloatCase cases[] = {
        {-145.0f, "-145", "-145"},
        {0.7f, "0.7", "0,7"},
        {170.0f, "170", "170"},
        {10.0f, "10", "10"},
        {3.0f, "3", "3"},
        {0.0f, "0", "0"},
        {-0.0f, "0", "0"},
        {0.1f, "0.1", "0,1"},
        {-150.5f, "-150.5", "-150,5"},
        {1.0f / 3.0f, "0.3333333", "0,3333333"},
        {2.0f / 3.0f, "0.6666667", "0,6666667"},
        {1234567.0f, "1234567", "1234567"},
        {9999999.0f, "9999999", "9999999"},
        {1000000.0f, "1000000", "1000000"},
        {12345678.0f, "1.234568E+07", "1,234568E+07"},
        {10000000.0f, "1E+07", "1E+07"},
        {0.0001f, "0.0001", "0,0001"},
        {0.00012345f, "0.00012345", "0,00012345"},
        {0.00001f, "1E-05", "1E-05"},
        {-2.5e-7f, "-2.5E-07", "-2,5E-07"},
        {3.4028235e38f, "3.402823E+38", "3,402823E+38"},
        {1.0000001f, "1", "1"},  // needs 8 digits: rounded to 7
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.c);
        EXPECT_EQ(FloatToText(c.value, kC), QString::fromLatin1(c.c));
        EXPECT_EQ(FloatToText(c.value, kGerman), QString::fromLatin1(c.german));
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

struct ReadCase {
    const char* text;
    bool ok;
    float value;
};

TEST(NumberText, FloatFromTextAcceptsNumbersOnly) {
    const ReadCase c_cases[] = {
        {"-150", true, -150.0f},  {" 10 ", true, 10.0f},    {"+3", true, 3.0f},
        {"0.7", true, 0.7f},      {".5", true, 0.5f},       {"1e3", true, 1000.0f},
        {"1E-05", true, 1e-5f},   {"1.234568E+07", true, 12345680.0f},
        {"", false, 0},           {"   ", false, 0},        {"abc", false, 0},
        {"1.5.3", false, 0},      {"12abc", false, 0},      {"1,5", false, 0},
        {"1,000", false, 0},      {"inf", false, 0},        {"nan", false, 0},
        {"1e39", false, 0},       {"0x10", false, 0},       {"- 5", false, 0},
        {"+-5", false, 0},
    };
    for (const auto& c : c_cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        const float v = FloatFromText(QString::fromLatin1(c.text), ok, kC);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

TEST(NumberText, GermanNumberFormatUsesDecimalComma) {
    const ReadCase cases[] = {
        {"0,7", true, 0.7f},
        {"-145,5", true, -145.5f},
        {"1,234568E+07", true, 12345680.0f},
        // A file written under a "." number format still reads.
        {"0.7", true, 0.7f},
        {"1.000,5", false, 0},
        {"1,5,3", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        const float v = FloatFromText(QString::fromLatin1(c.text), ok, kGerman);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

TEST(NumberText, Integers) {
    struct Case {
        const char* text;
        bool ok;
        qint32 value;
    };
    const Case cases[] = {
        {"7", true, 7},           {"-15", true, -15},       {" 42 ", true, 42},
        {"+5", true, 5},          {"0930", true, 930},      {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"7.0", false, 0},        {"", false, 0},
        {"1e3", false, 0},        {"+-5", false, 0},        {"abc", false, 0},
        {"5x", false, 0},         {"+", false, 0},          {"-", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        const qint32 v = IntFromText(QString::fromLatin1(c.text), ok);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
    EXPECT_EQ(IntToText(-145), QStringLiteral("-145"));
    EXPECT_EQ(IntToText(2400), QStringLiteral("2400"));
}

TEST(NumberText, Booleans) {
    struct Case {
        const char* text;
        bool ok;
        bool value;
    };
    const Case cases[] = {
        {"True", true, true},   {"true", true, true},   {"TRUE", true, true},
        {"tRuE", true, true},   {"False", true, false}, {"false", true, false},
        {"FALSE", true, false}, {"0", true, false},     {"-1", true, true},
        {"1", true, true},      {"0.0", true, false},   {"42", true, true},
        {" false ", true, false},
        {"yes", false, false},  {"", false, false},     {"Truex", false, false},
        {"T", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        const bool v = BooleanFromText(QString::fromLatin1(c.text), ok, kC);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
    bool ok = false;
    EXPECT_TRUE(BooleanFromText(QStringLiteral("0,5"), ok, kGerman));
    EXPECT_TRUE(ok);
    EXPECT_EQ(BooleanText(true), QStringLiteral("True"));
    EXPECT_EQ(BooleanText(false), QStringLiteral("False"));
}

}  // namespace
}  // namespace tw
