#include "app/window/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScreen>
#include <QWidget>

namespace app {

namespace {

const QByteArray ForwardRequest = QByteArrayLiteral("forward\n");

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
    // Short enough for a socket path in the temporary folder, long enough never to meet another.
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
    {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(timeoutMs)) {
            socket.write(ForwardRequest);
            if (socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0)
                return true;
        }
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptRequests);
    if (!m_server->listen(m_key)) {
        // Nobody answered on the name: what is left there is from a copy that ended abruptly.
        QLocalServer::removeServer(m_key);
        m_server->listen(m_key);
    }
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
            socket->disconnectFromServer();
            if (line == ForwardRequest)
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
