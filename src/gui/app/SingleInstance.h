#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace quillory {

// Only one instance of the program runs per user. The first takes a lock file
// in the user's runtime directory and listens on a local socket beside it; a
// later one finds the lock taken, asks the first through the socket to bring
// its main window forward, and ends without a window or a message.
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
    // Asks the first instance to bring its main window forward.
    void AskFirstToRaise();

signals:
    void RaiseRequested();

private:
    QString directory_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace quillory
