#include "app/window/AutoHide.h"
#include "app/window/EdgeClaims.h"

#include <QRectF>
#include <QTest>

// Screen 1920 x 1080 pixels, window 400 x 300 pixels, all at 15 twips per pixel unless a row says
// otherwise. Rectangles are (left, top, width, height) in twips.
namespace {
constexpr double SW = 1920 * 15.0; // 28800
constexpr double SH = 1080 * 15.0; // 16200
constexpr double W = 400 * 15.0;   // 6000
constexpr double H = 300 * 15.0;   // 4500

QRectF win(double left, double top, double width = W, double height = H)
{
    return QRectF(left, top, width, height);
}
} // namespace

class TestAutoHide : public QObject
{
    Q_OBJECT

private slots:
    void tick_data();
    void tick();
    void showingNeedsTheMovedTopForTheLeftRule();
    void edgeClaim_data();
    void edgeClaim();
};

void TestAutoHide::tick_data()
{
    QTest::addColumn<QRectF>("window");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<QRectF>("expected");

    const QSizeF screen(SW, SH);
    const double topHidden = 50 - H;     // -4450: a strip of 50 twips stays
    const double leftHidden = 50 - W;    // -5950
    const double rightHidden = SW - 50;  // 28750
    const double bottomHidden = SH + 50; // 16250: nothing stays
    const double rightDocked = SW - W;   // 22800
    const double bottomDocked = SH - H;  // 11700

    // Not docked anywhere: nothing moves, wherever the cursor is.
    QTest::newRow("free window, cursor away") << win(3000, 3000) << QPoint(5, 5) << screen << win(3000, 3000);
    QTest::newRow("free window, cursor in top band")
        << win(3000, 15) << QPoint(300, 0) << screen << win(3000, 15);

    // Top edge: the window spans pixel columns 100..500 (left 1500).
    QTest::newRow("top: cursor inside stays") << win(1500, 0) << QPoint(300, 150) << screen << win(1500, 0);
    QTest::newRow("top: cursor below hides")
        << win(1500, 0) << QPoint(300, 301) << screen << win(1500, topHidden);
    QTest::newRow("top: cursor on bottom boundary stays")
        << win(1500, 0) << QPoint(300, 300) << screen << win(1500, 0);
    QTest::newRow("top: cursor right hides")
        << win(1500, 0) << QPoint(501, 100) << screen << win(1500, topHidden);
    QTest::newRow("top: cursor left hides")
        << win(1500, 0) << QPoint(99, 100) << screen << win(1500, topHidden);
    QTest::newRow("top: cursor on left boundary stays")
        << win(1500, 0) << QPoint(100, 100) << screen << win(1500, 0);
    QTest::newRow("top: hidden, row 0 within columns shows")
        << win(1500, topHidden) << QPoint(300, 0) << screen << win(1500, 0);
    QTest::newRow("top: hidden, row 2 within columns shows")
        << win(1500, topHidden) << QPoint(101, 2) << screen << win(1500, 0);
    QTest::newRow("top: hidden, row 3 is outside the band")
        << win(1500, topHidden) << QPoint(300, 3) << screen << win(1500, topHidden);
    QTest::newRow("top: hidden, band on column boundary")
        << win(1500, topHidden) << QPoint(500, 0) << screen << win(1500, topHidden);
    QTest::newRow("top: hidden, band outside columns")
        << win(1500, topHidden) << QPoint(600, 0) << screen << win(1500, topHidden);
    QTest::newRow("top: partly above, cursor inside stays")
        << win(1500, -1500) << QPoint(300, 100) << screen << win(1500, -1500);
    QTest::newRow("top: partly above, cursor leaves")
        << win(1500, -1500) << QPoint(300, 201) << screen << win(1500, topHidden);
    QTest::newRow("top: partly above, band within columns")
        << win(1500, -1500) << QPoint(300, 1) << screen << win(1500, 0);
    QTest::newRow("top: one twip down is not docked")
        << win(1500, 1) << QPoint(300, 400) << screen << win(1500, 1);

    // Left edge: the window spans pixel rows 200..500 (top 3000).
    QTest::newRow("left: cursor inside stays") << win(0, 3000) << QPoint(200, 300) << screen << win(0, 3000);
    QTest::newRow("left: cursor right hides")
        << win(0, 3000) << QPoint(401, 300) << screen << win(leftHidden, 3000);
    QTest::newRow("left: cursor above hides")
        << win(0, 3000) << QPoint(200, 199) << screen << win(leftHidden, 3000);
    QTest::newRow("left: cursor below hides")
        << win(0, 3000) << QPoint(200, 501) << screen << win(leftHidden, 3000);
    QTest::newRow("left: cursor on right boundary stays")
        << win(0, 3000) << QPoint(400, 300) << screen << win(0, 3000);
    QTest::newRow("left: hidden, column 0 within rows shows")
        << win(leftHidden, 3000) << QPoint(0, 300) << screen << win(0, 3000);
    QTest::newRow("left: hidden, column 2 within rows shows")
        << win(leftHidden, 3000) << QPoint(2, 499) << screen << win(0, 3000);
    QTest::newRow("left: hidden, column 3 is outside the band")
        << win(leftHidden, 3000) << QPoint(3, 300) << screen << win(leftHidden, 3000);
    QTest::newRow("left: hidden, band on row boundary")
        << win(leftHidden, 3000) << QPoint(0, 200) << screen << win(leftHidden, 3000);
    QTest::newRow("left: hidden, band outside rows")
        << win(leftHidden, 3000) << QPoint(0, 600) << screen << win(leftHidden, 3000);

    // Right edge.
    QTest::newRow("right: cursor inside stays")
        << win(rightDocked, 3000) << QPoint(1700, 300) << screen << win(rightDocked, 3000);
    QTest::newRow("right: cursor left hides")
        << win(rightDocked, 3000) << QPoint(1519, 300) << screen << win(rightHidden, 3000);
    QTest::newRow("right: cursor on left boundary stays")
        << win(rightDocked, 3000) << QPoint(1520, 300) << screen << win(rightDocked, 3000);
    QTest::newRow("right: cursor above hides")
        << win(rightDocked, 3000) << QPoint(1700, 150) << screen << win(rightHidden, 3000);
    QTest::newRow("right: past the edge is docked")
        << win(rightDocked + 600, 3000) << QPoint(1000, 300) << screen << win(rightHidden, 3000);
    QTest::newRow("right: one pixel short is not docked")
        << win(rightDocked - 15, 3000) << QPoint(1000, 300) << screen << win(rightDocked - 15, 3000);
    QTest::newRow("right: hidden, column 1918 within rows shows")
        << win(rightHidden, 3000) << QPoint(1918, 300) << screen << win(rightDocked, 3000);
    QTest::newRow("right: hidden, last column within rows shows")
        << win(rightHidden, 3000) << QPoint(1919, 201) << screen << win(rightDocked, 3000);
    QTest::newRow("right: hidden, column 1917 is outside the band")
        << win(rightHidden, 3000) << QPoint(1917, 300) << screen << win(rightHidden, 3000);
    QTest::newRow("right: hidden, band outside rows")
        << win(rightHidden, 3000) << QPoint(1919, 100) << screen << win(rightHidden, 3000);
    // 22799.9999 is short of the edge in double precision but not in single precision.
    QTest::newRow("right: docking test in single precision")
        << win(rightDocked - 0.0001, 3000) << QPoint(1000, 300) << screen << win(rightHidden, 3000);

    // Bottom edge.
    QTest::newRow("bottom: cursor inside stays")
        << win(1500, bottomDocked) << QPoint(300, 900) << screen << win(1500, bottomDocked);
    QTest::newRow("bottom: cursor above hides fully")
        << win(1500, bottomDocked) << QPoint(300, 779) << screen << win(1500, bottomHidden);
    QTest::newRow("bottom: cursor right hides")
        << win(1500, bottomDocked) << QPoint(501, 900) << screen << win(1500, bottomHidden);
    QTest::newRow("bottom: cursor on top boundary stays")
        << win(1500, bottomDocked) << QPoint(300, 780) << screen << win(1500, bottomDocked);
    QTest::newRow("bottom: hidden, row 1078 within columns shows")
        << win(1500, bottomHidden) << QPoint(300, 1078) << screen << win(1500, bottomDocked);
    QTest::newRow("bottom: hidden, last row within columns shows")
        << win(1500, bottomHidden) << QPoint(499, 1079) << screen << win(1500, bottomDocked);
    QTest::newRow("bottom: hidden, row 1077 is outside the band")
        << win(1500, bottomHidden) << QPoint(300, 1077) << screen << win(1500, bottomHidden);
    QTest::newRow("bottom: hidden, band outside columns")
        << win(1500, bottomHidden) << QPoint(50, 1079) << screen << win(1500, bottomHidden);
    QTest::newRow("bottom: docking test in single precision")
        << win(1500, bottomDocked - 0.0001) << QPoint(300, 100) << screen << win(1500, bottomHidden);

    // Corners: both rules act in the same tick.
    QTest::newRow("top-left: cursor away diagonally")
        << win(0, 0) << QPoint(600, 500) << screen << win(leftHidden, topHidden);
    QTest::newRow("top-left: hidden, cursor at (1, 1) shows both")
        << win(leftHidden, topHidden) << QPoint(1, 1) << screen << win(0, 0);
    QTest::newRow("top-right: cursor away diagonally")
        << win(rightDocked, 0) << QPoint(1000, 600) << screen << win(rightHidden, topHidden);
    QTest::newRow("bottom-right: cursor away diagonally")
        << win(rightDocked, bottomDocked) << QPoint(1000, 100) << screen << win(rightHidden, bottomHidden);
    QTest::newRow("bottom-left: cursor away diagonally")
        << win(0, bottomDocked) << QPoint(900, 100) << screen << win(leftHidden, bottomHidden);

    // A display at 12 twips per pixel: the tick still divides by 15. The screen of 1920 x 1080
    // pixels is reported as 23040 x 12960 twips; the band at the right is x > 23040 / 15 - 3 = 1533.
    const QSizeF twelve(1920 * 12.0, 1080 * 12.0);
    QTest::newRow("scale 12: right band from column 1534")
        << win(twelve.width() - 50, 3000) << QPoint(1534, 210) << twelve << win(twelve.width() - W, 3000);
    QTest::newRow("scale 12: column 1533 is outside the band")
        << win(twelve.width() - 50, 3000) << QPoint(1533, 210) << twelve << win(twelve.width() - 50, 3000);
    QTest::newRow("scale 12: rows are twips divided by 15")
        << win(twelve.width() - 50, 3000) << QPoint(1600, 199) << twelve << win(twelve.width() - 50, 3000);
}

