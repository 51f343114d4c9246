#pragma once

#include <QListView>

#include <functional>

namespace app {

// The view of List1. Every line has the height of the first, so where a line stands follows from its
// row alone: nothing is laid out line by line, and a write that adds, changes or removes one line
// costs the same at ten cards as at a hundred thousand. It shows one column of lines from top to
// bottom without hidden rows, which is all the card list asks of it; it looks and behaves as the
// list view it stands for. It can give a strip at its top to the search line, the lines moving down
// below it. Removing the current line picks no other: a list view would select the next one.
class CardListView : public QListView
{
public:
    explicit CardListView(QWidget* parent = nullptr);

    void setTopMargin(int pixels) { setViewportMargins(0, pixels, 0, 0); }
    // A hint shown inside the list while it has no lines: hint gives its text, or nothing where the
    // emptiness says nothing (a search, a list still being read).
    void setEmptyHint(std::function<QString()> hint) { m_emptyHint = std::move(hint); }
    // The hint painted now, or nothing.
    QString emptyHint() const;
    // What an empty store says: how to add the first card.
    static QString firstCardHint()
    {
        return QStringLiteral("还没有角色卡：按“准备新增”，填写名字，再按“新增”。");
    }

    void setModel(QAbstractItemModel* model) override;
    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void changeEvent(QEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    // The size of the first line, that of every line; measured again once the lines changed.
    QSize line() const;
    int rows() const;
    bool perItem() const { return verticalScrollMode() == ScrollPerItem; }
    // The lines that fit wholly into the viewport, at least one.
    int rowsPerPage() const;
    int lineWidth() const;
    // The row at a height in the viewport, -1 above the first line; may be past the last.
    int rowAt(int y) const;
    QModelIndex indexOfRow(int row) const;
    void announce(int event, const QModelIndex& index);

    std::function<QString()> m_emptyHint;
    mutable QSize m_line;
    mutable bool m_lineStale = true;
};

} // namespace app
