#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace app {

struct SheetWidgets;

// The window's keyboard shortcuts. Each does exactly what its button or control does, and only while
// that is enabled; they work wherever the focus is in the window, inside the fields too.
class Shortcuts : public QObject
{
    Q_OBJECT
public:
    enum class Action { Prepare, Add, Save, Delete, NextPage, PreviousPage };

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

private:
    // Runs one action as its control would.
    void trigger(Action action);

    const SheetWidgets& m_w;
};

} // namespace app
