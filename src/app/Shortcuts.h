#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <map>

class QShortcut;
class QWidget;

namespace app {

struct SheetWidgets;

// The window's keyboard shortcuts, every one of them. Each does exactly what its button or control
// does, and only while that is enabled (a card key pressed while its button is off says why in a
// notice); they work wherever the focus is in the window, inside the
// fields too. Find, Export and Print are answered by the capability they belong to (the search line,
// the card transfer), which takes their key from here.
class Shortcuts : public QObject
{
    Q_OBJECT
public:
    enum class Action { Prepare, Add, Save, Delete, NextPage, PreviousPage, Find, Export, Print };

    struct Entry
    {
        Action action;
        QList<QKeySequence> keys;
    };

    // The table: what each key does.
    static const QList<Entry>& table();

    // Wires the table to the window's controls and writes each button's shortcut into its
    // accessible description.
    Shortcuts(QWidget* window, const SheetWidgets& widgets);

    // What a card key says while its button is off: why nothing happened and what to do instead.
    // addOn tells whether "新增" is on (the sheet holds a new card). Empty for the other actions.
    static QString whyOff(Action action, bool addOn);

    // The key of an action answered elsewhere (Find, Export, Print), to connect to and to enable;
    // null for the others.
    QShortcut* key(Action action) const;

private:
    // Runs one action as its control would.
    void trigger(Action action);

    const SheetWidgets& m_w;
    std::map<Action, QShortcut*> m_elsewhere; // the keys of the actions answered elsewhere
};

} // namespace app
