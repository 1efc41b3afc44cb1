#pragma once
// The user interface of headless mode: message boxes are printed to standard
// error, one line each, and answered with their default button; a question
// is not printed (nobody is there to answer it), only its statements and the
// answer taken.  The status panels are kept in memory.

#include <QTextStream>

#include <array>

#include "common/UserInterface.h"

namespace tw {

// The line a message box gives on standard error.
QString ConsoleLine(const MessageRequest& request);

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
