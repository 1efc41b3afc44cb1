#include "common/Waiter.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "common/UserInterface.h"

namespace tw {

namespace {
double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

EventLoopWaiter::EventLoopWaiter(IUserInterface& ui, MonotonicSeconds now)
    : m_ui(ui), m_now(std::move(now)), m_realClock(!m_now) {
    if (!m_now) m_now = SteadySeconds;
}

void EventLoopWaiter::WaitSeconds(double seconds) {
    const double start = m_now();
    m_ui.ProcessEvents();
    // A clock that went backwards (it cannot on a steady clock, but an
    // injected one might) ends the wait rather than stretching it.
    for (double now = m_now(); now >= start && now - start < seconds; now = m_now()) {
        // A short rest between the rounds keeps the wait from taking a whole
        // processor; events still get through every few milliseconds.
        if (m_realClock) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        m_ui.ProcessEvents();
    }
}

bool EventLoopWaiter::WaitUntil(const std::function<bool()>& done, double seconds) {
    const double start = m_now();
    for (;;) {
        if (done()) return true;
        const double now = m_now();
        if (now < start || now - start >= seconds) return false;
        m_ui.ProcessEvents();
        if (m_realClock) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

ManualClockWaiter::ManualClockWaiter(platform::ManualClock& clock, IUserInterface& ui,
                                     std::function<void()> onSecondCallback)
    : onSecond(std::move(onSecondCallback)), m_clock(clock), m_ui(ui) {}

void ManualClockWaiter::WaitSeconds(double seconds) {
    m_ui.ProcessEvents();
    if (!(seconds > 0.0)) return;
    m_waited += seconds;
    m_fraction += seconds;
    // Whole seconds, with a small allowance so that 20 x 0.05 makes one.
    while (m_fraction >= 1.0 - 1e-9) {
        m_fraction -= 1.0;
        if (m_fraction < 0.0) m_fraction = 0.0;
        m_clock.Advance(1);
        if (onSecond) onSecond();
        m_ui.ProcessEvents();
    }
}

bool ManualClockWaiter::WaitUntil(const std::function<bool()>& done, double seconds) {
    constexpr double kStep = 0.1;
    for (double waited = 0.0;; waited += kStep) {
        if (done()) return true;
        if (waited >= seconds - 1e-9) return false;
        WaitSeconds(kStep);
    }
}

}  // namespace tw
