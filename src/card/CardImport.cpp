#include "card/CardImport.h"

#include "card/CardRecord.h"

#include <QStringList>

namespace card {

QString importRefusal(const CardFileResult& read)
{
    if (!read.ok)
        return read.error;
    if (read.sheet.text[NameField].isEmpty())
        return QStringLiteral("卡上没有填名字");
    for (int i = 0; i < FieldCount; ++i) {
        if (i == ReferenceField)
            continue;
        for (const QChar c : read.sheet.text[i]) {
            if (!isRefusedCharacter(i, c))
                continue;
            if (i == NameField)
                return QStringLiteral("名字里不能有“%1”").arg(c);
            return QStringLiteral("“%1”里不能有“%2”").arg(fieldCaption(i)).arg(c);
        }
    }
    return {};
}

QString firstFreeName(const QString& name, const std::function<bool(const QString&)>& isTaken)
{
    int n = 2;
    while (isTaken(numberedName(name, n)))
        ++n;
    return numberedName(name, n);
}

ImportStep planImport(const QString& name, bool taken, TakenChoice choice,
                      const std::function<bool(const QString&)>& isTaken)
{
    if (!taken)
        return {ImportAction::Add, name, {}};
    switch (choice) {
    case TakenChoice::Rename:
        return {ImportAction::Rename, firstFreeName(name, isTaken), {}};
    case TakenChoice::Replace:
        return {ImportAction::Replace, name, {}};
    case TakenChoice::Skip:
        break;
    }
    return {ImportAction::Skip, name, {}};
}

int ImportReport::count(ImportAction action) const
{
    int n = 0;
    for (const ImportLine& line : lines)
        n += line.step.action == action ? 1 : 0;
    return n;
}

int ImportReport::added() const
{
    return count(ImportAction::Add) + count(ImportAction::Rename) + count(ImportAction::Replace);
}

bool ImportReport::plain() const
{
    return notReached == 0 && count(ImportAction::Add) == lines.size();
}

QString importSummary(const ImportReport& report)
{
    QStringList text{QStringLiteral("已导入 %1 张角色卡").arg(report.added())};
    QStringList changed, left;
    for (const ImportLine& line : report.lines) {
        const ImportStep& step = line.step;
        switch (step.action) {
        case ImportAction::Add:
            break;
        case ImportAction::Rename:
            changed << QStringLiteral("%1：改名为“%2”").arg(line.file, step.name);
            break;
        case ImportAction::Replace:
            changed << QStringLiteral("%1：替换了“%2”，原来的那张可用“恢复…”找回").arg(line.file, step.name);
            break;
        case ImportAction::Skip:
            left << QStringLiteral("%1：已有“%2”，按你的选择跳过").arg(line.file, step.name);
            break;
        case ImportAction::Refuse:
        case ImportAction::Fail:
            left << QStringLiteral("%1：%2").arg(line.file, step.reason);
            break;
        }
    }
    if (!changed.isEmpty())
        text << QString() << QStringLiteral("其中：") << changed;
    if (!left.isEmpty())
        text << QString() << QStringLiteral("以下 %1 个文件没有导入：").arg(left.size()) << left;
    if (report.notReached > 0)
        text << QString()
             << (report.cancelled ? QStringLiteral("导入已取消，其余 %1 个文件没有导入。")
                                  : QStringLiteral("导入在出错处停止，其余 %1 个文件没有导入。"))
                    .arg(report.notReached);
    return text.join(QLatin1Char('\n'));
}

} // namespace card
