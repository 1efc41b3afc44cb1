#include "platform/Clock.h"

#include <charconv>
#include <chrono>
#include <thread>

namespace tw::platform {

void SystemSleep::SleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return (m == 2 && leap) ? 29 : days[m - 1];
}

// Reads exactly `digits` decimal digits at `pos`.
bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > text.size()) return false;
    for (std::size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    std::from_chars(text.data() + pos, text.data() + pos + digits, out);
    pos += digits;
    return true;
}

bool Expect(std::string_view text, std::size_t& pos, std::string_view any) {
    if (pos >= text.size() || any.find(text[pos]) == std::string_view::npos) return false;
    ++pos;
    return true;
}

}  // namespace

UtcSeconds UtcFromFields(const UtcFields& f) {
    return DaysFromCivil(f.year, f.month, f.day) * 86400 + f.hour * 3600 + f.minute * 60 +
           f.second;
}

UtcFields FieldsFromUtc(UtcSeconds seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    UtcFields f;
    CivilFromDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest / 60 % 60);
    f.second = static_cast<int>(rest % 60);
    return f;
}

std::optional<UtcSeconds> ParseUtcText(std::string_view text) {
    UtcFields f;
    std::size_t pos = 0;
    if (!ReadNumber(text, pos, 4, f.year)) return std::nullopt;
    const char dateSep = pos < text.size() ? text[pos] : '\0';
    if (dateSep != '-' && dateSep != '/') return std::nullopt;
    ++pos;
    if (!ReadNumber(text, pos, 2, f.month) || !Expect(text, pos, std::string_view(&dateSep, 1)) ||
        !ReadNumber(text, pos, 2, f.day) || !Expect(text, pos, dateSep == '-' ? "T " : " ") ||
        !ReadNumber(text, pos, 2, f.hour) || !Expect(text, pos, ":") ||
        !ReadNumber(text, pos, 2, f.minute)) {
        return std::nullopt;
    }
    if (pos < text.size() && text[pos] == ':' &&
        (!Expect(text, pos, ":") || !ReadNumber(text, pos, 2, f.second))) {
        return std::nullopt;
    }
    if (dateSep == '-' && pos < text.size() && text[pos] == 'Z') ++pos;
    if (pos != text.size()) return std::nullopt;
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > DaysInMonth(f.year, f.month) ||
        f.hour > 23 || f.minute > 59 || f.second > 59) {
        return std::nullopt;
    }
    return UtcFromFields(f);
}

}  // namespace tw::platform
