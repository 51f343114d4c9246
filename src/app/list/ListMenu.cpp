#include "app/list/ListMenu.h"

#include "app/list/CardListModel.h"

#include <QAction>
#include <QListView>
#include <QMenu>

namespace app {

namespace {
const char* const NeedsLineProperty = "quillmarkNeedsLine";
}

ListMenu::ListMenu(QListView* list) : QObject(list), m_list(list), m_menu(new QMenu(list))
{
    m_menu->setObjectName(QStringLiteral("List1Menu"));
    m_menu->setAccessibleName(QStringLiteral("角色列表菜单"));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &ListMenu::open);
}

QAction* ListMenu::addItem(const QString& text, bool needsLine, Handler handler)
{
    QAction* action = m_menu->addAction(text);
    action->setProperty(NeedsLineProperty, needsLine);
    // The subject is read when the item fires: the menu is modal, so it is still the one it opened on.
    connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { handler(m_subject); });
    return action;
}

void ListMenu::addSeparator()
{
    m_menu->addSeparator();
}

void ListMenu::enableWhen(QAction* action, std::function<bool()> condition)
{
    m_conditions.insert(action, std::move(condition));
}

void ListMenu::prepare(const QPoint& viewportPos)
{
    const QModelIndex index = m_list->indexAt(viewportPos);
    m_subject = index.isValid() ? index.data(CardListModel::NameRole).toString() : QString();
    const bool onLine = index.isValid();
    for (QAction* action : m_menu->actions()) {
        if (action->isSeparator())
            continue;
        const auto condition = m_conditions.constFind(action);
        action->setEnabled((onLine || !action->property(NeedsLineProperty).toBool()) &&
                           (condition == m_conditions.cend() || (*condition)()));
    }
}

void ListMenu::open(const QPoint& pos)
{
    if (m_menu->isEmpty())
        return;
    // A scroll area reports the position in its viewport's coordinates, where the lines are.
    prepare(pos);
    m_menu->exec(m_list->viewport()->mapToGlobal(pos));
}

} // namespace app
