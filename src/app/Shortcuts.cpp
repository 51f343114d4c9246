#include "app/Shortcuts.h"

#include "app/SheetBuilder.h"

#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>

namespace app {

namespace {

QKeySequence keys(QKeyCombination combination)
{
    return QKeySequence(combination);
}

// The button an action stands for, or -1 for the tab page actions.
int buttonOf(Shortcuts::Action action)
{
    switch (action) {
    case Shortcuts::Action::Prepare:
        return 0;
    case Shortcuts::Action::Add:
        return 1;
    case Shortcuts::Action::Save:
        return 2;
    case Shortcuts::Action::Delete:
        return 3;
    default:
        return -1;
    }
}

QString describe(const Shortcuts::Entry& entry)
{
    const QString key = entry.keys.first().toString(QKeySequence::NativeText);
    if (entry.action == Shortcuts::Action::Delete)
        return QStringLiteral("快捷键：%1（焦点在卡片列表上时）").arg(key);
    return QStringLiteral("快捷键：%1").arg(key);
}

} // namespace

const QList<Shortcuts::Entry>& Shortcuts::table()
{
    static const QList<Entry> entries{
        {Action::Prepare, {keys(Qt::CTRL | Qt::Key_N)}},
        {Action::Add, {keys(Qt::CTRL | Qt::Key_Return), keys(Qt::CTRL | Qt::Key_Enter)}},
        {Action::Save, {keys(Qt::CTRL | Qt::Key_S)}},
        {Action::Delete, {keys(QKeyCombination(Qt::Key_Delete))}},
        {Action::NextPage, {keys(Qt::CTRL | Qt::Key_Tab), keys(Qt::CTRL | Qt::Key_PageDown)}},
        {Action::PreviousPage,
         {keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          keys(Qt::CTRL | Qt::Key_PageUp)}},
    };
    return entries;
}

Shortcuts::Shortcuts(QWidget* window, const SheetWidgets& widgets) : QObject(window), m_w(widgets)
{
    for (const Entry& entry : table()) {
        const int button = buttonOf(entry.action);
        if (button >= 0)
            m_w.command[button]->setAccessibleDescription(describe(entry));
        for (const QKeySequence& sequence : entry.keys) {
            // Delete belongs to the list alone: in a field it deletes text.
            const bool listOnly = entry.action == Action::Delete;
            auto* shortcut = new QShortcut(sequence, listOnly ? static_cast<QWidget*>(m_w.list1) : window);
            shortcut->setContext(listOnly ? Qt::WidgetShortcut : Qt::WindowShortcut);
            // A held key turns page after page, but never adds or saves twice.
            shortcut->setAutoRepeat(button < 0);
            const Action action = entry.action;
            connect(shortcut, &QShortcut::activated, this, [this, action] { trigger(action); });
        }
    }
}

void Shortcuts::trigger(Action action)
{
    const int button = buttonOf(action);
    if (button >= 0) {
        QPushButton* command = m_w.command[button];
        if (command->isEnabled())
            command->click();
        return;
    }
    QTabBar* tabs = m_w.tabStrip;
    if (!tabs->isEnabled() || tabs->count() == 0)
        return;
    const int step = action == Action::NextPage ? 1 : -1;
    tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
}

} // namespace app
