#include "app/window/EdgeClaims.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

#ifdef QUILLMARK_X11_CLAIMS
#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define QUILLMARK_CLAIMS_ON_X11 1
#endif
#endif

namespace app {

namespace {

enum Slot {
    Left,
    Right,
    Top,
    Bottom,
    LeftFrom,
    LeftTo,
    RightFrom,
    RightTo,
    TopFrom,
    TopTo,
    BottomFrom,
    BottomTo
};

#ifdef QUILLMARK_CLAIMS_ON_X11
void tellX11(const QWidget* window, const EdgeClaim& claim)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window->windowHandle())
        return;
    xcb_connection_t* connection = x11->connection();
    static xcb_atom_t strut = XCB_ATOM_NONE;
    if (strut == XCB_ATOM_NONE) {
        static const char name[] = "_NET_WM_STRUT_PARTIAL";
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
        if (!reply)
            return;
        strut = reply->atom;
        std::free(reply);
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (claim == EdgeClaim{}) {
        xcb_delete_property(connection, id, strut);
    } else {
        std::array<quint32, 12> values{};
        std::transform(claim.begin(), claim.end(), values.begin(),
                       [](int v) { return quint32(std::max(v, 0)); });
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, strut, XCB_ATOM_CARDINAL, 32,
                            quint32(values.size()), values.data());
    }
    // Ahead of the move that follows: the window manager reads the claim first.
    xcb_flush(connection);
}
#endif

} // namespace

EdgeClaim edgeClaim(const QRect& outer, const QRect& screen, const QRect& desktop, int strip)
{
    EdgeClaim claim{};
    const auto rows = [&](Slot from, Slot to) {
        claim[from] = std::max(outer.top(), screen.top()) - desktop.top();
        claim[to] = std::min(outer.bottom(), screen.bottom()) - desktop.top();
    };
    const auto columns = [&](Slot from, Slot to) {
        claim[from] = std::max(outer.left(), screen.left()) - desktop.left();
        claim[to] = std::min(outer.right(), screen.right()) - desktop.left();
    };
    // Covered rows or columns at an edge: a window beyond it covers none, and claims the last one.
    const auto covered = [strip](int extent) { return extent <= strip ? std::max(1, extent) : 0; };
    if (outer.top() < screen.top() && screen.top() == desktop.top()) {
        claim[Top] = covered(outer.bottom() + 1 - desktop.top());
        columns(TopFrom, TopTo);
    }
    if (outer.bottom() > screen.bottom() && screen.bottom() == desktop.bottom()) {
        claim[Bottom] = covered(desktop.bottom() + 1 - outer.top());
        columns(BottomFrom, BottomTo);
    }
    if (outer.left() < screen.left() && screen.left() == desktop.left()) {
        claim[Left] = covered(outer.right() + 1 - desktop.left());
        rows(LeftFrom, LeftTo);
    }
    if (outer.right() > screen.right() && screen.right() == desktop.right()) {
        claim[Right] = covered(desktop.right() + 1 - outer.left());
        rows(RightFrom, RightTo);
    }
    // Only a claimed edge keeps its rows or columns.
    for (const auto [edge, from, to] :
         {std::array{Left, LeftFrom, LeftTo}, std::array{Right, RightFrom, RightTo},
          std::array{Top, TopFrom, TopTo}, std::array{Bottom, BottomFrom, BottomTo}}) {
        if (claim[edge] == 0)
            claim[from] = claim[to] = 0;
    }
    return claim;
}

EdgeClaims::EdgeClaims(QWidget* window) : QObject(window), m_window(window) {}

void EdgeClaims::update(const QRect& outer, const QRect& screen, const QRect& desktop, int strip)
{
    const EdgeClaim claim = edgeClaim(outer, screen, desktop, strip);
    if (claim == m_claimed)
        return;
    m_claimed = claim;
#ifdef QUILLMARK_CLAIMS_ON_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        tellX11(m_window, claim);
#endif
}

} // namespace app
