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
#include <QTabBar>
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
    void theTabStripStaysInViewWhileTheContentScrolls();
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
    const auto centred = [](QSize size, const QRect& area) {
        QRect r(QPoint(), size);
        r.moveCenter(area.center());
        return r;
    };
    QTest::newRow("first start: centred on the primary screen")
        << QList<QRect>{Laptop, Wide} << 1 << QPoint(-1, -1) << centred(full, Wide) << false;
    QTest::newRow("where it was closed")
        << two << 0 << QPoint(300, 200) << QRect(QPoint(300, 200), full) << false;
    const QPoint corner = Wide.bottomRight() - QPoint(full.width(), full.height()) + QPoint(1, 1);
    QTest::newRow("where it was closed, in the area's corner")
        << two << 0 << corner << QRect(corner, full) << false;
    // A place that would have to move to fit is not kept at all: the window opens centred.
    QTest::newRow("closed hidden at the top edge")
        << two << 0 << QPoint(300, 3 - full.height()) << centred(full, Wide) << false;
    QTest::newRow("its screen is gone")
        << QList<QRect>{Wide} << 0 << QPoint(2500, 100) << centred(full, Wide) << false;
    QTest::newRow("reaching past the right edge")
        << two << 0 << QPoint(Wide.width() - full.width() + 200, 100) << centred(full, Wide) << false;
    // Too low for the laptop's area: cut to its height, a vertical scroll bar beside the content.
    const QSize cut(full.width() + Bar, 738);
    QTest::newRow("taskbar on 1366×768") << two << 0 << QPoint(2000, 50) << centred(cut, Laptop) << true;
    // Closed on the right half of a 1920 screen, opened where only 1366×768 is left.
    QTest::newRow("1366×768 now, placed on a wider screen before")
        << QList<QRect>{QRect(0, 0, 1366, 738)} << 0 << QPoint(1000, 150)
        << centred(cut, QRect(0, 0, 1366, 738)) << true;
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
        QCOMPARE(f.widgets().tabStrip->height(), 10935 / 15); // the strip's whole area, as built
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

void TestWindowPlace::theTabStripStaysInViewWhileTheContentScrolls()
{
    QSettings().setValue(app::WindowFit::positionKey(), screenArea(1).topLeft());
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QScrollArea* area = app::Form1Seam::windowFit(f)->scrollArea();
    QVERIFY(area);
    QTabBar* tabs = f.widgets().tabStrip;
    QScrollBar* bar = area->verticalScrollBar();
    const QPoint builtAt = tabs->mapTo(area->viewport(), QPoint());
    QVERIFY(bar->maximum() > tabs->tabRect(0).height()); // it scrolls further than the tabs are high

    for (const int offset : {bar->maximum() / 2, bar->maximum()}) {
        bar->setValue(offset);
        // The strip stands at the top of the view, on top of the page it passes over: a click on the
        // third tab reaches the strip and shows the third page.
        QCOMPARE(tabs->mapTo(area->viewport(), QPoint()), builtAt);
        const QPoint third = tabs->mapTo(area->viewport(), tabs->tabRect(2).center());
        QCOMPARE(area->viewport()->childAt(third), tabs);
        QTest::mouseClick(area->viewport()->childAt(third), Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(f.widgets().frameA[2]->isVisible());
        tabs->setCurrentIndex(0);
    }
    // Back at the top, the strip stands where it was built.
    bar->setValue(0);
    QCOMPARE(tabs->mapTo(area->widget(), QPoint()), QPoint(6120 / 15, 0));
}

QTEST_MAIN(TestWindowPlace)
#include "testWindowPlace.moc"
