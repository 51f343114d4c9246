#include "app/transfer/StoredCard.h"

#include "app/dialogs/MessageBox.h"
#include "card/CardRecord.h"
#include "store/CardStore.h"

namespace app {

std::optional<card::Sheet> readStoredCard(QWidget* window, const QString& messageTitle,
                                          store::CardStore& cards, const QString& name)
{
    const store::LoadResult result = cards.load(name);
    if (!result.ok) {
        MessageBox::warn(window, messageTitle, result.error);
        return std::nullopt;
    }
    if (!result.found) {
        MessageBox::inform(window, messageTitle, missingCardText(name));
        return std::nullopt;
    }
    card::Sheet sheet;
    card::applyCardRecord(result.record, sheet);
    return sheet;
}

QString missingCardText(const QString& name)
{
    return QStringLiteral("找不到角色卡“%1”，它可能已被删除。").arg(name);
}

QString emptyNameText()
{
    return QStringLiteral("请输入人物名称！");
}

} // namespace app
