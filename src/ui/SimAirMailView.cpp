#include "ui/SimAirMailView.h"

#include <QEvent>
#include <QFormLayout>

#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "common/ProfileAccess.h"

namespace tw {

namespace {
QString Text(const std::string& ansi) { return AnsiToUnicode(QByteArray::fromStdString(ansi)); }

QWidget* NewWindow(const QString& title) {
    auto* w = new QWidget(nullptr, Qt::Window);
    w->setWindowTitle(title);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    // AirMail's windows do not keep Tidewell running: closing Tidewell's main
    // window ends the program, the simulated AirMail with it.
    w->setAttribute(Qt::WA_QuitOnClose, false);
    return w;
}

void SetText(QPlainTextEdit* edit, const QString& text) {
    if (edit->toPlainText() == text) return;
    edit->setPlainText(text);
    edit->moveCursor(QTextCursor::End);
}
}  // namespace

SimAirMailView::SimAirMailView(platform::SimDesktop& sim, QPoint origin, QObject* parent)
    : QObject(parent), m_sim(sim), m_origin(origin) {
    m_main = NewWindow(QStringLiteral("AirMail (simulated)"));
    auto* mainLayout = new QVBoxLayout(m_main);
    m_mainText = new QLabel(m_main);
    m_mainText->setWordWrap(true);
    mainLayout->addWidget(m_mainText);
    m_log = new QPlainTextEdit(m_main);
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(200);
    mainLayout->addWidget(new QLabel(QStringLiteral("Logfiles\\Debug.log"), m_main));
    mainLayout->addWidget(m_log);

    m_terminal = NewWindow(QStringLiteral("Terminal (simulated)"));
    auto* terminalLayout = new QVBoxLayout(m_terminal);
    auto* fields = new QFormLayout;
    for (auto [edit, label] : {std::pair{&m_system, "System"}, std::pair{&m_station, "Station"},
                               std::pair{&m_frequency, "Frequency"}}) {
        *edit = new QLineEdit(m_terminal);
        (*edit)->setReadOnly(true);
        fields->addRow(QString::fromLatin1(label), *edit);
    }
    terminalLayout->addLayout(fields);
    m_callState = new QLabel(m_terminal);
    terminalLayout->addWidget(m_callState);
    m_text = new QPlainTextEdit(m_terminal);
    m_text->setReadOnly(true);
    terminalLayout->addWidget(m_text);

    m_position = NewWindow(QStringLiteral("Position Report (simulated)"));
    auto* positionLayout = new QVBoxLayout(m_position);
    positionLayout->addWidget(new QLabel(
        QStringLiteral("AirMail's Position Report window.\nThe demo takes the position from "
                       "Airmail.ini; close this window when done."),
        m_position));

    for (QWidget* window : {m_main.data(), m_terminal.data(), m_position.data()})
        window->installEventFilter(this);
    m_sim.SetOnChanged([this] { Refresh(); });
    m_tick = new QTimer(this);
    m_tick->setInterval(250);
    connect(m_tick, &QTimer::timeout, this, [this] { m_sim.Tick(); });
    m_tick->start();
    Refresh();
}

SimAirMailView::~SimAirMailView() {
    m_sim.SetOnChanged({});
    delete m_main;
    delete m_terminal;
    delete m_position;
}

bool SimAirMailView::eventFilter(QObject* watched, QEvent* event) {
    // The user closes one of AirMail's windows: the simulated desktop closes
    // it (the main window: AirMail quits, its other windows with it), and the
    // refresh that follows hides what is gone.
    if (event->type() == QEvent::Close) {
        const platform::WindowHandle handle = watched == m_main       ? m_sim.MainWindow()
                                              : watched == m_terminal ? m_sim.TerminalWindow()
                                              : watched == m_position ? m_sim.PositionReportWindow()
                                                                      : 0;
        if (handle != 0) m_sim.CloseWindow(handle);
    }
    return QObject::eventFilter(watched, event);
}

void SimAirMailView::Place(QWidget* widget, platform::WindowHandle handle) {
    if (!widget) return;
    if (handle == 0) {
        widget->hide();
        return;
    }
    for (const platform::SimWindow& w : m_sim.Windows()) {
        if (w.handle != handle) continue;
        if (w.show == platform::ShowMode::Hide || w.show == platform::ShowMode::Minimize) {
            widget->hide();
            return;
        }
        // AirMail's windows keep their places among themselves; the group
        // starts at the origin.
        int left = w.rect.left;
        for (const platform::SimWindow& other : m_sim.Windows())
            if (other.handle == m_sim.MainWindow() || other.handle == m_sim.TerminalWindow() ||
                other.handle == m_sim.PositionReportWindow())
                left = std::min(left, other.rect.left);
        // Sizes within reason on a small screen.
        const QRect rect(m_origin.x() + w.rect.left - left, m_origin.y() + w.rect.top,
                         std::clamp(w.rect.Width(), 240, 560), std::clamp(w.rect.Height(), 140, 420));
        if (widget->geometry() != rect) widget->setGeometry(rect);
        if (!widget->isVisible()) widget->show();
        return;
    }
    widget->hide();
}

void SimAirMailView::Refresh() {
    Place(m_main, m_sim.MainWindow());
    Place(m_terminal, m_sim.TerminalWindow());
    Place(m_position, m_sim.PositionReportWindow());
    if (!m_main) return;

    m_mainText->setText(m_sim.AirMailRunning()
                            ? QStringLiteral("AirMail is running (simulated for the demo).")
                            : QStringLiteral("AirMail is not running."));
    m_system->setText(Text(m_sim.Field(platform::SimControl::TerminalSystem).text));
    m_station->setText(Text(m_sim.Field(platform::SimControl::TerminalStation).text));
    m_frequency->setText(Text(m_sim.Field(platform::SimControl::TerminalFrequency).text));
    QString state;
    switch (m_sim.CallState()) {
        case platform::SimCallState::Idle: state = QStringLiteral("Idle"); break;
        case platform::SimCallState::Calling:
            state = QStringLiteral("Calling %1 on %2 kHz")
                        .arg(Text(m_sim.CallStation()), Text(m_sim.CallFrequency()));
            break;
        case platform::SimCallState::Connected:
            state = QStringLiteral("Connected to %1").arg(Text(m_sim.CallStation()));
            break;
    }
    m_callState->setText(state);
    QStringList lines;
    for (const std::string& line : m_sim.TerminalLines()) lines << Text(line);
    SetText(m_text, lines.join(QLatin1Char('\n')));
    QStringList log;
    for (const std::string& line : m_sim.LogLines()) log << Text(line);
    SetText(m_log, log.join(QLatin1Char('\n')));
}

}  // namespace tw
