#pragma once

#include "platform/inflater.h"
#include "platform/responsedecoder.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkReply;

namespace platform {

// The scriptable HTTP request object that the program creates as "Microsoft.xmlhttp": open, set
// headers, send, then read readyState and responseText. Each object makes one request with a network
// stack of its own, so nothing (cookies, credentials, cache, connections) carries over to the next.
class HttpRequest : public QObject {
    Q_OBJECT
public:
    enum State { Unsent = 0, Opened = 1, HeadersReceived = 2, Loading = 3, Done = 4 };

    // Responses larger than this are refused rather than read.
    static constexpr qint64 MaxResponseBytes = qint64(256) * 1024 * 1024;
    static constexpr std::chrono::milliseconds DefaultIdleTimeout { 60000 };

    explicit HttpRequest(QObject* parent = nullptr);
    ~HttpRequest() override;

    // The method must be an HTTP token and the URL an absolute http or https URL with a host.
    void open(const QString& method, const QString& url, bool async);
    // The name must be an HTTP token and the value must not hold CR, LF or NUL. A name given again
    // sends every value, joined by ", ".
    void setRequestHeader(const QString& name, const QString& value);
    // Sends the body as UTF-8. Without async, returns once the response is complete (or the program is
    // ending); the window keeps painting meanwhile but takes no input. With async, returns at once.
    void send(const QString& body);

    int readyState() const { return m_state; }
    // The response body as text, once the state is 4. Fails, naming the cause, when the transfer did
    // not complete.
    QString responseText() const;

    // A transfer that receives nothing for this long fails; a slow but living one goes on.
    void setIdleTimeout(std::chrono::milliseconds timeout) { m_idleTimeout = timeout; }

signals:
    // The state changed, or more of the body arrived.
    void progressed();

private:
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    void setState(State state);
    void takeBody(QByteArrayView bytes);
    void fail(const QString& cause);
    QString describe(const QString& cause) const;

    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    State m_state = Unsent;
    QString m_method;
    QUrl m_url;
    bool m_async = false;
    QList<std::pair<QByteArray, QByteArray>> m_headers;
    std::chrono::milliseconds m_idleTimeout = DefaultIdleTimeout;
    std::optional<ResponseDecoder> m_decoder;
    std::unique_ptr<Inflater> m_inflater; // while the body comes gzip or deflate coded
    bool m_decompress = false; // the object asked for coded bodies, so it undoes the coding itself
    qint64 m_received = 0;
    QString m_text;
    QString m_failure;
};

// Creates the object a program asks for by its identifier, matched without regard to case. Only
// "Microsoft.xmlhttp" is known; any other identifier fails.
std::unique_ptr<HttpRequest> createObject(const QString& identifier);

} // namespace platform
