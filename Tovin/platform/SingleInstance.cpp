#include "Tovin/platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

#include "Tovin/platform/SystemServices.h"

namespace tovin {

namespace {

// One request per line: "open PATH" for each file, or "reopen".
constexpr QLatin1StringView openCommand("open ");
constexpr QLatin1StringView reopenCommand("reopen");
constexpr qsizetype requestLimit = 1 << 20;

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(socketPath.isEmpty() ? defaultSocketPath() : std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::displayKey(const QString& waylandDisplay, const QString& x11Display) {
    QString display = waylandDisplay;
    if (display.isEmpty()) {
        // ":0" and ":0.0" are the same X server: the screen after the dot does not count.
        display = x11Display;
        const qsizetype colon = display.lastIndexOf(':');
        const qsizetype dot = display.lastIndexOf('.');
        if (colon >= 0 && dot > colon) display.truncate(dot);
    }
    if (display.isEmpty()) return QStringLiteral("nodisplay");
    // A socket name keeps to characters every file system takes; a Wayland display may be
    // an absolute path.
    QString key;
    for (const QChar c : display) key += c.isLetterOrNumber() || c == '-' || c == '.' ? c : QChar('_');
    return key;
}

QString SingleInstance::defaultSocketPath() {
    // One process per user and display: a launch on another display or login session is
    // a process of its own, whose windows appear where it was started.
    const QString display =
        displayKey(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"));
    QString folder = SystemServices::runtimeDirectory();
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + QStringLiteral("/tovin-%1-%2.socket").arg(::geteuid()).arg(display);
}

bool SingleInstance::handOff(const QStringList& paths, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray request;
    if (paths.isEmpty()) request = QByteArray(reopenCommand.data(), reopenCommand.size()) + '\n';
    for (const QString& path : paths) {
        request += QByteArray(openCommand.data(), openCommand.size()) + path.toUtf8() + '\n';
    }
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        // Nobody answered handOff, so the socket file is left over from a process that died.
        QLocalServer::removeServer(socketPath_);
        if (!server_->listen(socketPath_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::receive);
    return true;
}

void SingleInstance::receive() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() > requestLimit) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            socket->deleteLater();
            QStringList paths;
            bool reopen = false;
            for (const QByteArray& line : buffer->split('\n')) {
                if (line.startsWith(QByteArray(openCommand.data(), openCommand.size()))) {
                    paths.append(QString::fromUtf8(line.mid(openCommand.size())));
                } else if (line == QByteArray(reopenCommand.data(), reopenCommand.size())) {
                    reopen = true;
                }
            }
            if (!paths.isEmpty()) Q_EMIT openRequested(paths);
            if (reopen) Q_EMIT reopenRequested();
        });
    }
}

}  // namespace tovin
