#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Where controls and windows go: a control at its design place in its window, a window
// on the screen.

namespace kelm {

// Gives a control its designer name as its objectName and puts it at its design place
// (in its parent's coordinates).
template <class W>
W* PutAtDesignPlace(W* widget, const char* name, QRect place) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(place);
    return widget;
}

// The top left corner that keeps `window` within `room`, moved as little as it can be;
// where it is larger than the room, its top left corner stays in the room.
QPoint InsideRoom(const QRect& room, const QRect& window);

// The rectangle a window takes on the screen, its frame included, from Qt's frame geometry
// and the window's own.  On X11 Qt now and then gives a frame that does not even hold the
// window (before the window manager has told it, and at times after a move); the window's
// own rectangle is the better guess then.
QRect OuterGeometry(const QRect& frame, const QRect& window);

// Where a window of `size` that follows the window `main` goes on a screen whose free room
// is `room`: right of `main` where there is room, else left of it, level with its top as
// far as the screen allows.  Where neither side has room, at the right edge of the screen,
// as high or low as covers the least of `main`.
QPoint PlaceFollowingWindow(const QRect& room, const QRect& main, const QSize& size);

}  // namespace kelm
