#include "card/layout/Layout.h"

#include "card/Sheet.h"
#include "card/layout/LayoutTable.h"

#include <algorithm>
#include <map>

namespace layout {

namespace table {

Writer::Scope Writer::sidePanel(Rect r)
{
    add(Kind::SidePanel, 0, r);
    m_open.push_back(static_cast<int>(m_items.size()) - 1);
    return Scope(*this);
}

Writer::Scope Writer::page(int index, Rect r)
{
    Item& item = add(Kind::Page, index, r);
    item.page = index;
    m_open.push_back(static_cast<int>(m_items.size()) - 1);
    return Scope(*this);
}

Writer::Scope Writer::frame(QStringView title, Rect r)
{
    add(Kind::Frame, 0, r, title);
    m_open.push_back(static_cast<int>(m_items.size()) - 1);
    return Scope(*this);
}

void Writer::close()
{
    m_open.pop_back();
}

QString Writer::frameTitle() const
{
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
        const Item& item = m_items[static_cast<size_t>(*it)];
        if (item.kind == Kind::Frame && !item.text.isEmpty())
            return item.text;
    }
    return {};
}

Item& Writer::add(Kind kind, int index, Rect r, QStringView text)
{
    Item item;
    item.kind = kind;
    item.index = index;
    item.rect = r;
    item.text = text.toString();
    if (!m_open.empty()) {
        item.parent = m_open.back();
        item.page = m_items[static_cast<size_t>(item.parent)].page;
    }
    m_items.push_back(std::move(item));
    return m_items.back();
}

void Writer::field(int index, Rect r, const QString& name)
{
    Item& item = add(Kind::Field, index, r);
    item.name = name;
    item.multiLine = card::isMultiLine(index);
    item.readOnly = card::isReadOnly(index);
}

void Writer::caption(QStringView text, Rect r)
{
    add(Kind::Caption, 0, r, text);
}

void Writer::decoration(QStringView text, Rect r, Qt::Alignment align)
{
    add(Kind::Decoration, 0, r, text).align = align;
}

void Writer::hint(QStringView text, Rect r)
{
    Item& item = add(Kind::Decoration, 0, r, text);
    item.align = Qt::AlignLeft | Qt::AlignTop;
    item.wordWrap = true;
}

void Writer::checkWN(int index, Rect r, const QString& name)
{
    add(Kind::CheckWN, index, r).name = name;
}

void Writer::checkF(int index, Rect r, const QString& name)
{
    add(Kind::CheckF, index, r).name = name;
}

QString joinName(QStringView a, QStringView b, QStringView c)
{
    QString name;
    for (QStringView part : {a.trimmed(), b.trimmed(), c.trimmed()}) {
        if (part.isEmpty())
            continue;
        if (!name.isEmpty())
            name += QLatin1Char(' ');
        name += part;
    }
    return name;
}

void writeTabStrip(Writer& w)
{
    Item& strip = w.add(Kind::TabStrip, 1, {6120, 0, 9735, 10935});
    strip.choices = {QStringLiteral("基础资料"), QStringLiteral("技能和专长"), QStringLiteral("威能"),
                     QStringLiteral("物品/杂记"), QStringLiteral("战斗卡")};
}

void writeGridCaptions(Writer& w, const Grid& g)
{
    const int top = g.tops.front() - CaptionHeight;
    for (size_t c = 0; c < g.lefts.size(); ++c) {
        if (c >= g.columnCaptions.size() || g.columnCaptions[c].isEmpty())
            continue;
        const int end = c + 1 < g.lefts.size() ? g.lefts[c + 1] : g.lefts[c] + g.widths[c];
        w.caption(g.columnCaptions[c], {g.lefts[c], top, end - g.lefts[c], CaptionHeight});
    }
}

void writeGridRow(Writer& w, const Grid& g, int row)
{
    const auto r = static_cast<size_t>(row);
    const int top = g.tops[r];
    QString rowName;
    if (!g.rowCaptions.empty()) {
        rowName = g.rowCaptions[r].toString();
        w.caption(g.rowCaptions[r], {120, top, g.lefts.front() - 120 - 45, LineHeight});
    } else {
        rowName = g.rowName.toString() + QString::number(row + 1);
    }
    for (size_t c = 0; c < g.lefts.size(); ++c) {
        const QStringView column = c < g.columnCaptions.size() ? g.columnCaptions[c] : QStringView();
        const int index = g.first + g.rowStride * row + static_cast<int>(c);
        // Columns under one caption ("其他", "其他") are told apart by their number.
        const auto same = [column](QStringView other) { return other == column; };
        const auto captions = g.columnCaptions.begin();
        const auto before = std::count_if(captions, captions + std::min(c, g.columnCaptions.size()), same);
        const bool repeated = std::count_if(g.columnCaptions.begin(), g.columnCaptions.end(), same) > 1;
        const QString number = repeated && !column.isEmpty() ? QString::number(before + 1) : QString();
        w.field(index, {g.lefts[c], top, g.widths[c], LineHeight}, joinName(rowName, column, number));
        if (g.sums && c + 1 < g.lefts.size()) {
            const int right = g.lefts[c] + g.widths[c];
            w.decoration(c == 0 ? u"=" : u"+", {right, top, g.lefts[c + 1] - right, LineHeight});
        }
    }
}

void writeSidePanel(Writer& w)
{
    const auto panel = w.sidePanel({120, 0, 6015, 10935});
    {
        const auto buttons = w.frame({}, {4200, 120, 1695, 2655});
        const QStringView commands[] = {u"准备新增", u"新增", u"保存", u"删除"};
        for (int i = 0; i < 4; ++i)
            w.add(Kind::Command, i + 1, {120, 240 + 480 * i, 1455, 375}, commands[i]);
        Item& combo = w.add(Kind::Combo, 1, {120, 2160, 1455, 315});
        combo.choices = {QStringLiteral("名字"), QStringLiteral("等级"), QStringLiteral("种族"),
                         QStringLiteral("职业"), QStringLiteral("阵营")};
        combo.name = QStringLiteral("显示方式");
    }
    w.add(Kind::List, 1, {120, 240, 3975, 1530}).name = QStringLiteral("角色卡列表");
    {
        const auto abilities = w.frame(u"属性值", {120, 1920, 3975, 3015});
        const Grid grid{.first = 86,
                        .rowStride = 3,
                        .tops = {720, 1080, 1440, 1800, 2160, 2520},
                        .lefts = {720, 1560, 2400},
                        .widths = {720, 720, 1335},
                        .rowCaptions = {u"力量", u"体质", u"敏捷", u"智力", u"感知", u"魅力"},
                        .columnCaptions = {u"数值", u"调整值", u"调整值+1/2等级"},
                        .rowName = {},
                        .sums = false};
        writeGridCaptions(w, grid);
        for (int row = 0; row < 6; ++row)
            writeGridRow(w, grid, row);
    }
    {
        const auto actionPoints = w.frame(u"行动点", {4200, 2880, 1695, 2535});
        w.caption(u"数量", {120, 360, 480, LineHeight});
        w.field(104, {600, 360, 975, LineHeight}, QStringLiteral("行动点 数量"));
        w.hint(u"(花费行动点得到附加效果)", {120, 720, 1455, 510});
        w.decoration(u"里程碑", {120, 1320, 735, 255});
        w.decoration(u"行动点", {855, 1320, 720, 255});
        for (int i = 0; i < 3; ++i) {
            const int top = 1620 + 270 * i;
            w.decoration(QString::number(i), {120, top, 735, 255});
            w.decoration(QString::number(i + 1), {855, top, 720, 255});
        }
    }
    {
        const auto senses = w.frame(u"感觉", {120, 5040, 3975, 1455});
        const QStringView passive[] = {u"被动洞察", u"被动侦查"};
        for (int i = 0; i < 2; ++i) {
            const int top = 480 + 600 * i;
            w.caption(passive[i], {120, top - CaptionHeight, 1455, CaptionHeight});
            w.caption(u"技能加值", {2280, top - CaptionHeight, 1455, CaptionHeight});
            w.field(105 + 2 * i, {120, top, 1455, LineHeight}, passive[i].toString());
            w.decoration(u"=10+", {1575, top, 705, LineHeight});
            w.field(106 + 2 * i, {2280, top, 1455, LineHeight}, joinName(passive[i], u"技能加值"));
        }
    }
    {
        const auto settings = w.frame(u"设定", {4200, 5520, 1695, 1935});
        w.add(Kind::CheckSet, 0, {120, 360, 1455, 255}, u"磁性窗体");
        w.caption(u"语言：", {120, 1440 - CaptionHeight, 1455, CaptionHeight});
        Item& combo = w.add(Kind::Combo, 2, {120, 1440, 1455, 315});
        combo.choices = {QStringLiteral("简体中文(内置)")};
        combo.enabled = false;
        combo.name = QStringLiteral("界面语言");
    }
    {
        const auto initiative = w.frame(u"先攻", {120, 6600, 3975, 855});
        const Grid grid{.first = 109,
                        .rowStride = 0,
                        .tops = {480},
                        .lefts = {120, 1080, 2040, 3000},
                        .widths = {720, 720, 720, 720},
                        .rowCaptions = {},
                        .columnCaptions = {u"总数", u"敏捷", u"1/2等级", u"其他"},
                        .rowName = u"先攻",
                        .sums = true};
        writeGridCaptions(w, grid);
        writeGridRow(w, grid, 0);
    }
    {
        const auto speed = w.frame(u"移动", {120, 7560, 5775, 855});
        const Grid grid{.first = 113,
                        .rowStride = 0,
                        .tops = {480},
                        .lefts = {120, 1260, 2400, 3540, 4680},
                        .widths = {900, 900, 900, 900, 900},
                        .rowCaptions = {},
                        .columnCaptions = {u"总数", u"基础值", u"防御调整值", u"物品加值", u"其他"},
                        .rowName = u"移动",
                        .sums = true};
        writeGridCaptions(w, grid);
        writeGridRow(w, grid, 0);
    }
    {
        const auto attacks = w.frame(u"基本攻击", {120, 8520, 5775, 1935});
        w.caption(u"攻击", {120, 240, 720, CaptionHeight});
        w.caption(u"防御类型", {1200, 240, 1080, CaptionHeight});
        w.caption(u"武器或威能", {2400, 240, 2160, CaptionHeight});
        w.caption(u"伤害", {4680, 240, 975, CaptionHeight});
        for (int r = 0; r < 4; ++r) {
            const int top = 480 + LineStep * r;
            const QString row = QStringLiteral("基本攻击") + QString::number(r + 1);
            w.field(118 + r, {120, top, 720, LineHeight}, joinName(row, u"攻击"));
            w.decoration(u"vs", {840, top, 360, LineHeight});
            w.field(122 + r, {1200, top, 1080, LineHeight}, joinName(row, u"防御类型"));
            w.field(126 + r, {2400, top, 2160, LineHeight}, joinName(row, u"武器或威能"));
            w.field(130 + r, {4680, top, 975, LineHeight}, joinName(row, u"伤害"));
        }
    }
    w.add(Kind::LabelAbout, 0, {120, 10560, 4335, 255}, u"Quillmark 0.3 Alpha  © 2026 Quillmark 项目组")
        .name = QStringLiteral("版本与版权");
    // Named for what it does, whichever of "<" and ">" it shows.
    Item& lr = w.add(Kind::LabelLR, 0, {5640, 10560, 255, 255}, u"<");
    lr.align = Qt::AlignCenter;
    lr.name = QStringLiteral("收窄或加宽窗口");
}

} // namespace table

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
