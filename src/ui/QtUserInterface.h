#pragma once
// The user interface of the window: Qt message boxes, the main window's
// status bar panels, the wait cursor, raising windows, and the event loop.

#include <QPointer>
#include <QString>

#include <array>
#include <vector>

#include "common/UserInterface.h"

class QLabel;
class QWidget;

namespace tw {

class QtUserInterface final : public IUserInterface {
public:
    QtUserInterface() = default;

    // The window that owns the message boxes, and the five panel labels.
    void SetParentWindow(QWidget* window) { m_parent = window; }
    void AttachPanels(const std::array<QLabel*, 5>& panels);

    MsgAnswer MessageBox(const MessageRequest& request) override;
    QString PanelText(int panel) const override;
    void SetPanelText(int panel, const QString& text) override;
    void SetPanelToolTip(int panel, const QString& toolTip) override;
    void SetBusy(bool busy) override;
    void BringToFront(const QString& caption) override;
    void ProcessEvents() override;

    // The program is closing (a signal): the open message boxes close as if
    // closed without a button, and later ones are answered so at once, not
    // shown, so that nothing holds the close up.
    void CloseBoxes();
    bool Closing() const override { return m_closing; }

private:
    QPointer<QWidget> m_parent;
    std::array<QString, 6> m_texts;
    std::array<QPointer<QLabel>, 6> m_labels;
    bool m_busy = false;
    bool m_closing = false;
    std::vector<QPointer<QWidget>> m_open;  // the boxes shown, innermost last
};

}  // namespace tw
