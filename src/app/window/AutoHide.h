#pragma once

#include <QPoint>
#include <QSizeF>

namespace app {

// A window's outer rectangle in screen coordinates, in twips.
struct TwipsRect
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// The edge auto-hide works in twips at a fixed 15 per pixel, whatever the display's scale.
constexpr double AutoHideTwipsPerPixel = 15.0;
// What stays on the screen of a window hidden at the top, left or right edge, and how far below
// the screen a window hidden at the bottom is parked.
constexpr double AutoHideStripTwips = 50.0;
// Width of the trigger band at each screen edge.
constexpr int AutoHideBandPixels = 3;

// One tick of the edge auto-hide: given the window's outer rectangle (twips), the cursor (screen
// pixels) and the screen's size (twips), returns where the window goes. The top, left, right and
// bottom rules run in that order, each seeing the moves of the rules before it.
TwipsRect autoHideTick(TwipsRect window, QPoint cursorPx, QSizeF screenTwips);

} // namespace app
