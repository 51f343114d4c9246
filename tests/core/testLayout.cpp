#include "RectProbe.h"
#include "card/layout/Layout.h"

#include <QtTest>

#include <map>
#include <set>

using layout::Item;
using layout::Kind;
using layout::Rect;

Q_DECLARE_METATYPE(Rect)

namespace {

const Item& fieldItem(int index)
{
    const Item* item = layout::find(Kind::Field, index);
    if (!item)
        qFatal("field %d is missing from the layout", index);
    return *item;
}

QString frameTitle(const Item& item)
{
    const Item* parent = layout::parentOf(item);
    return parent ? parent->text : QString();
}

// b stands after a in reading order: on a later line, or on the same line further right.
bool readsAfter(const Rect& a, const Rect& b)
{
    const bool sameLine = b.top < a.bottom() && a.top < b.bottom();
    return b.top >= a.bottom() || (sameLine && b.left >= a.right());
}

std::vector<const Item*> focusItems(int page)
{
    std::vector<const Item*> list;
    for (const Item& item : layout::items()) {
        if (item.page == page && layout::takesFocus(item.kind))
            list.push_back(&item);
    }
    return list;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void everyControlExactlyOnce();
    void containersAndRectangles();
    void windowRectangles();
    void frameRectangles_data();
    void frameRectangles();
    void fixedFieldPositions();
    void grids();
    void skillGrid();
    void multiLineAndReadOnly();
    void checkBoxes();
    void fieldsOfEachPage();
    void tabOrderFollowsReadingOrder();
    void nothingOverlapsWithinAFrame();
    void textsAndChoices();
};

void TestLayout::everyControlExactlyOnce()
{
    std::map<std::pair<Kind, int>, int> counts;
    for (const Item& item : layout::items()) {
        if (!layout::objectName(item).isEmpty())
            ++counts[{item.kind, item.index}];
    }
    const auto expectRange = [&](Kind kind, int first, int last) {
        for (int i = first; i <= last; ++i) {
            const int seen = counts[std::pair{kind, i}];
            QVERIFY2(
                seen == 1,
                qPrintable(
                    QStringLiteral("index %1 of kind %2 appears %3 times").arg(i).arg(int(kind)).arg(seen)));
        }
        counts.erase(counts.lower_bound(std::pair{kind, first}), counts.upper_bound(std::pair{kind, last}));
    };
    expectRange(Kind::Field, 0, 300);
    expectRange(Kind::CheckWN, 0, 56);
    expectRange(Kind::CheckF, 0, 29);
    expectRange(Kind::Page, 0, 4);
    expectRange(Kind::Command, 1, 4);
    expectRange(Kind::Combo, 1, 2);
    expectRange(Kind::List, 1, 1);
    expectRange(Kind::TabStrip, 1, 1);
    expectRange(Kind::CheckSet, 0, 0);
    expectRange(Kind::SidePanel, 0, 0);
    expectRange(Kind::LabelLR, 0, 0);
    expectRange(Kind::LabelAbout, 0, 0);
    expectRange(Kind::LabelTras, 0, 0);
    // Nothing else carries a control name, and no index lies outside its array.
    QVERIFY(counts.empty());
}

void TestLayout::containersAndRectangles()
{
    const auto& items = layout::items();
    const Rect client{0, 0, layout::ClientWidth, layout::ClientHeight};
    for (const Item& item : items) {
        const QString where = layout::objectName(item) + QLatin1Char(' ') + item.text;
        QVERIFY2(item.rect.width > 0 && item.rect.height > 0, qPrintable(where));
        const Item* parent = layout::parentOf(item);
        if (!parent) {
            QVERIFY2(layout::containsLocal(client, item.rect), qPrintable(where));
            continue;
        }
        // Containers come before their contents, and every rectangle lies inside its frame.
        QVERIFY2(layout::isContainer(parent->kind), qPrintable(where));
        QVERIFY2(layout::positionOf(*parent) < layout::positionOf(item), qPrintable(where));
        QVERIFY2(layout::containsLocal(parent->rect, item.rect), qPrintable(where));
        QCOMPARE(item.page, parent->page);
    }
    // Absolute rectangles follow the parent chain: FrameL, "属性值", then the field.
    QCOMPARE(layout::absoluteRect(fieldItem(103)), (Rect{120 + 120 + 2400, 0 + 1920 + 2520, 1335, 300}));
    QCOMPARE(layout::absoluteRect(*layout::find(Kind::Page, 3)), (Rect{6240, 360, 9495, 10455}));
}

void TestLayout::windowRectangles()
{
    // Rectangles the window fixes; a width or height of 0 stands for one it leaves open.
    const struct
    {
        Kind kind;
        int index;
        const char* frame;
        Rect rect;
    } fixed[] = {
        {Kind::SidePanel, 0, "", {120, 0, 6015, 10935}},  {Kind::TabStrip, 1, "", {6120, 0, 9735, 10935}},
        {Kind::Command, 1, "", {120, 240, 1455, 375}},    {Kind::Command, 2, "", {120, 720, 1455, 375}},
        {Kind::Command, 3, "", {120, 1200, 1455, 375}},   {Kind::Command, 4, "", {120, 1680, 1455, 375}},
        {Kind::Combo, 1, "", {120, 2160, 1455, 0}},       {Kind::List, 1, "", {120, 240, 3975, 1530}},
        {Kind::CheckSet, 0, "设定", {120, 360, 0, 0}},    {Kind::Combo, 2, "设定", {120, 1440, 1455, 0}},
        {Kind::LabelAbout, 0, "", {120, 10560, 4335, 0}}, {Kind::LabelLR, 0, "", {5640, 10560, 255, 255}},
    };
    for (const auto& f : fixed) {
        const Item* item = layout::find(f.kind, f.index);
        QVERIFY(item);
        const QString name = layout::objectName(*item);
        QVERIFY2(item->rect.left == f.rect.left && item->rect.top == f.rect.top, qPrintable(name));
        QVERIFY2(!f.rect.width || item->rect.width == f.rect.width, qPrintable(name));
        QVERIFY2(!f.rect.height || item->rect.height == f.rect.height, qPrintable(name));
        QCOMPARE(frameTitle(*item), QString::fromUtf8(f.frame));
    }
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(layout::find(Kind::Page, i)->rect, (Rect{6240, 360, 9495, 10455}));
        QCOMPARE(layout::find(Kind::Page, i)->parent, -1);
    }
    // The four buttons and the display-mode box share the untitled frame of the side panel.
    const Item* buttons = layout::parentOf(*layout::find(Kind::Command, 1));
    QCOMPARE(buttons->rect, (Rect{4200, 120, 1695, 2655}));
    QCOMPARE(layout::parentOf(*buttons)->kind, Kind::SidePanel);
    for (int i = 2; i <= 4; ++i)
        QCOMPARE(layout::parentOf(*layout::find(Kind::Command, i)), buttons);
    QCOMPARE(layout::parentOf(*layout::find(Kind::Combo, 1)), buttons);
    for (Kind kind : {Kind::List, Kind::LabelAbout, Kind::LabelLR})
        QCOMPARE(layout::parentOf(*layout::find(kind, kind == Kind::List ? 1 : 0))->kind, Kind::SidePanel);
    QCOMPARE(layout::find(Kind::LabelTras)->page, 4);
}

