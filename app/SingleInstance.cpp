#include "app/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace Quillmark {

namespace {
constexpr const char* kInstanceText = "QUILLMARKPRO-MUTEX-BE4DD254-09FB-4501-9038-10296DCCEF30";
constexpr int kAnswerMilliseconds = 200;
}  // namespace

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

bool CSingleInstance::Claim(std::function<void()> onActivate) {
    m_onActivate = std::move(onActivate);
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (m_server.listen(ServerName())) {
        connect(&m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    if (socket->readLine().trimmed() == "activate") {
                        if (m_onActivate)
                            m_onActivate();
                        socket->write("ok\n");
                        socket->flush();
                    }
                });
            }
        });
        return true;
    }
    // Another copy holds the name: ask it to come forward.
    QLocalSocket socket;
    socket.setServerName(ServerName());
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer();
    if (!socket.waitForConnected(kAnswerMilliseconds)) {
        return true;  // nobody answered: go on as if no other copy ran
    }
    socket.write("activate\n");
    socket.flush();
    if (socket.waitForReadyRead(kAnswerMilliseconds) && socket.readLine().trimmed() == "ok") {
        return false;
    }
    return true;
}

}  // namespace Quillmark
