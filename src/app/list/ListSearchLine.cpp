#include "app/list/ListSearchLine.h"

#include "app/list/CardListView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>

namespace app {

ListSearchLine::ListSearchLine(QListView* list) : QLineEdit(list), m_list(list)
{
    setObjectName(QStringLiteral("ListSearchLine"));
    setAccessibleName(QStringLiteral("查找角色卡"));
    setPlaceholderText(QStringLiteral("查找（Esc 关闭）"));
    hide();
    list->installEventFilter(this);
    if (QWidget* bar = list->verticalScrollBar()->parentWidget(); bar && bar != list)
        bar->installEventFilter(this);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (isOpen())
            emit searchChanged(text);
    });
}

void ListSearchLine::place()
{
    // Left of the scroll bar where it shows, which runs up beside the line: its clear button stays whole.
    const int frame = m_list->frameWidth();
    const QWidget* bar = m_list->verticalScrollBar()->parentWidget();
    const int right = bar && !bar->isHidden() ? bar->x() : m_list->width() - frame;
    setGeometry(frame, frame, right - frame, sizeHint().height());
}

void ListSearchLine::open(const QString& typed)
{
    if (!isOpen()) {
        // The clear button's icon is loaded the first time the line is needed, not at start-up.
        setClearButtonEnabled(true);
        // The lines give up the top of the list to the search line.
        if (auto* view = dynamic_cast<CardListView*>(m_list))
            view->setTopMargin(sizeHint().height());
        place();
        show();
        raise();
    }
    setFocus(Qt::ShortcutFocusReason);
    if (!typed.isEmpty())
        insert(typed);
}

void ListSearchLine::close()
{
    if (!isOpen())
        return;
    const bool hadFocus = hasFocus();
    hide();
    clear();
    if (auto* view = dynamic_cast<CardListView*>(m_list))
        view->setTopMargin(0);
    emit searchChanged(QString());
    if (hadFocus)
        m_list->setFocus(Qt::OtherFocusReason);
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        m_list->scrollTo(selected.first());
}

void ListSearchLine::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // Up and down walk the lines found without leaving the search line.
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        QCoreApplication::sendEvent(m_list, event);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool ListSearchLine::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list && isOpen() &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide || event->type() == QEvent::Move))
        place(); // the scroll bar came, went or moved
    if (watched == m_list) {
        if (event->type() == QEvent::Resize && isOpen()) {
            place();
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && isOpen()) {
                close();
                return true;
            }
            // A character typed into the list starts a search with it (a blank does not).
            const QString text = key->text();
            const bool plain =
                !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
            if (plain && !text.trimmed().isEmpty() && text.at(0).isPrint()) {
                open(text);
                return true;
            }
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

} // namespace app
