#include "store/RecoveryEntries.h"

#include "card/layout/Layout.h"
#include "store/CardStore.h"

#include <QLocale>

#include <algorithm>

namespace store {

namespace {

constexpr int ShownLength = 60; // characters of a field shown in the description

QString shortened(QString text)
{
    text.replace(QLatin1String("\r\n"), QStringLiteral(" ⏎ "));
    return text.size() > ShownLength ? text.left(ShownLength) + QStringLiteral("…") : text;
}

QString timeText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

int tickCount(const card::Sheet& sheet)
{
    return int(std::count(sheet.checkF.begin(), sheet.checkF.end(), true) +
               std::count(sheet.checkWN.begin(), sheet.checkWN.end(), true));
}

// The field as the sheet names it ("身高"), or by its number where it has no caption.
QString fieldCaption(int field)
{
    const layout::Item* item = layout::find(layout::Kind::Field, field);
    return item && !item->name.isEmpty() ? item->name : QStringLiteral("字段 %1").arg(field);
}

// Every field that holds something, or with a base sheet every field that differs from it.
QStringList fieldLines(const card::Sheet& sheet, const card::Sheet* base)
{
    QStringList lines;
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        if (base ? sheet.text[i] == base->text[i] : sheet.text[i].isEmpty())
            continue;
        if (base && !base->text[i].isEmpty())
            lines << QStringLiteral("%1：%2 → %3")
                         .arg(fieldCaption(i), shortened(base->text[i]), shortened(sheet.text[i]));
        else
            lines << QStringLiteral("%1：%2").arg(fieldCaption(i), shortened(sheet.text[i]));
    }
    return lines;
}

card::Sheet sheetOf(const card::CardRecord& record)
{
    card::Sheet sheet;
    card::applyCardRecord(record, sheet);
    return sheet;
}

} // namespace

QString kindText(RecoveryEntry::Kind kind)
{
    switch (kind) {
    case RecoveryEntry::Kind::Draft:
        return QStringLiteral("未保存的修改");
    case RecoveryEntry::Kind::BeforePlay:
        return QStringLiteral("改动前");
    case RecoveryEntry::Kind::Deleted:
        return QStringLiteral("删除的角色卡");
    case RecoveryEntry::Kind::Backup:
        break;
    case RecoveryEntry::Kind::BeforeRestore:
        return QStringLiteral("恢复前的备份");
    }
    return QStringLiteral("整库备份");
}

RecoveryList recoveryEntries(Recovery& recovery, CardStore& cards)
{
    RecoveryList list;
    QString error;
    // A draft and a sheet before play are both told against the card as it is stored now.
    const auto addSheets = [&list, &cards](const QList<Draft>& sheets, RecoveryEntry::Kind kind) {
        for (const Draft& draft : sheets) {
            RecoveryEntry entry;
            entry.kind = kind;
            // A new sheet goes by the name typed into it, once it has one.
            entry.name = draft.isNew && draft.name.isEmpty() ? QStringLiteral("新角色") : draft.name;
            entry.time = draft.savedAt;
            entry.draft = draft;
            if (!draft.isNew) {
                const LoadResult stored = cards.load(draft.name);
                if (stored.found)
                    entry.stored = sheetOf(stored.record);
            }
            entry.detail =
                QStringLiteral("%1 处与已存的不同").arg(differingFields(draft.sheet, entry.stored));
            list.entries.append(entry);
        }
    };
    addSheets(recovery.drafts().list(&error), RecoveryEntry::Kind::Draft);
    addSheets(recovery.drafts().beforePlay(&error), RecoveryEntry::Kind::BeforePlay);
    for (const DeletedCard& deleted : recovery.deleted().list(&error)) {
        RecoveryEntry entry;
        entry.kind = RecoveryEntry::Kind::Deleted;
        entry.name = deleted.name;
        entry.time = deleted.deletedAt;
        entry.deleted = deleted;
        entry.detail = QStringLiteral("删除于 %1").arg(timeText(deleted.deletedAt));
        list.entries.append(entry);
    }
    const auto addCopies = [&list](const QList<BackupFile>& copies, RecoveryEntry::Kind kind) {
        for (const BackupFile& backup : copies) {
            RecoveryEntry entry;
            entry.kind = kind;
            entry.name = QStringLiteral("整个数据库");
            entry.time = backup.madeAt;
            entry.backup = backup;
            // Each copy was checked whole when it was made: here its cards are only counted.
            const FileCheck check = checkStoreFile(backup.path, false);
            entry.detail =
                check.ok ? QStringLiteral("%1 张角色卡").arg(check.cards) : QStringLiteral("无法读取");
            list.entries.append(entry);
        }
    };
    addCopies(recovery.backups().daily(), RecoveryEntry::Kind::Backup);
    addCopies(recovery.backups().beforeRestoreCopies(), RecoveryEntry::Kind::BeforeRestore);
    // Newest first; the copies kept by restores come apart, after everything else.
    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const RecoveryEntry& a, const RecoveryEntry& b) {
                         const bool aApart = a.kind == RecoveryEntry::Kind::BeforeRestore;
                         const bool bApart = b.kind == RecoveryEntry::Kind::BeforeRestore;
                         return aApart != bApart ? bApart : a.time > b.time;
                     });
    list.error = error;
    return list;
}

