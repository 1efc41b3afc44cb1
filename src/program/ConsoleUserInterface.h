#pragma once
// The user interface of headless mode: message boxes are printed to standard
// error and answered with their default button; the status panels are kept
// in memory.

#include <QTextStream>

#include <array>

#include "common/UserInterface.h"

namespace tw {

class ConsoleUserInterface final : public IUserInterface {
public:
    explicit ConsoleUserInterface(QTextStream& err) : m_err(err) {}

    MsgAnswer MessageBox(const MessageRequest& request) override;
    QString PanelText(int panel) const override;
    void SetPanelText(int panel, const QString& text) override;
    void SetPanelToolTip(int, const QString&) override {}
    void SetBusy(bool) override {}
    void BringToFront(const QString&) override {}
    void ProcessEvents() override {}

private:
    QTextStream& m_err;
    std::array<QString, 6> m_panels;
};

}  // namespace tw
