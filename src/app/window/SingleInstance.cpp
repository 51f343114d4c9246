#include "app/window/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace app {

namespace {

const QByteArray ForwardRequest = QByteArrayLiteral("forward\n");
// What a running copy says back once it took the request: a start ends only on this line.
const QByteArray ForwardTaken = QByteArrayLiteral("ok\n");

#ifdef Q_OS_UNIX
bool isOurs(const QFileInfo& info)
{
    return !info.isSymLink() && info.ownerId() == uint(::geteuid());
}
#endif

// Where the name lives. On Unix a socket in the user's runtime folder, where no other account can
// make one: Qt gives XDG_RUNTIME_DIR, or else runtime-<user> in the temporary folder (made with
// mode 0700), only when the folder is the user's own and not a link, and sets its mode to 0700;
// owner and mode are checked again here. Without such a folder the name is empty
// and the start goes on without the single-copy check. Elsewhere the platform's own pipe names,
// opened to the user alone by the server's access option.
QString serverName(const QString& key)
{
#ifdef Q_OS_UNIX
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    const QFileInfo info(folder);
    if (!info.isDir() || !isOurs(info) || (info.permissions() & (QFile::WriteGroup | QFile::WriteOther)))
        return {};
    return QDir(folder).filePath(key);
#else
    return key;
#endif
}

// Sends the request and waits, at most until the deadline, for the line of a running copy.
bool askToComeForward(QLocalSocket& socket, QDeadlineTimer deadline)
{
    socket.write(ForwardRequest);
    socket.flush();
    while (!socket.canReadLine() && socket.bytesAvailable() <= ForwardTaken.size() &&
           !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    return socket.canReadLine() && socket.readLine(ForwardTaken.size() + 1) == ForwardTaken;
}

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent), m_key(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString& user, const QString& storePath)
{
    // The same store reached by another spelling of its path is the same store. The folder is
    // resolved, not the file: the first start looks for a store that does not exist yet.
    const QFileInfo file(storePath);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString path =
        folder.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : QDir(folder).filePath(file.fileName());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(user.toUtf8());
    hash.addData(QByteArrayView("\n", 1));
    hash.addData(path.toUtf8());
    // Short enough for a socket path in the runtime folder, long enough never to meet another.
    return QStringLiteral("quillmark-") + QString::fromLatin1(hash.result().toHex().left(32));
}

QString SingleInstance::keyForThisUser(const QString& storePath)
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return keyFor(user + QLatin1Char('@') + QDir::homePath(), storePath);
}

bool SingleInstance::forwardToRunning(int timeoutMs)
{
    const QString name = serverName(m_key);
    if (name.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    // Only a socket of the user's own is talked to or replaced; anything else there is left alone.
    const QFileInfo existing(name);
    if ((existing.exists() || existing.isSymLink()) &&
        (!isOurs(existing) || existing.isFile() || existing.isDir()))
        return false;
#endif
    {
        QLocalSocket socket;
        socket.connectToServer(name);
        const QDeadlineTimer deadline(timeoutMs);
        // A listener that does not answer as a running copy does keeps its name; this copy runs
        // beside it, without the single-copy check.
        if (socket.waitForConnected(timeoutMs))
            return askToComeForward(socket, deadline);
        if (socket.error() == QLocalSocket::ConnectionRefusedError)
            // Nobody listens on it: what is left there is from a copy that ended abruptly.
            QLocalServer::removeServer(name);
        else if (socket.error() != QLocalSocket::ServerNotFoundError)
            return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptRequests);
    m_server->listen(name);
    return false;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::acceptRequests()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A request never needs more than its one short line.
                if (socket->bytesAvailable() > ForwardRequest.size())
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(ForwardRequest.size() + 1);
            const bool forward = line == ForwardRequest;
            if (forward)
                socket->write(ForwardTaken);
            socket->disconnectFromServer();
            if (forward)
                emit forwardRequested();
        });
    }
}

QRect broughtBack(const QRect& outer, const QRect& screen, bool keepOffEdges)
{
    const int margin = keepOffEdges ? 1 : 0;
    const QRect area = screen.adjusted(margin, margin, -margin, -margin);
    QRect rect = outer;
    // Right and bottom first: a window larger than the screen keeps its top left corner on it.
    if (rect.right() > area.right())
        rect.moveRight(area.right());
    if (rect.bottom() > area.bottom())
        rect.moveBottom(area.bottom());
    if (rect.left() < area.left())
        rect.moveLeft(area.left());
    if (rect.top() < area.top())
        rect.moveTop(area.top());
    return rect;
}

void bringForward(QWidget* window, bool keepOffEdges)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    if (!window->isVisible())
        window->show();
    if (const QScreen* screen = window->screen()) {
        const QRect outer = window->frameGeometry();
        const QRect target = broughtBack(outer, screen->geometry(), keepOffEdges);
        if (target.topLeft() != outer.topLeft())
            window->move(target.topLeft());
    }
    window->raise();
    window->activateWindow();
}

} // namespace app
