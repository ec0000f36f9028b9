#include "app/platform/SingleInstance_linux.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
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
// A first launch still starting up has taken the lock but may not listen yet.
constexpr int connectAttempts = 25;
constexpr int attemptMilliseconds = 200;

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
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK) return Claim::unguarded;
    // The lock holder runs: it comes forward, or (when it cannot be reached)
    // a second copy would still write the same history. Either way this one ends.
    askFirst();
    return Claim::forwarded;
}

void SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, a socket left by an earlier run that ended abruptly is nobody's.
    QLocalServer::removeServer(socketName_);
    if (!server_->listen(socketName_)) return;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Only a whole request counts; anything else on the socket is ignored.
                if (!socket->canReadLine()) return;
                const QByteArray line = socket->readLine(64);
                socket->disconnectFromServer();
                if (line == request.toByteArray()) emit comeForwardRequested();
            });
        }
    });
}

bool SingleInstance::askFirst() const {
    for (int attempt = 0; attempt < connectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(socketName_);
        if (socket.waitForConnected(attemptMilliseconds)) {
            socket.write(request.data(), request.size());
            return socket.waitForBytesWritten(1000);
        }
        QThread::msleep(attemptMilliseconds);
    }
    return false;
}

}  // namespace korvane
