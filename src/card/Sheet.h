#pragma once

#include <QString>

#include <array>

namespace card {

constexpr int FieldCount = 301;  // Text1(0..300)
constexpr int CheckFCount = 30;  // CheckF(0..29)
constexpr int CheckWNCount = 57; // CheckWN(0..56), the "used" tick of field 207 + N
constexpr int ReferenceField = 289;

// The five fields of the list entry: the name (the card's key), class, alignment, level and race.
constexpr int NameField = 0;
constexpr int ClassField = 1;
constexpr int AlignmentField = 2;
constexpr int LevelField = 6;
constexpr int RaceField = 8;
constexpr bool isListField(int field)
{
    return field == NameField || field == ClassField || field == AlignmentField || field == LevelField ||
           field == RaceField;
}

// Fields with a column of their own, in column order after the info string.
constexpr int RacialTraitsField = 25;
constexpr int FirstNoteField = 290; // 290..300

// A plain copy of the on-screen card: every text exactly as typed (multi-line texts with CR LF
// line breaks, as they are stored) and every tick. The window copies its controls to and from it.
struct Sheet
{
    std::array<QString, FieldCount> text;
    std::array<bool, CheckFCount> checkF{};
    std::array<bool, CheckWNCount> checkWN{};

    bool operator==(const Sheet&) const = default;
};

// Multi-line fields show a vertical scroll bar; 289 is the read-only reference note.
constexpr bool isMultiLine(int field)
{
    return field == RacialTraitsField || field >= ReferenceField;
}
constexpr bool isReadOnly(int field)
{
    return field == ReferenceField;
}

// The fixed reference note of field 289: conditions and the abbreviations for when effects end.
QString referenceText();

} // namespace card
