#include "program/ConsoleUserInterface.h"

#include <QStringList>

namespace tw {

namespace {

QString AnswerText(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Ok: return QStringLiteral("OK");
    case MsgAnswer::Cancel: return QStringLiteral("Cancel");
    case MsgAnswer::Yes: return QStringLiteral("Yes");
    case MsgAnswer::No: return QStringLiteral("No");
    case MsgAnswer::Retry: return QStringLiteral("Retry");
    case MsgAnswer::Abort: return QStringLiteral("Abort");
    case MsgAnswer::Ignore: return QStringLiteral("Ignore");
    }
    return {};
}

}  // namespace

QString ConsoleLine(const MessageRequest& request) {
    // The text with its line breaks folded.
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text = text.simplified();
    if (ButtonAnswers(request.buttons).size() < 2) return request.title + QStringLiteral(": ") + text;

    // Nobody can answer a question here: its statements stay, the questions
    // go, and the line says which answer was taken.
    QStringList kept;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size() ||
                         ((text[i] == QLatin1Char('.') || text[i] == QLatin1Char('?')) &&
                          (i + 1 == text.size() || text[i + 1] == QLatin1Char(' ')));
        if (!end) continue;
        const QString sentence = text.mid(start, i + 1 - start).trimmed();
        if (!sentence.isEmpty() && !sentence.endsWith(QLatin1Char('?'))) kept << sentence;
        start = i + 1;
    }
    QString line = request.title + QStringLiteral(": ");
    if (!kept.isEmpty()) line += kept.join(QLatin1Char(' ')) + QLatin1Char(' ');
    return line + QStringLiteral("(A question not asked in a headless run: answered ") +
           AnswerText(DefaultAnswer(request)) + QStringLiteral(".)");
}

MsgAnswer ConsoleUserInterface::MessageBox(const MessageRequest& request) {
    m_err << ConsoleLine(request) << Qt::endl;
    return DefaultAnswer(request);
}

QString ConsoleUserInterface::PanelText(int panel) const {
    return panel >= 1 && panel <= 5 ? m_panels[static_cast<std::size_t>(panel)] : QString();
}

void ConsoleUserInterface::SetPanelText(int panel, const QString& text) {
    if (panel >= 1 && panel <= 5) m_panels[static_cast<std::size_t>(panel)] = text;
}

}  // namespace tw
