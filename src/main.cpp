#include "app/Form1.h"
#include "app/window/LanguageAndFace.h"
#include "app/window/SingleInstance.h"
#include "app/window/WindowSystem.h"
#include "store/InstallPaths.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    const QByteArray platform = app::preferredPlatform(QProcessEnvironment::systemEnvironment());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication app(argc, argv);
    // Read beside the store's opening; ends before the application object does.
    const std::jthread fontList = app::readFontList();
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmark.Quillmark"));
    // The window stays the program's only one; closing it ends the program even with a tray icon.
    QApplication::setQuitOnLastWindowClosed(true);

    // A second start for the same store brings the running window forward instead.
    const QString programDir = QApplication::applicationDirPath();
    app::SingleInstance instance(
        app::SingleInstance::keyForThisUser(store::locateStore(store::storeFolder(programDir)).path));
    if (instance.forwardToRunning())
        return 0;

    // Qt's standard buttons and dialogs in Chinese, and one interface face, before the window exists.
    app::loadQtTranslations(&app);
    QApplication::setFont(app::interfaceFont());

    app::Form1 form(programDir);
    QObject::connect(&instance, &app::SingleInstance::forwardRequested, &form,
                     [&form] { app::bringForward(&form, form.timer1()->isActive()); });
    form.show();
    return QApplication::exec();
}
