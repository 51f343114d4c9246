#pragma once

// Driving the main window as a player does: a card added through its buttons, a list line picked as
// a click picks it, the list's lines read back, and the next message box answered.

#include "app/dialogs/MessageBox.h"
#include "card/CardRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class QListView;

namespace app {
class Form1;
}

namespace kit {

// Picks a line as a click does: it becomes the current line and the only one selected. A line that
// was selected already is picked afresh (its card loads again).
void pickLine(QListView* list, int row);
void pickLine(app::Form1& form, int row);
// Picks the line of the card of that name; false when no line shows it.
bool pickCard(app::Form1& form, const QString& name);

// The list's lines as shown, and the card name behind each.
QStringList listLines(const QListView* list);
QStringList listLines(const app::Form1& form);
QStringList listNames(const app::Form1& form);
// The line showing the card of that name, or -1.
int rowOf(const app::Form1& form, const QString& name);

// "准备新增", the sheet, then "新增": the fields typed into their widgets, or a whole sheet.
void addCard(app::Form1& form, const QList<std::pair<int, QString>>& fields);
void addCard(app::Form1& form, const card::Sheet& sheet);
// A sheet with only the name filled in.
card::Sheet namedSheet(const QString& name);

// The next message box is answered with this button instead of being shown.
void answerNextBox(MessageBox::Button button);
// The text of the last box kept by the test seam, or "" when none was.
QString lastBoxText();

} // namespace kit
