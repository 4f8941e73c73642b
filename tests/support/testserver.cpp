#include "testserver.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

using namespace Qt::StringLiterals;

QByteArray TestServer::Request::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString TestServer::certificateFile()
{
    return QString::fromUtf8(TEST_DATA_DIR "/selfsigned.crt");
}

TestServer::TestServer(Responder responder, bool tls)
    : m_responder(std::move(responder))
    , m_tls(tls)
{
    if (tls) {
        auto* server = new QSslServer(this);
        QFile certificate(certificateFile()), key(QString::fromUtf8(TEST_DATA_DIR "/selfsigned.key"));
        if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
            qFatal("cannot read the test certificate and key in %s", TEST_DATA_DIR);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(certificate.readAll()));
        configuration.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        server->setSslConfiguration(configuration);
        m_server = server;
    } else {
        m_server = new QTcpServer(this);
    }
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    if (!m_server->listen(QHostAddress::LocalHost))
        qFatal("the test server cannot listen on 127.0.0.1");
}

QUrl TestServer::url(QStringView pathAndQuery) const
{
    return QUrl(u"%1://127.0.0.1:%2%3"_s.arg(m_tls ? "https" : "http").arg(port()).arg(pathAndQuery));
}

QByteArray TestServer::response(int status, const QByteArray& body, const QByteArray& headers)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n" + headers + "\r\n" + body;
}

void TestServer::reply(const QByteArray& target, const QByteArray& bytes, bool close)
{
    for (qsizetype i = 0; i < m_received.size(); ++i) {
        if (m_received[i].target == target && m_connections[i]) {
            m_connections[i]->write(bytes);
            if (close)
                m_connections[i]->disconnectFromHost();
        }
    }
}

void TestServer::readFrom(QTcpSocket* socket)
{
    // Requests are taken one at a time: head, then as many body bytes as Content-Length says.
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    for (;;) {
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            break;
        Request request;
        request.head = buffer.first(headEnd + 4);
        const QList<QByteArray> lines = buffer.first(headEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.append({ line.first(colon), line.sliced(colon + 1).trimmed() });
        }
        const qsizetype length = request.header("Content-Length").toLongLong();
        if (buffer.size() < headEnd + 4 + length)
            break;
        request.body = buffer.sliced(headEnd + 4, length);
        buffer.remove(0, headEnd + 4 + length);
        m_received.append(request);
        m_connections.append(socket);
        emit requestRead(m_received.size());
        play(socket, m_responder(request));
    }
    socket->setProperty("buffer", buffer);
}

void TestServer::play(QTcpSocket* socket, Script script)
{
    if (script.steps.isEmpty()) {
        if (!script.hang)
            socket->disconnectFromHost();
        return;
    }
    const Step step = script.steps.takeFirst();
    QPointer<QTcpSocket> alive(socket);
    QTimer::singleShot(step.delayMs, this, [this, alive, step, script] {
        if (!alive)
            return;
        alive->write(step.bytes);
        alive->flush();
        play(alive, script);
    });
}
