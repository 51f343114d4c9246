// The rows of the five sheet pages. Rectangles are in twips, relative to the containing frame.
#include "card/layout/LayoutTable.h"

namespace layout::table {

namespace {

constexpr Rect PageRect{6240, 360, 9495, 10455};

// A field with its caption standing above it.
void captionedField(Writer& w, int index, QStringView caption, Rect r)
{
    w.caption(caption, {r.left, r.top - CaptionHeight, r.width, CaptionHeight});
    w.field(index, r, caption.toString());
}

// A multi-line field filling its titled frame below the title.
void noteField(Writer& w, int index, Rect frame)
{
    w.field(index, {120, 240, frame.width - 240, frame.height - 360}, w.frameTitle());
}

} // namespace

void writeBasicsPage(Writer& w)
{
    const auto page = w.page(0, PageRect);
    {
        const auto basics = w.frame(u"基本信息", {120, 240, 9255, 1455});
        const QStringView first[] = {u"名字", u"职业", u"阵营", u"信仰", u"典范之道", u"史诗天命"};
        for (int i = 0; i < 6; ++i)
            captionedField(w, i, first[i], {120 + 1500 * i, 480, 1380, LineHeight});
        const QStringView second[] = {u"等级", u"经验值", u"种族", u"性别",
                                      u"年龄", u"体型",   u"身高", u"体重"};
        for (int i = 0; i < 8; ++i)
            captionedField(w, 6 + i, second[i], {120 + 1125 * i, 1080, 1005, LineHeight});
    }
    {
        const auto hitPoints = w.frame(u"生命", {120, 1800, 7215, 3255});
        captionedField(w, 14, u"总值", {120, 600, 1440, LineHeight});
        captionedField(w, 15, u"重伤(1/2HP)", {1680, 600, 1440, LineHeight});
        captionedField(w, 16, u"紧急复原力值(1/4HP)", {3240, 600, 2040, LineHeight});
        captionedField(w, 17, u"每天复原力次数", {5400, 600, 1695, LineHeight});
        {
            const auto current = w.frame({}, {120, 1080, 3615, 975});
            captionedField(w, 18, u"当前生命值", {120, 480, 1620, LineHeight});
            captionedField(w, 19, u"当前复原力次数", {1860, 480, 1635, LineHeight});
        }
        {
            const auto secondWind = w.frame(u"后劲(每场遭遇1次)", {3840, 1080, 3255, 975});
            captionedField(w, 20, u"临时生命值", {120, 480, 1800, LineHeight});
            w.caption(u"使用", {2040, 480, 480, LineHeight});
            w.checkF(29, {2520, 540, 135, 180}, QStringLiteral("后劲 使用"));
        }
        {
            const auto deathSaves = w.frame(u"死亡豁免检定失败次数", {120, 2040, 6975, 1095});
            captionedField(w, 21, u"豁免检定调整值", {120, 600, 1575, LineHeight});
            captionedField(w, 22, u"抗性", {1815, 600, 1335, LineHeight});
            captionedField(w, 23, u"当前状态及所受影响", {3270, 600, 2175, LineHeight});
            captionedField(w, 24, u"失败次数", {5565, 600, 1290, LineHeight});
        }
    }
    {
        const auto racial = w.frame(u"种族特性", {7440, 1800, 1935, 3255});
        w.caption(u"属性值调整", {120, 240, 1695, CaptionHeight});
        w.field(25, {120, 480, 1695, 2655}, QStringLiteral("种族特性 属性值调整"));
    }
    {
        const auto defenses = w.frame(u"防御(状况调整值)", {120, 5040, 9255, 2415});
        const Grid grid{.first = 26,
                        .rowStride = 8,
                        .tops = {720, 1080, 1440, 2040},
                        .lefts = {720, 1320, 2640, 4200, 5400, 6600, 7680, 8400},
                        .widths = {360, 1080, 1320, 960, 960, 840, 480, 735},
                        .rowCaptions = {u"强韧", u"反射", u"意志", u"防御"},
                        .columnCaptions = {u"", u"10+1/2等级", u"属性调整值", u"职业加值", u"专长加值",
                                           u"增强加值", u"其他", u"其他"},
                        .rowName = {},
                        .sums = true};
        writeGridCaptions(w, grid);
        for (int row = 0; row < 3; ++row)
            writeGridRow(w, grid, row);
        w.caption(u"防具/属性调整值", {2640, 1800, 1560, CaptionHeight});
        writeGridRow(w, grid, 3);
    }
    {
        const auto attack = w.frame(u"攻击", {120, 7560, 9255, 1455});
        const Grid grid{.first = 58,
                        .rowStride = 8,
                        .tops = {720, 1080},
                        .lefts = {120, 840, 1920, 3360, 4560, 5760, 7080, 8400},
                        .widths = {480, 840, 1200, 960, 960, 1080, 1080, 735},
                        .rowCaptions = {},
                        .columnCaptions = {u"增益", u"1/2等级", u"属性调整值", u"职业加值", u"熟练加值",
                                           u"专长加值", u" 增强加值", u"其他"},
                        .rowName = u"攻击",
                        .sums = true};
        writeGridCaptions(w, grid);
        for (int row = 0; row < 2; ++row)
            writeGridRow(w, grid, row);
    }
    {
        const auto damage = w.frame(u"伤害", {120, 9120, 9255, 1215});
        const Grid grid{
            .first = 74,
            .rowStride = 6,
            .tops = {480, 840},
            .lefts = {120, 960, 3000, 5040, 7080, 8160},
            .widths = {600, 1800, 1800, 1800, 840, 975},
            .rowCaptions = {},
            .columnCaptions = {u"伤害", u"属性调整值", u"专长加值", u"增强加值", u"其他", u"其他"},
            .rowName = u"伤害",
            .sums = true};
        writeGridCaptions(w, grid);
        for (int row = 0; row < 2; ++row)
            writeGridRow(w, grid, row);
    }
}

void writeSkillsPage(Writer& w)
{
    const auto page = w.page(1, PageRect);
    {
        const auto skills = w.frame(u"技能", {120, 240, 9255, 6735});
        const QStringView rows[] = {u"杂技(敏捷)", u"神秘(智力)", u"运动(力量)", u"唬骗(魅力)", u"交涉(魅力)",
                                    u"地城(感知)", u"坚韧(体质)", u"医疗(感知)", u"历史(智力)", u"洞察(感知)",
                                    u"威吓(魅力)", u"自然(感知)", u"侦查(感知)", u"宗教(智力)", u"隐秘(敏捷)",
                                    u"市井(魅力)", u"盗术(敏捷)"};
        w.caption(u"属性调整值+1/2等级", {2280, 360, 2400, CaptionHeight});
        w.caption(u"是否受训(+5)", {4680, 360, 1800, CaptionHeight});
        w.caption(u"防具减值", {6480, 360, 1800, CaptionHeight});
        w.caption(u"其他", {8280, 360, 855, CaptionHeight});
        int armorField = 185; // only the skills with an armor penalty have a field in that column
        for (int k = 0; k < 17; ++k) {
            const int top = 600 + LineStep * k;
            const QStringView skill = rows[k];
            w.caption(skill, {120, top, 1440, LineHeight});
            w.field(134 + k, {1680, top, 360, LineHeight}, skill.toString());
            w.decoration(u"=", {2040, top, 240, LineHeight});
            w.field(151 + k, {2280, top, 2160, LineHeight}, joinName(skill, u"属性调整值+1/2等级"));
            w.decoration(u"+", {4440, top, 240, LineHeight});
            w.field(168 + k, {4680, top, 1560, LineHeight}, joinName(skill, u"是否受训(+5)"));
            w.decoration(u"+", {6240, top, 240, LineHeight});
            if (k == 0 || k == 2 || k == 6 || k == 14 || k == 16)
                w.field(armorField++, {6480, top, 1560, LineHeight}, joinName(skill, u"防具减值"));
            else
                w.decoration(u"------NA-------", {6480, top, 1560, LineHeight});
            w.decoration(u"+", {8040, top, 240, LineHeight});
            w.field(190 + k, {8280, top, 855, LineHeight}, joinName(skill, u"其他"));
        }
    }
    const Rect feats{120, 7080, 2655, 3255};
    const Rect features{2880, 7080, 4575, 3255};
    const Rect languages{7560, 7080, 1815, 3255};
    {
        const auto frame = w.frame(u"专长", feats);
        noteField(w, 290, feats);
    }
    {
        const auto frame = w.frame(u"职业/典范/史诗 特征能力", features);
        noteField(w, 291, features);
    }
    {
        const auto frame = w.frame(u"语言", languages);
        noteField(w, 292, languages);
    }
}

void writeNotesPage(Writer& w)
{
    const auto page = w.page(3, PageRect);
    const struct
    {
        QStringView title;
        Rect rect;
        int field;
    } notes[] = {
        {u"其他装备", {120, 240, 3255, 2535}, 294},        {u"钱币及其他宝物", {120, 2880, 3255, 3375}, 295},
        {u"个性特征", {120, 6360, 3255, 1935}, 296},       {u"行为特征及外貌", {120, 8400, 3255, 1935}, 297},
        {u"队友与盟友", {3480, 240, 5895, 2535}, 298},     {u"人物背景", {3480, 2880, 5895, 3375}, 299},
        {u"战役及跑团笔记", {3480, 6360, 5895, 3975}, 300}};
    for (const auto& note : notes) {
        const auto frame = w.frame(note.title, note.rect);
        if (note.field == 295) {
            // The coins line stands above the other treasure.
            w.caption(u"钱币", {120, 360, 600, LineHeight});
            w.field(288, {720, 360, 2415, LineHeight}, QStringLiteral("钱币"));
            w.caption(u"其他物品", {120, 720, 3015, CaptionHeight});
            w.field(295, {120, 960, 3015, 2295}, QStringLiteral("其他物品"));
        } else {
            noteField(w, note.field, note.rect);
        }
    }
}

} // namespace layout::table
