#pragma once

#include "store/recovery/Backups.h"
#include "store/recovery/DeletedCards.h"
#include "store/recovery/Drafts.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDateTime>
#include <QString>

namespace store {

// The safety net of one store: its drafts, its deleted cards and its whole-store backups, in the places
// recoveryPlace gives, all stamped by one clock. It only holds the three and hands them out; each opens
// what it needs and closes it again, and nothing here shows a message.
class Recovery
{
public:
    // clock gives the time drafts, deletions and backups are stamped with (the system clock if empty).
    explicit Recovery(QString storePath, RecoveryClock clock = {})
        : m_storePath(std::move(storePath)), m_place(recoveryPlace(m_storePath)), m_clock(std::move(clock)),
          m_backups(m_storePath, m_place.backupsDir, m_clock), m_drafts(m_place.recoveryFile, m_clock),
          m_deleted(m_place.recoveryFile, m_clock, m_backups)
    {
    }
    Recovery(const Recovery&) = delete;
    Recovery& operator=(const Recovery&) = delete;

    const QString& storePath() const { return m_storePath; }
    const QString& recoveryFile() const { return m_place.recoveryFile; }
    const QString& backupsDir() const { return m_place.backupsDir; }
    QDateTime now() const { return clockNow(m_clock); }

    Drafts& drafts() { return m_drafts; }
    DeletedCards& deleted() { return m_deleted; }
    Backups& backups() { return m_backups; }

private:
    QString m_storePath;
    RecoveryPlace m_place;
    RecoveryClock m_clock;
    Backups m_backups;
    Drafts m_drafts;
    DeletedCards m_deleted;
};

} // namespace store
