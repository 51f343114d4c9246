// snapshot DIR: builds the window offscreen and writes one picture per sheet page into DIR
// (page-1.png .. page-5.png), then one of the narrowed window (narrow.png) and one of the window
// with a notice over its footer line (notice.png).
#include "app/Form1.h"
#include "app/dialogs/Notice.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPixmap>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextStream>

namespace {

int fail(const QString& message)
{
    QTextStream(stderr) << message << Qt::endl;
    return 1;
}

bool save(QWidget& window, const QDir& dir, const QString& file)
{
    QApplication::processEvents();
    return window.grab().save(dir.filePath(file), "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    // Pictures are taken without a screen, whatever the environment says, on an offscreen screen large
    // enough for the whole window (the default one is smaller, and the window would scroll).
    QTemporaryFile screens(QDir::temp().filePath(QStringLiteral("snapshot-XXXXXX.json")));
    if (!screens.open())
        return fail(QStringLiteral("cannot create a temporary file"));
    screens.write(R"({"screens": [{"name": "snapshot", "x": 0, "y": 0, "width": 1920, "height": 1200}]})");
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationName(QStringLiteral("Quillmark"));

    const QStringList args = QApplication::arguments();
    if (args.size() != 2)
        return fail(QStringLiteral("usage: snapshot DIR"));
    QDir dir(args.at(1));
    if (!dir.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot create ") + args.at(1));

    // The window creates its store in its program folder: give it a throwaway one.
    QTemporaryDir programDir;
    if (!programDir.isValid())
        return fail(QStringLiteral("cannot create a temporary folder"));

    app::Form1 form(programDir.path());
    form.show();
    QApplication::processEvents();

    QTabBar* tabs = form.widgets().tabStrip;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        const QString file = QStringLiteral("page-%1.png").arg(i + 1);
        if (!save(form, dir, file))
            return fail(QStringLiteral("cannot write ") + dir.filePath(file));
    }

    tabs->setCurrentIndex(0);
    form.LabelLR_Click();
    if (!save(form, dir, QStringLiteral("narrow.png")))
        return fail(QStringLiteral("cannot write ") + dir.filePath(QStringLiteral("narrow.png")));

    form.LabelLR_Click();
    app::Notice::show(form.widgets().list1, QStringLiteral("已保存：艾琳"));
    if (!save(form, dir, QStringLiteral("notice.png")))
        return fail(QStringLiteral("cannot write ") + dir.filePath(QStringLiteral("notice.png")));
    return 0;
}
