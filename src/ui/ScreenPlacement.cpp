#include "ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
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

void SetFrameOnScreen(QWidget* window, const QRect& frame, const QWidget* like) {
    const QSize extra = FrameExtra(window, like);
    const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint()) + extra;
    const QRect on = tw::KeepOnScreen(frame.topLeft(), frame.size(), minimum,
                                      AvailableScreenFor(frame.topLeft(), frame.size()));
    window->move(on.topLeft());
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
