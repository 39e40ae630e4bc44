#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace quillory {

// Only one instance of the program runs per user. The first takes a lock file
// in the user's runtime directory and listens on a local socket beside it; a
// later one finds the lock taken, asks the first through the socket to bring
// its main window forward, and ends without a window or a message.
//
// Wayland compositors bring a window forward only with an activation token,
// which a desktop's launcher gives the program it starts in
// XDG_ACTIVATION_TOKEN: the later start hands its token to the first.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // `directory` holds the lock and the socket; by default the user's runtime
    // directory.
    explicit SingleInstance(QString directory = {});
    ~SingleInstance() override;

    // True when this process is the first instance; it then holds the lock
    // until it ends.
    bool TryBecomeFirst();
    // Asks the first instance to bring its main window forward, with the
    // activation token this start was given (empty when none).
    void AskFirstToRaise(const QByteArray& activationToken);

signals:
    void RaiseRequested(const QByteArray& activationToken);

private:
    QString directory_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace quillory
