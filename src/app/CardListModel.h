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

    // Replaces every line, one entry at a time as the store reads them, laid out for the display
    // mode: begin, append each, end. Between begin and end the views wait; drop() empties what came
    // so far (the read failed).
    void beginRebuild();
    void append(const QString& mode, const card::ListEntry& entry);
    void drop();
    void endRebuild();

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