void TestLayout::frameRectangles_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("parentTitle");
    QTest::addColumn<int>("page");
    QTest::addColumn<Rect>("rect");
    const auto row = [](const char* title, const char* parentTitle, int page, Rect r) {
        QTest::addRow("%s/%s", parentTitle, title)
            << QString::fromUtf8(title) << QString::fromUtf8(parentTitle) << page << r;
    };
    row("基本信息", "", 0, {120, 240, 9255, 1455});
    row("生命", "", 0, {120, 1800, 7215, 3255});
    row("后劲(每场遭遇1次)", "生命", 0, {3840, 1080, 3255, 975});
    row("死亡豁免检定失败次数", "生命", 0, {120, 2040, 6975, 1095});
    row("种族特性", "", 0, {7440, 1800, 1935, 3255});
    row("防御(状况调整值)", "", 0, {120, 5040, 9255, 2415});
    row("攻击", "", 0, {120, 7560, 9255, 1455});
    row("伤害", "", 0, {120, 9120, 9255, 1215});
    row("属性值", "", -1, {120, 1920, 3975, 3015});
    row("行动点", "", -1, {4200, 2880, 1695, 2535});
    row("感觉", "", -1, {120, 5040, 3975, 1455});
    row("设定", "", -1, {4200, 5520, 1695, 1935});
    row("先攻", "", -1, {120, 6600, 3975, 855});
    row("移动", "", -1, {120, 7560, 5775, 855});
    row("基本攻击", "", -1, {120, 8520, 5775, 1935});
    row("技能", "", 1, {120, 240, 9255, 6735});
    row("专长", "", 1, {120, 7080, 2655, 3255});
    row("职业/典范/史诗 特征能力", "", 1, {2880, 7080, 4575, 3255});
    row("语言", "", 1, {7560, 7080, 1815, 3255});
    row("遭遇威能", "", 2, {120, 240, 2415, 3255});
    row("随意威能", "", 2, {2640, 240, 2415, 3255});
    row("辅助威能", "", 2, {120, 3600, 2415, 3135});
    row("每日威能", "", 2, {2640, 3600, 2415, 3135});
    row("魔法物品", "", 2, {5160, 240, 4215, 9375});
    row("仪式", "", 2, {120, 6840, 4935, 3495});
    row("其他装备", "", 3, {120, 240, 3255, 2535});
    row("钱币及其他宝物", "", 3, {120, 2880, 3255, 3375});
    row("个性特征", "", 3, {120, 6360, 3255, 1935});
    row("行为特征及外貌", "", 3, {120, 8400, 3255, 1935});
    row("队友与盟友", "", 3, {3480, 240, 5895, 2535});
    row("人物背景", "", 3, {3480, 2880, 5895, 3375});
    row("战役及跑团笔记", "", 3, {3480, 6360, 5895, 3975});
    row("玩家人物战斗卡", "", 4, {120, 240, 9255, 3975});
    row("回合开始：处理持续伤害", "玩家人物战斗卡", 4, {120, 360, 4575, 3495});
    row("受伤", "玩家人物战斗卡", 4, {4800, 360, 4335, 615});
    row("备注", "玩家人物战斗卡", 4, {4800, 1080, 4335, 615});
    row("怪物战斗卡", "", 4, {120, 4320, 9255, 4095});
    row("回合开始：充能鉴定，处理持续伤害", "怪物战斗卡", 4, {120, 480, 4575, 3495});
    row("受伤", "怪物战斗卡", 4, {4800, 480, 4335, 615});
    row("备注", "怪物战斗卡", 4, {4800, 1200, 4335, 615});
    row("注释", "", 4, {120, 8520, 9255, 1455});
}

