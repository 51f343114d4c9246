#pragma once

#include "card/CardRecord.h"
#include "list/NameOrder.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QList>

#include <vector>

namespace app {

// The lines of List1 in name order: each entry text, with the place of its card's name in it, so that
// loading, saving and deleting never depend on taking the name back out of the text. A write changes
// the one line concerned; a search shows only the lines that contain what was typed.
class CardListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int NameRole = Qt::UserRole + 1;

    struct Line
    {
        QString text;
        qint32 nameFrom = 0;
        qint32 nameSize : 31 = 0;
        // The text is in normal form for finding (list::isSearchNormal), told apart once: a search
        // then matches it as it is. It takes the spare bit of the name's size: no line grows.
        bool searchNormal : 1 = false;

        QStringView name() const { return QStringView(text).mid(nameFrom, nameSize); }
    };
    static_assert(sizeof(Line) == sizeof(QString) + 2 * sizeof(qint32));
    // The line of an entry, laid out for the display mode.
    static Line lineOf(const QString& mode, const card::ListEntry& entry);

    using QAbstractListModel::QAbstractListModel;

    // Replaces every line by lines already in name order (a full refresh); nothing stays selected.
    void setLines(QList<Line> lines);
    // Takes lines in name order that begin with the lines held: the others are added after them.
    void extendLines(QList<Line> lines);
    const QList<Line>& lines() const { return m_lines; }
    const list::NameOrder& order() const { return m_order; }

    // After one write: puts the entry's line at its place in name order, or replaces the line of the
    // same name; removes the line of a name.
    void putEntry(const QString& mode, const card::ListEntry& entry);
    void removeName(const QString& name);

    // Shows only the lines that contain the typed text (all of them for an empty text). A line that
    // stays shown keeps its selection.
    void setFilter(const QString& typed);
    bool isFiltered() const { return m_filtered; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    QString name(int row) const { return line(row).name().toString(); }
    // The row that shows the line of a name; -1 where there is none or the search hides it.
    int rowOf(const QString& name) const;

private:
    const Line& line(int row) const { return m_lines.at(m_filtered ? m_shown[size_t(row)] : row); }
    // Where a line of that name stands or would stand; found tells which.
    qsizetype place(QStringView name, bool* found) const;
    // The shown row of a line, or where it would be shown (found tells which).
    int shownRow(qsizetype at, bool* found) const;
    void shiftShown(qsizetype from, int by);
    bool shows(const Line& l) const;

    QList<Line> m_lines;
    list::NameOrder m_order;
    bool m_filtered = false;
    QString m_searchForm;
    std::vector<int> m_shown; // the lines shown while filtered, by their place in m_lines
    // The lines found for the shorter texts the one searched for grew from, the shortest first; gone
    // with any change of the lines.
    struct Found
    {
        QString form;
        std::vector<int> shown;
    };
    std::vector<Found> m_wider;
};

// The selection of List1: one line or none. Picking a line replaces the selection and a rebuild
// clears it; a deselect alone, as Ctrl with a click or the space bar asks for on the selected
// line, changes nothing.
class ListSelection : public QItemSelectionModel
{
    Q_OBJECT
public:
    using QItemSelectionModel::QItemSelectionModel;
    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
};

} // namespace app
