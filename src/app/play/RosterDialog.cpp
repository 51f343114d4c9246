#include "app/play/RosterDialog.h"

#include "app/play/RosterModel.h"
#include "store/CardStore.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace app {

RosterDialog::RosterDialog(store::CardStore& cards, QWidget* parent) : QDialog(parent), m_cards(cards)
{
    setObjectName(QStringLiteral("RosterDialog"));
    setWindowTitle(QStringLiteral("角色卡总览"));
    setAccessibleName(QStringLiteral("角色卡总览"));
    setModal(false);

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("RosterFind"));
    m_find->setAccessibleName(QStringLiteral("查找角色卡"));
    m_find->setPlaceholderText(QStringLiteral("查找"));
    m_find->setClearButtonEnabled(true);

    m_model = new RosterModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("RosterTable"));
    m_table->setAccessibleName(QStringLiteral("角色卡表"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(0, Qt::AscendingOrder);
    m_table->installEventFilter(this);

    connect(m_find, &QLineEdit::textChanged, m_model, &RosterModel::setFilter);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &RosterDialog::pick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_find);
    layout->addWidget(m_table);
    resize(560, 420);
}

bool RosterDialog::reload(QString* error)
{
    store::ListResult result = m_cards.list();
    if (!result.ok) {
        *error = result.error;
        return false;
    }
    const QModelIndex current = m_table->currentIndex();
    const QString name = current.isValid() ? current.data(RosterModel::NameRole).toString() : QString();
    m_model->setEntries(std::move(result.entries));
    if (const int row = m_model->rowOf(name); row >= 0)
        m_table->selectionModel()->setCurrentIndex(m_model->index(row, current.column()),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    return true;
}

bool RosterDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pick(m_table->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RosterDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        QString error;
        reload(&error); // a store that cannot be read now keeps the lines last read
    }
}

void RosterDialog::pick(const QModelIndex& index)
{
    if (index.isValid())
        emit picked(index.data(RosterModel::NameRole).toString());
}

} // namespace app
