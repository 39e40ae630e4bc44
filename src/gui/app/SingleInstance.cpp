#include "gui/app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace quillory {

namespace {

constexpr int ConnectTimeoutMs = 2000;
const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");

QString DefaultDirectory() {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return directory;
}

} // namespace

SingleInstance::SingleInstance(QString directory)
    : directory_(directory.isEmpty() ? DefaultDirectory() : std::move(directory)),
      lock_(directory_ + QStringLiteral("/quillory.lock")) {
    // A lock left by a crashed instance is taken over at once: the lock file
    // records the owner's process, so a dead owner is recognised.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::TryBecomeFirst() {
    QDir().mkpath(directory_);
    if (!lock_.tryLock(0))
        return false;
    const QString socketPath = directory_ + QStringLiteral("/quillory.socket");
    QLocalServer::removeServer(socketPath);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains(RaiseRequest))
                    emit RaiseRequested();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    // Without the socket the program still runs alone; only the raising of its
    // window by a later start is lost.
    server_->listen(socketPath);
    return true;
}

void SingleInstance::AskFirstToRaise() {
    QLocalSocket socket;
    socket.connectToServer(directory_ + QStringLiteral("/quillory.socket"));
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return;
    socket.write(RaiseRequest);
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.disconnectFromServer();
}

} // namespace quillory
