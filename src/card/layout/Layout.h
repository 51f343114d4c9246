#pragma once

#include "card/layout/LayoutItem.h"

#include <QString>

#include <vector>

// The window's layout as data: one table of every control of Form1, in twips, in the order the
// controls are created and in which Tab walks them. The window is built by walking it once.
namespace layout {

// Every control of the window, containers before their contents, in reading order per page.
const std::vector<Item>& items();

// The item of the given kind and index, or nullptr: find(Kind::Field, 103), find(Kind::Command, 1).
const Item* find(Kind kind, int index = 0);
// Position of an item inside items().
int positionOf(const Item& item);
// The containing frame, or nullptr for the client area.
const Item* parentOf(const Item& item);
// The item's rectangle in client-area coordinates.
Rect absoluteRect(const Item& item);
// Whether the kind holds other items.
bool isContainer(Kind kind);
// Whether the control takes the keyboard focus (and so has a place in the Tab order).
bool takesFocus(Kind kind);
// The widget object name of a named control ("Text1_103", "CheckWN_5", "Command1", "FrameA_0",
// "LabelLR"...); empty for frames, captions and decoration.
QString objectName(const Item& item);

} // namespace layout
