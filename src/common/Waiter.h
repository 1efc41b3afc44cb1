#pragma once
// Waiting while the user interface stays live.  It is the only way the
// program waits: between the keys it types into AirMail, while AirMail opens
// its Terminal or starts up, and while a propagation program runs.  Pending
// window events (repaints, clicks, the main window's timers) are let through
// the whole time.
//
// Two implementations:
// - EventLoopWaiter, the program's: lets the window events through until the
//   time has passed on a monotonic clock (a wait that spans midnight, or a
//   change of the system clock, still lasts exactly as long as asked);
// - ManualClockWaiter, for tests and simulated runs: moves a ManualClock on
//   instead of waiting, one second at a time, and runs what the running
//   program's event loop would run meanwhile (the simulated AirMail's Tick,
//   the timers) through a callback.  Nothing sleeps.

#include <functional>

#include "platform/Clock.h"

namespace tw {

class IUserInterface;

class IWaiter {
public:
    virtual ~IWaiter() = default;
    // Waits `seconds` (fractions allowed; 0 or less lets the events through
    // once) while processing window events.
    virtual void WaitSeconds(double seconds) = 0;
    // Waits until `done` answers true or `seconds` have passed, processing
    // window events meanwhile; `done` is asked before the first round and
    // after every round.  True when `done` answered true, false at the limit.
    virtual bool WaitUntil(const std::function<bool()>& done, double seconds) = 0;
};

class EventLoopWaiter final : public IWaiter {
public:
    // Seconds on a monotonic clock; the default is the system's steady clock.
    using MonotonicSeconds = std::function<double()>;

    explicit EventLoopWaiter(IUserInterface& ui, MonotonicSeconds now = {});
    void WaitSeconds(double seconds) override;
    // Asks `done` about every millisecond, so the end of a program is seen
    // at once and costs an update next to nothing.
    bool WaitUntil(const std::function<bool()>& done, double seconds) override;

private:
    IUserInterface& m_ui;
    MonotonicSeconds m_now;
    bool m_realClock;
};

class ManualClockWaiter final : public IWaiter {
public:
    // `onSecond` runs after every whole second the clock is moved on (the
    // simulated AirMail's Tick, the timers that fall due).
    ManualClockWaiter(platform::ManualClock& clock, IUserInterface& ui, std::function<void()> onSecond = {});

    // The clock moves on by whole seconds; fractions add up until they make
    // one (twenty waits of 0.05 seconds move it one second).
    void WaitSeconds(double seconds) override;
    // Moves the clock on in tenths of a second, asking `done` after each.
    bool WaitUntil(const std::function<bool()>& done, double seconds) override;

    std::function<void()> onSecond;
    // Total time waited, in seconds.
    double Waited() const { return m_waited; }

private:
    platform::ManualClock& m_clock;
    IUserInterface& m_ui;
    double m_fraction = 0.0;
    double m_waited = 0.0;
};

}  // namespace tw
