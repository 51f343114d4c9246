// The floors of the start-up figure: the smallest Qt Widgets program that shows a window and, built
// with FLOOR_CHINESE_LINE, the same window showing one line of Chinese text. Given its size, the label
// sets up the fonts and lays its text out at its first paint, once the window is mapped. Built also
// with FLOOR_LINE_LAID_OUT, the label is measured before the window shows, as any window whose size
// follows its text is: the fonts are set up before the window is mapped instead of after.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
#ifdef FLOOR_CHINESE_LINE
    QLabel window(QStringLiteral("羽笔卷宗：一行中文"));
#ifdef FLOOR_LINE_LAID_OUT
    window.setMinimumSize(window.sizeHint());
#endif
#else
    QWidget window;
#endif
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
