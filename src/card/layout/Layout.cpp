#include "card/layout/Layout.h"

#include "card/layout/LayoutTable.h"

#include <map>

namespace layout {

namespace {

// Every frame gets a name of its own: a titled one its title with "栏", an untitled one that of the
// frame holding it with "内框"; frames of one name are told apart by their number.
void nameFrames(std::vector<Item>& items)
{
    std::map<QString, int> count;
    for (Item& item : items) {
        if (item.kind != Kind::Frame)
            continue;
        const Item* parent = item.parent < 0 ? nullptr : &items[static_cast<size_t>(item.parent)];
        const QString holder = parent && !parent->text.isEmpty() ? parent->text : QStringLiteral("侧栏");
        item.name = item.text.isEmpty() ? holder + QStringLiteral("内框") : item.text + QStringLiteral("栏");
        ++count[item.name];
    }
    std::map<QString, int> seen;
    for (Item& item : items) {
        if (item.kind == Kind::Frame && count[item.name] > 1)
            item.name = table::joinName(item.name, QString::number(++seen[item.name]));
    }
}

std::vector<Item> buildTable()
{
    std::vector<Item> items;
    items.reserve(1200);
    table::Writer w(items);
    table::writeSidePanel(w);
    table::writeTabStrip(w);
    table::writeBasicsPage(w);
    table::writeSkillsPage(w);
    table::writePowersPage(w);
    table::writeNotesPage(w);
    table::writeCombatPage(w);
    nameFrames(items);
    return items;
}

} // namespace

const std::vector<Item>& items()
{
    static const std::vector<Item> table = buildTable();
    return table;
}

const Item* find(Kind kind, int index)
{
    for (const Item& item : items()) {
        if (item.kind == kind && item.index == index)
            return &item;
    }
    return nullptr;
}

int positionOf(const Item& item)
{
    return static_cast<int>(&item - items().data());
}

const Item* parentOf(const Item& item)
{
    return item.parent < 0 ? nullptr : &items()[static_cast<size_t>(item.parent)];
}

Rect absoluteRect(const Item& item)
{
    Rect r = item.rect;
    for (const Item* p = parentOf(item); p; p = parentOf(*p)) {
        r.left += p->rect.left;
        r.top += p->rect.top;
    }
    return r;
}

bool isContainer(Kind kind)
{
    return kind == Kind::SidePanel || kind == Kind::Page || kind == Kind::Frame;
}

bool takesFocus(Kind kind)
{
    switch (kind) {
    case Kind::TabStrip:
    case Kind::Field:
    case Kind::CheckWN:
    case Kind::CheckF:
    case Kind::CheckSet:
    case Kind::Command:
    case Kind::Combo:
    case Kind::List:
        return true;
    default:
        return false;
    }
}

QString objectName(const Item& item)
{
    const QString n = QString::number(item.index);
    switch (item.kind) {
    case Kind::SidePanel:
        return QStringLiteral("FrameL");
    case Kind::TabStrip:
        return QStringLiteral("TabStrip1");
    case Kind::Page:
        return QStringLiteral("FrameA_") + n;
    case Kind::Field:
        return QStringLiteral("Text1_") + n;
    case Kind::CheckWN:
        return QStringLiteral("CheckWN_") + n;
    case Kind::CheckF:
        return QStringLiteral("CheckF_") + n;
    case Kind::CheckSet:
        return QStringLiteral("CheckSet_") + n;
    case Kind::Command:
        return QStringLiteral("Command") + n;
    case Kind::Combo:
        return QStringLiteral("Combo") + n;
    case Kind::List:
        return QStringLiteral("List1");
    case Kind::LabelLR:
        return QStringLiteral("LabelLR");
    case Kind::LabelAbout:
        return QStringLiteral("LabelAbout");
    case Kind::LabelTras:
        return QStringLiteral("LabelTras");
    default:
        return {};
    }
}

} // namespace layout
