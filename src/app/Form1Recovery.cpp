// The safety net of the main window: drafts of unsaved edits, and the dialog "恢复" that brings back
// a draft, a deleted card or a whole-store backup. None of it asks a question or changes what the
// card buttons do.
#include "app/CardListModel.h"
#include "app/Form1.h"
#include "app/ListMenu.h"
#include "app/MessageBox.h"
#include "app/Notice.h"
#include "app/RecoveryDialog.h"
#include "store/Recovery.h"
#include "store/RecoveryEntries.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTimer>

namespace app {

namespace {

constexpr int ReportShownMs = 8000;

// Watches the input that can change the sheet: every key, input-method commit, drop and click inside
// it starts the wait for the typing to pause again.
class EditWatcher : public QObject
{
public:
    EditWatcher(QWidget* sheet, std::function<void()> edited)
        : QObject(sheet), m_sheet(sheet), m_edited(std::move(edited))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::Drop:
        case QEvent::MouseButtonRelease:
            if (watched->isWidgetType() && m_sheet->isAncestorOf(static_cast<QWidget*>(watched)))
                m_edited();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* m_sheet;
    std::function<void()> m_edited;
};

} // namespace

void Form1::setUpRecovery()
{
    m_draftTimer = new QTimer(this);
    m_draftTimer->setObjectName(QStringLiteral("DraftTimer"));
    m_draftTimer->setSingleShot(true);
    m_draftTimer->setInterval(DraftDelayMs);
    connect(m_draftTimer, &QTimer::timeout, this, &Form1::flushDraft);
    qApp->installEventFilter(new EditWatcher(centralWidget(), [this] { m_draftTimer->start(); }));
    // The session ending closes no window first: the draft is written while the program still runs.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Form1::flushDraft);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Form1::flushDraft);
    m_listMenu->addSeparator();
    m_listMenu->addItem(QStringLiteral("恢复…"), false, [this](const QString&) { openRecovery(); });
    sheetReplaced(QString(), true);
}

void Form1::sheetReplaced(const QString& name, bool isNew)
{
    if (m_draftTimer)
        m_draftTimer->stop();
    m_draftName = name;
    m_draftIsNew = isNew;
    m_draftId = 0;
    m_lastDraft.reset();
    m_baseline = readSheet();
}

// A sheet that was just stored holds no unsaved edits: its draft goes, and it is the new baseline.
void Form1::cardStored(const card::Sheet& sheet, const QString& name)
{
    m_draftTimer->stop();
    QString error;
    if (m_draftIsNew && m_draftId > 0)
        m_recovery->dropDraft(m_draftId, &error);
    m_recovery->dropCardDraft(name, &error);
    m_draftName = name;
    m_draftIsNew = false;
    m_draftId = 0;
    m_lastDraft.reset();
    m_baseline = sheet;
}

void Form1::flushDraft()
{
    if (!m_draftTimer || !m_recovery)
        return;
    m_draftTimer->stop();
    const card::Sheet sheet = readSheet();
    if (store::differingFields(sheet, m_baseline) == 0 || (m_lastDraft && *m_lastDraft == sheet))
        return;
    store::Draft draft;
    draft.id = m_draftIsNew ? m_draftId : 0;
    draft.name = m_draftIsNew ? sheet.text[0] : m_draftName;
    draft.isNew = m_draftIsNew;
    draft.savedAt = m_recovery->now();
    draft.sheet = sheet;
    QString error;
    const qint64 id = m_recovery->writeDraft(draft, &error);
    if (id == 0) {
        if (!m_draftFailureReported && isVisible()) {
            m_draftFailureReported = true;
            Notice::show(m_w.list1, QStringLiteral("未能记下未保存的修改：%1").arg(error), ReportShownMs);
        }
        return;
    }
    if (m_draftIsNew)
        m_draftId = id;
    m_lastDraft = sheet;
}

void Form1::reportBackupFailure(const QString& notice)
{
    if (notice.isEmpty() || m_backupReported)
        return;
    m_backupReported = true;
    // Said together with the notice of the operation itself, which it would otherwise replace.
    const QLabel* shown = Notice::current();
    Notice::show(m_w.list1, shown ? shown->text() + QLatin1Char('\n') + notice : notice, ReportShownMs);
}

void Form1::openRecovery()
{
    flushDraft();
    const store::RecoveryList list = store::recoveryEntries(*m_recovery, m_cards);
    RecoveryDialog dialog(list.entries, this);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0)
        return;
    restoreEntry(list.entries.at(dialog.chosen()));
}

void Form1::restoreEntry(const store::RecoveryEntry& entry)
{
    switch (entry.kind) {
    case store::RecoveryEntry::Kind::Draft: {
        // As a pick would: the stored card is selected and loaded, then the draft's values go over it.
        // A new sheet's draft, or one whose card is gone, comes back as after "准备新增". Nothing is written.
        const store::Draft& draft = entry.draft;
        int row = -1;
        for (int r = 0; !draft.isNew && r < m_listModel->rowCount(); ++r) {
            if (m_listModel->name(r) == draft.name)
                row = r;
        }
        m_restoring = true;
        if (row >= 0) {
            const QModelIndex index = m_listModel->index(row);
            if (selectedListRow() == row)
                List1_Click();
            else
                m_w.list1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        } else {
            Command1_Click();
        }
        m_restoring = false;
        writeSheet(draft.sheet);
        if (m_draftIsNew && draft.isNew)
            m_draftId = draft.id;
        m_lastDraft = draft.sheet;
        return;
    }
    case store::RecoveryEntry::Kind::Deleted: {
        const store::Outcome outcome = m_recovery->restoreDeleted(*m_db, entry.deleted.id);
        reportBackupFailure(outcome.notice);
        if (outcome.status == store::OpStatus::Duplicate) {
            MessageBox::inform(
                this, messageTitle(),
                QStringLiteral("已有名为“%1”的角色卡，无法恢复。数据库未作改动。").arg(entry.deleted.name));
        } else if (!outcome.ok()) {
            showFailure(outcome.error);
        } else {
            RefreshList();
            Notice::show(m_w.list1, QStringLiteral("已恢复角色卡“%1”。").arg(entry.deleted.name));
        }
        return;
    }
    case store::RecoveryEntry::Kind::Backup:
    case store::RecoveryEntry::Kind::BeforeRestore: {
        const store::BackupOutcome outcome = m_recovery->restoreBackup(entry.backup.path);
        if (!outcome.ok) {
            showFailure(outcome.error);
            return;
        }
        const store::Module1::Prepared prepared = m_db->prepare();
        RefreshList();
        if (!prepared.error.isEmpty()) {
            showFailure(prepared.error);
            return;
        }
        MessageBox::inform(this, messageTitle(),
                           QStringLiteral("数据库已换成 %1 的备份（%2 张角色卡）。")
                                   .arg(entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                                   .arg(outcome.cards) +
                               outcome.notice);
        return;
    }
    }
}

} // namespace app