void TestLayout::frameRectangles()
{
    QFETCH(QString, title);
    QFETCH(QString, parentTitle);
    QFETCH(int, page);
    QFETCH(Rect, rect);
    int found = 0;
    for (const Item& item : layout::items()) {
        if (item.kind != Kind::Frame || item.text != title || frameTitle(item) != parentTitle)
            continue;
        ++found;
        QCOMPARE(item.rect, rect);
        QCOMPARE(item.page, page);
        // A top-level section sits directly on its page or on the side panel.
        if (parentTitle.isEmpty())
            QCOMPARE(layout::parentOf(item)->kind, page < 0 ? Kind::SidePanel : Kind::Page);
    }
    QCOMPARE(found, 1);
}

void TestLayout::fixedFieldPositions()
{
    const Item& charisma = fieldItem(103);
    QCOMPARE(frameTitle(charisma), QStringLiteral("属性值"));
    QCOMPARE((std::pair{charisma.rect.left, charisma.rect.top}), (std::pair{2400, 2520}));

    const QString monsterTurn = QStringLiteral("回合开始：充能鉴定，处理持续伤害");
    const QString playerTurn = QStringLiteral("回合开始：处理持续伤害");
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(frameTitle(fieldItem(264 + i)), playerTurn);
        QCOMPARE(frameTitle(fieldItem(274 + i)), monsterTurn);
        QCOMPARE(fieldItem(264 + i).rect.top, 600 + 360 * i);
        QCOMPARE(fieldItem(274 + i).rect.top, 600 + 360 * i);
    }
    QCOMPARE(fieldItem(279).rect.top, 2400);
    QCOMPARE(fieldItem(280).rect.top, 2760);
    QCOMPARE(fieldItem(281).rect.top, 3120);
    QCOMPARE(fieldItem(279).rect.left, fieldItem(280).rect.left);

    QCOMPARE(frameTitle(fieldItem(287)), QStringLiteral("怪物战斗卡"));
    QCOMPARE(frameTitle(fieldItem(288)), QStringLiteral("钱币及其他宝物"));
    QCOMPARE(frameTitle(fieldItem(289)), QStringLiteral("注释"));
    QCOMPARE(frameTitle(fieldItem(25)), QStringLiteral("种族特性"));
    QCOMPARE(frameTitle(fieldItem(104)), QStringLiteral("行动点"));
    for (int i = 0; i <= 5; ++i) {
        QCOMPARE(frameTitle(fieldItem(i)), QStringLiteral("基本信息"));
        QCOMPARE(fieldItem(i).rect.top, 480);
    }
    for (int i = 6; i <= 13; ++i)
        QCOMPARE(fieldItem(i).rect.top, 1080);
    QCOMPARE(frameTitle(fieldItem(20)), QStringLiteral("后劲(每场遭遇1次)"));
    QCOMPARE(frameTitle(fieldItem(18)), QString()); // the untitled sub-frame of "生命"
    QCOMPARE(layout::parentOf(fieldItem(18))->rect, (Rect{120, 1080, 3615, 975}));
    QCOMPARE(layout::parentOf(fieldItem(19)), layout::parentOf(fieldItem(18)));
    for (int i = 21; i <= 24; ++i)
        QCOMPARE(frameTitle(fieldItem(i)), QStringLiteral("死亡豁免检定失败次数"));
}

