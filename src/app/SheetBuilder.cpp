#include "app/SheetBuilder.h"

#include "app/AccessibleNames.h"
#include "app/FieldWidgets.h"
#include "app/list/CardListView.h"
#include "app/list/ListSearchLine.h"
#include "app/window/LanguageAndFace.h"
#include "card/Sheet.h"
#include "card/layout/Layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTabBar>

#include <cmath>
#include <vector>

namespace app {

namespace {

using layout::Item;
using layout::Kind;

int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips / double(layout::TwipsPerPixel)));
}

QRect toPixels(const layout::Rect& r)
{
    const int left = toPixels(r.left);
    const int top = toPixels(r.top);
    return QRect(left, top, toPixels(r.right()) - left, toPixels(r.bottom()) - top);
}

// The sheet's frames: a thin border, with the caption (if any) standing on its top line. Painted
// here rather than through a style sheet, which would re-style every control of the sheet at start.
void paintFrame(QWidget* frame, const QString& caption)
{
    QPainter painter(frame);
    const QFontMetrics metrics = frame->fontMetrics();
    const int lineTop = caption.isEmpty() ? 0 : metrics.height() / 2;
    painter.setPen(frame->palette().color(QPalette::Mid));
    painter.drawRoundedRect(QRectF(frame->rect()).adjusted(0.5, lineTop + 0.5, -0.5, -0.5), 2, 2);
    if (caption.isEmpty())
        return;
    const QRect captionRect(6, 0, metrics.horizontalAdvance(caption) + 4, metrics.height());
    painter.fillRect(captionRect, frame->palette().color(frame->backgroundRole()));
    painter.setPen(frame->palette().color(QPalette::WindowText));
    painter.drawText(captionRect, Qt::AlignCenter, caption);
}

class SheetFrame : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override { paintFrame(this, title()); }
};

class UntitledFrame : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override { paintFrame(this, QString()); }
};

// The combat-card boxes are smaller than the style's usual indicator: the indicator is drawn at
// their own size.
class SmallTickBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const int side = qMin(qMin(width(), height()), 9);
        option.rect = QRect((width() - side) / 2, (height() - side) / 2, side, side);
        painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, option);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

QWidget* untitledFrame(QWidget* parent)
{
    return new UntitledFrame(parent);
}

QLabel* label(const Item& item, QWidget* parent)
{
    auto* text = new QLabel(item.text, parent);
    text->setAlignment(item.align);
    text->setWordWrap(item.wordWrap);
    return text;
}

QCheckBox* tickBox(const Item& item, QWidget* parent)
{
    if (item.kind == Kind::CheckF)
        return new SmallTickBox(parent);
    return new QCheckBox(parent);
}

QComboBox* comboBox(const Item& item, QWidget* parent)
{
    auto* combo = new NamedComboBox(parent);
    combo->addItems(item.choices);
    combo->setCurrentIndex(-1);
    return combo;
}

QTabBar* tabStrip(const Item& item, QWidget* parent)
{
    auto* tabs = new QTabBar(parent);
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    for (const QString& caption : item.choices)
        tabs->addTab(caption);
    // The pane under the tabs, framing the page area the tabs choose between.
    auto* pane = new QFrame(parent);
    pane->setObjectName(QStringLiteral("TabStrip1Pane"));
    pane->setFrameShape(QFrame::StyledPanel);
    const QRect strip = toPixels(item.rect);
    const int tabHeight = tabs->sizeHint().height();
    pane->setGeometry(strip.adjusted(0, tabHeight - 1, 0, 0));
    pane->stackUnder(tabs);
    return tabs;
}

QWidget* field(const Item& item, QWidget* parent)
{
    if (!item.multiLine)
        return new FieldLine(item.index, parent);
    auto* text = new FieldText(item.index, parent);
    if (item.readOnly) {
        text->setReadOnly(true);
        setFieldText(text, card::referenceText());
    }
    return text;
}

