#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLocalServer;

namespace korvane {

// One Korvane per home: the first launch holds an advisory lock (flock) on a
// file in its data folder and listens on a local socket named after that
// file; a later launch finds the lock held, asks the first over the socket to
// come forward, and ends. The kernel drops the lock when its holder ends, so
// a crash leaves nothing that keeps the next launch out.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        first,      // this process is the one: it listens for later launches
        forwarded,  // another one holds the lock and was asked to come forward (or could not be reached)
        unguarded,  // the lock file could not be opened or locked: run without the guard
    };

    // `lockPath`: an absolute path in the data folder (its folder is created when missing).
    explicit SingleInstance(std::string lockPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim claim();
    // In the runtime folder when there is one, else in the temporary folder;
    // one for each lock path.
    QString socketName() const { return socketName_; }

signals:
    // A later launch asked this one to come forward.
    void comeForwardRequested();

private:
    void listen();
    bool askFirst() const;

    std::string lockPath_;
    QString socketName_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace korvane
