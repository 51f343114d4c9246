#pragma once

#include "card/Sheet.h"

#include <QString>

#include <optional>

class QWidget;

namespace store {
class CardStore;
}

namespace app {

// The stored card of that name, read for a use beside the sheet (a file, a print, the clipboard):
// its values, or nothing, with the reason said in a message box over window.
std::optional<card::Sheet> readStoredCard(QWidget* window, const QString& messageTitle,
                                          store::CardStore& cards, const QString& name);

// What is said of a card that is no longer in the store.
QString missingCardText(const QString& name);
// What is said when a card would be stored, or renamed, without a name.
QString emptyNameText();

} // namespace app
