#include "settings/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace tw {

namespace {

// Numbers from 10^-4 up to below 10^7 are written out in full.
constexpr int kMinPlainExponent = -4;
constexpr int kMaxPlainExponent = 6;
constexpr std::size_t kMaxDigits = 7;

// The significant digits (no trailing zeros) and the decimal exponent of the
// first one, from std::to_chars scientific output such as "-1.25e+02".
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal ParseScientific(const char* first, const char* last) {
    Decimal d;
    const char* p = first;
    if (p != last && *p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p != last && *p != 'e'; ++p) {
        if (*p != '.') d.digits.push_back(*p);
    }
    if (p != last) std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), last, d.exponent);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

Decimal ToDecimal(float value) {
    std::array<char, 64> buf{};
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific);
    Decimal d = ParseScientific(buf.data(), r.ptr);
    if (d.digits.size() > kMaxDigits) {
        r = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific,
                          static_cast<int>(kMaxDigits) - 1);
        d = ParseScientific(buf.data(), r.ptr);
    }
    return d;
}

// The locale's decimal separator for writing.  A separator the profile's code
// page cannot hold would come back as "?", so "." stands in for it.
QString DecimalSeparator(const QLocale& locale) {
    const QString dp = locale.decimalPoint();
    if (dp.size() != 1 || dp.at(0).unicode() > 0xFF) return QStringLiteral(".");
    return dp;
}

// Brings a number text into the form std::from_chars reads: "." as the
// decimal separator, ASCII signs, no leading "+".  Empty when it cannot be.
std::string Normalise(const QString& text, const QLocale& locale) {
    QString t = text.trimmed();
    const QString dp = locale.decimalPoint();
    if (!dp.isEmpty() && dp != QLatin1String(".")) t.replace(dp, QStringLiteral("."));
    const QString minus = locale.negativeSign();
    if (!minus.isEmpty() && minus != QLatin1String("-")) t.replace(minus, QStringLiteral("-"));
    const QString plus = locale.positiveSign();
    if (!plus.isEmpty() && plus != QLatin1String("+")) t.replace(plus, QStringLiteral("+"));
    t.replace(QChar(0x2212), QLatin1Char('-'));
    std::string out;
    out.reserve(static_cast<std::size_t>(t.size()));
    for (QChar c : t) {
        if (c.unicode() > 0x7F) return {};
        out.push_back(static_cast<char>(c.unicode()));
    }
    if (out.size() > 1 && out.front() == '+' && out[1] != '-' && out[1] != '+') out.erase(0, 1);
    return out;
}

template <typename T>
bool ParseNumber(const QString& text, const QLocale& locale, T& value) {
    const std::string s = Normalise(text, locale);
    if (s.empty()) return false;
    T parsed{};
    const auto r = std::from_chars(s.data(), s.data() + s.size(), parsed, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

// The shortest decimal text of a number in fixed notation, without its sign.
template <typename T>
std::string ShortestFixed(T value) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

// Rounds a decimal text (digits, an optional point) to `decimals`, halves
// away from zero.
QString RoundDecimalText(const std::string& text, int decimals, bool negative) {
    std::string whole = text;
    std::string fraction;
    if (const auto point = text.find('.'); point != std::string::npos) {
        whole = text.substr(0, point);
        fraction = text.substr(point + 1);
    }
    if (whole.empty()) whole.assign(1, '0');
    bool up = false;
    if (static_cast<int>(fraction.size()) > decimals) {
        up = fraction[static_cast<std::size_t>(decimals)] >= '5';
        fraction.resize(static_cast<std::size_t>(decimals));
    }
    while (static_cast<int>(fraction.size()) < decimals) fraction.push_back('0');
    std::string digits = whole + fraction;
    if (up) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0)
            ++digits[static_cast<std::size_t>(i)];
        else
            digits.insert(digits.begin(), '1');
    }
    const std::size_t wholeLength = digits.size() - static_cast<std::size_t>(decimals);
    std::string out = digits.substr(0, wholeLength);
    // No leading zeros beyond the one before the point.
    const std::size_t firstDigit = out.find_first_not_of('0');
    out = firstDigit == std::string::npos ? "0" : out.substr(firstDigit);
    if (decimals > 0) {
        out += '.';
        out.append(digits, wholeLength, std::string::npos);
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    if (negative && !zero) out.insert(out.begin(), '-');
    return QString::fromStdString(out);
}

// A number rounded to `decimals` from its shortest text in its own type (a
// float is not widened first, so 0.15f rounds as "0.15" does).
template <typename T>
QString FormatNumber(T value, int decimals) {
    if (!std::isfinite(value)) return QString::number(value);
    return RoundDecimalText(ShortestFixed(value), std::max(0, decimals), value < T(0));
}

}  // namespace