void TestLayout::grids()
{
    struct Grid
    {
        const char* frame;
        int first;
        int rowStride;
        std::vector<int> tops;
        std::vector<int> lefts;
    };
    const Grid grids[] = {
        {"防御(状况调整值)", 26, 8, {720, 1080, 1440, 2040}, {720, 1320, 2640, 4200, 5400, 6600, 7680, 8400}},
        {"攻击", 58, 8, {720, 1080}, {120, 840, 1920, 3360, 4560, 5760, 7080, 8400}},
        {"伤害", 74, 6, {480, 840}, {120, 960, 3000, 5040, 7080, 8160}},
        {"属性值", 86, 3, {720, 1080, 1440, 1800, 2160, 2520}, {720, 1560, 2400}},
        {"基本攻击", 118, 1, {480, 840, 1200, 1560}, {}},
    };
    for (const Grid& g : grids) {
        for (size_t r = 0; r < g.tops.size(); ++r) {
            for (size_t c = 0; c < g.lefts.size(); ++c) {
                const Item& f = fieldItem(g.first + g.rowStride * int(r) + int(c));
                QCOMPARE(frameTitle(f), QString::fromUtf8(g.frame));
                QCOMPARE((std::pair{f.rect.left, f.rect.top}), (std::pair{g.lefts[c], g.tops[r]}));
            }
        }
    }
    // Basic attacks: four columns of four, one row per attack.
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            const Item& f = fieldItem(118 + 4 * col + r);
            QCOMPARE(frameTitle(f), QStringLiteral("基本攻击"));
            QCOMPARE(f.rect.top, 480 + 360 * r);
        }
    }
    // The armor-class row has its own caption above its column 2.
    bool armorCaption = false;
    for (const Item& item : layout::items()) {
        if (item.kind == Kind::Caption && item.text == QStringLiteral("防具/属性调整值"))
            armorCaption = item.rect.left == 2640 && item.rect.top == 1800 &&
                           frameTitle(item) == QStringLiteral("防御(状况调整值)");
    }
    QVERIFY(armorCaption);
}

