#include "ui/QtUserInterface.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace tw {

void QtUserInterface::AttachPanels(const std::array<QLabel*, 5>& panels) {
    for (std::size_t i = 0; i < panels.size(); ++i) {
        m_labels[i + 1] = panels[i];
        if (panels[i]) panels[i]->setText(m_texts[i + 1]);
    }
}

namespace {

// The answer of a box closed without a button (Escape or the close box):
// Cancel or No where the box has one, else its default.
MsgAnswer ClosedAnswer(const MessageRequest& request) {
    const std::vector<MsgAnswer> answers = ButtonAnswers(request.buttons);
    for (MsgAnswer a : {MsgAnswer::Cancel, MsgAnswer::No})
        for (MsgAnswer b : answers)
            if (a == b) return a;
    return DefaultAnswer(request);
}

}  // namespace

void QtUserInterface::CloseBoxes() {
    m_closing = true;
    for (const QPointer<QWidget>& box : m_open)
        if (auto* shown = qobject_cast<QMessageBox*>(box.data())) shown->done(-1);
}

MsgAnswer QtUserInterface::MessageBox(const MessageRequest& request) {
    if (m_closing) return ClosedAnswer(request);
    QMessageBox box(m_parent);
    box.setWindowTitle(request.title);
    // Messages may break their lines the Windows way (CR LF, or CR alone).
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(text);
    switch (request.icon) {
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::None: break;
    }
    const std::vector<MsgAnswer> answers = ButtonAnswers(request.buttons);
    std::vector<QPushButton*> buttons;
    for (MsgAnswer answer : answers) {
        QMessageBox::StandardButton standard = QMessageBox::Ok;
        switch (answer) {
            case MsgAnswer::Ok: standard = QMessageBox::Ok; break;
            case MsgAnswer::Cancel: standard = QMessageBox::Cancel; break;
            case MsgAnswer::Yes: standard = QMessageBox::Yes; break;
            case MsgAnswer::No: standard = QMessageBox::No; break;
            case MsgAnswer::Retry: standard = QMessageBox::Retry; break;
            case MsgAnswer::Abort: standard = QMessageBox::Abort; break;
            case MsgAnswer::Ignore: standard = QMessageBox::Ignore; break;
        }
        buttons.push_back(box.addButton(standard));
    }
    const auto index = static_cast<std::size_t>(request.defaultButton);
    if (index < buttons.size()) box.setDefaultButton(buttons[index]);
    // The wait cursor of a long operation must not hide the arrow over the box.
    const bool busy = m_busy;
    if (busy) QApplication::restoreOverrideCursor();
    m_open.emplace_back(&box);
    box.exec();
    m_open.pop_back();
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_closing) return ClosedAnswer(request);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i]) return answers[i];
    return ClosedAnswer(request);
}

QString QtUserInterface::PanelText(int panel) const {
    return panel >= 1 && panel <= 5 ? m_texts[static_cast<std::size_t>(panel)] : QString();
}

void QtUserInterface::SetPanelText(int panel, const QString& text) {
    if (panel < 1 || panel > 5) return;
    const auto i = static_cast<std::size_t>(panel);
    m_texts[i] = text;
    if (m_labels[i]) m_labels[i]->setText(text);
}

void QtUserInterface::SetPanelToolTip(int panel, const QString& toolTip) {
    if (panel < 1 || panel > 5) return;
    const auto i = static_cast<std::size_t>(panel);
    if (m_labels[i]) m_labels[i]->setToolTip(toolTip);
}

void QtUserInterface::SetBusy(bool busy) {
    if (busy && !m_busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!busy) {
        // Back to the default pointer, whatever was stacked before.
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    }
    m_busy = busy;
}

void QtUserInterface::BringToFront(const QString& caption) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == caption) {
            w->raise();
            w->activateWindow();
            return;
        }
    }
}

void QtUserInterface::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace tw
