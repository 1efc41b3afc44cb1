#include "program/ConsoleUserInterface.h"

namespace tw {

MsgAnswer ConsoleUserInterface::MessageBox(const MessageRequest& request) {
    // One line per box: the title, then the text with its line breaks folded.
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_err << request.title << ": " << text.simplified() << Qt::endl;
    return DefaultAnswer(request);
}

QString ConsoleUserInterface::PanelText(int panel) const {
    return panel >= 1 && panel <= 5 ? m_panels[static_cast<std::size_t>(panel)] : QString();
}

void ConsoleUserInterface::SetPanelText(int panel, const QString& text) {
    if (panel >= 1 && panel <= 5) m_panels[static_cast<std::size_t>(panel)] = text;
}

}  // namespace tw