QString describeEntry(const RecoveryEntry& entry)
{
    QStringList lines;
    switch (entry.kind) {
    case RecoveryEntry::Kind::Draft:
    case RecoveryEntry::Kind::BeforePlay: {
        const card::Sheet& sheet = entry.draft.sheet;
        if (entry.kind == RecoveryEntry::Kind::BeforePlay)
            lines << QStringLiteral("“%1”在休息或生命值改动之前的样子").arg(entry.name);
        else
            lines << (entry.draft.isNew ? QStringLiteral("新角色（准备新增后填写，尚未新增）")
                                        : QStringLiteral("角色卡“%1”的未保存修改").arg(entry.draft.name));
        lines << QStringLiteral("记录于 %1").arg(timeText(entry.time));
        lines << QStringLiteral("与已存的相比，%1 处不同：").arg(differingFields(sheet, entry.stored));
        lines << fieldLines(sheet, &entry.stored);
        const int ticks = tickCount(sheet) - tickCount(entry.stored);
        if (ticks != 0)
            lines << QStringLiteral("勾选框：%1 个").arg(tickCount(sheet));
        break;
    }
    case RecoveryEntry::Kind::Deleted: {
        const DeletedCard& deleted = entry.deleted;
        lines << QStringLiteral("删除的角色卡“%1”").arg(deleted.name);
        lines << QStringLiteral("删除于 %1").arg(timeText(deleted.deletedAt));
        if (deleted.hasList) {
            lines << QStringLiteral("列表：%1 / %2 / %3 / %4 / %5")
                         .arg(deleted.entry.nam, deleted.entry.lv, deleted.entry.race, deleted.entry.tra,
                              deleted.entry.cmp);
        }
        if (deleted.hasCard) {
            const card::Sheet sheet = sheetOf(deleted.record);
            lines << QStringLiteral("勾选框：%1 个").arg(tickCount(sheet));
            lines << fieldLines(sheet, nullptr);
        }
        break;
    }
    case RecoveryEntry::Kind::Backup:
    case RecoveryEntry::Kind::BeforeRestore: {
        lines << (entry.kind == RecoveryEntry::Kind::Backup
                      ? QStringLiteral("整个数据库的备份，做于 %1")
                      : QStringLiteral("恢复备份之前的整个数据库，保存于 %1"))
                     .arg(timeText(entry.time));
        const FileCheck check = checkStoreFile(entry.backup.path, false, true);
        if (!check.ok) {
            lines << QStringLiteral("无法读取：%1").arg(check.error);
            break;
        }
        lines << QStringLiteral("%1 张角色卡：").arg(check.cards);
        lines << check.names;
        lines << QString()
              << QStringLiteral("恢复时，当前的数据库先另存为一份恢复前的备份（已损坏的则原样另存在它旁边），"
                                "再整个换成这份备份。");
        break;
    }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace store
