#pragma once

#include "card/Sheet.h"

#include <QString>

#include <array>

namespace card {

constexpr int InfoValueCount = 287; // fields 1..24 and 26..288
constexpr int TickCount = CheckFCount + CheckWNCount;
constexpr int NoteColumnCount = 12; // ZhongZu, ZhuanChang .. Blog

// Column names of table card after Nae, Info and Chk, in the order the writers set them.
extern const std::array<const char*, NoteColumnCount> NoteColumns;
// Sheet field held by each of those columns: 25, then 290..300.
constexpr int noteColumnField(int column)
{
    return column == 0 ? RacialTraitsField : FirstNoteField + column - 1;
}

// One row of table card. A null QString stands for a column without a value.
struct CardRecord
{
    QString nae;
    QString info;
    QString chk;
    std::array<QString, NoteColumnCount> notes;

    bool operator==(const CardRecord&) const = default;
};

// One row of table lstt: the five summary values the card list shows.
struct ListEntry
{
    QString nam;
    QString lv;
    QString race;
    QString tra;
    QString cmp;

    bool operator==(const ListEntry&) const = default;
};

// Value k of the info string belongs to field k + 1 (k < 24) or k + 2 (k >= 24).
constexpr int infoValueField(int k)
{
    return k < 24 ? k + 1 : k + 2;
}

QString encodeInfo(const Sheet& sheet);
QString encodeTicks(const Sheet& sheet);
CardRecord toCardRecord(const Sheet& sheet);
ListEntry toListEntry(const Sheet& sheet);

// Fills the sheet from a stored record. The sheet is expected to be cleared beforehand; values that
// are missing leave their fields as they are. Short, long and odd strings are read as far as they go.
void applyInfo(const QString& info, Sheet& sheet);
void applyTicks(const QString& ticks, Sheet& sheet);
void applyCardRecord(const CardRecord& record, Sheet& sheet);

// Empties every field but the reference note and clears every tick.
void clearSheet(Sheet& sheet);

// The key filter: "@" never enters any field, "-" never enters the five fields of the list entry.
bool isRefusedCharacter(int field, QChar c);
// Removes every refused character from text entering the field by any path (keys, paste, drop,
// input methods).
QString filterFieldText(int field, const QString& text);

} // namespace card
