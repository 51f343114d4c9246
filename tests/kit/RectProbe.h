#pragma once

// Test-only: questions the layout tests ask of the table, its items and their rectangles.
#include "card/layout/Layout.h"

#include <QtGlobal>

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

// The item of field index; the test stops when the table lacks it.
inline const Item& fieldItem(int index)
{
    const Item* item = layout::find(Kind::Field, index);
    if (!item)
        qFatal("field %d is missing from the layout", index);
    return *item;
}

// The title of the frame an item stands in.
inline QString frameTitle(const Item& item)
{
    const Item* parent = layout::parentOf(item);
    return parent ? parent->text : QString();
}

} // namespace layout
