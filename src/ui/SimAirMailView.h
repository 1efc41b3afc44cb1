#pragma once
// The simulated AirMail of the demo on screen: its main window, Terminal and
// Position Report window each as a small window of its own, placed where the
// simulation has them, so that the user sees the Terminal's fields fill in,
// the call start and AirMail's log grow.  A timer moves the simulation on.
// Closing one of these windows closes it in the simulation, as the user
// closes AirMail's own windows; they never keep the program running.

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <map>

#include "platform/sim/SimDesktop.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QWidget;

namespace tw {

class SimAirMailView : public QObject {
    Q_OBJECT
public:
    // The simulation's screen is shown moved by `origin` (to the right of
    // Tidewell's own window, say), so that the two do not cover each other.
    SimAirMailView(platform::SimDesktop& sim, QPoint origin, QObject* parent = nullptr);
    ~SimAirMailView() override;

    // Re-reads the simulation and shows its windows as they are.
    void Refresh();

    QWidget* mainWindow() const { return m_main; }
    QWidget* terminalWindow() const { return m_terminal; }
    QWidget* positionWindow() const { return m_position; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place(QWidget* widget, platform::WindowHandle handle);

    platform::SimDesktop& m_sim;
    QPoint m_origin;
    QTimer* m_tick = nullptr;
    QPointer<QWidget> m_main;
    QPointer<QWidget> m_terminal;
    QPointer<QWidget> m_position;
    QLabel* m_mainText = nullptr;
    QLineEdit* m_system = nullptr;
    QLineEdit* m_station = nullptr;
    QLineEdit* m_frequency = nullptr;
    QLabel* m_callState = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_log = nullptr;
};

}  // namespace tw
