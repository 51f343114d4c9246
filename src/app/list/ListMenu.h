#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QListView;
class QMenu;
class QPoint;

namespace app {

// The context menu of List1. Each capability adds its own items. A right click makes the line under
// the pointer the subject of the menu; the selection and the sheet stay as they are.
class ListMenu : public QObject
{
    Q_OBJECT
public:
    // Gets the card name of the subject line, or an empty name where the menu opened on no line.
    using Handler = std::function<void(const QString& name)>;

    explicit ListMenu(QListView* list);

    // An item that needs a line is disabled where the menu opens on none.
    QAction* addItem(const QString& text, bool needsLine, Handler handler);
    void addSeparator();
    // The item is enabled only while the condition holds as well, checked each time the menu opens.
    void enableWhen(QAction* action, std::function<bool()> condition);

    // Sets the subject from a position in the list's viewport and enables the items for it.
    void prepare(const QPoint& viewportPos);
    const QString& subject() const { return m_subject; }
    QMenu* menu() const { return m_menu; }

private:
    void open(const QPoint& viewportPos);

    QListView* m_list;
    QMenu* m_menu;
    QString m_subject;
    QHash<QAction*, std::function<bool()>> m_conditions;
};

} // namespace app
