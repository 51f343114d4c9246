#include "app/dialogs/MessageBox.h"

#include <QApplication>

namespace {
MessageBox::Button g_nextAnswer = MessageBox::NoButton;
bool g_autoAnswer = false;
QList<MessageBox::Shown> g_history;
} // namespace

void MessageBox::inform(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, {title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon});
}

void MessageBox::warn(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, {title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Warning});
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& title, const QString& text)
{
    return show(parent,
                {title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::NoIcon});
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
    return static_cast<Button>(dialog.exec());
}
