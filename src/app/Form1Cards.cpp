// The card operations of the main window: prepare, add, save, delete and load.
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/list/CardListModel.h"
#include "app/play/PlayActions.h"
#include "app/transfer/StoredCard.h"
#include "store/CardRename.h"
#include "store/recovery/Recovery.h"

#include <QListView>
#include <QPushButton>

namespace app {

namespace {
QString duplicateNameText()
{
    return QStringLiteral("对不起，您所要新建角色卡人物名已存在，无法完成本次新建。");
}
QString renamedText()
{
    return QStringLiteral("请不要修改角色名称，如果要新建人物请先点击“新增”按钮。");
}
} // namespace

// "准备新增": an empty sheet, and only adding offered.
void Form1::Command1_Click()
{
    flushDraft();
    ClearSheet();
    sheetReplaced(QString(), true);
    QWidget* name = m_w.text[0];
    if (name->isVisible())
        name->setFocus(Qt::OtherFocusReason);
    setCardButtons(true, false);
}

// "新增": stores the sheet as a new card. The sheet is cleared only once both rows are stored.
void Form1::Command2_Click()
{
    const card::Sheet sheet = readSheet();
    const store::Outcome outcome = m_cards.add(sheet);
    switch (outcome.status) {
    case store::OpStatus::EmptyName:
        MessageBox::inform(this, messageTitle(), emptyNameText());
        return;
    case store::OpStatus::Duplicate:
        MessageBox::inform(this, messageTitle(), duplicateNameText());
        return;
    case store::OpStatus::Done:
        cardStored(sheet, sheet.text[0]);
        ClearSheet();
        sheetReplaced(QString(), true);
        putListLine(card::toListEntry(sheet));
        Notice::show(m_w.list1, QStringLiteral("已新增：%1").arg(sheet.text[0]));
        reportBackupFailure(outcome.notice);
        return;
    default:
        showFailure(outcome.error);
        return;
    }
}

// "保存": writes the sheet back over the selected card, which must still carry the same name.
void Form1::Command3_Click()
{
    saveSheet();
}

bool Form1::saveSheet()
{
    const card::Sheet sheet = readSheet();
    const store::Outcome outcome = m_cards.save(selectedListName(), sheet);
    switch (outcome.status) {
    case store::OpStatus::NameChanged:
    case store::OpStatus::CardMissing:
        MessageBox::inform(this, messageTitle(), renamedText());
        return false;
    case store::OpStatus::Done:
        cardStored(sheet, sheet.text[0]);
        putListLine(card::toListEntry(sheet));
        Notice::show(m_w.list1, QStringLiteral("已保存：%1").arg(sheet.text[0]));
        reportBackupFailure(outcome.notice);
        return true;
    default:
        showFailure(outcome.error);
        return false;
    }
}

// "删除": removes the selected card after the question. A store that cannot be reached deletes
// nothing and clears nothing.
void Form1::Command4_Click()
{
    const QString name = selectedListName();
    if (MessageBox::question(this, MessageBox::questionTitle(), QStringLiteral("确定要删除本条信息吗？")) !=
        MessageBox::Yes)
        return;
    const store::Outcome outcome = m_cards.remove(name);
    if (!outcome.ok()) {
        showFailure(outcome.error);
        return;
    }
    flushDraft();
    ClearSheet();
    sheetReplaced(QString(), true);
    removeListLine(name);
    reportBackupFailure(outcome.notice);
}

// Picking a list entry loads its card; saving and deleting are offered whatever the load found.
void Form1::List1_Click()
{
    flushDraft();
    ClearSheet();
    const QString name = selectedListName();
    const store::LoadResult result = m_cards.load(name);
    if (result.found) {
        card::Sheet sheet; // empty, like the cleared sheet
        card::applyCardRecord(result.record, sheet);
        writeSheet(sheet);
    }
    sheetReplaced(name, false);
    setCardButtons(false, true);
    if (!result.ok)
        showFailure(result.error);
    else if (result.found && !m_restoring && m_recovery->drafts().hasCard(name))
        Notice::show(m_w.list1,
                     QStringLiteral("“%1”有未保存的修改，可在列表的右键菜单“恢复…”中找回。").arg(name));
}

store::Outcome Form1::renameStoredCard(const QString& from, const QString& to)
{
    return store::renameCard(*m_db, m_recovery.get(), from, to);
}

// Rests, hit points, the card as text, print preview, renaming and the roster, from List1's menu.
void Form1::setUpPlay()
{
    auto* play = new PlayActions(
        {this, messageTitle(), m_cards, m_listMenu, m_w.list1, m_searchLine, m_listFill, m_w.command2(),
         m_w.command3(), [this] { return readSheet(); },
         [this](QString* error) { return keepBeforePlay(error); }, [this] { return flushDraft(); },
         [this](const QString& from, const QString& to) { return renameStoredCard(from, to); }});
    connect(play, &PlayActions::sheetEdited, this, &Form1::editSheet);
    connect(play, &PlayActions::cardRenamed, this, &Form1::cardRenamed);
    connect(play, &PlayActions::cardPicked, this, &Form1::pickListCard);
}

} // namespace app