void TestAutoHide::tick()
{
    QFETCH(QRectF, window);
    QFETCH(QPoint, cursor);
    QFETCH(QSizeF, screen);
    QFETCH(QRectF, expected);

    const app::TwipsRect in{window.x(), window.y(), window.width(), window.height()};
    const app::TwipsRect out = app::autoHideTick(in, cursor, screen);
    QCOMPARE(out.left, expected.x());
    QCOMPARE(out.top, expected.y());
    QCOMPARE(out.width, in.width);
    QCOMPARE(out.height, in.height);
}

// In the top-left corner with the cursor at pixel (0, 0), the top rule shows the window first; the
// left rule then sees Top = 0, and y = 0 is not strictly within the rows, so the left side stays
// hidden. The next tick with the cursor at (0, 1) brings it out.
void TestAutoHide::showingNeedsTheMovedTopForTheLeftRule()
{
    const QSizeF screen(SW, SH);
    const app::TwipsRect hidden{50 - W, 50 - H, W, H};
    const app::TwipsRect first = app::autoHideTick(hidden, QPoint(0, 0), screen);
    QCOMPARE(first, (app::TwipsRect{50 - W, 0, W, H}));
    const app::TwipsRect second = app::autoHideTick(first, QPoint(0, 1), screen);
    QCOMPARE(second, (app::TwipsRect{0, 0, W, H}));
}

