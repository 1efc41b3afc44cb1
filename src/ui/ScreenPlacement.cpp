#include "ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QEvent>
#include <QWidget>

#include <utility>

#include "common/WindowPlacement.h"

namespace tw {

QRect AvailableScreenFor(QPoint place, QSize size) {
    QList<QScreen*> screens = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    if (screens.isEmpty()) return QRect(0, 0, 640, 480);
    QList<QRect> areas;
    for (const QScreen* screen : screens) areas << screen->availableGeometry();
    return areas[ScreenFor(place, size, areas)];
}

QSize FrameExtra(const QWidget* window, const QWidget* like) {
    if (window->isVisible() || !like || !like->isVisible())
        return window->frameGeometry().size() - window->size();
    return like->frameGeometry().size() - like->size();
}

namespace {

// Puts a window's frame where it was meant to go once the window manager has
// told the frame.  Before a window is first shown, its frame is not known:
// some window managers then put the frame where the window was moved to,
// others its inside, so the place is checked again when the frame shows.
class FramePlacer final : public QObject {
public:
    FramePlacer(QWidget* window, QPoint frameAt) : QObject(window), m_window(window), m_frameAt(frameAt) {
        setObjectName(kName);
        window->installEventFilter(this);
    }
    static constexpr const char* kName = "tidewell-frame-placer";

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
            m_window->frameGeometry() != m_window->geometry()) {
            m_window->removeEventFilter(this);
            if (m_window->frameGeometry().topLeft() != m_frameAt) m_window->move(m_frameAt);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    QPoint m_frameAt;
};

}  // namespace

void SetFrameOnScreen(QWidget* window, const QRect& frame, const QWidget* like) {
    const QSize extra = FrameExtra(window, like);
    const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint()) + extra;
    const QRect on = tw::KeepOnScreen(frame.topLeft(), frame.size(), minimum,
                                      AvailableScreenFor(frame.topLeft(), frame.size()));
    const bool frameKnown = window->frameGeometry() != window->geometry();
    if (!window->isVisible()) {
        for (QObject* earlier :
             window->findChildren<QObject*>(QString::fromLatin1(FramePlacer::kName), Qt::FindDirectChildrenOnly))
            delete earlier;
        window->move(on.topLeft());
        if (!frameKnown) new FramePlacer(window, on.topLeft());
    } else if (frameKnown || on.topLeft() != window->frameGeometry().topLeft()) {
        // A shown window whose frame is not told yet is only moved when it
        // must: a move to where it already is would be read as its frame's
        // place and push it down by its title bar.
        window->move(on.topLeft());
    }
    window->resize(on.size() - extra);
}

void KeepOnScreen(QWidget* window, const QWidget* like) {
    const QSize extra = FrameExtra(window, like);
    SetFrameOnScreen(window, QRect(window->frameGeometry().topLeft(), window->size() + extra), like);
}

void PlaceBelow(QWidget* window, const QWidget* above) {
    const QSize frame = window->size() + FrameExtra(window, above);
    const QRect below = tw::PlaceBelow(above->frameGeometry(), frame,
                                       AvailableScreenFor(above->frameGeometry().topLeft(),
                                                          above->frameGeometry().size()));
    SetFrameOnScreen(window, below, above);
}

void CenterOnScreen(QWidget* window, const QWidget* like) {
    const QSize frame = window->size() + FrameExtra(window, like);
    const QRect screen = AvailableScreenFor(like ? like->frameGeometry().topLeft() : QPoint(),
                                            like ? like->frameGeometry().size() : QSize());
    SetFrameOnScreen(window, tw::CenterOn(frame, screen), like);
}

void ResizeOnScreen(QWidget* window, QSize size, const QWidget* like) {
    const QSize extra = FrameExtra(window, like);
    if (window->isVisible()) {
        SetFrameOnScreen(window, QRect(window->frameGeometry().topLeft(), size + extra), like);
        return;
    }
    // Placed when it opens; until then only its size is kept within the screen.
    const QRect screen = AvailableScreenFor(window->frameGeometry().topLeft(), size + extra);
    window->resize(size.boundedTo(screen.size() - extra));
}

void PlaceOnShow(QWidget* window, const QWidget* above, bool& shownBefore) {
    if (window->isVisible()) return;
    const QWidget* like = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const bool first = !std::exchange(shownBefore, true);
    if (first && above && above->isVisible())
        PlaceBelow(window, above);
    else if (first && !window->testAttribute(Qt::WA_Moved))
        CenterOnScreen(window, like);
    else
        KeepOnScreen(window, like);
}

}  // namespace tw
