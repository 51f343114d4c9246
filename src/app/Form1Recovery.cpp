// The safety net of the main window: drafts of unsaved edits, and the dialog "恢复" that brings back
// a draft, a deleted card or a whole-store backup. None of it changes what the card buttons do, and
// it asks one question only: before a close that would lose edits no draft could keep.
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/dialogs/RecoveryDialog.h"
#include "app/dialogs/WorkProgress.h"
#include "app/list/CardListModel.h"
#include "app/list/ListMenu.h"
#include "list/HeadCache.h"
#include "store/RecoveryEntries.h"
#include "store/recovery/Recovery.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace app {

namespace {

constexpr int ReportShownMs = 8000;

// Where the end of a session puts the drafts the recovery store cannot take: a recovery store of their
// own in the user's data folder, one for each store ("Sav.qlk-<key>.recovery"). Empty where there is
// no data folder.
QString sessionDraftStore(const QString& storePath)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        return {};
    const QFileInfo store(storePath);
    const QByteArray key =
        QCryptographicHash::hash(store.absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return QDir(data).filePath(store.fileName() + QLatin1Char('-') + QString::fromLatin1(key));
}

// Watches the input that can change the sheet: every key, input-method commit, drop and click inside
// it starts the wait for the typing to pause again; the focus leaving a field ends the wait at once.
class EditWatcher : public QObject
{
public:
    EditWatcher(QWidget* sheet, std::function<void()> edited, std::function<void()> left)
        : QObject(sheet), m_sheet(sheet), m_edited(std::move(edited)), m_left(std::move(left))
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
        case QEvent::FocusOut:
            if (watched->isWidgetType() && m_sheet->isAncestorOf(static_cast<QWidget*>(watched)))
                m_left();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* m_sheet;
    std::function<void()> m_edited;
    std::function<void()> m_left;
};

} // namespace

void Form1::setUpRecovery()
{
    m_draftTimer = new QTimer(this);
    m_draftTimer->setObjectName(QStringLiteral("DraftTimer"));
    m_draftTimer->setSingleShot(true);
    m_draftTimer->setInterval(DraftDelayMs);
    connect(m_draftTimer, &QTimer::timeout, this, &Form1::flushDraft);
    m_editWatcher = new EditWatcher(
        centralWidget(), [this] { m_draftTimer->start(); },
        [this] {
            if (m_draftTimer->isActive())
                flushDraft();
        });
    qApp->installEventFilter(m_editWatcher);
    // The session ending closes no window first: the draft is written while the program still runs.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Form1::keepDraftAtSessionEnd);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Form1::keepDraftAtSessionEnd);
    takeBackSessionDrafts();
    // Edits the last run left unsaved (it was killed, or closed with them) are told of once, as soon
    // as the window stands.
    QTimer::singleShot(TellDraftsAfterMs, this, &Form1::tellUnsavedDrafts);
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
        m_recovery->drafts().drop(m_draftId, &error);
    m_recovery->drafts().dropCard(name, &error);
    m_draftName = name;
    m_draftIsNew = false;
    m_draftId = 0;
    m_lastDraft.reset();
    m_baseline = sheet;
}

void Form1::editSheet(const card::Sheet& sheet)
{
    writeSheet(sheet);
    m_draftTimer->start();
}

bool Form1::keepBeforePlay(QString* error)
{
    store::Draft before = draftOf(readSheet());
    before.id = 0;
    return m_recovery->drafts().keepBeforePlay(before, error);
}

store::Draft Form1::draftOf(const card::Sheet& sheet) const
{
    store::Draft draft;
    draft.id = m_draftIsNew ? m_draftId : 0;
    draft.name = m_draftIsNew ? sheet.text[0] : m_draftName;
    draft.isNew = m_draftIsNew;
    draft.savedAt = m_recovery->now();
    draft.sheet = sheet;
    return draft;
}

bool Form1::flushDraft()
{
    if (!m_draftTimer || !m_recovery)
        return true;
    m_draftTimer->stop();
    const card::Sheet sheet = readSheet();
    if (store::differingFields(sheet, m_baseline) == 0 || (m_lastDraft && *m_lastDraft == sheet))
        return true;
    const qint64 id = m_recovery->drafts().write(draftOf(sheet), &m_draftError);
    if (id == 0) {
        if (!m_draftFailureReported && isVisible()) {
            m_draftFailureReported = true;
            Notice::show(m_w.list1, QStringLiteral("未能记下未保存的修改：%1").arg(m_draftError),
                         ReportShownMs);
        }
        return false;
    }
    if (m_draftIsNew)
        m_draftId = id;
    m_lastDraft = sheet;
    return true;
}

bool Form1::editsSettledForClose()
{
    if (qApp->isSavingSession()) {
        keepDraftAtSessionEnd();
        return true;
    }
    if (flushDraft())
        return true;
    // No draft can keep the edits: closing now would lose them, so the user decides.
    const bool canSave = m_w.command3()->isEnabled();
    QList<MessageBox::Choice> choices{{MessageBox::Cancel, QStringLiteral("继续编辑")}};
    if (canSave)
        choices.append({MessageBox::Save, QStringLiteral("保存后关闭")});
    choices.append({MessageBox::Discard, QStringLiteral("不保留并关闭")});
    const QString text =
        QStringLiteral("未能记下未保存的修改：%1\n\n现在关闭，这些修改将会丢失。").arg(m_draftError);
    switch (MessageBox::choose(this, MessageBox::questionTitle(), text, choices)) {
    case MessageBox::Save:
        return canSave && saveSheet();
    case MessageBox::Discard:
        // Given up: nothing on the sheet is an unsaved edit any more.
        m_baseline = readSheet();
        return true;
    default:
        return false;
    }
}

