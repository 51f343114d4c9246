#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QLocalServer;
class QWidget;

namespace app {

// One running copy per user and store: the first start listens on a local socket whose name comes
// from the user and the store's path, in the user's own runtime folder; a later start for the same
// store asks it to come forward and ends once it answered. A name nobody answers on, or one that
// is not the user's, never stops a start. Two copies that start at the very same moment may both
// run: the store stays safe with two writers, this only spares the player a second window.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name for a user (name and home folder) and a store path.
    static QString keyFor(const QString& user, const QString& storePath);
    // The key of the user running this program.
    static QString keyForThisUser(const QString& storePath);

    // Asks a running copy to come forward: true when one answered that it took the request (this
    // start should end). Otherwise returns false, and listens so that later starts reach this copy
    // when the name is free or only left over from a copy that ended; a live listener that gave no
    // answer, or a name of another account, is left as it is and this copy runs without the check.
    bool forwardToRunning(int timeoutMs = 2000);

    bool isListening() const;
    const QString& key() const { return m_key; }

signals:
    // Another start for the same store asked for the window.
    void forwardRequested();

private:
    void acceptRequests();

    QString m_key;
    QLocalServer* m_server = nullptr;
};

// Where a window comes back to: an outer rectangle partly off the screen (hidden at an edge, or
// dragged off) is moved inside it. With keepOffEdges (the edge auto-hide on) it also stays one pixel
// clear of every edge, so that the auto-hide does not take it away again at its next tick.
QRect broughtBack(const QRect& outer, const QRect& screen, bool keepOffEdges);

// Brings the window forward: shown if hidden, restored if minimized, moved back onto its screen,
// raised and activated.
void bringForward(QWidget* window, bool keepOffEdges);

} // namespace app
