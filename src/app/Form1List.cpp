// The card list of the main window: the refresh, the one line that changes after a write, the search,
// and the line picked in it.
#include "app/CardListModel.h"
#include "app/Form1.h"
#include "app/ListFill.h"

#include <QComboBox>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>

namespace app {

void Form1::RefreshList()
{
    // At start-up a large store goes on filling once the window is up; otherwise the first screenful
    // is there when this returns, and the rest follows from the event loop.
    QString error;
    const bool ok = m_listFill->start(m_w.combo1->currentText(), m_starting, &error);
    if (!ok && !m_starting)
        showFailure(error);
    listRefreshed();
}

bool Form1::isListFilling() const
{
    return m_listFill->isBusy();
}

void Form1::listRefreshed()
{
    if (selectedListRow() < 0)
        setCardButtons(m_w.command[1]->isEnabled(), false);
}

bool Form1::finishListFill()
{
    QString error;
    if (m_listFill->finish(&error))
        return true;
    listRefreshed();
    showFailure(error);
    return false;
}

void Form1::putListLine(const card::ListEntry& entry)
{
    if (finishListFill())
        m_listModel->putEntry(m_w.combo1->currentText(), entry);
    // As after a full refresh: nothing selected, saving and deleting off.
    m_w.list1->selectionModel()->clear();
    listRefreshed();
}

void Form1::removeListLine(const QString& name)
{
    if (finishListFill())
        m_listModel->removeName(name);
    m_w.list1->selectionModel()->clear();
    listRefreshed();
}

void Form1::searchList(const QString& text)
{
    if (!text.isEmpty())
        finishListFill();
    m_listModel->setFilter(text);
    // A selected line that is no longer shown leaves the list without a selection.
    listRefreshed();
}

void Form1::Combo1_Click()
{
    RefreshList();
}

int Form1::selectedListRow() const
{
    const QModelIndexList selected = m_w.list1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString Form1::selectedListName() const
{
    const int row = selectedListRow();
    if (row < 0)
        return {};
    return m_listModel->name(row);
}

void Form1::listSelectionChanged()
{
    if (selectedListRow() >= 0)
        List1_Click();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_w.list1 && event->type() == QEvent::FocusOut) {
        // Losing the focus with nothing selected turns saving and deleting off.
        if (selectedListRow() < 0)
            setCardButtons(m_w.command[1]->isEnabled(), false);
    } else if (watched == m_w.list1->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A Ctrl+click on the selected line changes nothing: no reload either.
        const bool ctrl = static_cast<QMouseEvent*>(event)->modifiers() & Qt::ControlModifier;
        m_selectedAtPress = ctrl ? -1 : selectedListRow();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
