#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QTableView;

namespace store {
class CardStore;
}

namespace app {

class RosterModel;

// "角色卡总览": every card's list entry in a table, sorted by the column clicked, with a search of its
// own. Double-clicking a line, or Return on it, picks its card in the window; the dialog stays open.
class RosterDialog : public QDialog
{
    Q_OBJECT
public:
    RosterDialog(store::CardStore& cards, QWidget* parent);

    // Reads the list entries from the store again; false (with the reason) where it could not.
    bool reload(QString* error);

    QTableView* table() const { return m_table; }
    QLineEdit* findLine() const { return m_find; }
    RosterModel* model() const { return m_model; }

signals:
    void picked(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Coming back to the dialog shows the cards as they are now.
    void changeEvent(QEvent* event) override;

private:
    void pick(const QModelIndex& index);

    store::CardStore& m_cards;
    RosterModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLineEdit* m_find = nullptr;
};

} // namespace app
