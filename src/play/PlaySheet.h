#pragma once

// The sheet as the table-play commands see it: plain whole numbers in its fields, the captions the
// sheet shows for them, and the outcome of a command that changes the sheet.
#include "card/Sheet.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace play {

// The largest number of either sign a field may hold for the commands to work with it.
constexpr int LargestPlainNumber = 999'999'999;

// The result of a command that changes the sheet: the sheet afterwards, and either a notice of what
// was done (naming what was left as it was) or the reason nothing was done.
struct Outcome
{
    card::Sheet sheet; // when refused: the sheet the command was given, unchanged
    QString notice;
    QString refusal;

    bool ok() const { return refusal.isEmpty(); }
};

// A plain whole number: optional blanks around an optional sign and digits, half-width or
// full-width ("12", " -3 ", "＋１２", "－５"). Empty text, other characters, blanks between the sign
// and the digits and values beyond LargestPlainNumber give nothing.
std::optional<int> plainWholeNumber(QStringView text);

// The number in a field, or nothing when it holds no plain whole number.
std::optional<int> fieldNumber(const card::Sheet& sheet, int field);
// The temporary hit points: an empty (or blank) field counts as 0.
std::optional<int> temporaryHitPoints(const card::Sheet& sheet);

// Writes a number in half-width digits. A cleared field (zero written with emptyForZero) is emptied.
void setFieldNumber(card::Sheet& sheet, int field, qint64 value, bool emptyForZero = false);

// The captions the sheet shows: a field's ("当前生命值"), a CheckF tick's ("重伤"), and the title of
// the section holding a CheckWN tick ("辅助威能").
QString fieldCaption(int field);
QString checkFCaption(int tick);
QString checkWNSection(int tick);

// "“当前生命值”不是整数", for refusals and notices.
QString notWholeNumber(int field);
// The card's name for notices, or a stand-in when the name is empty.
QString cardLabel(const card::Sheet& sheet);

} // namespace play
