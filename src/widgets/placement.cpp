#include "widgets/placement.h"

#include <algorithm>

namespace kelm {

namespace {

// Between two windows side by side.
constexpr int kGap = 8;

long long Area(const QRect& r) {
    return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height();
}

}  // namespace

QPoint InsideRoom(const QRect& room, const QRect& window) {
    const int left =
        std::max(room.left(), std::min(window.left(), room.right() + 1 - window.width()));
    const int top =
        std::max(room.top(), std::min(window.top(), room.bottom() + 1 - window.height()));
    return {left, top};
}

QRect OuterGeometry(const QRect& frame, const QRect& window) {
    return frame.contains(window) ? frame : window;
}

QPoint PlaceFollowingWindow(const QRect& room, const QRect& main, const QSize& size) {
    const int top = InsideRoom(room, QRect(QPoint(room.left(), main.top()), size)).y();
    if (main.right() + kGap + size.width() <= room.right()) return {main.right() + 1 + kGap, top};
    if (main.left() - kGap - size.width() >= room.left())
        return {main.left() - kGap - size.width(), top};

    // No room beside it: at the screen's right edge, level with it where that covers no
    // more of it than the screen's top or bottom would.
    const QRect atTheEdge = QRect(QPoint(room.right() + 1 - size.width(), top), size);
    QPoint best = InsideRoom(room, atTheEdge);
    long long covered = Area(QRect(best, size).intersected(main));
    for (const int y : {room.top(), room.bottom() + 1 - size.height()}) {
        const QPoint at = InsideRoom(room, QRect(QPoint(atTheEdge.left(), y), size));
        const long long c = Area(QRect(at, size).intersected(main));
        if (c < covered) {
            best = at;
            covered = c;
        }
    }
    return best;
}

}  // namespace kelm
