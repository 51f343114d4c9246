#pragma once

#include "card/CardImport.h"
#include "card/CardRecord.h"
#include "card/Sheet.h"

#include <QObject>
#include <QString>

#include <optional>

class QListView;
class QPagedPaintDevice;
class QShortcut;
class QWidget;

namespace store {
class CardStore;
}

namespace app {

class ListMenu;

// Cards leaving the program and coming back, from the context menu of List1: card files out and in,
// every card into a folder, PDF and print, and a stored card as the start of a new one. Ctrl+E and
// Ctrl+P export and print the selected card. Nothing here changes the sheet, the list or the buttons:
// "复制为新角色" and an import say what they bring, and the window shows it.
class CardTransfer : public QObject
{
    Q_OBJECT
public:
    // What the transfer works with, all owned by the window.
    struct Parts
    {
        QWidget* window;      // the owner of the dialogs, the message boxes and the shortcuts
        QString messageTitle; // the title of the message boxes
        store::CardStore& cards;
        ListMenu* menu;       // the transfer adds its items to it
        QListView* list;      // its selected line is the card of Ctrl+E and Ctrl+P; notices show over it
        QShortcut* exportKey; // Ctrl+E and Ctrl+P, from the window's shortcuts
        QShortcut* printKey;
    };

    explicit CardTransfer(const Parts& parts);

    void exportCard(const QString& name);
    void exportPdf(const QString& name);
    void printCard(const QString& name);
    void copyAsNew(const QString& name);
    void importCards();
    void exportAll();

    // Imports the card files at these paths, as the import does after its dialog, then says in one
    // summary what became of each. Returns how many cards were added.
    int importFiles(const QStringList& paths);

signals:
    // A card read from a file is stored: its line belongs in the list.
    void cardAdded(const card::ListEntry& entry);
    // "复制为新角色": the sheet is to become a new card holding these values (the name left empty).
    void newCardCopied(const card::Sheet& sheet);

private:
    // The stored card of that name, or nothing (with the reason shown).
    std::optional<card::Sheet> storedCard(const QString& name);
    QString selectedName() const;
    void updateShortcuts();
    // Adds one card read from a file, asking what to do when its name is taken: a free name, replacing
    // the stored card, or skipping it.
    card::ImportStep importOne(const QString& fileName, const card::CardFileResult& read);
    card::TakenChoice askTaken(const QString& fileName, const QString& name, const QString& freeName);
    void notice(const QString& text);

    QWidget* m_window;
    QString m_title;
    store::CardStore& m_cards;
    QListView* m_list;
    QShortcut* m_exportKey = nullptr;
    QShortcut* m_printKey = nullptr;
    QString m_lastFolder;
};

} // namespace app
