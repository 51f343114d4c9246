#pragma once

#include "card/CardRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace store {
class CardStore;
}

namespace app {

// "导出全部角色卡": every listed card into its own card file in one folder.
struct ExportAllResult
{
    int written = 0;    // whole files, each synced and renamed into place
    QStringList missed; // every card not written, with the reason
    int notReached = 0; // cards left when the export was cancelled
};

// Writes a card file for each entry into folder, one after another. step is told before each card
// (how many are done, the card's name) and stops the export by returning false: every file already
// written stays whole, and none is half-written. A file that cannot be written stops the export too.
ExportAllResult exportAllCards(store::CardStore& cards, const QList<card::ListEntry>& entries,
                               const QString& folder, const std::function<bool(int, const QString&)>& step);

// What the export did, for the player. plain: everything was written (a notice says it all).
QString exportAllSummary(const ExportAllResult& result, const QString& folder, bool* plain);

} // namespace app
