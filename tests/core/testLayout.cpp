// The layout table as a whole: every control once, containers and their rectangles, the window and
// its frames, and the reading order the focus follows.
#include "RectProbe.h"
#include "card/layout/Layout.h"

#include <QtTest>

#include <map>
#include <set>

using layout::fieldItem;
using layout::frameTitle;
using layout::Item;
using layout::Kind;
using layout::Rect;

Q_DECLARE_METATYPE(Rect)

namespace {

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
    void tabOrderFollowsReadingOrder();
    void nothingOverlapsWithinAFrame();
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

QTEST_GUILESS_MAIN(TestLayout)
#include "testLayout.moc"
