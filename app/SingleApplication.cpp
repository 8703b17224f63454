#include "app/SingleApplication.h"

#include "app/Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int kWaitMs = 1000;

// XDG_RUNTIME_DIR (owner-only by definition); Qt falls back to a private
// directory under /tmp when the session does not provide one.
QString runtimeDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

} // namespace

QString SingleApplication::lockFilePath(const QString &key)
{
    return QDir(runtimeDir()).filePath(key + QStringLiteral(".lock"));
}

QString SingleApplication::serverPath(const QString &key)
{
    return QDir(runtimeDir()).filePath(key);
}

SingleApplication::SingleApplication(const QString &key, QObject *parent)
    : QObject(parent)
    , m_key(key)
{
    m_lock = std::make_unique<QLockFile>(lockFilePath(key));
    // Only a dead owner makes the lock stale, however long an instance runs.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_running = true;
            return;
        }
        logDebug(QStringLiteral("Unable to create single instance."));
        return;
    }

    // The lock is ours, so a socket file still there was left by a crashed instance.
    const QString path = serverPath(key);
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleApplication::receiveMessage);
    if (!m_server->listen(path))
        logDebug(QStringLiteral("Unable to listen for other instances: %1").arg(m_server->errorString()));
}

SingleApplication::~SingleApplication()
{
    if (m_server)
        m_server->close();
}

bool SingleApplication::sendMessage(const QString &text)
{
    if (!m_running)
        return false;

    // The running instance may hold the lock a moment before it listens,
    // so connection attempts are repeated within the wait.
    QLocalSocket socket;
    QDeadlineTimer connectDeadline(kWaitMs);
    for (;;) {
        socket.connectToServer(serverPath(m_key));
        if (socket.waitForConnected(int(connectDeadline.remainingTime())))
            break;
        if (connectDeadline.hasExpired())
            return false;
        socket.abort();
        QThread::msleep(20);
    }

    const QByteArray data = text.toUtf8();
    bool written = socket.write(data) == data.size();
    QDeadlineTimer writeDeadline(kWaitMs);
    while (written && socket.bytesToWrite() > 0)
        written = socket.waitForBytesWritten(int(writeDeadline.remainingTime()));
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWaitMs);
    return written;
}

void SingleApplication::receiveMessage()
{
    if (!m_server)
        return;
    QLocalSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return;

    // The sender writes its text and disconnects; read until then, at most the wait.
    QByteArray data;
    QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired()) {
        data += socket->readAll();
        if (socket->state() != QLocalSocket::ConnectedState)
            break;
        if (!socket->waitForReadyRead(int(deadline.remainingTime())) && socket->state() == QLocalSocket::ConnectedState)
            break;
    }
    data += socket->readAll();

    socket->disconnectFromServer();
    socket->deleteLater();
    if (!data.isEmpty())
        emit messageAvailable(QString::fromUtf8(data));
}
