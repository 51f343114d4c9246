#include "list/ListLines.h"

namespace list {

QString modeName()
{
    return QStringLiteral("名字");
}
QString modeLevel()
{
    return QStringLiteral("等级");
}
QString modeRace()
{
    return QStringLiteral("种族");
}
QString modeClass()
{
    return QStringLiteral("职业");
}
QString modeAlignment()
{
    return QStringLiteral("阵营");
}

QString entryText(const QString& mode, const card::ListEntry& e)
{
    const QLatin1String dash("-");
    const QLatin1String dashLv("-Lv.");
    const QLatin1String lv("Lv.");
    if (mode == modeLevel())
        return lv + e.lv + dash + e.race + dash + e.tra + dash + e.nam + dash + e.cmp;
    if (mode == modeRace())
        return e.race + dash + e.nam + dashLv + e.lv + dash + e.tra + dash + e.cmp;
    if (mode == modeClass())
        return e.tra + dashLv + e.lv + dash + e.race + dash + e.nam + dash + e.cmp;
    if (mode == modeAlignment())
        return e.cmp + dash + lv + e.lv + dash + e.race + dash + e.tra + dash + e.nam;
    return e.nam + dashLv + e.lv + dash + e.race + dash + e.tra + dash + e.cmp;
}

qsizetype nameOffset(const QString& mode, const card::ListEntry& e)
{
    // The pieces in front of the name in each layout of entryText: "Lv.", "-" and "-Lv." have 3, 1
    // and 4 characters.
    if (mode == modeLevel())
        return 3 + e.lv.size() + 1 + e.race.size() + 1 + e.tra.size() + 1;
    if (mode == modeRace())
        return e.race.size() + 1;
    if (mode == modeClass())
        return e.tra.size() + 4 + e.lv.size() + 1 + e.race.size() + 1;
    if (mode == modeAlignment())
        return e.cmp.size() + 1 + 3 + e.lv.size() + 1 + e.race.size() + 1 + e.tra.size() + 1;
    return 0;
}

QString selectedName(const QString& mode, const QString& t)
{
    const QChar dash = QLatin1Char('-');
    if (mode == modeLevel() || mode == modeClass()) {
        const qsizetype last = t.lastIndexOf(dash);
        const QString s = last < 0 ? QString() : t.left(last);
        const qsizetype before = s.lastIndexOf(dash);
        return before < 0 ? s : s.mid(before + 1);
    }
    if (mode == modeRace()) {
        const qsizetype first = t.indexOf(dash);
        const QString s = first < 0 ? t : t.mid(first + 1);
        const qsizetype next = s.indexOf(dash);
        return next < 0 ? QString() : s.left(next);
    }
    if (mode == modeAlignment()) {
        const qsizetype last = t.lastIndexOf(dash);
        return last < 0 ? t : t.mid(last + 1);
    }
    const qsizetype first = t.indexOf(dash);
    return first < 0 ? QString() : t.left(first);
}

} // namespace list
