#include "app/dialogs/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace {
MessageBox::Button g_nextAnswer = MessageBox::NoButton;
bool g_autoAnswer = false;
QList<MessageBox::Shown> g_history;
// The window system's icon and its buttons (minimize, maximize, close) beside the title, and a
// narrowest box that still reads as a box.
constexpr int TitleBarRoom = 160;
constexpr int NarrowestBox = 240;

} // namespace

int MessageBox::widthForTitle(int titleTextWidth)
{
    return qMax(NarrowestBox, titleTextWidth + TitleBarRoom);
}

void MessageBox::fitTitle(QMessageBox& box)
{
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    // The box sets its own fixed size from its layout: a strut across the layout widens it.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = widthForTitle(title.horizontalAdvance(box.windowTitle()));
    const QMargins margins = grid->contentsMargins();
    grid->addItem(new QSpacerItem(width - margins.left() - margins.right(), 0, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void MessageBox::inform(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, {title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon, {}});
}

void MessageBox::warn(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, {title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Warning, {}});
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& title, const QString& text)
{
    return show(parent,
                {title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::NoIcon, {}});
}

MessageBox::Button MessageBox::choose(QWidget* parent, const QString& title, const QString& text,
                                      const QList<Choice>& choices)
{
    Shown box{title, text, {}, QMessageBox::NoButton, QMessageBox::Warning, choices};
    for (const Choice& choice : choices)
        box.buttons |= static_cast<QMessageBox::StandardButton>(choice.button);
    if (!choices.isEmpty())
        box.defaultButton = static_cast<QMessageBox::StandardButton>(choices.first().button);
    return show(parent, box);
}

void MessageBox::setNextAnswer(Button button)
{
    g_nextAnswer = button;
}

void MessageBox::setAutoAnswer(bool on)
{
    g_autoAnswer = on;
    if (!on)
        g_history.clear();
}

const QList<MessageBox::Shown>& MessageBox::history()
{
    return g_history;
}

void MessageBox::clearHistory()
{
    g_history.clear();
}

MessageBox::Button MessageBox::show(QWidget* parent, const Shown& box)
{
    if (g_autoAnswer)
        g_history.append(box);
    if (g_nextAnswer != NoButton) {
        const Button answer = g_nextAnswer;
        g_nextAnswer = NoButton;
        return answer;
    }
    if (g_autoAnswer)
        return static_cast<Button>(box.defaultButton);
    QMessageBox dialog(box.icon, box.title, box.text, box.buttons, parent);
    dialog.setDefaultButton(box.defaultButton);
    for (const Choice& choice : box.choices)
        dialog.button(static_cast<QMessageBox::StandardButton>(choice.button))->setText(choice.text);
    fitTitle(dialog);
    return static_cast<Button>(dialog.exec());
}
