#include "app/window/AutoHide.h"

namespace app {

namespace {

// Where the cursor lies against the window, all in pixels (the window's twips divided by 15).
// Every test is strict: a cursor on a boundary pixel is neither outside nor within.
struct CursorAgainst
{
    const TwipsRect& w;
    double x;
    double y;

    double l() const { return w.left / AutoHideTwipsPerPixel; }
    double t() const { return w.top / AutoHideTwipsPerPixel; }
    double r() const { return l() + w.width / AutoHideTwipsPerPixel; }
    double b() const { return t() + w.height / AutoHideTwipsPerPixel; }

    bool below() const { return b() < y; }
    bool above() const { return t() > y; }
    bool rightOf() const { return r() < x; }
    bool leftOf() const { return l() > x; }
    bool withinColumns() const { return l() < x && r() > x; }
    bool withinRows() const { return t() < y && b() > y; }
};

// The docking tests of the right and bottom edges take the difference in single precision.
bool reachesFar(double screen, double size, double position)
{
    const float difference = static_cast<float>(screen) - static_cast<float>(size);
    return difference <= static_cast<float>(position);
}

} // namespace

TwipsRect autoHideTick(TwipsRect window, QPoint cursorPx, QSizeF screenTwips)
{
    const CursorAgainst c{window, static_cast<double>(cursorPx.x()), static_cast<double>(cursorPx.y())};
    const double sw = screenTwips.width();
    const double sh = screenTwips.height();
    const double band = AutoHideBandPixels;

    if (window.top <= 0) {
        if (c.below() || c.rightOf() || c.leftOf())
            window.top = AutoHideStripTwips - window.height;
        if (c.y < band && c.withinColumns())
            window.top = 0;
    }

    if (window.left <= 0) {
        if (c.below() || c.above() || c.rightOf())
            window.left = AutoHideStripTwips - window.width;
        if (c.x < band && c.withinRows())
            window.left = 0;
    }

    if (reachesFar(sw, window.width, window.left)) {
        if (c.below() || c.above() || c.leftOf())
            window.left = sw - AutoHideStripTwips;
        if (sw / AutoHideTwipsPerPixel - band < c.x && c.withinRows())
            window.left = sw - window.width;
    }

    if (reachesFar(sh, window.height, window.top)) {
        if (c.above() || c.rightOf() || c.leftOf())
            window.top = sh + AutoHideStripTwips;
        if (sh / AutoHideTwipsPerPixel - band < c.y && c.withinColumns())
            window.top = sh - window.height;
    }

    return window;
}

} // namespace app
