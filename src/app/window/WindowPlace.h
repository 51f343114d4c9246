#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace app {

// Where the window opens: its outer rectangle (frame included) and whether its content scrolls.
struct WindowPlacement
{
    QRect outer;
    bool scrolls = false;
    int screen = -1; // index of the screen it opens on
};

// The screen a rectangle belongs to: the one whose available area it overlaps most, or -1 where it
// overlaps none (its screen is gone).
int screenOf(const QList<QRect>& available, const QRect& rect);

// Shifts rect into area as far as it fits there; where it is larger, its top left goes to area's.
QRect keepInside(const QRect& rect, const QRect& area);

// A rectangle of the given size centred in area; where it is larger, its top left goes to area's.
QRect centredIn(QSize size, const QRect& area);

// Places the window among the screens. available: each screen's area without taskbars and panels;
// primary: the index of the primary screen; saved: the outer top left where the window was last
// closed. client is the size of the content, frame the window frame around it, scrollBar the extent
// of a scroll bar. A window that fits its screen's area keeps the full size; one that does not fit
// is cut to the area, and its content scrolls. It goes where it was where it stands wholly inside the
// area there; otherwise (its screen is smaller now, or gone, or it was closed hidden at an edge), and
// the first time, it opens centred on the area.
WindowPlacement placeWindow(const QList<QRect>& available, int primary, std::optional<QPoint> saved,
                            QSize client, QMargins frame, int scrollBar);

} // namespace app
