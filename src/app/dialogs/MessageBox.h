#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message box of the program goes through here, so that tests can answer in advance and read
// back what was shown. Outside the test seam nothing is kept.
class MessageBox
{
public:
    enum Button {
        NoButton = 0,
        Ok = QMessageBox::Ok,
        Yes = QMessageBox::Yes,
        No = QMessageBox::No,
        Save = QMessageBox::Save,
        Discard = QMessageBox::Discard,
        Cancel = QMessageBox::Cancel
    };

    // A button in the program's own words, in the place and role of a standard one.
    struct Choice
    {
        Button button = NoButton;
        QString text;
    };

    struct Shown
    {
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QList<Choice> choices; // the buttons' own words, where they have them
    };

    // The program's two titles: of information and errors, and of questions.
    static QString informTitle() { return QStringLiteral("qlmk-Orz"); }
    static QString questionTitle() { return QStringLiteral("Qlmk"); }

    // The width a box needs to show its whole title beside the window system's buttons, given the
    // width of the title's text in the title bar's font.
    static int widthForTitle(int titleTextWidth);
    // Widens a box to at least widthForTitle of its title.
    static void fitTitle(QMessageBox& box);

    // OK only, no icon.
    static void inform(QWidget* parent, const QString& title, const QString& text);
    // An error the user must know of: OK only, warning icon.
    static void warn(QWidget* parent, const QString& title, const QString& text);
    // Yes and No, Yes the default, no icon.
    static Button question(QWidget* parent, const QString& title, const QString& text);
    // The choices given, warning icon; the first choice is the default, and Cancel, where it is among
    // them, is what Escape and closing the box answer.
    static Button choose(QWidget* parent, const QString& title, const QString& text,
                         const QList<Choice>& choices);

    // Test seam: the next box is not shown but answered with this button.
    static void setNextAnswer(Button button);
    // Test seam: every box is answered at once (the default answer of each), none is shown, and each
    // is kept in history() to be read back. Turning it off forgets them.
    static void setAutoAnswer(bool on);
    static const QList<Shown>& history();
    static void clearHistory();

private:
    static Button show(QWidget* parent, const Shown& box);
};
