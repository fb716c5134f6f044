#include "platform/instance_guard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QSysInfo>

namespace qv {

namespace {

QString defaultKey() {
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return user + u'@' + QSysInfo::machineHostName();
}

QString socketName(const QString& key) {
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("quorvane-") + QString::fromLatin1(hash);
}

}  // namespace

LocalInstanceGuard::LocalInstanceGuard(QString key, QObject* parent)
    : QObject(parent), key_(key.isEmpty() ? defaultKey() : std::move(key)) {}

LocalInstanceGuard::~LocalInstanceGuard() = default;

bool LocalInstanceGuard::anotherInstanceRunning() {
    if (checked_) {
        return !owner_;
    }
    checked_ = true;
    const QString name = socketName(key_);
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(name + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0);
    owner_ = lock_->tryLock(0);
    if (!owner_) {
        return true;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(name);
    if (server_->listen(name)) {
        connect(server_.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = server_->nextPendingConnection()) {
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                Q_EMIT activationRequested();
            }
        });
    }
    return false;
}

void LocalInstanceGuard::activateOther() {
    QLocalSocket socket;
    socket.connectToServer(socketName(key_));
    if (socket.waitForConnected(500)) {
        socket.write("activate");
        socket.waitForBytesWritten(500);
        socket.disconnectFromServer();
    }
}

}  // namespace qv
