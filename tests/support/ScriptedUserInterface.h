#pragma once
// A user interface for tests: records every message box, panel write, busy
// switch, bring-to-front and event pump, and answers message boxes from a
// queue of scripted answers (the box's default answer when the queue is
// empty).  An optional hook runs while a box is "open", so a test can act at
// that moment (as a user or a timer would).

#include <QMap>
#include <QString>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "common/UserInterface.h"

namespace tw::test {

class ScriptedUserInterface : public IUserInterface {
public:
    struct PanelWrite {
        int panel;
        QString text;
    };

    // --- script ---
    void QueueAnswer(MsgAnswer answer) { answers.push_back(answer); }
    void QueueAnswers(std::initializer_list<MsgAnswer> list) { answers.insert(answers.end(), list); }
    std::deque<MsgAnswer> answers;
    std::function<void(const MessageRequest&)> onMessageBox;
    std::function<void()> onProcessEvents;  // runs where long work lets events through

    // --- records ---
    std::vector<MessageRequest> messages;
    std::vector<PanelWrite> panelWrites;
    std::vector<bool> busyCalls;
    std::vector<QString> broughtToFront;
    int processEventsCalls = 0;
    bool busy = false;

    // The last message's text, or empty.
    QString LastMessage() const { return messages.empty() ? QString() : messages.back().text; }
    // Forget what has been recorded (the panels keep their texts).
    void ClearRecords() {
        messages.clear();
        panelWrites.clear();
        busyCalls.clear();
        broughtToFront.clear();
        processEventsCalls = 0;
    }

    // --- IUserInterface ---
    MsgAnswer MessageBox(const MessageRequest& request) override {
        messages.push_back(request);
        if (onMessageBox) onMessageBox(request);
        MsgAnswer answer = DefaultAnswer(request);
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return answer;
    }
    QString PanelText(int panel) const override { return m_panels.value(panel); }
    void SetPanelText(int panel, const QString& text) override {
        m_panels[panel] = text;
        panelWrites.push_back({panel, text});
    }
    void SetPanelToolTip(int panel, const QString& toolTip) override {
        m_toolTips[panel] = toolTip;
    }
    QString PanelToolTip(int panel) const { return m_toolTips.value(panel); }
    void SetBusy(bool on) override {
        busy = on;
        busyCalls.push_back(on);
    }
    void BringToFront(const QString& caption) override { broughtToFront.push_back(caption); }
    void ProcessEvents() override {
        ++processEventsCalls;
        if (onProcessEvents) onProcessEvents();
    }

private:
    QMap<int, QString> m_panels;
    QMap<int, QString> m_toolTips;
};

}  // namespace tw::test
