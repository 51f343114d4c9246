#include "play/CardText.h"

#include "card/layout/Layout.h"
#include "play/PlaySheet.h"

#include <QStringList>

#include <vector>

namespace play {

namespace {

using layout::Item;
using layout::Kind;
using namespace card;

// The first field of the grids and lines the summary reads; their captions come from the layout.
constexpr int FirstAbilityField = 86; // score and modifier on each row
constexpr int FirstDefenseField = 26; // the total first on each row
constexpr int InitiativeField = 109;  // total
constexpr int SpeedField = 113;       // total

const Item& fieldItem(int field)
{
    return *layout::find(Kind::Field, field);
}

// The title of the innermost titled frame holding the item.
QString sectionTitle(const Item& item)
{
    for (const Item* p = layout::parentOf(item); p; p = layout::parentOf(*p)) {
        if (p->kind == Kind::Frame && !p->text.isEmpty())
            return p->text;
    }
    return {};
}

// The caption nearest to the left of an item on its own line in its frame: a grid's row caption, a
// magic item's slot. Empty when there is none.
QString lineCaption(const Item& item)
{
    const Item* nearest = nullptr;
    for (const Item& c : layout::items()) {
        if (c.kind != Kind::Caption || c.parent != item.parent || c.rect.right() > item.rect.left)
            continue;
        const bool sameLine = c.rect.top < item.rect.bottom() && item.rect.top < c.rect.bottom();
        if (sameLine && (!nearest || c.rect.left > nearest->rect.left))
            nearest = &c;
    }
    return nearest ? nearest->text : QString();
}

// The fields of the frame holding `field`, line by line, each line left to right.
std::vector<std::vector<const Item*>> fieldRows(int field)
{
    const int frame = fieldItem(field).parent;
    std::vector<std::vector<const Item*>> rows;
    for (const Item& item : layout::items()) {
        if (item.kind != Kind::Field || item.parent != frame)
            continue;
        if (rows.empty() || rows.back().front()->rect.top != item.rect.top)
            rows.emplace_back();
        rows.back().push_back(&item);
    }
    return rows;
}

QString value(const Sheet& sheet, int field)
{
    return sheet.text[field].simplified();
}

// "caption value", or nothing when the field is empty.
void addCaptioned(QStringList& parts, const QString& caption, const QString& text)
{
    if (!text.isEmpty())
        parts << caption + QLatin1Char(' ') + text;
}

void addLine(QStringList& lines, const QString& title, const QStringList& parts, QStringView separator)
{
    if (!parts.isEmpty())
        lines << title + QStringLiteral("：") + parts.join(separator);
}

QString nameLine(const Sheet& sheet)
{
    QString level = value(sheet, LevelField);
    if (const std::optional<int> n = plainWholeNumber(level))
        level = QString::number(*n) + QStringLiteral("级");
    QStringList about;
    for (const QString& part :
         {value(sheet, ClassField), level, value(sheet, RaceField), value(sheet, AlignmentField)}) {
        if (!part.isEmpty())
            about << part;
    }
    const QString name = value(sheet, NameField);
    if (about.isEmpty())
        return name;
    return name.isEmpty() ? about.join(QLatin1Char(' '))
                          : name + QStringLiteral(" — ") + about.join(QLatin1Char(' '));
}

void addAbilities(QStringList& lines, const Sheet& sheet)
{
    QStringList parts;
    for (const auto& row : fieldRows(FirstAbilityField)) {
        QString text = value(sheet, row[0]->index);
        const QString modifier = value(sheet, row[1]->index);
        if (!modifier.isEmpty())
            text += QStringLiteral("（") + modifier + QStringLiteral("）");
        addCaptioned(parts, lineCaption(*row[0]), text);
    }
    addLine(lines, sectionTitle(fieldItem(FirstAbilityField)), parts, u"，");
}

void addDefenses(QStringList& lines, const Sheet& sheet)
{
    QStringList parts;
    for (const auto& row : fieldRows(FirstDefenseField))
        addCaptioned(parts, lineCaption(*row[0]), value(sheet, row[0]->index));
    addLine(lines, sectionTitle(fieldItem(FirstDefenseField)), parts, u"，");
}

void addHitPoints(QStringList& lines, const Sheet& sheet)
{
    QStringList parts;
    for (int field : {CurrentHitPointsField, MaxHitPointsField, TemporaryHitPointsField, BloodiedValueField,
                      CurrentSurgesField, SurgesPerDayField, SurgeValueField})
        addCaptioned(parts, fieldCaption(field), value(sheet, field));
    addLine(lines, sectionTitle(fieldItem(MaxHitPointsField)), parts, u"，");
}

void addMovement(QStringList& lines, const Sheet& sheet)
{
    QStringList parts;
    for (int field : {SpeedField, InitiativeField})
        addCaptioned(parts, sectionTitle(fieldItem(field)), value(sheet, field));
    if (!parts.isEmpty())
        lines << parts.join(QStringLiteral("，"));
}

// One line per power or item section, in the sheet's order.
void addPowers(QStringList& lines, const Sheet& sheet)
{
    int section = -1;
    QString title;
    QStringList parts;
    for (const Item& item : layout::items()) {
        const int tick = item.index - FirstPowerField;
        if (item.kind != Kind::Field || tick < 0 || tick >= CheckWNCount)
            continue;
        if (item.parent != section) {
            addLine(lines, title, parts, u"、");
            section = item.parent;
            title = sectionTitle(item);
            parts.clear();
        }
        QString text = value(sheet, item.index);
        if (text.isEmpty())
            continue;
        const QString slot = lineCaption(item);
        if (!slot.isEmpty())
            text = slot + QLatin1Char(' ') + text;
        if (sheet.checkWN[tick])
            text += QStringLiteral("（已使用）");
        parts << text;
    }
    addLine(lines, title, parts, u"、");
}

} // namespace

QString cardText(const Sheet& sheet)
{
    QStringList lines;
    if (const QString first = nameLine(sheet); !first.isEmpty())
        lines << first;
    addAbilities(lines, sheet);
    addDefenses(lines, sheet);
    addHitPoints(lines, sheet);
    addMovement(lines, sheet);
    addPowers(lines, sheet);
    return lines.join(QLatin1Char('\n'));
}

} // namespace play