QString FloatToText(float value, const QLocale& locale) {
    if (value == 0.0f || !std::isfinite(value)) {
        // Not-a-number and infinity have no profile encoding; they never come
        // from a setting, and "0" keeps the file readable.
        return QStringLiteral("0");
    }
    const Decimal d = ToDecimal(value);
    const QString dp = DecimalSeparator(locale);
    QString out;
    if (d.negative) out += QLatin1Char('-');
    const QString digits = QString::fromLatin1(d.digits.data(), static_cast<qsizetype>(d.digits.size()));
    if (d.exponent >= kMinPlainExponent && d.exponent <= kMaxPlainExponent) {
        if (d.exponent < 0) {
            out += QLatin1Char('0') + dp + QString(-d.exponent - 1, QLatin1Char('0')) + digits;
        } else {
            const qsizetype whole = d.exponent + 1;
            if (digits.size() <= whole) {
                out += digits + QString(whole - digits.size(), QLatin1Char('0'));
            } else {
                out += digits.left(whole) + dp + digits.mid(whole);
            }
        }
    } else {
        out += digits.left(1);
        if (digits.size() > 1) out += dp + digits.mid(1);
        out += QLatin1Char('E');
        out += QLatin1Char(d.exponent < 0 ? '-' : '+');
        out += QStringLiteral("%1").arg(std::abs(d.exponent), 2, 10, QLatin1Char('0'));
    }
    return out;
}

float FloatFromText(const QString& text, bool& ok, const QLocale& locale) {
    float value = 0.0f;
    ok = ParseNumber(text, locale, value);
    return ok ? value : 0.0f;
}

QString IntToText(qint32 value) { return QString::number(value); }

qint32 IntFromText(const QString& text, bool& ok) {
    const QString t = text.trimmed();
    ok = false;
    if (t.isEmpty()) return 0;
    std::string s;
    for (QChar c : t) {
        if (c.unicode() > 0x7F) return 0;
        s.push_back(static_cast<char>(c.unicode()));
    }
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+') {
        ++first;
        if (first != last && *first == '-') return 0;
    }
    qint32 value = 0;
    const auto r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || r.ptr != last || first == last) return 0;
    ok = true;
    return value;
}

qint32 IntFromNumberText(const QString& text, bool& ok, const QLocale& locale) {
    const qint32 whole = IntFromText(text, ok);
    if (ok) return whole;
    double value = 0.0;
    ok = ParseNumber(text, locale, value);
    if (!ok) return 0;
    const double rounded = std::round(value);
    ok = rounded >= -2147483648.0 && rounded <= 2147483647.0;
    return ok ? static_cast<qint32>(rounded) : 0;
}

QString BooleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool BooleanFromText(const QString& text, bool& ok, const QLocale& locale) {
    const QString t = text.trimmed();
    ok = true;
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    double number = 0.0;
    ok = ParseNumber(t, locale, number);
    return ok && number != 0.0;
}

QString NumberFormat(double value, int decimals) {
    return FormatNumber(value, decimals);
}

QString NumberFormat(float value, int decimals) {
    return FormatNumber(value, decimals);
}

}  // namespace tw
