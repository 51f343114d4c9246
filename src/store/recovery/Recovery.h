#pragma once

#include "card/CardRecord.h"
#include "store/Outcome.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace store {

class Module1;

// Where the safety net of a store lives: the recovery store (drafts and deleted cards) and the folder
// of whole-store backups. Both sit beside the store; where that folder cannot be written, both go to
// the user's data folder.
struct RecoveryPlace
{
    QString recoveryFile; // "Sav.qlk.recovery"
    QString backupsDir;   // "Sav.qlk.backups"
};
RecoveryPlace recoveryPlace(const QString& storePath);

// The whole sheet as it stood when its edits were not stored.
struct Draft
{
    qint64 id = 0;
    QString name; // the loaded card's name; for a new sheet, whatever field 0 held
    bool isNew = false;
    QDateTime savedAt;
    card::Sheet sheet;
};

// A card removed by "删除", both rows exactly as they were.
struct DeletedCard
{
    qint64 id = 0;
    QString name;
    QDateTime deletedAt;
    bool hasCard = false;
    bool hasList = false;
    card::CardRecord record;
    card::ListEntry entry;
};

// A copy of the whole store in the backups folder.
struct BackupFile
{
    QString path;
    QDateTime madeAt;
};

struct BackupOutcome
{
    bool ok = false;
    bool made = false; // false with ok: today's backup exists already
    QString path;
    qint64 cards = -1;
    QString error;
    QString notice; // after a restore: what was kept of the store it replaced, and where
};

// Drafts, deleted cards and backups of one store. Every operation opens what it needs and closes it
// again; nothing here shows a message.
class Recovery
{
public:
    using Clock = std::function<QDateTime()>;

    static constexpr int NewDraftsKept = 5;
    static constexpr int BackupsKept = 10;
    static constexpr int BeforeRestoreKept = 3;
    static constexpr int DeletedKeptDays = 30;

    // clock gives the time drafts, deletions and backups are stamped with (the system clock if empty).
    explicit Recovery(QString storePath, Clock clock = {});
    Recovery(const Recovery&) = delete;
    Recovery& operator=(const Recovery&) = delete;

    const QString& storePath() const { return m_storePath; }
    const QString& recoveryFile() const { return m_place.recoveryFile; }
    const QString& backupsDir() const { return m_place.backupsDir; }
    QDateTime now() const;

    // Drafts. A card's draft replaces the one before it; a new sheet's draft replaces the draft of
    // the same sheet (id) and only the latest few are kept. Returns the draft's id, 0 on failure.
    qint64 writeDraft(const Draft& draft, QString* error);
    bool dropCardDraft(const QString& name, QString* error);
    bool dropDraft(qint64 id, QString* error);
    QList<Draft> drafts(QString* error);
    // Whether the card has a draft, from what this program last read or wrote.
    bool hasCardDraft(const QString& name);

    // The sheet as it stood before a rest or a hit-point step: the latest one of each card (a new
    // sheet's by its name field), kept until the next one. The id of the draft given is not kept.
    bool keepBeforePlay(const Draft& before, QString* error);
    QList<Draft> beforePlay(QString* error); // newest first

    // Deleted cards, newest first. The copy is written by the delete itself (see attach).
    QList<DeletedCard> deletedCards(QString* error);
    // Adds the deleted card back (both rows, one transaction) and takes it off the deleted list.
    // Duplicate where a card or list entry of that name exists; nothing is changed then.
    Outcome restoreDeleted(Module1& db, qint64 id);

    // Attaches the recovery store to the store's open connection as "recovery", creating it first
    // where it is missing. Must come before the transaction begins.
    bool attach(Module1& db, QString* error);
    void detach(Module1& db);
    // Inside the delete's transaction: copies both rows of the card into the recovery store.
    bool keepDeleted(Module1& db, const QString& name, QString* error);

    // Backups. Before the first change of each day a backup is made; a failure is handed out in
    // *failure (tried again at the next change), never as the failure of the change.
    void backupBeforeChange(QString* failure);
    BackupOutcome makeBackup();
    QList<BackupFile> backups() const; // the daily backups, newest first
    // The copies of the store each restore keeps of what it replaced, newest first; they are kept
    // apart from the daily backups and do not count against them.
    QList<BackupFile> beforeRestoreCopies() const;
    // Puts the backup's content into the store through SQLite, under the store's own lock and
    // journal: every other connection sees the old store or the restored one, and a kill leaves one
    // of the two. The store as it was is kept first: a sound one as a copy before the restore, a
    // damaged one byte for byte beside it (with its journal), never overwritten. The chosen backup is
    // never pruned.
    BackupOutcome restoreBackup(const QString& backupPath);

private:
    bool ensureStore(QString* error);
    // Runs one statement with bound values on the recovery store, when there is one.
    bool execWrite(const QString& statement, const QVariantList& values, QString* error);
    void loadDraftNames();
    void pruneBackups();

    QString m_storePath;
    RecoveryPlace m_place;
    Clock m_clock;
    QString m_connection;
    QDate m_backupDay; // the day of the last backup this program saw
    std::optional<QSet<QString>> m_draftNames;
};

// Plain checks on a store or backup file, read through a connection of their own.
struct FileCheck
{
    bool ok = false;
    qint64 cards = -1;
    QStringList names; // every card name, in name order
    QString error;
};
// full runs integrity_check as well; without it only the cards are counted (and named).
FileCheck checkStoreFile(const QString& path, bool full = true, bool withNames = false);

// How many fields and boxes differ between two sheets (the reference note does not count).
int differingFields(const card::Sheet& a, const card::Sheet& b);

} // namespace store
