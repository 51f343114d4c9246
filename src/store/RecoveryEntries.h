#pragma once

#include "store/recovery/Recovery.h"

#include <QList>
#include <QString>

namespace store {

class CardStore;

// One thing the recovery dialog offers: an unsaved edit, a sheet as it stood before a rest or a
// hit-point step, a deleted card, a whole-store backup or the copy a restore kept of the store it
// replaced.
struct RecoveryEntry
{
    enum class Kind { Draft, BeforePlay, Deleted, Backup, BeforeRestore };

    Kind kind = Kind::Draft;
    QString name;       // what the list shows as the entry's name
    QDateTime time;     // saved, deleted or made
    QString detail;     // fields that differ, the list line, or the number of cards
    Draft draft;        // also the sheet before a rest or a hit-point step (with no id)
    card::Sheet stored; // a draft's card as it is stored now (empty for a new sheet)
    DeletedCard deleted;
    BackupFile backup;
};

struct RecoveryList
{
    QList<RecoveryEntry> entries; // newest first
    QString error;                // what could not be read; the rest is listed all the same
};

QString kindText(RecoveryEntry::Kind kind);
RecoveryList recoveryEntries(Recovery& recovery, CardStore& cards);
// What the entry holds, as plain text for the dialog.
QString describeEntry(const RecoveryEntry& entry);

} // namespace store
