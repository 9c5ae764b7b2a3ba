#include "app/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace Quillmark {

namespace {
constexpr const char* kInstanceText = "QUILLMARKPRO-MUTEX-BE4DD254-09FB-4501-9038-10296DCCEF30";
// The other copy answers from its own thread: this is plenty even on a
// machine under load.
constexpr int kAnswerMilliseconds = 5000;
// Between a copy that has just ended and one that takes the name.
constexpr int kClaimAttempts = 5;
}  // namespace

CSingleInstance::CSingleInstance() {
    m_thread.setObjectName(QStringLiteral("single-instance"));
}

CSingleInstance::~CSingleInstance() {
    if (m_server != nullptr) {
        QMetaObject::invokeMethod(
            m_server, [server = m_server] { delete server; }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}

QString CSingleInstance::ServerName() {
    const QByteArray home =
        QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return QStringLiteral("%1-%2-%3")
        .arg(QLatin1String(kInstanceText))
        .arg(::getuid())
        .arg(QLatin1String(home));
}

bool CSingleInstance::Listen(bool& nameTaken) {
    if (!m_thread.isRunning()) {
        m_thread.start();
    }
    bool listening = false;
    auto* server = new QLocalServer;
    server->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        server,
        [this, server, &listening, &nameTaken] {
            server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
            listening = server->listen(ServerName());
            if (!listening) {
                nameTaken = server->serverError() == QAbstractSocket::AddressInUseError;
                return;
            }
            connect(server, &QLocalServer::newConnection, server, [this, server] {
                while (QLocalSocket* socket = server->nextPendingConnection()) {
                    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                        if (!socket->canReadLine())
                            return;
                        // "activate", or "open " and the path's bytes in
                        // base64 (a file name may hold any byte but "/"
                        // and NUL, a line break too).
                        const QByteArray line = socket->readLine().trimmed();
                        QByteArray path;
                        if (line.startsWith("open ")) {
                            path = QByteArray::fromBase64(line.mid(5));
                        } else if (line != "activate") {
                            return;
                        }
                        // The answer first: the window comes forward
                        // when the user-interface thread gets to it.
                        socket->write("ok\n");
                        socket->flush();
                        QMetaObject::invokeMethod(
                            this,
                            [this, path] {
                                if (m_onActivate)
                                    m_onActivate(path);
                            },
                            Qt::QueuedConnection);
                    });
                }
            });
        },
        Qt::BlockingQueuedConnection);
    if (listening) {
        m_server = server;
    } else {
        QMetaObject::invokeMethod(
            server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    }
    return listening;
}

CSingleInstance::Claimed CSingleInstance::Claim(std::function<void(const QByteArray&)> onActivate,
                                                const QByteArray& path) {
    m_onActivate = std::move(onActivate);
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        bool nameTaken = false;
        if (Listen(nameTaken)) {
            return Claimed::Alone;
        }
        if (!nameTaken) {
            // No socket to be had at all: run, as a copy that cannot check.
            return Claimed::Alone;
        }
        // Another copy holds the name: ask it to come forward.
        QLocalSocket socket;
        socket.setServerName(ServerName());
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer();
        if (!socket.waitForConnected(kAnswerMilliseconds)) {
            continue;  // it has just ended: try to take the name again
        }
        socket.write(path.isEmpty() ? QByteArray("activate\n") : "open " + path.toBase64() + '\n');
        socket.flush();
        if (socket.waitForReadyRead(kAnswerMilliseconds) && socket.canReadLine() &&
            socket.readLine().trimmed() == "ok") {
            return Claimed::OtherCopyRuns;
        }
        return Claimed::OtherCopySilent;
    }
    // The name can be neither taken nor reached: no second set of saves.
    return Claimed::OtherCopySilent;
}

}  // namespace Quillmark
