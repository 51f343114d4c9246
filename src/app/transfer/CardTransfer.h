#pragma once

#include "card/Sheet.h"

#include <QObject>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QShortcut;

namespace app {

class Form1;

// Cards leaving the program and coming back, from the context menu of List1: card files out and in,
// every card into a folder, PDF and print, and a stored card as the start of a new one. Ctrl+E and
// Ctrl+P export and print the selected card. Nothing here changes the sheet, the list or the buttons,
// except "复制为新角色" (which fills the sheet) and an import (which refreshes the list).
class CardTransfer : public QObject
{
    Q_OBJECT
public:
    explicit CardTransfer(Form1& form);

    void exportCard(const QString& name);
    void exportPdf(const QString& name);
    void printCard(const QString& name);
    void copyAsNew(const QString& name);
    void importCards();
    void exportAll();

    // Imports the card files at these paths, as the import does after its dialog. Returns how many
    // cards were added.
    int importFiles(const QStringList& paths);

    QShortcut* exportShortcut() const { return m_exportKey; }
    QShortcut* printShortcut() const { return m_printKey; }

private:
    // The stored card of that name, or nothing (with the reason shown).
    std::optional<card::Sheet> storedCard(const QString& name);
    QString selectedName() const;
    void updateShortcuts();
    // Adds one card read from a file, asking for a free name when the name is taken. Returns whether
    // it was added; stop is set when the store failed and the import should end.
    bool importOne(const QString& fileName, card::Sheet sheet, bool* stop);
    void notice(const QString& text);

    Form1& m_form;
    QShortcut* m_exportKey = nullptr;
    QShortcut* m_printKey = nullptr;
    QString m_lastFolder;
};

} // namespace app
