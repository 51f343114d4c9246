#include "app/transfer/CardExport.h"

#include "app/dialogs/FileChooser.h"
#include "card/CardFile.h"
#include "store/CardStore.h"

#include <QDir>
#include <QIODevice>

namespace app {

ExportAllResult exportAllCards(store::CardStore& cards, const QList<card::ListEntry>& entries,
                               const QString& folder, const std::function<bool(int, const QString&)>& step)
{
    ExportAllResult result;
    bool stopped = false; // a file could not be written: no other card is tried
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& name = entries[i].nam;
        const QString quoted = QStringLiteral("“%1”").arg(name);
        if (stopped) {
            result.missed << quoted + QStringLiteral("：导出已在出错处停止");
            continue;
        }
        if (!step(static_cast<int>(i), name)) {
            result.notReached = static_cast<int>(entries.size() - i);
            break;
        }
        const store::LoadResult loaded = cards.load(name);
        if (!loaded.ok || !loaded.found) {
            result.missed << quoted + QStringLiteral("：") +
                                 (loaded.ok ? QStringLiteral("列表中有它的名字，但找不到这张角色卡")
                                            : loaded.error);
            continue;
        }
        card::Sheet sheet;
        card::applyCardRecord(loaded.record, sheet);
        const QByteArray bytes = card::writeCardFile(sheet);
        QString error;
        const QString path = files::freePath(folder, card::cardFileBaseName(name));
        if (files::writeNewFile(
                path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, &error)) {
            ++result.written;
        } else {
            stopped = true;
            result.missed << quoted + QStringLiteral("：") + error;
        }
    }
    return result;
}

QString exportAllSummary(const ExportAllResult& result, const QString& folder, bool* plain)
{
    QString text =
        QStringLiteral("已导出：%1 张角色卡（%2）").arg(result.written).arg(QDir::toNativeSeparators(folder));
    *plain = result.missed.isEmpty() && result.notReached == 0;
    if (*plain)
        return text;
    text += QStringLiteral("。");
    if (result.notReached > 0)
        text += QStringLiteral("\n导出已取消：写好的文件都完整，其余 %1 张没有导出。").arg(result.notReached);
    if (!result.missed.isEmpty())
        text += QStringLiteral("\n以下 %1 张没有导出：\n%2")
                    .arg(QString::number(result.missed.size()), result.missed.join(QLatin1Char('\n')));
    return text;
}

} // namespace app
