#include "app/window/WindowPlace.h"

#include <algorithm>

namespace app {

int screenOf(const QList<QRect>& available, const QRect& rect)
{
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < available.size(); ++i) {
        const QRect common = available[i].intersected(rect);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

QRect keepInside(const QRect& rect, const QRect& area)
{
    QRect out = rect;
    const int left = std::max(area.left(), std::min(rect.left(), area.right() + 1 - rect.width()));
    const int top = std::max(area.top(), std::min(rect.top(), area.bottom() + 1 - rect.height()));
    out.moveTo(left, top);
    return out;
}

QRect centredIn(QSize size, const QRect& area)
{
    QRect out(QPoint(0, 0), size);
    out.moveCenter(area.center());
    return keepInside(out, area);
}

WindowPlacement placeWindow(const QList<QRect>& available, int primary, std::optional<QPoint> saved,
                            QSize client, QMargins frame, int scrollBar)
{
    WindowPlacement place;
    const QSize full = client.grownBy(frame);
    if (available.isEmpty()) {
        place.outer = QRect(saved.value_or(QPoint(0, 0)), full);
        return place;
    }
    primary = std::clamp(primary, 0, int(available.size()) - 1);
    int screen = saved ? screenOf(available, QRect(*saved, full)) : -1;
    if (screen < 0)
        screen = primary;
    const QRect area = available[screen];
    place.screen = screen;

    QSize size = full;
    const bool wide = full.width() > area.width();
    const bool tall = full.height() > area.height();
    place.scrolls = wide || tall;
    if (place.scrolls) {
        // Each scroll bar takes room from the other direction: leave it where that is possible.
        size.setWidth(std::min(area.width(), full.width() + (tall ? scrollBar : 0)));
        size.setHeight(std::min(area.height(), full.height() + (wide ? scrollBar : 0)));
    }
    const QRect remembered(saved.value_or(QPoint()), size);
    place.outer = saved && area.contains(remembered) ? remembered : centredIn(size, area);
    return place;
}

} // namespace app
