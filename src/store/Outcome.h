#pragma once

#include <QString>

#include <utility>

namespace store {

// What a card operation did. Store code never shows a message: the window decides how to.
enum class OpStatus {
    Done,        // both rows written (add, save) or removed (delete)
    EmptyName,   // add: field 0 is empty; the store was not touched
    Duplicate,   // add: a card or list entry of that name exists; nothing written
    NameChanged, // save: field 0 differs from the selected name; nothing written
    CardMissing, // save: no card row of that name any more; nothing written
    Failed,      // the database failed; nothing written (the transaction rolled back)
};

struct Outcome
{
    Outcome() = default;
    Outcome(OpStatus status, QString error = {}, QString notice = {})
        : status(status), error(std::move(error)), notice(std::move(notice))
    {
    }

    OpStatus status = OpStatus::Failed;
    QString error;  // the cause, for Failed
    QString notice; // said once: the day's backup failed, though the operation went on

    bool ok() const { return status == OpStatus::Done; }
};

} // namespace store