// What the hidden window claims of the screen so that a window manager lets it stand there, in pixels:
// a 1073 × 785 frame on 1280 × 1024, with a strip of 4 pixels at most.
void TestAutoHide::edgeClaim_data()
{
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QList<int>>("claim"); // left, right, top, bottom, then their first and last lines

    const QSize frame(1073, 785);
    const QRect one(0, 0, 1280, 1024);
    const QList<int> none(12, 0);
    QTest::newRow("shown: nothing") << QRect(QPoint(100, 0), frame) << one << one << none;
    QTest::newRow("dragged partly past the left edge: nothing")
        << QRect(QPoint(-5, 200), frame) << one << one << none;
    QTest::newRow("hidden at the top: its 3 rows, over its columns")
        << QRect(QPoint(100, 3 - 785), frame) << one << one
        << QList<int>{0, 0, 3, 0, 0, 0, 0, 0, 100, 1172, 0, 0};
    QTest::newRow("hidden in the top-left corner: both edges")
        << QRect(QPoint(3 - 1073, 3 - 785), frame) << one << one
        << QList<int>{3, 0, 3, 0, 0, 2, 0, 0, 0, 2, 0, 0};
    QTest::newRow("hidden at the right: its 3 columns, over its rows")
        << QRect(QPoint(1277, 150), frame) << one << one
        << QList<int>{0, 3, 0, 0, 0, 0, 150, 934, 0, 0, 0, 0};
    QTest::newRow("parked below the screen: the last row")
        << QRect(QPoint(100, 1027), frame) << one << one
        << QList<int>{0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 100, 1172};
    // Two screens side by side: the edge between them is never claimed; the right screen's top is
    // the desktop's, counted from the desktop's left.
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1920, 1080);
    const QRect desktop = left.united(right);
    QTest::newRow("hidden at the edge between two screens: nothing")
        << QRect(QPoint(1277, 150), frame) << left << desktop << none;
    QTest::newRow("hidden at the top of the right screen")
        << QRect(QPoint(1400, 3 - 785), frame) << right << desktop
        << QList<int>{0, 0, 3, 0, 0, 0, 0, 0, 1400, 2472, 0, 0};
}

void TestAutoHide::edgeClaim()
{
    QFETCH(QRect, outer);
    QFETCH(QRect, screen);
    QFETCH(QRect, desktop);
    QFETCH(QList<int>, claim);
    const app::EdgeClaim got = app::edgeClaim(outer, screen, desktop, 4);
    QCOMPARE(QList<int>(got.begin(), got.end()), claim);
}

QTEST_GUILESS_MAIN(TestAutoHide)
#include "testAutoHide.moc"
