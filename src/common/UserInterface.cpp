#include "common/UserInterface.h"

#include <array>

namespace tw {

MsgAnswer DefaultAnswer(const MessageRequest& request) {
    static const std::array<std::vector<MsgAnswer>, 6> kButtons = {{
        {MsgAnswer::Ok},
        {MsgAnswer::Ok, MsgAnswer::Cancel},
        {MsgAnswer::Yes, MsgAnswer::No},
        {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel},
        {MsgAnswer::Retry, MsgAnswer::Cancel},
        {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore},
    }};
    const auto& answers = kButtons[static_cast<std::size_t>(request.buttons)];
    const auto index = static_cast<std::size_t>(request.defaultButton);
    return index < answers.size() ? answers[index] : answers.front();
}

std::vector<MsgAnswer> ButtonAnswers(MsgButtons buttons) {
    MessageRequest r;
    r.buttons = buttons;
    std::vector<MsgAnswer> out;
    for (int i = 0; i < 3; ++i) {
        r.defaultButton = i;
        const MsgAnswer a = DefaultAnswer(r);
        if (i > 0 && a == out.front()) break;
        out.push_back(a);
    }
    return out;
}

void UpdateStatusStatus(IUserInterface& ui, const QString& status) {
    const QString text = status + QLatin1Char(' ');
    if (ui.PanelText(2) != text) {
        ui.SetPanelText(2, text);
        ui.SetPanelToolTip(2, QStringLiteral("Status Message"));
    }
}

void UpdateStatusState(IUserInterface& ui, const QString& state) {
    if (ui.PanelText(1) != state) ui.SetPanelText(1, state);
}

QString WithCause(const QString& text, const QString& cause) {
    const QString reason = cause.trimmed();
    if (reason.isEmpty()) return text;
    QString joined = text;
    while (joined.endsWith(QLatin1Char(' '))) joined.chop(1);
    if (!joined.isEmpty()) joined += QLatin1Char(' ');
    joined += reason;
    const QChar last = joined.back();
    if (last != QLatin1Char('.') && last != QLatin1Char('!') && last != QLatin1Char('?')) joined += QLatin1Char('.');
    return joined;
}

}  // namespace tw
