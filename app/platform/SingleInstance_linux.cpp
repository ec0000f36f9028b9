#include "app/platform/SingleInstance_linux.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <filesystem>

namespace korvane {

namespace {

constexpr QByteArrayView request = "come-forward\n";
constexpr QByteArrayView answer = "coming-forward\n";
// A first launch still starting up has taken the lock but may not listen
// yet; one that is ending no longer listens: both are tried again.
constexpr int attemptMilliseconds = 200;
constexpr int answerMilliseconds = 1000;

QString socketFor(const std::string& lockPath) {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(lockPath), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    const QString name = QStringLiteral("korvane-") + QString::fromLatin1(digest) + QStringLiteral(".socket");
    // The runtime folder is the user's own (0700); QStandardPaths checks that
    // before it answers, and answers nothing when it cannot be trusted.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return QDir(runtime).filePath(name);
    return name;
}

}  // namespace

SingleInstance::SingleInstance(std::string lockPath, QObject* parent)
    : QObject(parent), lockPath_(std::move(lockPath)), socketName_(socketFor(lockPath_)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

SingleInstance::Claim SingleInstance::claim() {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(lockPath_).parent_path(), ignored);
    const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Claim::unguarded;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lockFd_ = fd;
        listen();
        return Claim::first;
    }
    if (errno != EWOULDBLOCK) {
        ::close(fd);
        return Claim::unguarded;
    }
    // The lock holder runs: it comes forward, or it is ending and this one
    // takes its place once it has gone. Two copies never write one history.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (askFirst()) {
            ::close(fd);
            return Claim::forwarded;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            lockFd_ = fd;
            listen();
            return Claim::first;
        }
        if (waited.elapsed() >= holderWaitMilliseconds) {
            ::close(fd);
            return Claim::unanswered;
        }
        QThread::msleep(attemptMilliseconds);
    }
}

void SingleInstance::stopAnswering() {
    if (server_) server_->close();
}

bool SingleInstance::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) stopAnswering();
    return false;
}

void SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, a socket left by an earlier run that ended abruptly is nobody's.
    QLocalServer::removeServer(socketName_);
    if (!server_->listen(socketName_)) return;
    // A quit closes the windows first, stopping the work they show: from its
    // start, a later launch waits for the end instead of a window on its way out.
    if (QCoreApplication* application = QCoreApplication::instance(); application && application->thread() == thread())
        application->installEventFilter(this);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Only a whole request counts; anything else on the socket is ignored.
                if (!socket->canReadLine()) return;
                const QByteArray line = socket->readLine(64);
                const bool asked = line == request.toByteArray();
                if (asked) socket->write(answer.data(), answer.size());
                // Leaves once the answer is written.
                socket->disconnectFromServer();
                if (asked) emit comeForwardRequested();
            });
        }
    });
}

bool SingleInstance::askFirst() const {
    QLocalSocket socket;
    socket.connectToServer(socketName_);
    if (!socket.waitForConnected(attemptMilliseconds)) return false;
    socket.write(request.data(), request.size());
    if (!socket.waitForBytesWritten(answerMilliseconds)) return false;
    QElapsedTimer waited;
    waited.start();
    while (!socket.canReadLine() && waited.elapsed() < answerMilliseconds)
        if (!socket.waitForReadyRead(static_cast<int>(answerMilliseconds - waited.elapsed()))) break;
    return socket.canReadLine() && socket.readLine(64) == answer.toByteArray();
}

}  // namespace korvane
