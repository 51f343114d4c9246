#pragma once

#include "card/CardRecord.h"

#include <QAbstractListModel>
#include <QList>

namespace app {

// The lines of List1: each entry text, with its card's name kept beside it, so that loading,
// saving and deleting never depend on taking the name back out of the text.
class CardListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int NameRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // Replaces every line: one per entry, in the given order, laid out for the display mode.
    void rebuild(const QString& mode, const QList<card::ListEntry>& entries);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    QString text(int row) const { return m_lines.at(row).text; }
    QString name(int row) const { return m_lines.at(row).name; }

private:
    struct Line
    {
        QString text;
        QString name;
    };
    QList<Line> m_lines;
};

} // namespace app
