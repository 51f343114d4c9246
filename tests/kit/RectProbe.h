#pragma once

// Test-only: questions the layout tests ask of the table's rectangles.
#include "card/layout/Layout.h"

namespace layout {

// Whether r, given in outer's own coordinates, lies wholly inside it.
inline bool containsLocal(const Rect& outer, const Rect& r)
{
    return r.left >= 0 && r.top >= 0 && r.right() <= outer.width && r.bottom() <= outer.height;
}

inline bool intersects(const Rect& a, const Rect& b)
{
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

} // namespace layout
