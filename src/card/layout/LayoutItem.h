#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

// The rows of the window's layout table: what kind of control each is, where it stands (in twips) and
// what it shows. Shared by the table's writers and its readers.
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

} // namespace layout
