// The card list of the main window: the refresh, the one line that changes after a write, the search,
// and the card picked in it. A search hides lines but never the pick: the card whose line it hides
// can still be saved and deleted, and its line is selected again as soon as it is shown.
#include "app/Form1.h"
#include "app/list/CardListModel.h"
#include "app/list/ListFill.h"
#include "app/list/ListSearchLine.h"

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
    m_w.list1->viewport()->update(); // the hint of an empty list follows the list
    if (!hasPick())
        setCardButtons(m_w.command2()->isEnabled(), false);
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

// The pick goes before the line changes: a line that moves or goes out of sight hands the selection
// on to no other card.
void Form1::dropPick()
{
    m_hiddenPick.clear();
    m_w.list1->selectionModel()->clear();
}

void Form1::putListLine(const card::ListEntry& entry)
{
    // As after a full refresh: nothing selected, saving and deleting off.
    dropPick();
    if (finishListFill())
        m_listModel->putEntry(m_w.combo1->currentText(), entry);
    listRefreshed();
}

void Form1::removeListLine(const QString& name)
{
    dropPick();
    if (finishListFill())
        m_listModel->removeName(name);
    listRefreshed();
}

void Form1::searchList(const QString& text)
{
    if (!text.isEmpty())
        finishListFill();
    const QString picked = selectedListName();
    m_listModel->setFilter(text);
    m_hiddenPick.clear();
    if (!picked.isEmpty() && selectedListRow() < 0 && !selectLine(picked))
        m_hiddenPick = picked;
    listRefreshed();
}

bool Form1::selectLine(const QString& name)
{
    const int row = m_listModel->rowOf(name);
    if (row < 0)
        return false;
    // The card is on the sheet already, with whatever edits it carries: it is not loaded again.
    m_selectingOnly = true;
    m_w.list1->selectionModel()->setCurrentIndex(m_listModel->index(row),
                                                 QItemSelectionModel::ClearAndSelect);
    m_selectingOnly = false;
    return true;
}

void Form1::pickCard(const QString& name)
{
    // A line still to be read is read now; one the search hides stays hidden and is picked all the same.
    finishListFill();
    const int row = m_listModel->rowOf(name);
    if (row >= 0 && row == selectedListRow()) {
        List1_Click();
    } else if (row >= 0) {
        m_w.list1->selectionModel()->setCurrentIndex(m_listModel->index(row),
                                                     QItemSelectionModel::ClearAndSelect);
    } else {
        dropPick();
        m_hiddenPick = name;
        List1_Click();
    }
}

void Form1::pickListCard(const QString& name)
{
    finishListFill();
    if (m_listModel->isFiltered() && m_listModel->rowOf(name) < 0)
        m_searchLine->close();
    pickCard(name);
}

void Form1::cardRenamed(const QString& from, const card::ListEntry& entry)
{
    const QString& to = entry.nam;
    const bool picked = selectedListName() == from;
    const bool add = m_w.command2()->isEnabled();
    const bool saveAndDelete = m_w.command3()->isEnabled();
    dropPick();
    if (finishListFill()) {
        m_listModel->removeName(from);
        m_listModel->putEntry(m_w.combo1->currentText(), entry);
    }
    if (!m_draftIsNew && m_draftName == from) {
        // The name field, the values as loaded and the last draft follow the store.
        m_draftName = to;
        m_baseline.text[card::NameField] = to;
        if (m_lastDraft)
            m_lastDraft->text[card::NameField] = to;
        card::Sheet sheet = readSheet();
        if (sheet.text[card::NameField] == from) {
            sheet.text[card::NameField] = to;
            writeSheet(sheet);
        }
    }
    if (picked && !selectLine(to))
        m_hiddenPick = to;
    setCardButtons(add, saveAndDelete);
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
        return m_hiddenPick;
    return m_listModel->name(row);
}

bool Form1::hasPick() const
{
    return selectedListRow() >= 0 || !m_hiddenPick.isEmpty();
}

void Form1::listSelectionChanged()
{
    if (selectedListRow() < 0)
        return;
    m_hiddenPick.clear();
    if (!m_selectingOnly)
        List1_Click();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_w.list1 && event->type() == QEvent::FocusOut) {
        // Losing the focus with nothing picked turns saving and deleting off.
        if (!hasPick())
            setCardButtons(m_w.command2()->isEnabled(), false);
    } else if (watched == m_w.list1->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A Ctrl+click on the selected line changes nothing: no reload either.
        const bool ctrl = static_cast<QMouseEvent*>(event)->modifiers() & Qt::ControlModifier;
        m_selectedAtPress = ctrl ? -1 : selectedListRow();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
