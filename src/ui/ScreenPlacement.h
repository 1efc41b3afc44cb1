#pragma once
// The screen placement of the top-level windows (common/WindowPlacement's
// arithmetic on real windows): every size and place a window is given is
// kept on the available area of its screen.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tw {

// The available area of the screen that holds most of a frame at `place` of
// `size`; the primary screen's when it is on none.
QRect AvailableScreenFor(QPoint place, QSize size);

// The frame a window adds around its inside.  A window not shown yet has no
// frame to ask about: it is taken to be that of `like`, a window of the same
// kind that is on screen (the main window), when there is one.
QSize FrameExtra(const QWidget* window, const QWidget* like);

// Gives `window` the outer frame nearest to `frame` that lies on the screen
// (its minimum size kept): moves and resizes it.
void SetFrameOnScreen(QWidget* window, const QRect& frame, const QWidget* like);

// Keeps a window where it is (or, before it was ever placed, where `frame`
// says) but wholly on the screen.
void KeepOnScreen(QWidget* window, const QWidget* like);

// Places a window directly below `above`, left edges together, moved up
// where it would leave the screen.
void PlaceBelow(QWidget* window, const QWidget* above);

// Places a window in the middle of its screen.
void CenterOnScreen(QWidget* window, const QWidget* like);

// A window's new inside size, the frame kept on the screen: a visible window
// moves the least it must; a hidden one only has its size bounded (it is
// placed when it opens).
void ResizeOnScreen(QWidget* window, QSize size, const QWidget* like);

// Call just before a window opens.  The first time: below `above` when that
// window is visible, else where it was put (moved there before), else in the
// middle of the screen.  Later it opens where the user left it.  Each time it
// is kept wholly on the screen.  `shownBefore` is the window's own flag.
void PlaceOnShow(QWidget* window, const QWidget* above, bool& shownBefore);

}  // namespace tw
