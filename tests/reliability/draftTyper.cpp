// The window of a program that is about to be killed, for the crash test of drafts: it types into a
// new sheet, says "paused" once the pause after the typing has written the draft, and waits.
//
//   draftTyper <program folder> <text>
#include "Form1Seam.h"
#include "app/Form1.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    app::Form1 form(QString::fromLocal8Bit(argv[1]));
    form.show();
    form.Command1_Click();
    // One key press a character, as a keyboard layout delivers them.
    for (QChar c : QString::fromUtf8(argv[2]))
        QTest::sendKeyEvent(QTest::Click, form.widgets().text[0], Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    // Connected after the window's own handler: by now the draft is written.
    QObject::connect(app::Form1Seam::draftTimer(form), &QTimer::timeout, [] {
        std::puts("paused");
        std::fflush(stdout);
    });
    return app.exec();
}
