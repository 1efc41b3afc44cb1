#pragma once
// The connection process over the simulated AirMail: a temporary drive C:
// with AirMail's folder, a main window with a hand-made best list, the
// simulated desktop on a ManualClock, the waiting service that moves that
// clock on, AirMail window control and the connection process, wired as the
// application wires them.  Nothing sleeps: every wait and every timer tick
// moves the ManualClock by whole seconds and runs what the program's event
// loop would run in that second (the simulated AirMail's Tick, tmrProcess
// every second, tmrBlink twice a second).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "connect/ConnectProcess.h"
#include "common/Waiter.h"
#include "connect/WindowControl.h"
#include "platform/sim/SimDesktop.h"
#include "BestListFixture.h"

namespace tw::test {

// The fixture is the waiting service of the tests: the ManualClock one, with
// a hook that runs at the start of every wait (as a click or a timer would
// arrive while the program waits).
class ConnectFixture : public MainWindowFixture, public IWaiter {
protected:
    ConnectFixture()
        : sim(clock, drive.paths),
          clockWaiter(clock, drive.ui, [this] { Tick(); }),
          windows(sim, airmail, *this, [this] { main.UpdateBold(true, false); }),
          connection(main, airmail, windows) {
        drive.WriteAirMail(QStringLiteral("Airmail3.exe"), QStringLiteral("program"));
        main.connection = &connection;
        connection.Beep = [this] { ++beeps; };
        main.m_sSystem = QStringLiteral("HAM");
    }

    void WaitSeconds(double seconds) override {
        if (onWait) onWait();
        clockWaiter.WaitSeconds(seconds);
    }
    bool WaitUntil(const std::function<bool()>& done, double seconds) override {
        return clockWaiter.WaitUntil(done, seconds);
    }

    // One second of the program's life: the clock moves on, then Tick.
    void Second() {
        clock.Advance(1);
        Tick();
    }
    // After the clock moved on a second: the simulated AirMail catches up,
    // the timers that are on tick.
    void Tick() {
        sim.Tick();
        if (main.tmrProcess.enabled) main.tmrProcess_Timer();
        for (int i = 0; i < 2; ++i)
            if (main.best.tmrBlink.enabled) main.best.tmrBlink_Timer();
    }
    void RunSeconds(int n) {
        for (int i = 0; i < n; ++i) Second();
    }
    // Runs seconds until the condition holds (at most `limit`); true when it did.
    template <typename Condition>
    bool RunUntil(Condition condition, int limit) {
        for (int i = 0; i < limit && !condition(); ++i) Second();
        return condition();
    }

    // AirMail running with its Terminal open (on the system SAILMAIL at first),
    // and a valid list (Start enabled).
    void AirMailWithTerminal() {
        sim.StartAirMail();
        ASSERT_TRUE(windows.TerminalActivate());
        main.UpdateBold(false, false);
        drive.ui.ClearRecords();
    }

    // The status messages (panel 2) written so far, without their trailing blank.
    std::vector<std::string> Statuses() const {
        std::vector<std::string> out;
        for (const auto& w : drive.ui.panelWrites)
            if (w.panel == 2) out.push_back(w.text.trimmed().toStdString());
        return out;
    }
    bool StatusShown(const std::string& s) const { return std::ranges::count(Statuses(), s) > 0; }
    int CountMessages(const QString& prefix) const {
        return static_cast<int>(std::ranges::count_if(
            drive.ui.messages, [&](const MessageRequest& m) { return m.text.startsWith(prefix); }));
    }
    // How often the keys sent pressed this virtual key.
    int KeyPresses(std::uint16_t key) const {
        int n = 0;
        for (const auto& call : sim.InputCalls())
            for (const platform::KeyEvent& e : call) n += e.vk == key && !e.keyUp;
        return n;
    }

    platform::SimDesktop sim;
    ManualClockWaiter clockWaiter;
    std::function<void()> onWait;
    WindowControl windows;
    ConnectionProcess connection;
    int beeps = 0;
};

inline constexpr std::uint16_t kVkF5 = 116;
inline constexpr std::uint16_t kVkF6 = 117;

}  // namespace tw::test
