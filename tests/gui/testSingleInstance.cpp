// One running copy per user and store: the socket name, the hand-over of a second start to the
// running copy, names that must not stop a start, and where a window hidden at a screen edge comes
// back to (the real window is brought forward in the end-to-end scenario second-start).
#include "app/window/AutoHide.h"
#include "app/window/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>

#ifdef Q_OS_UNIX
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using app::SingleInstance;

namespace {

// Another program on a thread of its own: the start under test waits for its answer on the test's
// thread. What is made on it has context() as its parent.
class OtherProgram
{
public:
    OtherProgram()
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
    }
    ~OtherProgram()
    {
        run([this] { qDeleteAll(m_context.children()); });
        m_thread.quit();
        m_thread.wait();
    }
    template <typename F> void run(F f)
    {
        QMetaObject::invokeMethod(&m_context, std::move(f), Qt::BlockingQueuedConnection);
    }
    QObject* context() { return &m_context; }

    // Listens at path and gives answer back to every line it hears ("" says nothing, "hang up"
    // closes). True when it listens.
    bool listen(const QString& path, const QByteArray& answer)
    {
        bool listening = false;
        run([&, answer] {
            auto* server = new QLocalServer(&m_context);
            listening = server->listen(path);
            QObject::connect(server, &QLocalServer::newConnection, server, [this, server, answer] {
                while (QLocalSocket* socket = server->nextPendingConnection()) {
                    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, answer] {
                        if (!socket->canReadLine())
                            return;
                        socket->readAll();
                        ++heard;
                        if (answer == "hang up")
                            socket->abort();
                        else
                            socket->write(answer);
                    });
                }
            });
        });
        return listening;
    }

    std::atomic<int> heard = 0;

private:
    QThread m_thread;
    QObject m_context;
};

#ifdef Q_OS_UNIX
// A socket file that nobody listens on, as a copy killed outright leaves behind.
bool leaveStaleSocket(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}
#endif

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keyFollowsUserAndStore();
    void secondStartReachesTheFirst();
    void anotherAccountCannotStopTheStart();
    void foreignNameIsLeftAlone_data();
    void foreignNameIsLeftAlone();
    void nameThatGivesNoReply_data();
    void nameThatGivesNoReply();
    void staleNameIsTakenOver();
    void windowComesBackOntoTheScreen_data();
    void windowComesBackOntoTheScreen();

private:
    QString keyOfTest(const char* store) const
    {
        return SingleInstance::keyFor(QStringLiteral("test-%1").arg(QCoreApplication::applicationPid()),
                                      m_stores.filePath(QLatin1String(store)));
    }
    QString inRuntimeFolder(const QString& key) const { return QDir(m_runtime.path()).filePath(key); }

    QTemporaryDir m_runtime; // the user's runtime folder: the user's own, mode 0700
    QTemporaryDir m_stores;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    QVERIFY(QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

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
    const QString key = keyOfTest("Sav.qlk");
    std::atomic<int> forwarded = 0;
    OtherProgram running;
    bool firstStarted = false;
    running.run([&] {
        auto* first = new SingleInstance(key, running.context());
        firstStarted = !first->forwardToRunning(500) && first->isListening();
        QObject::connect(first, &SingleInstance::forwardRequested, first, [&forwarded] { ++forwarded; });
    });
    QVERIFY(firstStarted);
    // The name is in the user's own runtime folder, where no other account can make one.
    QVERIFY(QFileInfo::exists(inRuntimeFolder(key)));

    SingleInstance second(key);
    QVERIFY(second.forwardToRunning(5000));
    QVERIFY(!second.isListening());
    QTRY_COMPARE(forwarded.load(), 1);

    // Another store is another copy.
    SingleInstance other(keyOfTest("b/Sav.qlk"));
    QVERIFY(!other.forwardToRunning(500));
    QVERIFY(other.isListening());
}

void TestSingleInstance::anotherAccountCannotStopTheStart()
{
    // Any account may listen in the shared temporary folder, under the name there, and answer as a
    // running copy would: the start goes on and tells it nothing.
    const QString key = keyOfTest("squatted/Sav.qlk");
    OtherProgram squatter;
    QVERIFY(squatter.listen(QDir(QDir::tempPath()).filePath(key), "ok\n"));
#ifdef Q_OS_UNIX
    if (::geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(QDir(QDir::tempPath()).filePath(key)).constData(), 65534, 65534),
                 0);
#endif
    SingleInstance start(key);
    QVERIFY(!start.forwardToRunning(2000));
    QVERIFY(start.isListening());
    QCOMPARE(squatter.heard.load(), 0);
}

void TestSingleInstance::foreignNameIsLeftAlone_data()
{
    QTest::addColumn<bool>("listening");
    QTest::newRow("answering") << true;
    QTest::newRow("stale") << false;
}

void TestSingleInstance::foreignNameIsLeftAlone()
{
#ifdef Q_OS_UNIX
    if (::geteuid() != 0)
        QSKIP("only root can give a socket in the runtime folder to another account");
    QFETCH(bool, listening);
    // A socket of another account in the user's runtime folder (root put it there): not connected to,
    // not removed, and the start goes on without the single-copy check.
    const QString key = keyOfTest(listening ? "foreign-a/Sav.qlk" : "foreign-s/Sav.qlk");
    const QString path = inRuntimeFolder(key);
    OtherProgram other;
    QVERIFY(listening ? other.listen(path, "ok\n") : leaveStaleSocket(path));
    QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);

    SingleInstance start(key);
    QVERIFY(!start.forwardToRunning(2000));
    QVERIFY(!start.isListening());
    QCOMPARE(other.heard.load(), 0);
    QCOMPARE(QFileInfo(path).ownerId(), 65534u);
#else
    QSKIP("socket files belong to an account on Unix only");
#endif
}

void TestSingleInstance::nameThatGivesNoReply_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("silent") << QByteArray();
    QTest::newRow("hangs up") << QByteArray("hang up");
    QTest::newRow("another answer") << QByteArray("no\n");
}

void TestSingleInstance::nameThatGivesNoReply()
{
    // A listener of the user's own that is not a running copy: it hears the request, the start
    // goes on, and the name stays with the listener.
    QFETCH(QByteArray, answer);
    const QString key = keyOfTest("silent/Sav.qlk");
    OtherProgram listener;
    QVERIFY(listener.listen(inRuntimeFolder(key), answer));

    SingleInstance start(key);
    QVERIFY(!start.forwardToRunning(500));
    QVERIFY(!start.isListening());
    QTRY_COMPARE(listener.heard.load(), 1);
    QLocalSocket probe;
    probe.connectToServer(inRuntimeFolder(key));
    QVERIFY(probe.waitForConnected(2000));
}

void TestSingleInstance::staleNameIsTakenOver()
{
#ifdef Q_OS_UNIX
    // What a copy killed outright leaves behind: the start removes it and listens in its place.
    const QString key = keyOfTest("stale/Sav.qlk");
    QVERIFY(leaveStaleSocket(inRuntimeFolder(key)));
    SingleInstance start(key);
    QVERIFY(!start.forwardToRunning(2000));
    QVERIFY(start.isListening());
    QLocalSocket probe;
    probe.connectToServer(inRuntimeFolder(key));
    QVERIFY(probe.waitForConnected(2000));
#else
    QSKIP("a socket file outlives its listener on Unix only");
#endif
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