void Form1::keepDraftAtSessionEnd()
{
    if (flushDraft())
        return;
    const QString aside = sessionDraftStore(m_recovery->storePath());
    if (aside.isEmpty())
        return;
    const card::Sheet sheet = readSheet();
    store::Draft draft = draftOf(sheet);
    draft.id = 0; // an id of the recovery store means nothing in the other one
    QString error;
    if (store::Recovery(aside).drafts().write(draft, &error) > 0)
        m_lastDraft = sheet;
}

// What an earlier session put aside goes back into the recovery store, where "恢复" finds it. A
// draft stays aside until the recovery store has taken it.
void Form1::tellUnsavedDrafts()
{
    QString error;
    const QList<store::Draft> drafts = m_recovery->drafts().untold(&error);
    if (drafts.isEmpty())
        return;
    const QString name = drafts.first().name.isEmpty() ? QStringLiteral("新角色") : drafts.first().name;
    const QString text = drafts.size() == 1 ? QStringLiteral("上次有未保存的修改：%1。").arg(name)
                                            : QStringLiteral("上次有 %1 份未保存的修改。").arg(drafts.size());
    Notice::showAction(m_w.list1, text, QStringLiteral("恢复…"), [this] { openRecovery(); });
}

void Form1::takeBackSessionDrafts()
{
    const QString path = sessionDraftStore(m_recovery->storePath());
    if (path.isEmpty() || !QFileInfo(path).dir().exists())
        return;
    store::Recovery aside(path);
    if (!QFileInfo::exists(aside.recoveryFile()))
        return;
    QString error;
    const QList<store::Draft> putAside = aside.drafts().list(&error);
    if (putAside.isEmpty())
        return;
    const QList<store::Draft> kept = m_recovery->drafts().list(&error);
    for (const store::Draft& draft : putAside) {
        // A later draft of the same card, written since, is the one that counts.
        const bool superseded =
            !draft.isNew && std::any_of(kept.cbegin(), kept.cend(), [&](const store::Draft& k) {
                return !k.isNew && k.name == draft.name && k.savedAt > draft.savedAt;
            });
        store::Draft moved = draft;
        moved.id = 0;
        if (superseded || m_recovery->drafts().write(moved, &error) > 0)
            aside.drafts().drop(draft.id, &error);
    }
}

void Form1::reportBackupFailure(const QString& notice)
{
    if (notice.isEmpty() || m_backupReported)
        return;
    m_backupReported = true;
    // Said together with the notice of the operation itself, which it would otherwise replace.
    const QLabel* shown = Notice::current();
    QString text = shown ? shown->text() : QString();
    if (!text.isEmpty() && !text.endsWith(QStringLiteral("。")))
        text += QStringLiteral("。");
    Notice::show(m_w.list1, text + notice, ReportShownMs);
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
    case store::RecoveryEntry::Kind::Draft:
    case store::RecoveryEntry::Kind::BeforePlay: {
        // As a pick would: the stored card is selected and loaded, then the draft's values go over it.
        // A new sheet's draft, or one whose card is gone, comes back as after "准备新增". Nothing is written.
        // The card is looked for in the store: its line may be hidden by a search, or not read yet.
        const store::Draft& draft = entry.draft;
        const store::LoadResult stored = draft.isNew ? store::LoadResult() : m_cards.load(draft.name);
        m_restoring = true;
        if (stored.found)
            pickCard(draft.name);
        else
            Command1_Click();
        m_restoring = false;
        if (entry.kind == store::RecoveryEntry::Kind::BeforePlay) {
            editSheet(draft.sheet); // no draft holds these values yet
            return;
        }
        writeSheet(draft.sheet);
        if (m_draftIsNew && draft.isNew)
            m_draftId = draft.id;
        m_lastDraft = draft.sheet;
        return;
    }
    case store::RecoveryEntry::Kind::Deleted: {
        const store::Outcome outcome = m_recovery->deleted().restore(*m_db, entry.deleted.id);
        reportBackupFailure(outcome.notice);
        if (outcome.status == store::OpStatus::Duplicate) {
            MessageBox::inform(
                this, messageTitle(),
                QStringLiteral("已有名为“%1”的角色卡，无法恢复。数据库未作改动。").arg(entry.deleted.name));
        } else if (!outcome.ok()) {
            showFailure(outcome.error);
        } else {
            RefreshList();
            Notice::show(m_w.list1, QStringLiteral("已恢复：%1").arg(entry.deleted.name));
        }
        return;
    }
    case store::RecoveryEntry::Kind::Backup:
    case store::RecoveryEntry::Kind::BeforeRestore: {
        // The restore cannot stop halfway: its dialog has no "取消".
        store::BackupOutcome outcome;
        WorkProgress::runAside(this, QStringLiteral("恢复备份"),
                               QStringLiteral("正在用备份替换数据库，请稍候…"),
                               [&] { outcome = m_recovery->backups().restore(entry.backup.path); });
        if (!outcome.ok) {
            showFailure(outcome.error);
            return;
        }
        list::dropHead(m_db->filePath()); // the names kept beside the store were the old store's
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
