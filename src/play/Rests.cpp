#include "play/Rests.h"

#include "play/HitPoints.h"

#include <QStringList>

#include <algorithm>

namespace play {

using namespace card;

namespace {

void emptyRestedFields(Sheet& sheet)
{
    sheet.text[TemporaryHitPointsField].clear();
    sheet.text[DeathSaveFailuresField].clear();
}

} // namespace

Outcome shortRest(const Sheet& sheet)
{
    Outcome outcome{sheet, {}, {}};
    Sheet& s = outcome.sheet;
    std::fill(s.checkWN.begin(), s.checkWN.begin() + UtilityPowerTicks, false);
    s.checkF[CombatSecondWindTick] = false;
    s.checkF[SecondWindTick] = false;
    emptyRestedFields(s);
    outcome.notice =
        QStringLiteral("已短休：%1。%2和%3的使用标记未改动（无法区分每场遭遇或每日）。")
            .arg(cardLabel(sheet), checkWNSection(UtilityPowerTicks), checkWNSection(MagicItemTicks));
    return outcome;
}

Outcome extendedRest(const Sheet& sheet)
{
    Outcome outcome{sheet, {}, {}};
    Sheet& s = outcome.sheet;
    s.checkWN.fill(false);
    std::fill(s.checkF.begin(), s.checkF.begin() + FirstMonsterTick, false);
    s.checkF[SecondWindTick] = false;

    QStringList leftAlone;
    const auto refill = [&](int source, int target) {
        if (const std::optional<int> value = fieldNumber(sheet, source))
            setFieldNumber(s, target, *value);
        else
            leftAlone << QStringLiteral("%1，“%2”未改动").arg(notWholeNumber(source), fieldCaption(target));
    };
    refill(MaxHitPointsField, CurrentHitPointsField);
    refill(SurgesPerDayField, CurrentSurgesField);
    emptyRestedFields(s);
    setFieldNumber(s, ActionPointsField, 1);

    if (const std::optional<bool> bloodied = isBloodied(s)) {
        s.checkF[BloodiedTick] = *bloodied;
    } else {
        s.checkF[BloodiedTick] = sheet.checkF[BloodiedTick];
        const int source = fieldNumber(s, CurrentHitPointsField) ? BloodiedValueField : CurrentHitPointsField;
        leftAlone
            << QStringLiteral("%1，“%2”标记未改动").arg(notWholeNumber(source), checkFCaption(BloodiedTick));
    }

    outcome.notice = QStringLiteral("已长休：%1。").arg(cardLabel(sheet));
    if (!leftAlone.isEmpty())
        outcome.notice += leftAlone.join(QStringLiteral("；")) + QStringLiteral("。");
    return outcome;
}

} // namespace play
