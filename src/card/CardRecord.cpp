#include "card/CardRecord.h"

namespace card {

const std::array<const char*, NoteColumnCount> NoteColumns = {"ZhongZu", "ZhuanChang", "TeZheng", "Lang",
                                                              "YiShi",   "QiTa",       "WuPin",   "GeXing",
                                                              "WaiMao",  "MengYou",    "BeiJing", "Blog"};

QString encodeInfo(const Sheet& sheet)
{
    qsizetype size = InfoValueCount - 1;
    for (int k = 0; k < InfoValueCount; ++k)
        size += sheet.text[infoValueField(k)].size();
    QString info;
    info.reserve(size);
    for (int k = 0; k < InfoValueCount; ++k) {
        if (k > 0)
            info += QLatin1Char('@');
        info += sheet.text[infoValueField(k)];
    }
    return info;
}

QString encodeTicks(const Sheet& sheet)
{
    QString ticks;
    ticks.reserve(TickCount);
    for (bool ticked : sheet.checkF)
        ticks += QLatin1Char(ticked ? '1' : '0');
    for (bool ticked : sheet.checkWN)
        ticks += QLatin1Char(ticked ? '1' : '0');
    return ticks;
}

CardRecord toCardRecord(const Sheet& sheet)
{
    CardRecord record;
    record.nae = sheet.text[NameField];
    record.info = encodeInfo(sheet);
    record.chk = encodeTicks(sheet);
    for (int c = 0; c < NoteColumnCount; ++c)
        record.notes[c] = sheet.text[noteColumnField(c)];
    return record;
}

ListEntry toListEntry(const Sheet& sheet)
{
    return {sheet.text[NameField], sheet.text[LevelField], sheet.text[RaceField], sheet.text[ClassField],
            sheet.text[AlignmentField]};
}

void applyInfo(const QString& info, Sheet& sheet)
{
    if (info.isEmpty())
        return;
    int k = 0;
    qsizetype start = 0;
    while (k < InfoValueCount) {
        const qsizetype at = info.indexOf(QLatin1Char('@'), start);
        const qsizetype end = at < 0 ? info.size() : at;
        sheet.text[infoValueField(k)] = info.mid(start, end - start);
        ++k;
        if (at < 0)
            break;
        start = at + 1;
    }
}

void applyTicks(const QString& ticks, Sheet& sheet)
{
    const qsizetype n = std::min<qsizetype>(ticks.size(), TickCount);
    for (qsizetype p = 0; p < n; ++p) {
        // "1" ticks the box; "0" and any stray character leave it clear.
        const bool ticked = ticks.at(p) == QLatin1Char('1');
        if (p < CheckFCount)
            sheet.checkF[p] = ticked;
        else
            sheet.checkWN[p - CheckFCount] = ticked;
    }
}

void applyCardRecord(const CardRecord& record, Sheet& sheet)
{
    sheet.text[NameField] = record.nae.isNull() ? QString() : record.nae;
    for (int c = 0; c < NoteColumnCount; ++c)
        sheet.text[noteColumnField(c)] = record.notes[c].isNull() ? QString() : record.notes[c];
    applyTicks(record.chk, sheet);
    applyInfo(record.info, sheet);
}

void clearSheet(Sheet& sheet)
{
    for (int i = 0; i < FieldCount; ++i) {
        if (i != ReferenceField)
            sheet.text[i].clear();
    }
    sheet.checkF.fill(false);
    sheet.checkWN.fill(false);
}

bool isRefusedCharacter(int field, QChar c)
{
    if (c == QLatin1Char('@'))
        return true;
    return isListField(field) && c == QLatin1Char('-');
}

QString filterFieldText(int field, const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (!isRefusedCharacter(field, c))
            out += c;
    }
    return out;
}

} // namespace card
