#include "app/list/CardListModel.h"

#include "list/ListLines.h"
#include "list/ListSearch.h"

#include <algorithm>
#include <utility>

namespace app {

CardListModel::Line CardListModel::lineOf(const QString& mode, const card::ListEntry& entry)
{
    QString text = list::entryText(mode, entry);
    const bool normal = list::isSearchNormal(text);
    return {std::move(text), static_cast<qint32>(list::nameOffset(mode, entry)),
            static_cast<qint32>(entry.nam.size()), normal};
}

void CardListModel::setLines(QList<Line> lines)
{
    beginResetModel();
    m_wider.clear();
    m_lines = std::move(lines);
    m_lines.squeeze();
    m_shown.clear();
    if (m_filtered) {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (shows(m_lines[i]))
                m_shown.push_back(static_cast<int>(i));
        }
    }
    endResetModel();
}

void CardListModel::extendLines(QList<Line> lines)
{
    const qsizetype first = m_lines.size();
    if (lines.size() <= first)
        return;
    m_wider.clear();
    if (!m_filtered) {
        beginInsertRows({}, static_cast<int>(first), static_cast<int>(lines.size() - 1));
        m_lines = std::move(lines);
        endInsertRows();
        return;
    }
    std::vector<int> shown;
    for (qsizetype i = first; i < lines.size(); ++i) {
        if (shows(lines[i]))
            shown.push_back(static_cast<int>(i));
    }
    if (shown.empty()) {
        m_lines = std::move(lines);
        return;
    }
    const int row = static_cast<int>(m_shown.size());
    beginInsertRows({}, row, row + static_cast<int>(shown.size()) - 1);
    m_lines = std::move(lines);
    m_shown.insert(m_shown.end(), shown.begin(), shown.end());
    endInsertRows();
}

qsizetype CardListModel::place(QStringView name, bool* found) const
{
    const auto at =
        std::lower_bound(m_lines.cbegin(), m_lines.cend(), name,
                         [this](const Line& l, QStringView n) { return m_order.less(l.name(), n); });
    const qsizetype i = at - m_lines.cbegin();
    *found = i < m_lines.size() && m_lines[i].name() == name;
    return i;
}

int CardListModel::shownRow(qsizetype at, bool* found) const
{
    const auto it = std::lower_bound(m_shown.cbegin(), m_shown.cend(), static_cast<int>(at));
    *found = it != m_shown.cend() && *it == at;
    return static_cast<int>(it - m_shown.cbegin());
}

void CardListModel::shiftShown(qsizetype fromRow, int by)
{
    for (auto i = static_cast<size_t>(fromRow); i < m_shown.size(); ++i)
        m_shown[i] += by;
}

bool CardListModel::shows(const Line& l) const
{
    return list::matchesSearch(l.text, l.searchNormal, m_searchForm);
}

void CardListModel::putEntry(const QString& mode, const card::ListEntry& entry)
{
    Line l = lineOf(mode, entry);
    m_wider.clear();
    bool found = false;
    const qsizetype at = place(entry.nam, &found);
    if (!m_filtered) {
        if (found) {
            m_lines[at] = std::move(l);
            emit dataChanged(index(static_cast<int>(at)), index(static_cast<int>(at)));
        } else {
            beginInsertRows({}, static_cast<int>(at), static_cast<int>(at));
            m_lines.insert(at, std::move(l));
            endInsertRows();
        }
        return;
    }
    bool wasShown = false;
    const int row = shownRow(at, &wasShown);
    const bool nowShown = shows(l);
    if (found) {
        if (wasShown && nowShown) {
            m_lines[at] = std::move(l);
            emit dataChanged(index(row), index(row));
        } else if (wasShown) {
            beginRemoveRows({}, row, row);
            m_lines[at] = std::move(l);
            m_shown.erase(m_shown.begin() + row);
            endRemoveRows();
        } else if (nowShown) {
            beginInsertRows({}, row, row);
            m_lines[at] = std::move(l);
            m_shown.insert(m_shown.begin() + row, static_cast<int>(at));
            endInsertRows();
        } else {
            m_lines[at] = std::move(l);
        }
        return;
    }
    if (nowShown)
        beginInsertRows({}, row, row);
    m_lines.insert(at, std::move(l));
    shiftShown(row, 1);
    if (nowShown) {
        m_shown.insert(m_shown.begin() + row, static_cast<int>(at));
        endInsertRows();
    }
}

void CardListModel::removeName(const QString& name)
{
    bool found = false;
    const qsizetype at = place(name, &found);
    if (!found)
        return;
    m_wider.clear();
    if (!m_filtered) {
        beginRemoveRows({}, static_cast<int>(at), static_cast<int>(at));
        m_lines.remove(at);
        endRemoveRows();
        return;
    }
    bool shown = false;
    const int row = shownRow(at, &shown);
    if (shown) {
        beginRemoveRows({}, row, row);
        m_shown.erase(m_shown.begin() + row);
    }
    m_lines.remove(at);
    shiftShown(row, -1);
    if (shown)
        endRemoveRows();
}

void CardListModel::setFilter(const QString& typed)
{
    const QString form = list::searchForm(typed);
    const bool filtered = !form.isEmpty();
    if (filtered == m_filtered && form == m_searchForm)
        return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> at;
    at.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& i : before)
        at.push_back(m_filtered ? m_shown[size_t(i.row())] : i.row());

    // A longer text can only match lines that matched a shorter one it contains; the lines found for
    // the shorter texts typed before it are kept while the text grows, so that a text shortened again
    // (Backspace) finds its lines again at once.
    if (m_filtered)
        m_wider.push_back({m_searchForm, std::exchange(m_shown, {})});
    while (!m_wider.empty() && !(filtered && form.contains(m_wider.back().form)))
        m_wider.pop_back();
    const bool again = !m_wider.empty() && m_wider.back().form == form;
    m_shown.clear();
    m_filtered = filtered;
    m_searchForm = form;
    if (again) {
        m_shown = std::move(m_wider.back().shown);
        m_wider.pop_back();
    } else if (filtered) {
        if (!m_wider.empty()) {
            for (int i : m_wider.back().shown) {
                if (shows(m_lines[i]))
                    m_shown.push_back(i);
            }
        } else {
            for (qsizetype i = 0; i < m_lines.size(); ++i) {
                if (shows(m_lines[i]))
                    m_shown.push_back(static_cast<int>(i));
            }
        }
    }

    QModelIndexList after;
    after.reserve(before.size());
    for (int i : at) {
        bool found = true;
        const int row = filtered ? shownRow(i, &found) : i;
        after << (found ? index(row) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

int CardListModel::rowOf(const QString& name) const
{
    bool found = false;
    const qsizetype at = place(name, &found);
    if (!found)
        return -1;
    if (!m_filtered)
        return static_cast<int>(at);
    bool shown = false;
    const int row = shownRow(at, &shown);
    return shown ? row : -1;
}

int CardListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_filtered ? m_shown.size() : size_t(m_lines.size()));
}

QVariant CardListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Line& l = line(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return l.text;
    if (role == NameRole)
        return l.name().toString();
    return {};
}

void ListSelection::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) &&
        !(command & (QItemSelectionModel::Clear | QItemSelectionModel::Select)))
        return;
    QItemSelectionModel::select(selection, command);
}

} // namespace app
