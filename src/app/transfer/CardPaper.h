#pragma once

#include "card/Sheet.h"

#include <QDate>
#include <QPageLayout>
#include <QString>

class QIODevice;
class QPrinter;

namespace app {

// A card leaving the program on paper or as a PDF file: the printer made ready for it, the PDF's bytes,
// and a print through the print dialog's choice. The drawing itself is SheetPrint's.
namespace paper {

// The paper a card is printed on when nothing else is chosen: landscape A4 with a small margin.
QPageLayout cardPage();

// printer on cardPage(), the card's name as the document's name.
void setUpPrinter(QPrinter& printer, const QString& name);

// The card as a PDF file's bytes written to out, on page, its text layer naming the characters drawn
// (the faces draw some ideographs with the glyphs of radicals). Returns false when nothing could be
// drawn or written.
bool writePdf(QIODevice& out, const card::Sheet& sheet, const QString& title, const QDate& date,
              const QPageLayout& page = cardPage());

// Prints the card as the print dialog left printer. Printing to a PDF file writes it as writePdf does,
// on the paper chosen, as a new file (whole or not at all; a file already there is left alone).
// Returns an empty text, or what went wrong in the player's words.
QString print(QPrinter& printer, const card::Sheet& sheet, const QString& title, const QDate& date);

} // namespace paper

} // namespace app
