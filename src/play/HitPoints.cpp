#include "play/HitPoints.h"

#include <algorithm>

namespace play {

namespace {

using namespace card;

// Reads the fields a step needs. The first one that holds no plain whole number refuses the step.
class Needs
{
public:
    explicit Needs(const Sheet& sheet) : m_sheet(sheet) {}

    qint64 operator()(int field)
    {
        const std::optional<int> value =
            field == TemporaryHitPointsField ? temporaryHitPoints(m_sheet) : fieldNumber(m_sheet, field);
        if (!value && m_missing < 0)
            m_missing = field;
        return value.value_or(0);
    }
    bool ok() const { return m_missing < 0; }
    int missing() const { return m_missing; }

private:
    const Sheet& m_sheet;
    int m_missing = -1;
};

Outcome refused(const Sheet& sheet, QStringView step, const QString& reason)
{
    return {sheet, {}, QStringLiteral("无法%1：%2。").arg(step, reason)};
}

QString negativeAmount()
{
    return QStringLiteral("数值不能为负");
}

// Current hit points after healing: from 0 when below it, never past the maximum, never lower than
// before.
qint64 healedTo(qint64 current, qint64 amount, qint64 maximum)
{
    return std::max(current, std::min(std::max<qint64>(current, 0) + amount, maximum));
}

// Writes the new current hit points when they changed, and the bloodied tick that goes with them.
void setCurrent(Sheet& sheet, qint64 before, qint64 after, qint64 bloodiedValue)
{
    if (after != before)
        setFieldNumber(sheet, CurrentHitPointsField, after);
    sheet.checkF[BloodiedTick] = after <= bloodiedValue;
}

QString currentNotice(const Sheet& sheet, const QString& step, qint64 current)
{
    return QStringLiteral("%1：%2，%3 %4。")
        .arg(cardLabel(sheet), step, fieldCaption(CurrentHitPointsField), QString::number(current));
}

} // namespace

Outcome takeDamage(const Sheet& sheet, int amount)
{
    const QStringView step = u"结算伤害";
    if (amount < 0)
        return refused(sheet, step, negativeAmount());
    Needs need(sheet);
    const qint64 temporary = need(TemporaryHitPointsField);
    const qint64 current = need(CurrentHitPointsField);
    const qint64 bloodiedValue = need(BloodiedValueField);
    if (!need.ok())
        return refused(sheet, step, notWholeNumber(need.missing()));

    Outcome outcome{sheet, {}, {}};
    const qint64 absorbed = std::clamp<qint64>(temporary, 0, amount);
    if (absorbed > 0)
        setFieldNumber(outcome.sheet, TemporaryHitPointsField, temporary - absorbed, true);
    const qint64 after = current - (amount - absorbed);
    setCurrent(outcome.sheet, current, after, bloodiedValue);
    outcome.notice = currentNotice(sheet, QStringLiteral("受到伤害 %1").arg(amount), after);
    return outcome;
}

Outcome heal(const Sheet& sheet, int amount)
{
    const QStringView step = u"治疗";
    if (amount < 0)
        return refused(sheet, step, negativeAmount());
    Needs need(sheet);
    const qint64 current = need(CurrentHitPointsField);
    const qint64 maximum = need(MaxHitPointsField);
    const qint64 bloodiedValue = need(BloodiedValueField);
    if (!need.ok())
        return refused(sheet, step, notWholeNumber(need.missing()));

    Outcome outcome{sheet, {}, {}};
    const qint64 after = healedTo(current, amount, maximum);
    setCurrent(outcome.sheet, current, after, bloodiedValue);
    outcome.notice = currentNotice(sheet, QStringLiteral("治疗 %1").arg(amount), after);
    return outcome;
}

Outcome gainTemporaryHitPoints(const Sheet& sheet, int amount)
{
    const QStringView step = u"获得临时生命值";
    if (amount < 0)
        return refused(sheet, step, negativeAmount());
    Needs need(sheet);
    const qint64 temporary = need(TemporaryHitPointsField);
    const qint64 current = need(CurrentHitPointsField);
    const qint64 bloodiedValue = need(BloodiedValueField);
    if (!need.ok())
        return refused(sheet, step, notWholeNumber(need.missing()));

    Outcome outcome{sheet, {}, {}};
    const QString caption = fieldCaption(TemporaryHitPointsField);
    if (amount > temporary) {
        setFieldNumber(outcome.sheet, TemporaryHitPointsField, amount, true);
        outcome.notice =
            QStringLiteral("%1：%2 %3。").arg(cardLabel(sheet), caption, QString::number(amount));
    } else {
        outcome.notice = QStringLiteral("%1：%2仍为 %3（不叠加，取较大者）。")
                             .arg(cardLabel(sheet), caption, QString::number(temporary));
    }
    setCurrent(outcome.sheet, current, current, bloodiedValue);
    return outcome;
}

Outcome useHealingSurge(const Sheet& sheet)
{
    const QStringView step = u"使用复原力";
    Needs need(sheet);
    const qint64 surges = need(CurrentSurgesField);
    const qint64 surgeValue = need(SurgeValueField);
    const qint64 current = need(CurrentHitPointsField);
    const qint64 maximum = need(MaxHitPointsField);
    const qint64 bloodiedValue = need(BloodiedValueField);
    if (!need.ok())
        return refused(sheet, step, notWholeNumber(need.missing()));
    if (surges <= 0)
        return refused(sheet, step, QStringLiteral("“%1”为 0").arg(fieldCaption(CurrentSurgesField)));
    if (surgeValue < 0)
        return refused(sheet, step, QStringLiteral("“%1”为负数").arg(fieldCaption(SurgeValueField)));

    Outcome outcome{sheet, {}, {}};
    Sheet& s = outcome.sheet;
    const qint64 after = healedTo(current, surgeValue, maximum);
    setCurrent(s, current, after, bloodiedValue);
    setFieldNumber(s, CurrentSurgesField, surges - 1);
    const auto boxes = s.checkF.begin() + FirstSurgeTick;
    const auto clear = std::find(boxes, boxes + SurgeTickCount, false);
    if (clear != boxes + SurgeTickCount)
        *clear = true;
    outcome.notice =
        QStringLiteral("%1：使用复原力（%2），%3 %4，%5 %6。")
            .arg(cardLabel(sheet), QString::number(surgeValue), fieldCaption(CurrentHitPointsField),
                 QString::number(after), fieldCaption(CurrentSurgesField), QString::number(surges - 1));
    return outcome;
}

std::optional<bool> isBloodied(const Sheet& sheet)
{
    const std::optional<int> current = fieldNumber(sheet, CurrentHitPointsField);
    const std::optional<int> bloodiedValue = fieldNumber(sheet, BloodiedValueField);
    if (!current || !bloodiedValue)
        return std::nullopt;
    return *current <= *bloodiedValue;
}

} // namespace play
