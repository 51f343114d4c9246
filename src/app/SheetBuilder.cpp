#include "app/SheetBuilder.h"

#include "app/FieldWidgets.h"
#include "card/Layout.h"
#include "card/Sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
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

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

// The frames and everything in them: SimSun where it is installed, a Song-style CJK face otherwise.
QFont sheetFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

// Frames draw their title on the top border line, and untitled frames draw the same border.
const char FrameStyle[] = "QGroupBox, QFrame[untitledFrame=\"true\"] {"
                          " border: 1px solid palette(mid); border-radius: 2px; }"
                          "QGroupBox { margin-top: 8px; }"
                          "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                          " left: 6px; padding: 0px 2px; }";

QFrame* untitledFrame(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setProperty("untitledFrame", true);
    return frame;
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
    auto* box = new QCheckBox(parent);
    if (item.kind == Kind::CheckF) {
        // The combat-card boxes are smaller than the style's usual indicator.
        box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 0px; } "
                                          "QCheckBox::indicator { width: 9px; height: 9px; }"));
    }
    return box;
}

QComboBox* comboBox(const Item& item, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
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
        return new QGroupBox(item.text, parent);
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
        return w.list1 = new QListView(parent);
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

SheetWidgets buildSheet(QWidget* client)
{
    SheetWidgets w;
    client->setFont(windowFont());
    const std::vector<Item>& table = layout::items();
    std::vector<QWidget*> built(table.size(), nullptr);
    QWidget* previousInTabOrder = nullptr;

    for (size_t i = 0; i < table.size(); ++i) {
        const Item& item = table[i];
        QWidget* parent = item.parent < 0 ? client : built[static_cast<size_t>(item.parent)];
        QWidget* widget = create(item, parent, w);
        built[i] = widget;

        widget->setGeometry(toPixels(item.rect));
        const QString name = layout::objectName(item);
        if (!name.isEmpty())
            widget->setObjectName(name);
        if (!item.name.isEmpty())
            widget->setAccessibleName(item.name);
        if (!item.enabled)
            widget->setEnabled(false);
        if (item.kind == Kind::SidePanel || item.kind == Kind::Page) {
            widget->setFont(sheetFont());
            widget->setStyleSheet(QLatin1String(FrameStyle));
        }

        if (layout::takesFocus(item.kind)) {
            if (previousInTabOrder)
                QWidget::setTabOrder(previousInTabOrder, widget);
            previousInTabOrder = widget;
        }
    }
    return w;
}

} // namespace app
