#include "play/PlaySheet.h"

#include "card/layout/Layout.h"

namespace play {

namespace {

// Blanks: any white space, the full-width space U+3000 included.
bool isBlank(QChar c)
{
    return c.isSpace();
}

// The value of a half-width or full-width digit, or -1.
int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'\uFF10' && u <= u'\uFF19')
        return u - u'\uFF10';
    return -1;
}

// +1 or -1 for a sign of either width (and the minus sign U+2212), 0 for anything else.
int signOf(QChar c)
{
    switch (c.unicode()) {
    case u'+':
    case u'\uFF0B':
        return 1;
    case u'-':
    case u'\uFF0D':
    case u'\u2212':
        return -1;
    default:
        return 0;
    }
}

QString layoutName(layout::Kind kind, int index)
{
    const layout::Item* item = layout::find(kind, index);
    return item ? item->name : QString();
}

} // namespace

std::optional<int> plainWholeNumber(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;
    const int sign = signOf(text[begin]);
    if (sign != 0)
        ++begin;
    if (begin == end)
        return std::nullopt;
    qint64 value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const int digit = digitValue(text[i]);
        if (digit < 0)
            return std::nullopt;
        value = value * 10 + digit;
        if (value > LargestPlainNumber)
            return std::nullopt;
    }
    return static_cast<int>(sign < 0 ? -value : value);
}

std::optional<int> fieldNumber(const card::Sheet& sheet, int field)
{
    return plainWholeNumber(sheet.text[field]);
}

std::optional<int> temporaryHitPoints(const card::Sheet& sheet)
{
    const QString& text = sheet.text[card::TemporaryHitPointsField];
    if (text.trimmed().isEmpty())
        return 0;
    return plainWholeNumber(text);
}

void setFieldNumber(card::Sheet& sheet, int field, qint64 value, bool emptyForZero)
{
    sheet.text[field] = emptyForZero && value == 0 ? QString() : QString::number(value);
}

QString fieldCaption(int field)
{
    return layoutName(layout::Kind::Field, field);
}

QString checkFCaption(int tick)
{
    return layoutName(layout::Kind::CheckF, tick);
}

QString checkWNSection(int tick)
{
    const layout::Item* item = layout::find(layout::Kind::CheckWN, tick);
    const layout::Item* frame = item ? layout::parentOf(*item) : nullptr;
    return frame ? frame->text : QString();
}

QString notWholeNumber(int field)
{
    return QStringLiteral("“%1”不是整数").arg(fieldCaption(field));
}

QString cardLabel(const card::Sheet& sheet)
{
    const QString name = sheet.text[card::NameField].trimmed();
    return name.isEmpty() ? QStringLiteral("未命名角色卡") : name;
}

} // namespace play
