#include "app/Form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    // The icon lives in the resources of the static GUI library; nothing else pulls them in.
    Q_INIT_RESOURCE(quillmark);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillmark.png")));
    // The window stays the program's only one; closing it ends the program even with a tray icon.
    QApplication::setQuitOnLastWindowClosed(true);

    app::Form1 form(QApplication::applicationDirPath());
    form.show();
    return QApplication::exec();
}
