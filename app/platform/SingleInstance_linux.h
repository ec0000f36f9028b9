#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLocalServer;

namespace korvane {

// One Korvane per home: the first launch holds an advisory lock (flock) on a
// file in its data folder and listens on a local socket named after that
// file; a later launch finds the lock held, asks the first over the socket to
// come forward, and ends once the first answers that it does. The kernel drops
// the lock when its holder ends, so a crash leaves nothing that keeps the next
// launch out. A holder that does not answer may be ending (quitting, its
// window already stopping its work): the later launch tries the lock again
// until it is free and then runs itself, so that it never ends beside a
// Korvane on its way out.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        first,      // this process is the one: it listens for later launches
        forwarded,   // another one holds the lock and answered that it comes forward
        unanswered,  // another one holds the lock and neither answered nor ended in time
        unguarded,   // the lock file could not be opened or locked: run without the guard
    };
    // How long a later launch waits for a holder that does not answer to end.
    static constexpr int holderWaitMilliseconds = 15000;

    // `lockPath`: an absolute path in the data folder (its folder is created when missing).
    explicit SingleInstance(std::string lockPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim claim();
    // The program is quitting: later launches are no longer answered, so
    // they wait for this one to end and then run themselves. The first
    // instance does this by itself when the application is asked to quit,
    // before its windows close.
    void stopAnswering();
    // In the runtime folder when there is one, else in the temporary folder;
    // one for each lock path.
    QString socketName() const { return socketName_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A later launch asked this one to come forward.
    void comeForwardRequested();

private:
    void listen();
    // One request to the holder; true when it answered that it comes forward.
    bool askFirst() const;

    std::string lockPath_;
    QString socketName_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace korvane
