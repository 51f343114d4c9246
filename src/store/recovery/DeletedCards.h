#pragma once

#include "card/CardRecord.h"
#include "store/Outcome.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace store {

class Backups;
class Module1;

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

// The deleted cards of one store, kept in its recovery store for a month: the copy is written by the
// delete's own transaction, and the way back puts both rows into the store again.
class DeletedCards
{
public:
    static constexpr int KeptDays = 30;

    // backups: the day's backup made before a card comes back.
    DeletedCards(QString recoveryFile, RecoveryClock clock, Backups& backups);
    DeletedCards(const DeletedCards&) = delete;
    DeletedCards& operator=(const DeletedCards&) = delete;

    // Inside a transaction of the store with the recovery store attached (attachRecovery): copies both
    // rows of the card into the recovery store, and forgets the copies older than a month.
    bool keep(Module1& db, const QString& name, QString* error);
    QList<DeletedCard> list(QString* error); // newest first
    // Adds the deleted card back (both rows, one transaction) and takes it off the deleted list.
    // Duplicate where a card or list entry of that name exists; nothing is changed then.
    Outcome restore(Module1& db, qint64 id);

private:
    QString m_recoveryFile;
    RecoveryClock m_clock;
    Backups& m_backups;
    QString m_connection;
};

} // namespace store