void TestLayout::skillGrid()
{
    const int armorRows[] = {0, 2, 6, 14, 16};
    int naCount = 0;
    std::set<int> naTops;
    for (const Item& item : layout::items()) {
        if (item.text == QStringLiteral("------NA-------")) {
            ++naCount;
            QCOMPARE(item.kind, Kind::Decoration);
            QCOMPARE(item.rect.left, 6480);
            QCOMPARE(frameTitle(item), QStringLiteral("技能"));
            naTops.insert(item.rect.top);
        }
    }
    QCOMPARE(naCount, 12);
    for (int k = 0; k < 17; ++k) {
        const int top = 600 + 360 * k;
        QCOMPARE(fieldItem(134 + k).rect.left, 1680);
        QCOMPARE(fieldItem(151 + k).rect.left, 2280);
        QCOMPARE(fieldItem(168 + k).rect.left, 4680);
        QCOMPARE(fieldItem(190 + k).rect.left, 8280);
        for (int base : {134, 151, 168, 190}) {
            QCOMPARE(fieldItem(base + k).rect.top, top);
            QCOMPARE(frameTitle(fieldItem(base + k)), QStringLiteral("技能"));
        }
        const bool hasArmor = std::find(std::begin(armorRows), std::end(armorRows), k) != std::end(armorRows);
        QCOMPARE(naTops.count(top) == 1, !hasArmor);
    }
    for (int i = 0; i < 5; ++i) {
        const Item& f = fieldItem(185 + i);
        QCOMPARE((std::pair{f.rect.left, f.rect.top}), (std::pair{6480, 600 + 360 * armorRows[i]}));
    }
}

void TestLayout::multiLineAndReadOnly()
{
    for (int i = 0; i <= 300; ++i) {
        const Item& f = fieldItem(i);
        const bool multi = i == 25 || i >= 289;
        QVERIFY2(f.multiLine == multi, qPrintable(QString::number(i)));
        QVERIFY2(f.readOnly == (i == 289), qPrintable(QString::number(i)));
        QVERIFY2(!f.name.isEmpty(), qPrintable(QString::number(i)));
        if (!multi)
            QCOMPARE(f.rect.height, layout::LineHeight);
    }
}

void TestLayout::checkBoxes()
{
    for (const Item& item : layout::items()) {
        if (item.kind == Kind::CheckWN) {
            QCOMPARE((std::pair{item.rect.width, item.rect.height}), (std::pair{255, 255}));
            // The "used" box of field 207 + N stands to its right on the same line, right after it.
            const Item& f = fieldItem(207 + item.index);
            QCOMPARE(layout::parentOf(item), layout::parentOf(f));
            QVERIFY(item.rect.left >= f.rect.right());
            QVERIFY(item.rect.top < f.rect.bottom() && f.rect.top < item.rect.bottom());
            QCOMPARE(layout::positionOf(item), layout::positionOf(f) + 1);
            QVERIFY(!item.name.isEmpty());
        } else if (item.kind == Kind::CheckF) {
            QCOMPARE((std::pair{item.rect.width, item.rect.height}), (std::pair{135, 180}));
            QVERIFY(!item.name.isEmpty());
        }
    }
    // Power and item lines: 360 twips apart, eight per power section, 25 magic items.
    const std::pair<int, int> sections[] = {{207, 8}, {215, 8}, {223, 8}, {231, 8}, {239, 25}};
    for (const auto& [first, count] : sections) {
        for (int i = 1; i < count; ++i)
            QCOMPARE(fieldItem(first + i).rect.top - fieldItem(first + i - 1).rect.top, 360);
    }
    QCOMPARE(fieldItem(252).rect.width, 3615);
    QCOMPARE(fieldItem(263).rect.width, 3615);
    QVERIFY(fieldItem(251).rect.width < 3615);
    QCOMPARE(frameTitle(*layout::find(Kind::CheckF, 29)), QStringLiteral("后劲(每场遭遇1次)"));
    QCOMPARE(layout::find(Kind::CheckF, 5)->rect.top, layout::find(Kind::CheckF, 16)->rect.top);
}

void TestLayout::fieldsOfEachPage()
{
    std::map<int, std::set<int>> fields;
    std::map<int, std::set<int>> ticksF;
    for (const Item& item : layout::items()) {
        if (item.kind == Kind::Field)
            fields[item.page].insert(item.index);
        else if (item.kind == Kind::CheckF)
            ticksF[item.page].insert(item.index);
        else if (item.kind == Kind::CheckWN)
            QCOMPARE(item.page, 2);
    }
    const auto range = [](int first, int last) {
        std::set<int> s;
        for (int i = first; i <= last; ++i)
            s.insert(i);
        return s;
    };
    QCOMPARE(fields[-1], range(86, 133));
    QCOMPARE(fields[0], range(0, 85));
    std::set<int> skills = range(134, 206);
    skills.insert({290, 291, 292});
    QCOMPARE(fields[1], skills);
    std::set<int> powers = range(207, 263);
    powers.insert(293);
    QCOMPARE(fields[2], powers);
    std::set<int> notes = range(294, 300);
    notes.insert(288);
    QCOMPARE(fields[3], notes);
    std::set<int> combat = range(264, 287);
    combat.insert(289);
    QCOMPARE(fields[4], combat);
    QCOMPARE(ticksF[0], std::set<int>{29});
    QCOMPARE(ticksF[4], range(0, 28));
}

