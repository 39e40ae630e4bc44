#include "gui/app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <algorithm>
#include <memory>

namespace quillory {

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr qsizetype MaxRequest = 64 * 1024;
// A request is one line: "raise", then a space and the activation token when
// there is one. A token is printable ASCII without blanks, as compositors
// make them; anything else is not passed on.
const QByteArray RaiseWord = QByteArrayLiteral("raise");

bool IsToken(const QByteArray& token) {
    return !token.isEmpty() &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

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
            // The request so far; a client that sends more than a request
            // can hold is not heard.
            auto request = std::make_shared<QByteArray>();
            connect(client, &QLocalSocket::readyRead, this, [this, client, request] {
                *request += client->readAll();
                if (request->size() > MaxRequest) {
                    client->abort();
                    return;
                }
                const qsizetype end = request->indexOf('\n');
                if (end < 0)
                    return;
                const QList<QByteArray> words = request->left(end).split(' ');
                request->remove(0, end + 1);
                if (words.front() == RaiseWord)
                    emit RaiseRequested(words.size() == 2 && IsToken(words[1]) ? words[1]
                                                                               : QByteArray());
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    // Without the socket the program still runs alone; only the raising of its
    // window by a later start is lost.
    server_->listen(socketPath);
    return true;
}

void SingleInstance::AskFirstToRaise(const QByteArray& activationToken) {
    QLocalSocket socket;
    socket.connectToServer(directory_ + QStringLiteral("/quillory.socket"));
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return;
    socket.write(RaiseWord + (IsToken(activationToken) ? ' ' + activationToken : QByteArray()) +
                 '\n');
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.disconnectFromServer();
}

} // namespace quillory
