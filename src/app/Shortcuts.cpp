#include "app/Shortcuts.h"

#include "app/SheetBuilder.h"
#include "app/dialogs/Notice.h"

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

// The button an action stands for, or null for the others.
QPushButton* buttonOf(const SheetWidgets& widgets, Shortcuts::Action action)
{
    switch (action) {
    case Shortcuts::Action::Prepare:
        return widgets.command1();
    case Shortcuts::Action::Add:
        return widgets.command2();
    case Shortcuts::Action::Save:
        return widgets.command3();
    case Shortcuts::Action::Delete:
        return widgets.command4();
    default:
        return nullptr;
    }
}

// Find, Export and Print belong to the search line and the card transfer.
bool answeredElsewhere(Shortcuts::Action action)
{
    return action == Shortcuts::Action::Find || action == Shortcuts::Action::Export ||
           action == Shortcuts::Action::Print;
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
        {Action::Find, {QKeySequence(QKeySequence::Find)}},
        {Action::Export, {keys(Qt::CTRL | Qt::Key_E)}},
        {Action::Print, {keys(Qt::CTRL | Qt::Key_P)}},
    };
    return entries;
}

Shortcuts::Shortcuts(QWidget* window, const SheetWidgets& widgets) : QObject(window), m_w(widgets)
{
    for (const Entry& entry : table()) {
        QPushButton* button = buttonOf(m_w, entry.action);
        if (button)
            button->setAccessibleDescription(describe(entry));
        for (const QKeySequence& sequence : entry.keys) {
            // Delete belongs to the list alone: in a field it deletes text.
            const bool listOnly = entry.action == Action::Delete;
            auto* shortcut = new QShortcut(sequence, listOnly ? static_cast<QWidget*>(m_w.list1) : window);
            shortcut->setContext(listOnly ? Qt::WidgetShortcut : Qt::WindowShortcut);
            // A held key turns page after page, but never adds or saves twice.
            shortcut->setAutoRepeat(!button);
            const Action action = entry.action;
            if (answeredElsewhere(action)) {
                m_elsewhere[action] = shortcut;
                continue;
            }
            connect(shortcut, &QShortcut::activated, this, [this, action] { trigger(action); });
        }
    }
}

QString Shortcuts::whyOff(Action action, bool addOn)
{
    switch (action) {
    case Action::Add:
        return QStringLiteral("现在不能新增：请先按“准备新增”，填写名字后再按“新增”。");
    case Action::Save:
        if (addOn)
            return QStringLiteral("新的角色卡还没有存入：请按“新增”。");
        return QStringLiteral("没有选中的角色卡：在列表中点选角色卡后再保存。");
    case Action::Delete:
        return QStringLiteral("没有选中的角色卡：在列表中点选角色卡后再删除。");
    default:
        return {};
    }
}

QShortcut* Shortcuts::key(Action action) const
{
    const auto found = m_elsewhere.find(action);
    return found == m_elsewhere.end() ? nullptr : found->second;
}

void Shortcuts::trigger(Action action)
{
    if (QPushButton* button = buttonOf(m_w, action)) {
        if (button->isEnabled())
            button->click();
        else if (const QString why = whyOff(action, m_w.command2()->isEnabled()); !why.isEmpty())
            Notice::show(button, why);
        return;
    }
    QTabBar* tabs = m_w.tabStrip;
    if (!tabs->isEnabled() || tabs->count() == 0)
        return;
    const int step = action == Action::NextPage ? 1 : -1;
    tabs->setCurrentIndex((tabs->currentIndex() + step + tabs->count()) % tabs->count());
}

} // namespace app
