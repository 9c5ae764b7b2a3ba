#pragma once

// A small HTTPS server for the update tests, on 127.0.0.1 in the test's own
// thread (the client's local event loop serves it). Its certificate is made
// with openssl when the server starts and is trusted by this test process
// only, through Qt's default TLS configuration.
//
// Each path answers as its CAnswer says: whole, without a length, cut short
// after some bytes, stalled after some bytes until the client gives up, or
// dripped a few bytes at a time.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace QuillmarkTest {

struct CAnswer {
    QByteArray body;
    QByteArray contentType = "application/octet-stream";
    int status = 200;
    bool announceLength = true;
    qint64 announcedLength = -1;  // -1: the body's own length
    qint64 cutAfter = -1;         // close the connection after this many body bytes
    qint64 stallAfter = -1;       // send this many body bytes, then nothing more
    QByteArray extraHeaders;      // whole lines, each ending in "\r\n"
    qint64 dripBytes = 0;         // sends the body this many bytes at a time,
    int dripMilliseconds = 0;     // one piece every this many milliseconds
};

class CTestHttpsServer : public QObject {
public:
    // `name`: the name its certificate is made out to, as subjectAltName
    // gives it.
    explicit CTestHttpsServer(const QString& name = QStringLiteral("IP:127.0.0.1")) {
        Original();
        QProcess openssl;
        openssl.setWorkingDirectory(m_dir.path());
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-keyout", "key.pem", "-out", "cert.pem", "-days", "1", "-subj",
                       "/CN=" + name.section(u':', 1), "-addext", "subjectAltName=" + name});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            return;
        }
        QFile certFile(m_dir.filePath("cert.pem"));
        QFile keyFile(m_dir.filePath("key.pem"));
        if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
            return;
        }
        m_certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
        const QSslKey key(keyFile.readAll(), QSsl::Ec, QSsl::Pem);

        QSslConfiguration server = QSslConfiguration::defaultConfiguration();
        server.setLocalCertificate(m_certificate);
        server.setPrivateKey(key);
        server.setPeerVerifyMode(QSslSocket::VerifyNone);
        m_server.setSslConfiguration(server);
        QObject::connect(&m_server, &QSslServer::pendingConnectionAvailable, this,
                         [this] { Accept(); });
        m_ready = m_server.listen(QHostAddress::LocalHost, 0);
    }

    // Makes the clients of this process trust the server's certificate.
    void Trust() {
        QSslConfiguration client = Original();
        client.addCaCertificate(m_certificate);
        QSslConfiguration::setDefaultConfiguration(client);
    }

    // Back to what the process trusted before.
    static void Distrust() { QSslConfiguration::setDefaultConfiguration(Original()); }

    bool IsReady() const { return m_ready && !m_certificate.isNull(); }
    // Its certificate, in PEM.
    QString CertificateFile() const { return m_dir.filePath("cert.pem"); }
    QUrl Address(const QString& path = QStringLiteral("/")) const {
        return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    void SetAnswer(const QString& path, const CAnswer& answer) { m_answers[path] = answer; }
    // The paths with their queries, in the order they were asked for.
    const QStringList& Requests() const { return m_requests; }
    // Drops stalled connections (the test is over with them).
    void CloseAll() {
        for (QSslSocket* socket : m_server.findChildren<QSslSocket*>()) {
            socket->abort();
        }
    }

private:
    static const QSslConfiguration& Original() {
        static const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
        return original;
    }

    void Accept() {
        while (QTcpSocket* plain = m_server.nextPendingConnection()) {
            auto* socket = static_cast<QSslSocket*>(plain);
            auto* request = new QByteArray;
            QObject::connect(socket, &QObject::destroyed, [request] { delete request; });
            QObject::connect(socket, &QSslSocket::readyRead, this, [this, socket, request] {
                *request += socket->readAll();
                const qsizetype end = request->indexOf("\r\n\r\n");
                if (end >= 0) {
                    const QByteArray line = request->left(request->indexOf("\r\n"));
                    request->clear();
                    Answer(socket, QString::fromLatin1(line.split(' ').value(1)));
                }
            });
            QObject::connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void Answer(QSslSocket* socket, const QString& target) {
        m_requests << target;
        const QString path = QUrl(target).path();
        const auto found = m_answers.constFind(path);
        CAnswer answer;
        if (found == m_answers.constEnd()) {
            answer.status = 404;
            answer.body = "not here";
        } else {
            answer = *found;
        }
        const QByteArray reason = answer.status == 200                          ? " OK"
                                  : answer.status >= 300 && answer.status < 400 ? " Found"
                                                                                : " Not Found";
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + reason + "\r\n";
        head += "Content-Type: " + answer.contentType + "\r\n";
        if (answer.announceLength) {
            const qint64 length =
                answer.announcedLength >= 0 ? answer.announcedLength : answer.body.size();
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        }
        head += answer.extraHeaders;
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        if (answer.dripBytes > 0) {
            auto* drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket,
                             [socket, drip, answer, sent = 0]() mutable {
                                 socket->write(answer.body.mid(sent, answer.dripBytes));
                                 sent += static_cast<int>(answer.dripBytes);
                                 if (sent >= answer.body.size()) {
                                     drip->stop();
                                     socket->disconnectFromHost();
                                 }
                             });
            drip->start(answer.dripMilliseconds);
            return;
        }
        if (answer.stallAfter >= 0) {
            socket->write(answer.body.left(answer.stallAfter));
            return;  // the connection stays open, silent
        }
        socket->write(answer.cutAfter >= 0 ? answer.body.left(answer.cutAfter) : answer.body);
        socket->disconnectFromHost();
    }

    QTemporaryDir m_dir;
    QSslCertificate m_certificate;
    QSslServer m_server;
    bool m_ready = false;
    QMap<QString, CAnswer> m_answers;
    QStringList m_requests;
};

}  // namespace QuillmarkTest
