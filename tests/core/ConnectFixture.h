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

#include <QFile>
#include <QString>

#include <algorithm>
#include <string>
#include <vector>

#include "airmail/AirMail.h"
#include "app/frmMain.h"
#include "connect/ConnectProcess.h"
#include "connect/Waiter.h"
#include "connect/WindowControl.h"
#include "platform/Clock.h"
#include "platform/sim/SimDesktop.h"
#include "BestListFixture.h"

namespace tw::test {

// The waiting service of the tests: the ManualClock one, with a hook that
// runs at the start of every wait (as a click or a timer would arrive while
// the program waits).
class HookedWaiter final : public IWaiter {
public:
    explicit HookedWaiter(ManualClockWaiter& inner) : m_inner(inner) {}
    void WaitSeconds(double seconds) override {
        ++waits;
        if (onWait) onWait();
        m_inner.WaitSeconds(seconds);
    }
    std::function<void()> onWait;
    int waits = 0;

private:
    ManualClockWaiter& m_inner;
};

class ConnectFixture : public MainWindowFixture {
protected:
    ConnectFixture()
        : sim(clock, drive.paths),
          clockWaiter(clock, drive.ui, [this] { Second(); }),
          waiter(clockWaiter),
          windows(sim, airmail, waiter, [this] { main.UpdateBold(true, false); }),
          connection(main, airmail, windows) {
        drive.WriteAirMail(QStringLiteral("Airmail3.exe"), QStringLiteral("program"));
        main.connection = &connection;
        connection.Beep = [this] { ++beeps; };
        main.m_sSystem = QStringLiteral("HAM");
    }

    // One second of the program's life: the clock moves on, the simulated
    // AirMail catches up, the timers that are on tick.
    void Second() {
        clock.Advance(1);
        sim.Tick();
        ++seconds;
        if (main.tmrProcess.enabled) main.tmrProcess_Timer();
        for (int i = 0; i < 2; ++i)
            if (main.best.tmrBlink.enabled) main.best.tmrBlink_Timer();
    }
    void RunSeconds(int n) {
        for (int i = 0; i < n; ++i) Second();
    }
    // Runs seconds until the condition holds (at most `limit`); true when it did.
    template <typename Condition>
    bool RunUntil(Condition condition, int limit = 600) {
        for (int i = 0; i < limit; ++i) {
            if (condition()) return true;
            Second();
        }
        return condition();
    }

    // AirMail running with its Terminal open, and a valid list (Start enabled).
    void AirMailWithTerminal() {
        sim.StartAirMail();
        sim.SetTerminalFields("SAILMAIL", "", "");
        ASSERT_TRUE(windows.TerminalActivate());
        main.UpdateBold(false, false);
        drive.ui.ClearRecords();
    }

    // The status messages (panel 2) written so far, without their trailing blank.
    std::vector<std::string> Statuses() const {
        std::vector<std::string> out;
        for (const auto& w : drive.ui.panelWrites)
            if (w.panel == 2) out.push_back(w.text.chopped(w.text.isEmpty() ? 0 : 1).toStdString());
        return out;
    }
    bool StatusShown(const std::string& text) const {
        const auto all = Statuses();
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : drive.ui.messages) out.push_back(m.text.toStdString());
        return out;
    }
    int CountMessages(const QString& prefix) const {
        return static_cast<int>(std::count_if(drive.ui.messages.begin(), drive.ui.messages.end(),
                                              [&](const MessageRequest& m) { return m.text.startsWith(prefix); }));
    }
    // How many SendInput calls pressed this virtual key.
    int KeyPresses(std::uint16_t key) const {
        int n = 0;
        for (const auto& call : sim.InputCalls())
            for (const auto& e : call)
                if (e.vk == key && !e.keyUp) ++n;
        return n;
    }
    int InputCalls() const { return static_cast<int>(sim.InputCalls().size()); }

    platform::SimDesktop sim;
    ManualClockWaiter clockWaiter;
    HookedWaiter waiter;
    WindowControl windows;
    ConnectionProcess connection;
    int beeps = 0;
    int seconds = 0;
};

inline constexpr std::uint16_t kVkF5 = 116;
inline constexpr std::uint16_t kVkF6 = 117;

}  // namespace tw::test
