#pragma once

#include "card/Sheet.h"
#include "store/recovery/RecoveryPlace.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariantList>

#include <optional>

namespace store {

// The whole sheet as it stood when its edits were not stored.
struct Draft
{
    qint64 id = 0;
    QString name; // the loaded card's name; for a new sheet, whatever field 0 held
    bool isNew = false;
    QDateTime savedAt;
    card::Sheet sheet;
};

// How many fields and boxes differ between two sheets (the reference note does not count).
int differingFields(const card::Sheet& a, const card::Sheet& b);

// The sheets the recovery store keeps whole: the drafts of unsaved edits, and each card's sheet as it
// stood before a rest or a hit-point step. Every operation opens the recovery store and closes it again.
class Drafts
{
public:
    static constexpr int NewKept = 5;

    Drafts(QString recoveryFile, RecoveryClock clock);
    Drafts(const Drafts&) = delete;
    Drafts& operator=(const Drafts&) = delete;

    // A card's draft replaces the one before it; a new sheet's draft replaces the draft of the same
    // sheet (id) and only the latest few are kept. Returns the draft's id, 0 on failure.
    qint64 write(const Draft& draft, QString* error);
    bool dropCard(const QString& name, QString* error);
    bool drop(qint64 id, QString* error);
    QList<Draft> list(QString* error); // newest first
    // The drafts written since this was last asked, newest first. Asking marks them told, so that a
    // start after a kill or a close with unsaved edits tells of them once.
    QList<Draft> untold(QString* error);
    // Whether the card has a draft, from what this program last read or wrote.
    bool hasCard(const QString& name);

    // The sheet as it stood before a rest or a hit-point step: the latest one of each card (a new
    // sheet's by its name field), kept until the next one. The id of the draft given is not kept.
    bool keepBeforePlay(const Draft& before, QString* error);
    QList<Draft> beforePlay(QString* error); // newest first

private:
    // Runs one statement with bound values on the recovery store, when there is one.
    bool execWrite(const QString& statement, const QVariantList& values, QString* error);
    void loadNames();

    QString m_recoveryFile;
    RecoveryClock m_clock;
    QString m_connection;
    std::optional<QSet<QString>> m_names; // the cards with a draft
};

} // namespace store
