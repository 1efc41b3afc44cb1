#pragma once
// Where a window goes on the screen: the arithmetic behind every window's
// size and place, in pixels of the outer (framed) window.  Stored or computed
// values may be anything (a damaged profile, a list longer than the screen);
// what comes out always lies on the available area of a screen (the screen
// less its task bars).

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tw {

// The window's frame on `available`: each side at least `minimum` (a size
// of zero or less counts as the minimum) and at most the available area,
// then moved the least so that the whole frame lies on the area.
QRect KeepOnScreen(QPoint place, QSize size, QSize minimum, const QRect& available);

// A window of outer size `size` directly below the frame `above`: its left
// edge at that one's, its top at that one's bottom edge, kept on `available`
// as KeepOnScreen does (so a window near the bottom moves up).
QRect PlaceBelow(const QRect& above, QSize size, const QRect& available);

// A window of outer size `size` in the middle of `available`, kept on it.
QRect CenterOn(QSize size, const QRect& available);

// Which screen a window at `place` of `size` belongs to: the index in
// `screens` (their available areas, the primary first) of the one that
// holds the largest part of it; 0 when it is on none of them.
int ScreenFor(QPoint place, QSize size, const QList<QRect>& screens);

}  // namespace tw
