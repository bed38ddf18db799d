// SPDX-License-Identifier: MIT
// A local HTTPS server for the update check tests: a certificate made at
// test time with openssl, trusted only inside the test process.
#pragma once

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>

namespace scriba8::app::test {

// Serves the version file over HTTPS on 127.0.0.1, or misbehaves.
class VersionServer : public QObject {
  public:
    enum class Mode { serve, notFound, silent };

    bool start(const QString& certPath, const QString& keyPath) {
        QFile certFile(certPath);
        QFile keyFile(keyPath);
        if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) return false;
        certificate = QSslCertificate(&certFile, QSsl::Pem);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(certificate);
        tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa, QSsl::Pem));
        server_.setSslConfiguration(tls);
        connect(&server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                sockets_.push_back(socket);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            }
        });
        return server_.listen(QHostAddress::LocalHost);
    }

    QString address() const {
        return QStringLiteral("https://127.0.0.1:%1").arg(server_.serverPort());
    }

    Mode mode = Mode::serve;
    QByteArray body;
    QStringList paths;
    QSslCertificate certificate;

  private:
    void answer(QTcpSocket* socket) {
        request_ += socket->readAll();
        if (!request_.contains("\r\n\r\n")) return;
        paths << QString::fromLatin1(request_.split(' ').value(1));
        request_.clear();
        if (mode == Mode::silent) return; // keeps the connection open, says nothing
        const QByteArray status = mode == Mode::serve ? "200 OK" : "404 Not Found";
        // The error page carries the body too: it must not be read as the file.
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QSslServer server_;
    QList<QTcpSocket*> sockets_;
    QByteArray request_;
};

inline QByteArray versionFile(const QByteArray& chinaVersion, const QByteArray& chinaUrl) {
    QByteArray text = "[Scriba8_T3Plus]\r\n";
    if (!chinaVersion.isEmpty()) text += "China_Version=" + chinaVersion + "\r\n";
    if (!chinaUrl.isEmpty()) text += "China_URL=" + chinaUrl + "\r\n";
    text += "Universal_Version=2.0.0.1\r\nUniversal_URL=https://example.com/universal\r\n";
    return text;
}

// Makes a certificate for 127.0.0.1 in folder, starts server with it and
// trusts it for this process. False when any step fails.
inline bool StartTrustedServer(VersionServer& server, const QString& folder) {
    if (!QSslSocket::supportsSsl()) return false;
    const QString cert = folder + QStringLiteral("/cert.pem");
    const QString key = folder + QStringLiteral("/key.pem");
    QProcess openssl;
    openssl.start(QStringLiteral(OPENSSL),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                   "-out", cert});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) return false;
    if (!server.start(cert, key)) return false;
    QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
    trusted.addCaCertificate(server.certificate);
    QSslConfiguration::setDefaultConfiguration(trusted);
    return true;
}

} // namespace scriba8::app::test
