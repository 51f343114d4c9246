#pragma once

#include <QObject>
#include <QRect>

#include <array>

class QWidget;

namespace app {

// What a window standing partly off the screen claims of the screen's edges, in pixels, as a partial
// strut: left, right, top and bottom (how far from each side of the desktop), then the first and last
// row of the left and the right claim, and the first and last column of the top and the bottom claim.
using EdgeClaim = std::array<int, 12>;

// The claim of a window whose outer rectangle is outer, on a screen inside the desktop (all screens
// together, which the claims count from): at each edge of the screen where the window, reaching past
// it, covers no more than strip rows or columns (it is hidden there), those rows or columns, along its
// own extent. Parked wholly beyond an edge, it claims the edge's last row or column. Edges between two
// screens are never claimed; a window further in view, or wholly on the screen, claims nothing.
EdgeClaim edgeClaim(const QRect& outer, const QRect& screen, const QRect& desktop, int strip);

// Keeps the window system told of what the window claims. A window manager keeps some of every window
// on the screen when the program moves it (openbox a tenth of its frame, title bar included), unless
// the window claims that edge: so a window hidden at an edge claims the strip it leaves there, and the
// strip stays as narrow as the program asks. Done on X11 (the window's _NET_WM_STRUT_PARTIAL); where
// the window system has no such claim, nothing is done.
class EdgeClaims : public QObject
{
public:
    explicit EdgeClaims(QWidget* window);

    // Before the window moves to outer on the given screen; strip as for edgeClaim().
    void update(const QRect& outer, const QRect& screen, const QRect& desktop, int strip);

private:
    QWidget* m_window;
    EdgeClaim m_claimed{};
};

} // namespace app
