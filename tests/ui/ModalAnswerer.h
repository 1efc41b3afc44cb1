#pragma once
// Answers the real message boxes that a window test opens: whenever a
// QMessageBox is the active modal window, its text is recorded and its default
// button (or the next scripted button) is clicked, or, once, what the test
// does instead is done.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <utility>

namespace tw::test {

class ModalAnswerer {
public:
    ModalAnswerer() {
        m_timer.callOnTimeout([this] { Answer(); });
        m_timer.start(1);
    }

    QStringList texts;
    std::deque<QMessageBox::StandardButton> script;
    std::function<void()> instead;

private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        texts << box->text();
        if (instead) {
            std::exchange(instead, nullptr)();
            return;
        }
        QAbstractButton* button =
            script.empty() ? box->defaultButton() : box->button(script.front());
        if (!script.empty()) script.pop_front();
        if (!button) button = box->buttons().value(0);
        if (button) button->click();
        else box->reject();
    }

    QTimer m_timer;
};

}  // namespace tw::test
