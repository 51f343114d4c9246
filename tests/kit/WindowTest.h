#pragma once

// The base of the main window's suites: a window of its own over a store in a fresh folder, message
// boxes answered by the test seam and kept, and the ways a test reads and drives the sheet and List1.
// A suite derives from it, opens the window in init() and closes it in cleanup().

#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "card/Sheet.h"
#include "store/RecoveryEntries.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class QAction;
class QWidget;

namespace kit {

class WindowTest : public QObject
{
protected:
    // The title of the program's message boxes.
    static inline const QString Title = QStringLiteral("qlmk-Orz");

    // A fresh folder for the store (its subfolder storeFolder, when named), message boxes answered
    // and kept; the suite opens its windows itself.
    void openFolder(const QString& storeFolder = QString());
    // A fresh folder and a window over the store in it.
    void openWindow(const QString& storeFolder = QString());
    // The same, with the controls of every page built at once.
    void openWindowWithAllPages();
    void closeWindow();

    QString storePath() const;
    app::Form1& form() { return *m_form; }

    // The text of a field's widget, typed in as a player would.
    void setField(int i, const QString& text);
    QString field(int i) const;
    // Whether button Command<button + 1> is on.
    static bool enabled(const app::Form1& f, int button);

    QStringList listTexts() const;
    QStringList listNames() const;
    // Picks the line, or the line of the card of that name, as a click does.
    void pick(int row);
    void pick(const QString& name);
    // The line showing the card of that name, or -1.
    int rowOf(const QString& name) const;
    bool nothingSelected() const;
    // A card added through the buttons, its list fields typed in.
    void addCard(const QString& name, const QString& level, const QString& race, const QString& cls,
                 const QString& alignment);
    // A card added through the buttons with a whole sheet.
    void addCard(const card::Sheet& sheet);
    // Combo1's display mode chosen as the player does.
    void chooseMode(int index);
    // List1's context menu prepared over the line of that card, or below the lines for an empty name;
    // its item of that text, or null.
    QAction* menuAction(const QString& cardName, const QString& text);

    MessageBox::Shown lastMessage() const { return MessageBox::history().last(); }
    // The first entry of that kind the dialog "恢复" would list.
    std::optional<store::RecoveryEntry> recoverable(store::RecoveryEntry::Kind kind);

    // Real key events carrying any characters, as an input method delivers them.
    static void typeText(QWidget* widget, const QString& text);
    // Every field and tick filled, with spaces, line breaks and characters beyond the basic plane.
    static card::Sheet fullSheet();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<app::Form1> m_form;

private:
    QString m_storeFolder;
};

} // namespace kit
