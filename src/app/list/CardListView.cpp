#include "app/list/CardListView.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace app {

CardListView::CardListView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
}

int CardListView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QModelIndex CardListView::indexOfRow(int row) const
{
    return row >= 0 && row < rows() ? model()->index(row, modelColumn(), rootIndex()) : QModelIndex();
}

int CardListView::rowsPerPage() const
{
    return line().height() > 0 ? std::max(1, viewport()->height() / line().height()) : 1;
}

int CardListView::lineWidth() const
{
    // A line is as wide as the viewport, or as the first line when that is wider.
    return std::max(line().width(), viewport()->width());
}

int CardListView::rowAt(int y) const
{
    const int offset = y + verticalOffset();
    if (line().height() <= 0 || offset < 0)
        return -1;
    return offset / line().height();
}

void CardListView::setModel(QAbstractItemModel* model)
{
    QListView::setModel(model);
    m_lineStale = true;
    if (!model)
        return;
    // Whatever changes the lines may change the first one, which gives every line its size.
    const auto stale = [this] { m_lineStale = true; };
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    connect(model, &QAbstractItemModel::dataChanged, this, stale);
}

void CardListView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_lineStale = true;
    QListView::changeEvent(event);
}

QSize CardListView::line() const
{
    if (m_lineStale) {
        // One line measured stands for all of them.
        const QModelIndex first = indexOfRow(0);
        m_line = first.isValid() ? sizeHintForIndex(first) : QSize();
        m_lineStale = false;
    }
    return m_line;
}

void CardListView::doItemsLayout()
{
    // Nothing is laid out line by line: the bars are set for the lines there are now.
    m_lineStale = true;
    QAbstractItemView::doItemsLayout();
}

int CardListView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int CardListView::verticalOffset() const
{
    const int value = verticalScrollBar()->value();
    return perItem() ? value * line().height() : value;
}

void CardListView::updateGeometries()
{
    const int count = rows();
    const int height = line().height();
    const int page = viewport()->height();
    QScrollBar* vertical = verticalScrollBar();
    if (count == 0 || height <= 0) {
        vertical->setRange(0, 0);
    } else if (perItem()) {
        // As many steps as lines; the last page ends with the last line.
        const int pageRows = count * height > page ? rowsPerPage() : count;
        vertical->setSingleStep(1);
        vertical->setPageStep(pageRows);
        vertical->setRange(0, count - pageRows);
    } else {
        vertical->setSingleStep(height);
        vertical->setPageStep(page);
        vertical->setRange(0, std::max(0, count * height - page));
    }
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setSingleStep(std::max(1, line().width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setRange(0, count == 0 ? 0 : std::max(0, line().width() - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void CardListView::scrollContentsBy(int dx, int dy)
{
    // Scrolled by lines, the bar counts lines and the viewport moves by their height.
    const int pixels = perItem() ? dy * line().height() : dy;
    viewport()->scroll(isRightToLeft() ? -dx : dx, pixels);
}

QRect CardListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn() ||
        line().height() <= 0)
        return {};
    return {-horizontalOffset(), index.row() * line().height() - verticalOffset(), lineWidth(),
            line().height()};
}

QModelIndex CardListView::indexAt(const QPoint& point) const
{
    const QModelIndex index = indexOfRow(rowAt(point.y()));
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void CardListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || line().height() <= 0)
        return;
    // The bars fit the lines there are now, even before the view lays them out: a search just closed
    // would otherwise hold the bar to the few lines it showed.
    updateGeometries();
    // The lines start at the left edge: showing one shows the left end of the list.
    horizontalScrollBar()->setValue(0);
    const int height = line().height();
    const int pageRows = rowsPerPage();
    const int row = index.row();
    const int top = verticalOffset() / height;
    int first = top;
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            first = row;
        else if (row >= top + pageRows)
            first = row - pageRows + 1;
        break;
    case PositionAtTop:
        first = row;
        break;
    case PositionAtBottom:
        first = row - pageRows + 1;
        break;
    case PositionAtCenter:
        first = row - pageRows / 2;
        break;
    }
    first = std::max(0, first);
    verticalScrollBar()->setValue(perItem() ? first : first * height);
}

QModelIndex CardListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int count = rows();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return indexOfRow(0);
    const int step = std::max(1, rowsPerPage() - 1);
    int row = current.row();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row -= 1;
        break;
    case MoveDown:
    case MoveNext:
        row += 1;
        break;
    case MovePageUp:
        row -= step;
        break;
    case MovePageDown:
        row += step;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return indexOfRow(std::clamp(row, 0, count - 1));
}

void CardListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel())
        return;
    const QRect area = rect.normalized();
    const int first = std::max(0, rowAt(area.top()));
    const int last = std::min(rows() - 1, rowAt(area.bottom()));
    QItemSelection selection;
    const bool across = area.right() >= -horizontalOffset() && area.left() < lineWidth() - horizontalOffset();
    if (across && first <= last)
        selection.select(indexOfRow(first), indexOfRow(last));
    selectionModel()->select(selection, command);
}

QRegion CardListView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const QRect shown = viewport()->rect();
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex() || range.left() > modelColumn() ||
            range.right() < modelColumn())
            continue;
        const QRect top = visualRect(indexOfRow(range.top()));
        const QRect bottom = visualRect(indexOfRow(range.bottom()));
        region += QRect(top.topLeft(), bottom.bottomRight()).intersected(shown);
    }
    return region;
}

QString CardListView::emptyHint() const
{
    if (!model() || !m_emptyHint || model()->rowCount() > 0)
        return {};
    return m_emptyHint();
}

void CardListView::paintEvent(QPaintEvent* event)
{
    if (const QString hint = emptyHint(); !hint.isEmpty()) {
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        const int margin = fontMetrics().height() / 2;
        painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, hint);
        return;
    }
    const int height = line().height();
    if (!model() || height <= 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QPainter painter(viewport());
    const QStyle::State state = option.state;
    const bool enabled = (state & QStyle::State_Enabled) != 0;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QPoint mouse =
        viewport()->underMouse() ? viewport()->mapFromGlobal(QCursor::pos()) : QPoint(-1, -1);
    const QModelIndex hover = viewport()->underMouse() ? indexAt(mouse) : QModelIndex();
    const QItemSelectionModel* selections = selectionModel();
    const int first = std::max(0, rowAt(event->rect().top()));
    const int last = std::min(rows() - 1, rowAt(event->rect().bottom()));
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = indexOfRow(row);
        option.rect = visualRect(index);
        option.state = state;
        if (selections && selections->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool itemEnabled = (model()->flags(index) & Qt::ItemIsEnabled) != 0;
            if (!itemEnabled)
                option.state &= ~QStyle::State_Enabled;
            option.palette.setCurrentColorGroup(itemEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && index == current) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        if (index == hover)
            option.state |= QStyle::State_MouseOver;
        else
            option.state &= ~QStyle::State_MouseOver;
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void CardListView::announce(int event, const QModelIndex& index)
{
#if QT_CONFIG(accessibility)
    // A line is the child of its row for assistive technology.
    if (QAccessible::isActive() && index.isValid()) {
        QAccessibleEvent accessible(this, static_cast<QAccessible::Event>(event));
        accessible.setChild(index.row());
        QAccessible::updateAccessibility(&accessible);
    }
#else
    Q_UNUSED(event);
    Q_UNUSED(index);
#endif
}

void CardListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The selection goes with its line; what is picked next is for the user to say.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.parent() == parent && current.row() >= start && current.row() <= end)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void CardListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (hasFocus())
        announce(QAccessible::Focus, current);
    QAbstractItemView::currentChanged(current, previous);
}

void CardListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    announce(QAccessible::SelectionAdd, selected.indexes().value(0));
    announce(QAccessible::SelectionRemove, deselected.indexes().value(0));
    QAbstractItemView::selectionChanged(selected, deselected);
}

} // namespace app
