#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    // The window stays the program's only one; closing it ends the program even with a tray icon.
    QApplication::setQuitOnLastWindowClosed(true);

    app::Form1 form(QApplication::applicationDirPath());
    form.show();
    return QApplication::exec();
}
