#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace {

QString CanonicalFolder(const QString& folder)
{
    const QString canonical = QDir(folder).canonicalPath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

QByteArray HandOverLine()
{
    return QByteArray::number(SingleInstance::HandOverMessage) + '\n';
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), folder_(CanonicalFolder(programFolder)), lock_(lockFilePathFor(programFolder))
{
    // Only a dead owner frees the lock; a program running for weeks keeps it.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockFilePathFor(const QString& programFolder)
{
    return QDir(CanonicalFolder(programFolder)).filePath(QStringLiteral("PellagoMutex.lock"));
}

QString SingleInstance::serverNameFor(const QString& programFolder)
{
    const QByteArray hash = QCryptographicHash::hash(CanonicalFolder(programFolder).toUtf8(),
                                                     QCryptographicHash::Sha1);
    return QStringLiteral("PellagoForm-") + QString::fromLatin1(hash.toHex().left(20));
}

bool SingleInstance::tryAcquire()
{
    if (!lock_.tryLock(0))
        return false;
    const QString name = serverNameFor(folder_);
    // We own the lock, so a socket file left behind belongs to a dead instance.
    QLocalServer::removeServer(name);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::readHandOver);
    server_->listen(name);
    return true;
}

void SingleInstance::readHandOver()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == HandOverLine())
                emit handOverReceived();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::sendHandOver(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverNameFor(folder_));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(HandOverLine());
    // Once written, the line waits in the socket for the running instance,
    // even after this process has ended.
    return socket.waitForBytesWritten(timeoutMs);
}
