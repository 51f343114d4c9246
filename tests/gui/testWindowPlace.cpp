// Where the window opens and when its content scrolls: the placement rules over plain rectangles,
// and the window itself on the two offscreen screens of gui/screens.json (1920×1200 and 1024×600).
#include "Form1Seam.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/window/WindowFit.h"
#include "app/window/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using app::Form1;
using app::WindowPlacement;

namespace {
const QSize Client(1065, 736);
const QMargins Frame(4, 24, 4, 4); // a title bar and thin borders
constexpr int Bar = 15;
const QRect Wide(0, 0, 1920, 1176);     // 1920×1200 above a 24-pixel taskbar
const QRect Laptop(1920, 0, 1366, 738); // 1366×768 above a 30-pixel taskbar
} // namespace

class TestWindowPlace : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QRect screenArea(int i) const { return QGuiApplication::screens().at(i)->availableGeometry(); }

private slots:
    void initTestCase() { MessageBox::setAutoAnswer(true); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QSettings().remove(app::WindowFit::positionKey());
    }

    void placement_data();
    void placement();
    void theWindowScrollsOnlyWhereItDoesNotFit();
    void thePlaceIsRememberedAndBroughtBackOntoAScreen();
};

void TestWindowPlace::placement_data()
{
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<int>("primary");
    QTest::addColumn<QPoint>("saved"); // (-1, -1): nothing saved
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<bool>("scrolls");

    const QSize full = Client.grownBy(Frame);
    const QList<QRect> two{Wide, Laptop};
    QRect centred(QPoint(), full);
    centred.moveCenter(Wide.center());
    QTest::newRow("first start: centred on the primary screen")
        << QList<QRect>{Laptop, Wide} << 1 << QPoint(-1, -1) << centred << false;
    QTest::newRow("where it was closed")
        << two << 0 << QPoint(300, 200) << QRect(QPoint(300, 200), full) << false;
    // Closed while hidden at the top edge: it comes back docked, whole.
    QTest::newRow("hidden at the top edge")
        << two << 0 << QPoint(300, 3 - full.height()) << QRect(QPoint(300, 0), full) << false;
    QTest::newRow("its screen is gone") << QList<QRect>{Wide} << 0 << QPoint(2500, 100)
                                        << QRect(QPoint(Wide.width() - full.width(), 100), full) << false;
    // Too low for the laptop's area: cut to its height, a vertical scroll bar beside the content.
    QTest::newRow("taskbar on 1366×768")
        << two << 0 << QPoint(2000, 50) << QRect(2000, 0, full.width() + Bar, 738) << true;
    QTest::newRow("1920×1080 at 150 %")
        << QList<QRect>{QRect(0, 0, 1280, 720)} << 0 << QPoint(-1, -1)
        << QRect((1280 - full.width() - Bar) / 2, 0, full.width() + Bar, 720) << true;
    QTest::newRow("smaller both ways")
        << QList<QRect>{QRect(0, 0, 1024, 600)} << 0 << QPoint(-1, -1) << QRect(0, 0, 1024, 600) << true;
}

void TestWindowPlace::placement()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(int, primary);
    QFETCH(QPoint, saved);
    QFETCH(QRect, outer);
    QFETCH(bool, scrolls);
    const std::optional<QPoint> where = saved == QPoint(-1, -1) ? std::nullopt : std::optional(saved);
    const WindowPlacement got = app::placeWindow(screens, primary, where, Client, Frame, Bar);
    QCOMPARE(got.scrolls, scrolls);
    QVERIFY2(qAbs(got.outer.x() - outer.x()) <= 1 && qAbs(got.outer.y() - outer.y()) <= 1,
             qPrintable(QStringLiteral("at %1,%2").arg(got.outer.x()).arg(got.outer.y())));
    QCOMPARE(got.outer.size(), outer.size());
}

void TestWindowPlace::theWindowScrollsOnlyWhereItDoesNotFit()
{
    QCOMPARE(QGuiApplication::screens().size(), 2); // the screens of gui/screens.json
    {
        Form1 f(m_dir->path());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(!app::Form1Seam::windowFit(f)->scrolls());
        QCOMPARE(f.centralWidget()->objectName(), QStringLiteral("Form1Client"));
        QCOMPARE(f.size(), Client);
        QVERIFY(screenArea(0).contains(f.frameGeometry()));
        QVERIFY(qAbs(f.frameGeometry().center().x() - screenArea(0).center().x()) <= 1);
    }
    QSettings().setValue(app::WindowFit::positionKey(), screenArea(1).topLeft() + QPoint(40, 30));
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QScrollArea* area = app::Form1Seam::windowFit(f)->scrollArea();
    QVERIFY(area);
    QCOMPARE(f.centralWidget(), area);
    QVERIFY(screenArea(1).contains(f.frameGeometry()));
    QCOMPARE(area->widget()->size(), Client); // the content keeps its size and scrolls
    QVERIFY(area->verticalScrollBar()->isVisible());
    QVERIFY(area->horizontalScrollBar()->isVisible());
    // The bottom of the content can be reached: the side panel's label scrolls into view.
    QWidget* last = f.widgets().labelLR;
    area->ensureWidgetVisible(last);
    QVERIFY(area->viewport()->rect().contains(last->mapTo(area->viewport(), last->rect().bottomRight())));

    // Narrowed, only the side panel shows, without a sideways scroll bar; widened, it stays on its screen.
    f.LabelLR_Click();
    QCOMPARE(f.frameGeometry().width(), 6300 / 15);
    QVERIFY(!area->horizontalScrollBar()->isVisible());
    f.LabelLR_Click();
    QCOMPARE(f.frameGeometry().width(), screenArea(1).width());
}

void TestWindowPlace::thePlaceIsRememberedAndBroughtBackOntoAScreen()
{
    {
        Form1 f(m_dir->path());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.move(120, 90);
        QVERIFY(f.close());
    }
    QCOMPARE(QSettings().value(app::WindowFit::positionKey()).toPoint(), QPoint(120, 90));
    {
        Form1 f(m_dir->path());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.pos(), QPoint(120, 90));
    }
    // Closed on a screen that is no longer there: it opens on a screen, whole.
    QSettings().setValue(app::WindowFit::positionKey(), QPoint(6000, 4000));
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(screenArea(0).contains(f.frameGeometry()));
    QVERIFY(!app::Form1Seam::windowFit(f)->scrolls());
}

QTEST_MAIN(TestWindowPlace)
#include "testWindowPlace.moc"
