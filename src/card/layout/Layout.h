#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

#include <vector>

// The window's layout as data: one table of every control of Form1, in twips, in the order the
// controls are created and in which Tab walks them. The window is built by walking it once.
namespace layout {

constexpr int TwipsPerPixel = 15;
constexpr int ClientWidth = 15975;
constexpr int ClientHeight = 11040;

// Heights used throughout the sheet.
constexpr int LineHeight = 300;    // a single-line field and a caption beside it
constexpr int CaptionHeight = 240; // a caption standing above its field
constexpr int LineStep = 360;      // distance between the tops of two lines

enum class Kind {
    SidePanel,  // FrameL
    TabStrip,   // TabStrip1 (index 1); choices hold the tab captions
    Page,       // FrameA(index)
    Frame,      // a section: titled when text is not empty
    Field,      // Text1(index)
    Caption,    // Label1: names the field or check box beside or below it
    Decoration, // "+", "=", "vs", "------NA-------", the milestone table and the fixed hints
    CheckWN,    // CheckWN(index)
    CheckF,     // CheckF(index)
    CheckSet,   // CheckSet(0)
    Command,    // Command1..Command4 (index 1..4)
    Combo,      // Combo1, Combo2 (index 1, 2); choices hold the items
    List,       // List1 (index 1)
    LabelLR,
    LabelAbout,
    LabelTras,
};

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Rect&) const = default;
};

struct Item
{
    Kind kind = Kind::Decoration;
    int index = 0;   // control array index; Command, Combo, List, TabStrip: the number in the name
    int parent = -1; // position in items() of the containing frame; -1 for the client area
    int page = -1;   // 0..4 inside FrameA(page), -1 in the side panel or the client area
    Rect rect;       // relative to the parent
    QString text;    // caption, label text or frame title
    QString name;    // accessible name of a control or frame
    QStringList choices;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool multiLine = false;
    bool readOnly = false;
    bool enabled = true;
    bool wordWrap = false;
};

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
