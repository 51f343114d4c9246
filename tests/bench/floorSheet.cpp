// A floor of the start-up figure of the program's own: the window's controls alone, linked as the
// program is and built by its own code (the side panel, the tab strip and the first page, in the
// interface face, with the font list read aside as the program does) and shown at the window's
// size, with no store, no list lines, no tray icon and no menus. What Quillmark takes beyond it is
// its own work at start; what it takes beyond the Chinese-text window is mostly the controls.
#include "app/SheetBuilder.h"
#include "app/window/LanguageAndFace.h"
#include "card/layout/LayoutItem.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const std::jthread fontList = app::readFontList();
    QApplication::setFont(app::interfaceFont());
    QMainWindow window;
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    app::SheetWidgets widgets;
    app::SheetBuilder builder(client, widgets);
    builder.buildPage(0);
    for (size_t page = 1; page < widgets.frameA.size(); ++page)
        widgets.frameA[page]->hide();
    window.resize(layout::ClientWidth / layout::TwipsPerPixel, layout::ClientHeight / layout::TwipsPerPixel);
    window.show();
    return QApplication::exec();
}
