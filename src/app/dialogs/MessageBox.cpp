#include "app/dialogs/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>

namespace {
MessageBox::Button g_nextAnswer = MessageBox::NoButton;
bool g_autoAnswer = false;
QList<MessageBox::Shown> g_history;
} // namespace

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
    return static_cast<Button>(dialog.exec());
}
