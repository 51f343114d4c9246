#pragma once

#include "card/Sheet.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QAction;
class QDialog;

namespace play {
struct Outcome;
}

namespace app {

class Form1;
class HitPointsDialog;
class RosterDialog;

// Table play from the context menu of List1: the two rests and the hit-point dialog on the sheet as
// it stands (put back as typing would, so nothing is stored before "保存" or "新增", the sheet as it
// was kept in "恢复" as "改动前"); a stored card
// as text on the clipboard, in a print preview, or under another name; and the roster of every card.
class PlayActions : public QObject
{
    Q_OBJECT
public:
    explicit PlayActions(Form1& form);

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

private:
    // Whether the sheet holds a card being edited or added: "保存" or "新增" is on.
    bool sheetInUse() const;
    void apply(const play::Outcome& outcome);
    // Puts the sheet on as typing would, the one before it kept in "恢复" first. Returns what could
    // not be kept, or nothing.
    QString change(const card::Sheet& sheet);
    std::optional<card::Sheet> storedCard(const QString& name);
    void notice(const QString& text);

    Form1& m_form;
    QPointer<HitPointsDialog> m_hitPoints;
    QPointer<RosterDialog> m_roster;
    QPointer<QDialog> m_rename;
};

} // namespace app