void TestLayout::tabOrderFollowsReadingOrder()
{
    // Within each frame the controls come row by row, left to right.
    for (int page = -1; page < 5; ++page) {
        const std::vector<const Item*> list = focusItems(page);
        QVERIFY(!list.empty());
        for (size_t i = 1; i < list.size(); ++i) {
            const Item& a = *list[i - 1];
            const Item& b = *list[i];
            if (a.parent == b.parent) {
                QVERIFY2(
                    readsAfter(a.rect, b.rect),
                    qPrintable(layout::objectName(a) + QStringLiteral(" before ") + layout::objectName(b)));
            }
        }
    }
    // Frame by frame: the fields of one section are walked before the next section starts.
    for (int page = 0; page < 5; ++page) {
        std::set<int> finished;
        int current = -2;
        for (const Item* item : focusItems(page)) {
            if (item->parent == current)
                continue;
            QVERIFY(finished.insert(current).second);
            QVERIFY2(!finished.count(item->parent), qPrintable(layout::objectName(*item)));
            current = item->parent;
        }
    }
    // A whole card can be typed page by page: the first field of each page leads its tab order.
    QCOMPARE(focusItems(0).front(), &fieldItem(0));
    QCOMPARE(focusItems(1).front(), &fieldItem(134));
    QCOMPARE(focusItems(3).front(), &fieldItem(294));
}

void TestLayout::nothingOverlapsWithinAFrame()
{
    const auto& items = layout::items();
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& a = items[i];
        if (layout::isContainer(a.kind) || a.kind == Kind::TabStrip)
            continue;
        for (size_t j = 0; j < items.size(); ++j) {
            const Item& b = items[j];
            if (i == j || a.parent != b.parent || b.kind == Kind::TabStrip)
                continue;
            QVERIFY2(!layout::intersects(a.rect, b.rect),
                     qPrintable(layout::objectName(a) + a.text + QStringLiteral(" meets ") +
                                layout::objectName(b) + b.text));
        }
    }
}

void TestLayout::textsAndChoices()
{
    QVERIFY(!layout::find(Kind::Combo, 2)->enabled);
    QVERIFY(layout::find(Kind::LabelAbout)->text.startsWith(QStringLiteral("Quillmark 0.3 Alpha")));
    const QString tras = layout::find(Kind::LabelTras)->text;
    QVERIFY(tras.startsWith(QStringLiteral("Language Pack Created By：")));
    QVERIFY(QRegularExpression(QStringLiteral("\\(\\S+@\\S+\\)$")).match(tras).hasMatch());

    std::map<QString, int> decorations;
    std::map<QString, QString> framed;
    for (const Item& item : layout::items()) {
        if (item.kind == Kind::Decoration) {
            ++decorations[item.text];
            framed[item.text] = frameTitle(item);
        }
    }
    QCOMPARE(decorations[QStringLiteral("vs")], 4);
    QCOMPARE(decorations[QStringLiteral("=10+")], 2);
    QCOMPARE(framed[QStringLiteral("=10+")], QStringLiteral("感觉"));
    QCOMPARE(decorations[QStringLiteral("里程碑")], 1);
    QCOMPARE(framed[QStringLiteral("里程碑")], QStringLiteral("行动点"));
    QCOMPARE(decorations[QStringLiteral("(花费行动点得到附加效果)")], 1);
    QCOMPARE(framed[QStringLiteral("(花费行动点得到附加效果)")], QStringLiteral("行动点"));
    const QString hint =
        QStringLiteral("(在列表中输入人物/魔法物品威能的名称,威能使用后在方框中打钩,恢复后消去方框里的钩)");
    QCOMPARE(decorations[hint], 1);
    QVERIFY(decorations[QStringLiteral("=")] > 0 && decorations[QStringLiteral("+")] > 0);
}

QTEST_GUILESS_MAIN(TestLayout)
#include "testLayout.moc"
