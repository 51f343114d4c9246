// What the sheet pages hold: fields at fixed places, the grids and the skill grid, multi-line and
// read-only fields, the check boxes, the fields of each page and the fixed texts and choices.
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

class TestLayoutPages : public QObject
{
    Q_OBJECT

private slots:
    void fixedFieldPositions();
    void grids();
    void skillGrid();
    void multiLineAndReadOnly();
    void checkBoxes();
    void fieldsOfEachPage();
    void textsAndChoices();
};

void TestLayoutPages::fixedFieldPositions()
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

void TestLayoutPages::grids()
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

void TestLayoutPages::skillGrid()
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

void TestLayoutPages::multiLineAndReadOnly()
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

void TestLayoutPages::checkBoxes()
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

void TestLayoutPages::fieldsOfEachPage()
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

void TestLayoutPages::textsAndChoices()
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

QTEST_GUILESS_MAIN(TestLayoutPages)
#include "testLayoutPages.moc"
