#include "common/WindowPlacement.h"

#include <algorithm>

namespace tw {

namespace {

// One axis: the side within [minimum, room], the start moved onto [low, low + room).
// Wide arithmetic: stored places and sizes may be near the ends of int.
void Fit(qint64& start, qint64& side, qint64 minimum, qint64 low, qint64 room) {
    if (side < minimum) side = minimum;
    side = std::clamp<qint64>(side, 1, std::max<qint64>(room, 1));
    start = std::clamp(start, low, std::max(low, low + room - side));
}

}  // namespace

QRect KeepOnScreen(QPoint place, QSize size, QSize minimum, const QRect& available) {
    qint64 left = place.x(), top = place.y(), width = size.width(), height = size.height();
    Fit(left, width, minimum.width(), available.left(), available.width());
    Fit(top, height, minimum.height(), available.top(), available.height());
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                 static_cast<int>(height));
}

QRect PlaceBelow(const QRect& above, QSize size, const QRect& available) {
    return KeepOnScreen(QPoint(above.left(), above.top() + above.height()), size, QSize(), available);
}

QRect CenterOn(QSize size, const QRect& available) {
    const QPoint place(available.left() + (available.width() - size.width()) / 2,
                       available.top() + (available.height() - size.height()) / 2);
    return KeepOnScreen(place, size, QSize(), available);
}

int ScreenFor(QPoint place, QSize size, const QList<QRect>& screens) {
    const auto overlap = [](qint64 start, qint64 side, qint64 low, qint64 room) {
        return std::max<qint64>(0, std::min(start + side, low + room) - std::max(start, low));
    };
    int best = 0;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& s = screens[i];
        const qint64 area = overlap(place.x(), size.width(), s.left(), s.width()) *
                            overlap(place.y(), size.height(), s.top(), s.height());
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

}  // namespace tw
