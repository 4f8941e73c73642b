#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <functional>

// An HTTP server on 127.0.0.1 for tests. It writes down every request it receives and answers each
// with a script of raw bytes: any bytes, sent when the script says, or nothing at all. Optionally TLS,
// with the certificate in tests/data.
class TestServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray target;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray head; // the request line and header lines as they came

        QByteArray header(const QByteArray& name) const;
    };

    // Bytes to send, after a pause of `delayMs`.
    struct Step {
        int delayMs = 0;
        QByteArray bytes;
    };
    // What to answer; when `hang`, the connection is kept open after the last step without a word more.
    struct Script {
        QList<Step> steps;
        bool hang = false;
    };
    using Responder = std::function<Script(const Request& request)>;

    explicit TestServer(Responder responder, bool tls = false);
    // Answers every request alike.
    explicit TestServer(const Script& always)
        : TestServer([always](const Request&) { return always; })
    {
    }

    QUrl url(QStringView pathAndQuery = u"/") const;
    // Writes these bytes on the connection of the request for this target, and closes it unless told
    // otherwise: the answer, or more of it, to a request whose script left it waiting.
    void reply(const QByteArray& target, const QByteArray& bytes, bool close = true);
    quint16 port() const { return m_server->serverPort(); }
    const QList<Request>& received() const { return m_received; }

signals:
    // A whole request has been read; received() holds it, the count-th so far, and its script is next.
    void requestRead(qsizetype count);

public:
    // A complete response with a Content-Length.
    static QByteArray response(int status, const QByteArray& body, const QByteArray& headers = {});
    static Script answer(int status, const QByteArray& body, const QByteArray& headers = {})
    {
        return { { { 0, response(status, body, headers) } } };
    }

    static QString certificateFile();

private:
    void readFrom(QTcpSocket* socket);
    void play(QTcpSocket* socket, Script script);

    QTcpServer* m_server;
    Responder m_responder;
    QList<Request> m_received;
    QList<QPointer<QTcpSocket>> m_connections; // each request's
    bool m_tls;
};
