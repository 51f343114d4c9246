// One running copy per user and store: the socket name, the hand-over of a second start to the
// running copy, and where a window hidden at a screen edge comes back to (the real window is
// brought forward in the end-to-end scenario second-start).
#include "app/window/AutoHide.h"
#include "app/window/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using app::SingleInstance;

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void keyFollowsUserAndStore();
    void secondStartReachesTheFirst();
    void windowComesBackOntoTheScreen_data();
    void windowComesBackOntoTheScreen();
};

void TestSingleInstance::keyFollowsUserAndStore()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a")));
    const QString store = dir.filePath(QStringLiteral("a/Sav.qlk"));
    const QString key = SingleInstance::keyFor(QStringLiteral("ann"), store);
    // The store need not exist yet (first start), and another spelling of its path is the same store.
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("ann"), dir.filePath(QStringLiteral("a/../a/./Sav.qlk"))),
             key);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("link"))));
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("ann"), dir.filePath(QStringLiteral("link/Sav.qlk"))),
             key);
    QFile created(store);
    QVERIFY(created.open(QIODevice::WriteOnly));
    created.close();
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("ann"), store), key);

    QVERIFY(SingleInstance::keyFor(QStringLiteral("bob"), store) != key);
    QVERIFY(SingleInstance::keyFor(QStringLiteral("ann"), dir.filePath(QStringLiteral("Sav.qlk"))) != key);
    QVERIFY(key.size() < 64); // fits a socket path in any temporary folder
}

void TestSingleInstance::secondStartReachesTheFirst()
{
    QTemporaryDir dir;
    const QString key =
        SingleInstance::keyFor(QStringLiteral("test-%1").arg(QCoreApplication::applicationPid()),
                               dir.filePath(QStringLiteral("Sav.qlk")));
    SingleInstance first(key);
    QVERIFY(!first.forwardToRunning(500));
    QVERIFY(first.isListening());
    QSignalSpy forwarded(&first, &SingleInstance::forwardRequested);

    SingleInstance second(key);
    QVERIFY(second.forwardToRunning(2000));
    QVERIFY(!second.isListening());
    QVERIFY(forwarded.wait(5000));
    QCOMPARE(forwarded.count(), 1);

    // Another store is another copy.
    SingleInstance other(
        SingleInstance::keyFor(QStringLiteral("test"), dir.filePath(QStringLiteral("b/Sav.qlk"))));
    QVERIFY(!other.forwardToRunning(500));
}

void TestSingleInstance::windowComesBackOntoTheScreen_data()
{
    QTest::addColumn<QRect>("outer");
    QTest::addColumn<bool>("keepOffEdges");
    QTest::addColumn<QRect>("expected");
    const QRect window(0, 0, 400, 300);
    QTest::newRow("inside stays") << window.translated(100, 100) << true << window.translated(100, 100);
    QTest::newRow("hidden at the top") << window.translated(200, -297) << true << window.translated(200, 1);
    QTest::newRow("hidden at the left") << window.translated(-397, 50) << true << window.translated(1, 50);
    QTest::newRow("hidden at the right") << window.translated(1277, 50) << true << window.translated(879, 50);
    QTest::newRow("parked below") << window.translated(50, 1027) << true << window.translated(50, 723);
    QTest::newRow("docked and shown") << window.translated(0, 0) << true << window.translated(1, 1);
    QTest::newRow("at the edge without auto-hide") << window << false << window;
    QTest::newRow("dragged off without auto-hide") << window.translated(-50, -20) << false << window;
}

void TestSingleInstance::windowComesBackOntoTheScreen()
{
    QFETCH(QRect, outer);
    QFETCH(bool, keepOffEdges);
    QFETCH(QRect, expected);
    const QRect screen(0, 0, 1280, 1024);
    const QRect back = app::broughtBack(outer, screen, keepOffEdges);
    QCOMPARE(back, expected);
    if (!keepOffEdges)
        return;
    // The edge auto-hide leaves a window brought back where it is, wherever the mouse is.
    const app::TwipsRect twips{back.x() * app::AutoHideTwipsPerPixel, back.y() * app::AutoHideTwipsPerPixel,
                               back.width() * app::AutoHideTwipsPerPixel,
                               back.height() * app::AutoHideTwipsPerPixel};
    const QSizeF screenTwips(screen.width() * app::AutoHideTwipsPerPixel,
                             screen.height() * app::AutoHideTwipsPerPixel);
    for (const QPoint cursor : {QPoint(640, 1000), QPoint(0, 0), QPoint(1279, 1023), back.center()})
        QCOMPARE(app::autoHideTick(twips, cursor, screenTwips), twips);
}

QTEST_MAIN(TestSingleInstance)
#include "testSingleInstance.moc"
