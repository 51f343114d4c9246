#pragma once

#include "card/Sheet.h"

#include <QDate>
#include <QString>

class QPagedPaintDevice;

namespace app {

// A card on paper or in a PDF: one page per tab page in the order of the tabs, each headed by the
// card's name, the page's title and the date, with the sheet drawn from the layout table as the window
// shows it, in the window's face (the side panel's card sections beside the first page). Text that
// does not fit its box is marked there and printed in full on continuation pages after the sheet. All
// text stays text.
class SheetPrint
{
public:
    // Draws the card on device, which is set up already (paper, orientation, margins). Returns the
    // number of pages, or 0 when the device could not be painted on.
    static int render(QPagedPaintDevice& device, const card::Sheet& sheet, const QDate& date);

    // The titles of the sheet pages, from the tab strip's captions.
    static QStringList pageTitles();
};

} // namespace app
