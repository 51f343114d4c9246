// The rows of the powers page and the combat-card page: lines of fields with their "used" ticks.
#include "card/Sheet.h"
#include "card/layout/LayoutTable.h"

namespace layout::table {

namespace {

constexpr Rect PageRect{6240, 360, 9495, 10455};
constexpr int PowerLineTop = 270; // first line of a power or item frame
constexpr int CheckWNSize = 255;
constexpr int CheckFWidth = 135;
constexpr int CheckFHeight = 180;
constexpr int CheckFStep = 180; // between neighbouring CheckF boxes of one group

QString numbered(QStringView text, int n)
{
    return joinName(text, QString::number(n));
}

// A power or item line: the field, then its "used" box to the right on the same line.
void powerLine(Writer& w, int field, int top, int left, int width, const QString& name)
{
    w.field(field, {left, top, width, LineHeight}, name);
    w.checkWN(field - card::FirstPowerField, {left + width + 105, top + 15, CheckWNSize, CheckWNSize},
              joinName(name, u"已使用"));
}

void powerFrame(Writer& w, QStringView title, Rect r, int firstField)
{
    const auto frame = w.frame(title, r);
    for (int i = 0; i < 8; ++i)
        powerLine(w, firstField + i, PowerLineTop + LineStep * i, 120, 1800, numbered(title, i + 1));
}

// A row of CheckF boxes beside a caption; groups of four stand apart.
void tickRow(Writer& w, QStringView caption, int top, int firstBox, int count, const QString& name)
{
    w.caption(caption, {120, top, 1680, LineHeight});
    for (int b = 0; b < count; ++b) {
        const int left = 1800 + (b / 4) * 840 + (b % 4) * CheckFStep;
        const QString boxName = count == 1 ? name : numbered(name, b + 1);
        w.checkF(firstBox + b, {left, top + 60, CheckFWidth, CheckFHeight}, boxName);
    }
}

// The start-of-turn lines of a combat card: eight condition fields under one caption.
void conditionFrame(Writer& w, QStringView title, Rect r, int firstField, QStringView card)
{
    const auto frame = w.frame(title, r);
    w.caption(u"状态/结束条件", {120, 600 - CaptionHeight, 4335, CaptionHeight});
    for (int i = 0; i < 8; ++i) {
        w.field(firstField + i, {120, 600 + LineStep * i, 4335, LineHeight},
                joinName(card, u"状态/结束条件", QString::number(i + 1)));
    }
}

void singleFieldFrame(Writer& w, QStringView title, Rect r, int field, QStringView card)
{
    const auto frame = w.frame(title, r);
    w.field(field, {120, 240, 4095, LineHeight}, joinName(card, title));
}

} // namespace

void writePowersPage(Writer& w)
{
    const auto page = w.page(2, PageRect);
    powerFrame(w, u"遭遇威能", {120, 240, 2415, 3255}, 215);
    powerFrame(w, u"随意威能", {2640, 240, 2415, 3255}, 207);
    powerFrame(w, u"辅助威能", {120, 3600, 2415, 3135}, 223);
    powerFrame(w, u"每日威能", {2640, 3600, 2415, 3135}, 231);
    {
        const auto magicItems = w.frame(u"魔法物品", {5160, 240, 4215, 9375});
        const QStringView places[] = {u"武器", u"武器", u"武器", u"武器", u"护甲", u"手臂", u"足部",
                                      u"手部", u"头部", u"颈部", u"戒指", u"戒指", u"腰部"};
        for (int i = 0; i < 25; ++i) {
            const int top = PowerLineTop + LineStep * i;
            if (i < 13) {
                const QStringView slot = places[i];
                const int repeats = slot == u"武器" ? 4 : slot == u"戒指" ? 2 : 1;
                const int first = slot == u"武器" ? 0 : slot == u"戒指" ? 10 : i;
                w.caption(slot, {120, top, 600, LineHeight});
                powerLine(w, 239 + i, top, 720, 3015,
                          repeats == 1 ? slot.toString() : numbered(slot, i - first + 1));
            } else {
                powerLine(w, 239 + i, top, 120, 3615, numbered(u"魔法物品", i + 1));
            }
        }
    }
    {
        const Rect rituals{120, 6840, 4935, 3495};
        const auto frame = w.frame(u"仪式", rituals);
        w.field(293, {120, 240, rituals.width - 240, rituals.height - 360}, QStringLiteral("仪式"));
    }
    w.hint(u"(在列表中输入人物/魔法物品威能的名称,威能使用后在方框中打钩,恢复后消去方框里的钩)",
           {5160, 9690, 4215, 765});
}

void writeCombatPage(Writer& w)
{
    const auto page = w.page(4, PageRect);
    {
        const QStringView card = u"玩家人物战斗卡";
        const auto player = w.frame(card, {120, 240, 9255, 3975});
        conditionFrame(w, u"回合开始：处理持续伤害", {120, 360, 4575, 3495}, 264, card);
        singleFieldFrame(w, u"受伤", {4800, 360, 4335, 615}, 272, card);
        singleFieldFrame(w, u"备注", {4800, 1080, 4335, 615}, 273, card);
        const auto ticks = w.frame({}, {4800, 1680, 4335, 2175});
        tickRow(w, u"后劲(已使用)：", 240, 0, 1, QStringLiteral("后劲(已使用)"));
        tickRow(w, u"行动点(已使用)：", 600, 1, 3, QStringLiteral("行动点(已使用)"));
        tickRow(w, u"重伤：", 960, 4, 1, QStringLiteral("重伤"));
        tickRow(w, u"复原力(已使用)：", 1320, 5, 12, QStringLiteral("复原力(已使用)"));
    }
    {
        const QStringView card = u"怪物战斗卡";
        const auto monster = w.frame(card, {120, 4320, 9255, 4095});
        // The monster's name shares the line of the card's title.
        w.caption(u"怪物名称：", {4800, 150, 1095, LineHeight});
        w.field(287, {5895, 150, 3240, LineHeight}, QStringLiteral("怪物名称"));
        conditionFrame(w, u"回合开始：充能鉴定，处理持续伤害", {120, 480, 4575, 3495}, 274, card);
        singleFieldFrame(w, u"受伤", {4800, 480, 4335, 615}, 282, card);
        singleFieldFrame(w, u"备注", {4800, 1200, 4335, 615}, 283, card);
        const auto ticks = w.frame({}, {4800, 1800, 4335, 2175});
        tickRow(w, u"重伤：", 240, 17, 1, QStringLiteral("怪物 重伤"));
        w.caption(u"行动点(如是精英或强者怪物)(已使用)", {120, 600, 3255, LineHeight});
        for (int b = 0; b < 2; ++b) {
            w.checkF(18 + b, {3420 + CheckFStep * b, 660, CheckFWidth, CheckFHeight},
                     numbered(u"怪物 行动点(已使用)", b + 1));
        }
        w.caption(u"每日/遭遇威能", {120, 960, 1380, LineHeight});
        for (int j = 0; j < 3; ++j) {
            const int top = 960 + LineStep * j;
            const QString name = numbered(u"每日/遭遇威能", j + 1);
            w.field(284 + j, {1560, top, 1320, LineHeight}, name);
            w.caption(u"已使用", {2940, top, 540, LineHeight});
            for (int b = 0; b < 3; ++b) {
                w.checkF(20 + 3 * j + b, {3540 + CheckFStep * b, top + 60, CheckFWidth, CheckFHeight},
                         joinName(name, u"已使用", QString::number(b + 1)));
            }
        }
    }
    {
        const auto notes = w.frame(u"注释", {120, 8520, 9255, 1455});
        w.field(289, {120, 240, 9015, 1095}, QStringLiteral("注释"));
    }
    w.add(Kind::LabelTras, 0, {120, 10080, 9255, 255},
          u"Language Pack Created By：Quillmark 项目组(team@quillmark.example)")
        .name = QStringLiteral("语言包作者");
}

} // namespace layout::table
