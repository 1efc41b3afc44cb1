#pragma once
// The one interface through which the core talks to the user: message boxes,
// the status bar panels, the busy cursor, bringing a window to the front and
// letting pending window messages through.  The app implements it with Qt,
// tests with a script, headless mode on the console.

#include <QString>

#include <vector>

namespace tw {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct MessageRequest {
    QString text;
    QString title = QStringLiteral("Tidewell");
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    int defaultButton = 0;  // 0-based index into the buttons, left to right
};

// The answer a box gives when its default button is taken.
MsgAnswer DefaultAnswer(const MessageRequest& request);
// The answers of a button set, left to right.
std::vector<MsgAnswer> ButtonAnswers(MsgButtons buttons);

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    virtual MsgAnswer MessageBox(const MessageRequest& request) = 0;

    // Status bar panels, numbered 1 to 5.
    virtual QString PanelText(int panel) const = 0;
    virtual void SetPanelText(int panel, const QString& text) = 0;
    virtual void SetPanelToolTip(int panel, const QString& toolTip) = 0;

    // The hourglass over the main window (and the best connect time window).
    virtual void SetBusy(bool busy) = 0;

    // Bring the top-level window with this caption to the front; failures are ignored.
    virtual void BringToFront(const QString& caption) = 0;

    // Let pending window messages through (repaint points of long work).
    virtual void ProcessEvents() = 0;

    // The program is ending on a request from outside (a signal): every
    // question is answered as a box closed without a button, and nothing is
    // started on such an answer.
    virtual bool Closing() const { return false; }
};

// Text measurement for column widths, in twips (1/1440 inch).
class ITextMetrics {
public:
    virtual ~ITextMetrics() = default;
    virtual int TextWidthTwips(const QString& text) const = 0;
    virtual int TwipsPerPixelX() const = 0;
    virtual int TwipsPerPixelY() const = 0;
};

// A fixed-pitch measurement: every character `charTwips` wide; 15 twips per pixel.
class FixedTextMetrics final : public ITextMetrics {
public:
    explicit FixedTextMetrics(int charTwips = 105) : m_charTwips(charTwips) {}
    int TextWidthTwips(const QString& text) const override {
        return static_cast<int>(text.size()) * m_charTwips;
    }
    int TwipsPerPixelX() const override { return 15; }
    int TwipsPerPixelY() const override { return 15; }

private:
    int m_charTwips;
};

// Holds the hourglass while it lives; the default pointer comes back when it
// goes, on every exit path.
class MouseBusy {
public:
    explicit MouseBusy(IUserInterface& ui) : m_ui(ui) { m_ui.SetBusy(true); }
    ~MouseBusy() { m_ui.SetBusy(false); }
    MouseBusy(const MouseBusy&) = delete;
    MouseBusy& operator=(const MouseBusy&) = delete;

private:
    IUserInterface& m_ui;
};

// Panel 2: the status message, followed by one blank; written (with its
// tooltip "Status Message") only when the text changes.
void UpdateStatusStatus(IUserInterface& ui, const QString& status);
// Panel 1: the state word; written only when it changes.
void UpdateStatusState(IUserInterface& ui, const QString& state);

// A message's text followed by the system's description of the cause as a
// sentence of its own: one blank between them and a full stop at its end
// ("Unable to open ... file. File too large."), so that the folder hint after
// it, and a console that prints a message on one line, do not run the two
// together.  `text` alone when there is no cause.
QString WithCause(const QString& text, const QString& cause);

}  // namespace tw