// Creates the control of one table row and files it in the widget set.
QWidget* create(const Item& item, QWidget* parent, SheetWidgets& w)
{
    switch (item.kind) {
    case Kind::SidePanel:
        return w.frameL = untitledFrame(parent);
    case Kind::TabStrip:
        return w.tabStrip = tabStrip(item, parent);
    case Kind::Page:
        return w.frameA[static_cast<size_t>(item.index)] = new QWidget(parent);
    case Kind::Frame:
        if (item.text.isEmpty())
            return untitledFrame(parent);
        return new SheetFrame(item.text, parent);
    case Kind::Field:
        return w.text[static_cast<size_t>(item.index)] = field(item, parent);
    case Kind::Caption:
    case Kind::Decoration:
        return label(item, parent);
    case Kind::CheckWN:
        return w.checkWN[static_cast<size_t>(item.index)] = tickBox(item, parent);
    case Kind::CheckF:
        return w.checkF[static_cast<size_t>(item.index)] = tickBox(item, parent);
    case Kind::CheckSet:
        return w.checkSet = new QCheckBox(item.text, parent);
    case Kind::Command:
        return w.command[static_cast<size_t>(item.index - 1)] = new QPushButton(item.text, parent);
    case Kind::Combo:
        return (item.index == 1 ? w.combo1 : w.combo2) = comboBox(item, parent);
    case Kind::List:
        return w.list1 = new CardListView(parent);
    case Kind::LabelLR: {
        auto* lr = new ClickLabel(item.text, parent);
        lr->setAlignment(item.align);
        lr->setCursor(Qt::PointingHandCursor);
        return w.labelLR = lr;
    }
    case Kind::LabelAbout:
        return w.labelAbout = label(item, parent);
    case Kind::LabelTras:
        return w.labelTras = label(item, parent);
    }
    return nullptr;
}

} // namespace

SheetBuilder::SheetBuilder(QWidget* client, SheetWidgets& widgets)
    : m_client(client), m_w(widgets), m_built(layout::items().size(), nullptr)
{
    // One face for the whole window, frames and fields included.
    client->setFont(interfaceFont());
    keepAccessibleNames();
    const std::vector<Item>& table = layout::items();
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].page < 0 || table[i].kind == Kind::Page)
            build(i);
    }
    linkFocus(0, table.size());
}

bool SheetBuilder::isBuilt(int page) const
{
    return m_pageBuilt[static_cast<size_t>(page)];
}

void SheetBuilder::buildPage(int page)
{
    if (page < 0 || page >= PageCount || isBuilt(page))
        return;
    m_pageBuilt[static_cast<size_t>(page)] = true;
    // Built while hidden, the new controls appear with their page; on screen, they would not.
    QWidget* frame = m_w.frameA[static_cast<size_t>(page)];
    const bool onScreen = !frame->isHidden();
    if (onScreen)
        frame->hide();
    const std::vector<Item>& table = layout::items();
    size_t first = table.size();
    size_t end = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].page == page && !m_built[i]) {
            build(i);
            first = qMin(first, i);
            end = i + 1;
        }
    }
    if (first < end)
        linkFocus(first, end);
    if (onScreen)
        frame->show();
}

QWidget* SheetBuilder::build(size_t position)
{
    const Item& item = layout::items()[position];
    QWidget* parent = item.parent < 0 ? m_client : m_built[static_cast<size_t>(item.parent)];
    QWidget* widget = create(item, parent, m_w);
    m_built[position] = widget;

    widget->setGeometry(toPixels(item.rect));
    const QString name = layout::objectName(item);
    if (!name.isEmpty())
        widget->setObjectName(name);
    if (!item.name.isEmpty())
        widget->setAccessibleName(item.name);
    if (!item.enabled)
        widget->setEnabled(false);
    return widget;
}

void SheetBuilder::linkFocus(size_t first, size_t end)
{
    const std::vector<Item>& table = layout::items();
    QWidget* previous = nullptr;
    for (size_t i = first; i-- > 0;) {
        if (m_built[i] && layout::takesFocus(table[i].kind)) {
            previous = m_built[i];
            break;
        }
    }
    for (size_t i = first; i < end; ++i) {
        if (!m_built[i] || !layout::takesFocus(table[i].kind))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, m_built[i]);
        previous = m_built[i];
    }
}

SheetWidgets buildSheet(QWidget* client)
{
    SheetWidgets w;
    SheetBuilder builder(client, w);
    for (int page = 0; page < SheetBuilder::PageCount; ++page)
        builder.buildPage(page);
    return w;
}

} // namespace app
