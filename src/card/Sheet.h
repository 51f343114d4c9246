#pragma once

#include <QString>

#include <array>

namespace card {

constexpr int FieldCount = 301;  // Text1(0..300)
constexpr int CheckFCount = 30;  // CheckF(0..29)
constexpr int CheckWNCount = 57; // CheckWN(0..56), the "used" ticks of the power and item lines
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

// Fields of the hit points, read and written by the table-play commands.
constexpr int MaxHitPointsField = 14;
constexpr int BloodiedValueField = 15;
constexpr int SurgeValueField = 16;
constexpr int SurgesPerDayField = 17;
constexpr int CurrentHitPointsField = 18;
constexpr int CurrentSurgesField = 19;
constexpr int TemporaryHitPointsField = 20;
constexpr int DeathSaveFailuresField = 24;
constexpr int ActionPointsField = 104;

// Power and item lines: CheckWN(N) is the "used" tick of field FirstPowerField + N. The sections
// hold at-will powers from CheckWN(0), encounter powers from 8, utility powers from 16, daily powers
// from 24 and magic items from 32 to the last tick.
constexpr int FirstPowerField = 207;
constexpr int EncounterPowerTicks = 8;
constexpr int UtilityPowerTicks = 16;
constexpr int DailyPowerTicks = 24;
constexpr int MagicItemTicks = 32;

// CheckF ticks: the player's combat card holds second wind (0), action points (1..3), bloodied (4)
// and twelve healing surges (5..16); the monster's card holds 17..28; 29 is second wind on the
// first page.
constexpr int CombatSecondWindTick = 0;
constexpr int BloodiedTick = 4;
constexpr int FirstSurgeTick = 5;
constexpr int SurgeTickCount = 12;
constexpr int FirstMonsterTick = 17;
constexpr int SecondWindTick = 29;

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
