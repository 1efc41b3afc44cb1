#pragma once
// The UTC clock, injectable so that tests and `--utc` fix the time.

#include <cstdint>
#include <memory>

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

}  // namespace tw::platform
