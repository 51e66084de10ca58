#include "platform/LockFileInstanceChannel.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int answerTimeoutMs = 10000;
constexpr int connectRetryMs = 2000;
constexpr char accepted = 1;

} // namespace

LockFileInstanceChannel::LockFileInstanceChannel(const QString& folder)
    : m_lockPath(QDir(folder).filePath(QStringLiteral("codeplexor.lock")))
    , m_socketPath(QDir(folder).filePath(QStringLiteral("codeplexor.socket")))
{}

LockFileInstanceChannel::~LockFileInstanceChannel()
{
    if (m_lockDescriptor < 0)
        return;
    delete m_server;
    QFile::remove(m_socketPath);
    ::close(m_lockDescriptor);
}

bool LockFileInstanceChannel::claim()
{
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    const int descriptor =
        ::open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return false;
    }
    m_lockDescriptor = descriptor;
    // Whoever held the lock before is gone, so a socket left at the path is stale.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &LockFileInstanceChannel::serve);
    // Without the socket this is still the only instance; later launches just cannot reach it.
    m_server->listen(m_socketPath);
    return true;
}

void LockFileInstanceChannel::serve()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QString folder;
            stream >> folder;
            if (!stream.commitTransaction())
                return;
            socket->write(&accepted, 1);
            socket->flush();
            Q_EMIT activationRequested(folder);
        });
    }
}

bool LockFileInstanceChannel::handOver(const QString& folder)
{
    // The instance takes the lock a moment before it listens: try again for a short while.
    QLocalSocket socket;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(answerTimeoutMs))
            break;
        if (waited.elapsed() > connectRetryMs)
            return false;
        QThread::msleep(50);
    }
    QDataStream stream(&socket);
    stream << folder;
    if (!socket.waitForBytesWritten(answerTimeoutMs) && socket.bytesToWrite() > 0)
        return false;
    if (!socket.waitForReadyRead(answerTimeoutMs))
        return false;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == accepted;
}
