// Prints where the window's controls stand, in pixels of the client area, for the desktop test.
//
//   e2e-layout           the client area, then one line per named control of the layout table,
//                        in table order: "<name> <page> <focus> <x> <y> <w> <h>", page -1 for
//                        the side panel, focus 1 when the control takes part in the Tab order
//   e2e-layout --widgets what only the toolkit knows, measured on the real sheet widgets (needs a
//                        display): "tab<i> x y w h" for the five tabs, "listline x y w h" for
//                        the first line of List1 and "listview x y w h" for its visible area
//   e2e-layout --list-pixels LINE...
//                        List1 holding the given lines, nothing selected, drawn the way the
//                        window draws it: "w h" on the first line, then the raw RGB pixels of its
//                        visible area, row after row
//   e2e-layout --tip TEXT
//                        shows TEXT as a tool tip the way the program shows every tip, and ends
//                        after 30 seconds (or when stopped)
//
// Rectangles are turned into pixels the way the sheet builder does it: every edge rounded to the
// nearest pixel at 15 twips per pixel.

#include "app/SheetBuilder.h"
#include "app/list/CardListView.h"
#include "app/window/LanguageAndFace.h"
#include "card/layout/Layout.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTextStream>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

#include <cmath>

namespace {

int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips / double(layout::TwipsPerPixel)));
}

QString line(const QString& name, const QRect& r)
{
    return QStringLiteral("%1 %2 %3 %4 %5").arg(name).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

int printLayout()
{
    QTextStream out(stdout);
    out << QStringLiteral("client -1 0 0 0 %1 %2\n")
               .arg(toPixels(layout::ClientWidth))
               .arg(toPixels(layout::ClientHeight));
    for (const layout::Item& item : layout::items()) {
        const QString name = layout::objectName(item);
        if (name.isEmpty())
            continue;
        const layout::Rect r = layout::absoluteRect(item);
        const int left = toPixels(r.left);
        const int top = toPixels(r.top);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                   .arg(name)
                   .arg(item.page)
                   .arg(layout::takesFocus(item.kind) ? 1 : 0)
                   .arg(left)
                   .arg(top)
                   .arg(toPixels(r.right()) - left)
                   .arg(toPixels(r.bottom()) - top);
    }
    return 0;
}

// The sheet as the window builds it, laid out as on the screen without ever being mapped.
class Sheet
{
public:
    explicit Sheet(const QStringList& lines)
    {
        m_client.resize(toPixels(layout::ClientWidth), toPixels(layout::ClientHeight));
        m_w = app::buildSheet(&m_client);
        for (const QString& text : lines)
            m_model.appendRow(new QStandardItem(text));
        m_w.list1->setModel(&m_model);
        // An empty store's list says how to add the first card, as the window's does.
        if (auto* view = dynamic_cast<app::CardListView*>(m_w.list1))
            view->setEmptyHint([] { return app::CardListView::firstCardHint(); });
        m_client.setAttribute(Qt::WA_DontShowOnScreen);
        m_client.show();
        QApplication::processEvents();
        m_w.list1->doItemsLayout();
    }

    const app::SheetWidgets& widgets() const { return m_w; }
    QRect inClient(const QWidget* widget, const QRect& r) const
    {
        return r.translated(widget->mapTo(&m_client, QPoint(0, 0)));
    }
    QModelIndex index(int row) const { return m_model.index(row, 0); }

private:
    QWidget m_client;
    app::SheetWidgets m_w;
    QStandardItemModel m_model;
};

int printWidgets()
{
    const Sheet sheet({QStringLiteral("Lv.1"), QStringLiteral("Lv.2")});
    const app::SheetWidgets& w = sheet.widgets();
    QTextStream out(stdout);
    for (int i = 0; i < w.tabStrip->count(); ++i)
        out << line(QStringLiteral("tab%1").arg(i + 1), sheet.inClient(w.tabStrip, w.tabStrip->tabRect(i)))
            << '\n';
    QWidget* viewport = w.list1->viewport();
    out << line(QStringLiteral("listline"), sheet.inClient(viewport, w.list1->visualRect(sheet.index(0))))
        << '\n';
    out << line(QStringLiteral("listview"), sheet.inClient(viewport, viewport->rect())) << '\n';
    return 0;
}

int printListPixels(const QStringList& lines)
{
    const Sheet sheet(lines);
    const QImage image =
        sheet.widgets().list1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB888);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 1;
    out.write(QStringLiteral("%1 %2\n").arg(image.width()).arg(image.height()).toLatin1());
    const qsizetype rowBytes = qsizetype(image.width()) * 3;
    for (int y = 0; y < image.height(); ++y)
        out.write(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return printLayout();
    QApplication app(argc, argv);
    QApplication::setFont(app::interfaceFont()); // the program's face, as its start sets it
    const QStringList args = QApplication::arguments();
    if (args.at(1) == QLatin1String("--widgets"))
        return printWidgets();
    if (args.at(1) == QLatin1String("--list-pixels"))
        return printListPixels(args.mid(2));
    if (args.at(1) == QLatin1String("--tip") && args.size() > 2) {
        QToolTip::showText(QPoint(200, 200), args.at(2));
        QTimer::singleShot(30000, &app, &QApplication::quit);
        return QApplication::exec();
    }
    QTextStream(stderr) << "usage: e2e-layout [--widgets | --list-pixels LINE... | --tip TEXT]\n";
    return 2;
}
