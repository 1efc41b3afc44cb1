#pragma once
// The UTC clock, injectable so that tests and `--utc` fix the time.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace tw::platform {

// Seconds since 1970-01-01 00:00:00 UTC, whole seconds.
using UtcSeconds = std::int64_t;

class IClock {
public:
    virtual ~IClock() = default;
    virtual UtcSeconds NowUtc() const = 0;
};

// The system clock (GetSystemTime on Windows), milliseconds dropped.
class SystemClock final : public IClock {
public:
    UtcSeconds NowUtc() const override;
};

// A clock that stands still until moved; for tests and `--utc`.
class ManualClock final : public IClock {
public:
    explicit ManualClock(UtcSeconds now = 0) : m_now(now) {}
    UtcSeconds NowUtc() const override { return m_now; }
    void Set(UtcSeconds now) { m_now = now; }
    void Advance(UtcSeconds seconds) { m_now += seconds; }

private:
    UtcSeconds m_now;
};

// Short pauses of the platform layer (a file another program is writing,
// waited for a few milliseconds): the system's sleep, or a test's own, which
// moves its clock and lets the other program's next step happen instead.
class ISleep {
public:
    virtual ~ISleep() = default;
    virtual void SleepMilliseconds(int milliseconds) = 0;
};

class SystemSleep final : public ISleep {
public:
    void SleepMilliseconds(int milliseconds) override;
};

// A UTC time split into its calendar fields (proleptic Gregorian calendar).
struct UtcFields {
    int year = 1970;
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 59
    bool operator==(const UtcFields&) const = default;
};

UtcSeconds UtcFromFields(const UtcFields& fields);
UtcFields FieldsFromUtc(UtcSeconds seconds);

// A fixed time as given on the command line (`--utc`): "yyyy-mm-ddThh:mm[:ss]"
// with "T" or a blank between date and time and an optional trailing "Z", or
// the program's own form "yyyy/mm/dd hh:nn:ss".  Nothing when the text is not
// such a time or names no real date.
std::optional<UtcSeconds> ParseUtcText(std::string_view text);

}  // namespace tw::platform
