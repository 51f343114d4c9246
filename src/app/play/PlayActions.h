#pragma once

#include "card/CardRecord.h"
#include "card/Sheet.h"
#include "store/Outcome.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QAbstractButton;
class QDialog;
class QListView;
class QWidget;

namespace play {
struct Outcome;
}

namespace store {
class CardStore;
}

namespace app {

class HitPointsDialog;
class ListFill;
class ListMenu;
class ListSearchLine;
class RosterDialog;

// Table play from the context menu of List1: the two rests and the hit-point dialog on the sheet as
// it stands (put back as typing would, so nothing is stored before "保存" or "新增", the sheet as it
// was kept in "恢复" as "改动前"); a stored card
// as text on the clipboard, in a print preview, or under another name; and the roster of every card.
class PlayActions : public QObject
{
    Q_OBJECT
public:
    // What table play works with, all owned by the window.
    struct Parts
    {
        QWidget* window;      // the owner of the dialogs and the message boxes
        QString messageTitle; // the title of the message boxes
        store::CardStore& cards;
        ListMenu* menu;             // play adds its items to it
        QListView* list;            // notices show over it; an empty store shows how to add a card in it
        ListSearchLine* searchLine; // an open search hides the hint of an empty store
        const ListFill* fill;       // nor is the hint shown while the list is still being read
        QAbstractButton* addButton; // "新增" and "保存": while either is on, the sheet is in use
        QAbstractButton* saveButton;
        // The sheet as the window holds it.
        std::function<card::Sheet()> readSheet;
        // Keeps the sheet as it stands in "恢复", before a rest or a hit-point step changes it.
        std::function<bool(QString* error)> keepBeforePlay;
        // Writes the draft of unsaved edits, so that a rename takes them along.
        std::function<bool()> flushDraft;
        // Renames a stored card with its recovery entries, in one transaction of the store.
        std::function<store::Outcome(const QString& from, const QString& to)> renameStored;
    };

    explicit PlayActions(const Parts& parts);

    void rest(bool extended);
    void copyAsText(const QString& name);
    void printPreview(const QString& name);
    // Asks for the new name in a dialog of its own, then renames as renameTo does.
    void askRename(const QString& name);
    // Renames the stored card; a refused name is said in a message. Returns whether it was renamed.
    bool renameTo(const QString& from, const QString& to);
    void openHitPoints();
    void openRoster();

    // The dialogs now open, or null.
    HitPointsDialog* hitPointsDialog() const;
    RosterDialog* rosterDialog() const;
    QDialog* renameDialog() const;

signals:
    // The sheet is to take these values as typing would: the draft of unsaved edits follows, nothing
    // is stored.
    void sheetEdited(const card::Sheet& sheet);
    // A stored card was renamed: its line is now this one.
    void cardRenamed(const QString& from, const card::ListEntry& entry);
    // A card chosen in the roster, to be picked as a click on its line does.
    void cardPicked(const QString& name);

private:
    // Whether the sheet holds a card being edited or added: "保存" or "新增" is on.
    bool sheetInUse() const;
    void apply(const play::Outcome& outcome);
    // Puts the sheet on as typing would, the one before it kept in "恢复" first. Returns what could
    // not be kept, or nothing.
    QString change(const card::Sheet& sheet);
    std::optional<card::Sheet> storedCard(const QString& name);
    void notice(const QString& text);
    QString emptyHint() const;

    Parts m_parts;
    QPointer<HitPointsDialog> m_hitPoints;
    QPointer<RosterDialog> m_roster;
    QPointer<QDialog> m_rename;
};

} // namespace app
