#pragma once

#include "bodypipeline.h"
#include "redirect.h"
#include "responsedecoder.h"
#include "responsehead.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace http {

// Where the time of a response went, as libcurl measured it for the request that got it: looking the
// host's name up, connecting, the TLS handshake (none without TLS or on a connection used again), waiting
// from the request sent to the first byte back, and reading the rest.
struct Timing {
    std::chrono::microseconds nameLookup {}, connect {}, tls {}, waiting {}, download {};
};

// What came back for a request, beyond its text: the final response after any redirects.
struct Response {
    QByteArray url; // where it came from
    QByteArray statusLine; // as received, without its line break: "HTTP/1.1 404 Not Found"
    QList<QByteArray> headers; // its header lines as received, in order, without line breaks; folded ones joined
    QByteArray body; // its bytes as received, after any content coding is undone and before charset decoding
    std::chrono::nanoseconds elapsed {}; // from send to the last byte, across any redirects
    Timing timing; // of its own request alone
    QByteArray httpVersion; // "HTTP/1.1", "HTTP/2"
    QByteArray remoteAddress; // the address it came from, "127.0.0.1" or "::1"
    int remotePort = 0;
    int redirects = 0; // followed on the way to it
    QByteArray unknownCharset; // the charset it named when that is no known one, so it was read as UTF-8
    QByteArray contentCoding; // the content codings its body is still in, lowercased, when they were not undone

    int status() const { return statusOf(statusLine); }
    QByteArray reason() const { return reasonOf(statusLine); } // as the server sent it, perhaps empty ("HTTP/2 200")
};

// How much of the final response has come while it comes: nothing before its head is in; then its body's
// bytes as they arrive, before any content coding is undone, and the length its head gave.
struct Arrival {
    bool answered = false; // the final response's head is in: redirects and interim responses are behind
    qint64 received = 0;
    qint64 expected = -1; // none given, or the body's end is told otherwise (chunks, the connection's close)
};

class CurlDriver;
struct CurlApi;

// The scriptable HTTP request object that the program creates as "Microsoft.xmlhttp": open, set
// headers, send, then read readyState and responseText. Each object makes its requests on connections
// of its own, so nothing (cookies, credentials, connections) carries over to another object; opened
// again, it may send on a connection its last request left open. The exchange runs in the thread's
// event loop.
class HttpRequest : public QObject {
    Q_OBJECT
public:
    enum State { Unsent = 0, Opened = 1, HeadersReceived = 2, Loading = 3, Done = 4 };

    // Responses larger than this are refused rather than read.
    static constexpr qint64 MaxResponseBytes = qint64(256) * 1024 * 1024;
    // The most gzip and deflate codings undone on one body, one over another.
    static constexpr int MaxCodings = 5;
    static constexpr std::chrono::milliseconds DefaultIdleTimeout { 60000 };

    explicit HttpRequest(QObject* parent = nullptr);
    ~HttpRequest() override;

    // The method must be an HTTP token and the URL an absolute http or https URL with a host.
    void open(const QString& method, const QString& url, bool async);
    // The name must be an HTTP token and the value must not hold CR, LF or NUL. A name given again
    // sends every value, joined by ", ". Transfer-Encoding cannot be set: the object frames the body.
    void setRequestHeader(const QString& name, const QString& value);
    // Sends the body as UTF-8. With async, returns at once. Without, returns once the request has ended,
    // with the event loop running meanwhile (the caller decides what input it lets through), or sooner
    // when every event loop is told to end. Either way, a request that has ended says how through
    // responseText. A Content-Length set with setRequestHeader must be the body's.
    void send(const QString& body);

    int readyState() const { return m_state; }
    // The response body as text, once the state is 4. Fails, naming the cause, when the transfer did
    // not complete.
    QString responseText() const;
    // The response, once the state is 4 and the transfer completed; the same checks as responseText.
    const Response& response() const;
    // How far the final response has come, at any time: while it comes, and after.
    const Arrival& arrival() const { return m_arrival; }

    // A transfer that receives nothing for this long fails; a slow but living one goes on.
    void setIdleTimeout(std::chrono::milliseconds timeout) { m_idleTimeout = timeout; }
    // Trusts the certificate authorities in this PEM file instead of the system's.
    void setCertificateAuthorities(const QString& pemFile) { m_authorities = pemFile; }

signals:
    // The state changed, or more of the body arrived.
    void progressed();
    // The state is 4: the request has ended, with its response or with a failure.
    void finished();

private:
    struct Curl;

    void startHop();
    void stop();
    bool headerLine(QByteArrayView line);
    bool headersEnded();
    bool bodyBytes(QByteArrayView bytes);
    QByteArray resolved(const QByteArray& location) const;
    void hopFinished(int result);
    void measure();
    QString causeOf(int result) const;
    void acted(bool socketReady);
    void setState(State state);
    void fail(const QString& cause);
    QString describe(const QString& cause) const;

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);

    const CurlApi& m_api;
    State m_state = Unsent;
    bool m_async = false;
    Hop m_hop; // the request of the hop under way: method, URL, headers and body
    QString m_typedUrl;
    using RequestHeader = std::pair<QByteArray, QByteArray>; // name and value, as they go out
    QString m_authorities;
    std::chrono::milliseconds m_idleTimeout = DefaultIdleTimeout;
    QTimer m_idle;
    int m_redirects = 0;

    // Where the head of the response under way stands.
    enum class Phase {
        StatusLine, // the next line starts a response's head: the first, or the one after an interim response
        Headers, // its status line is in, its header lines are coming
        Final, // its head is in, and it is the response to show: its body is kept
        Hop, // its head is in, and it points elsewhere: its body is not kept
    };
    Phase m_phase = Phase::StatusLine;
    ResponseHead m_head; // of the response under way
    QByteArray m_next; // where the hop points
    bool m_pending = false; // the state changed or the body grew inside libcurl: told once it returns
    QString m_abortCause; // why a callback stopped the transfer
    bool m_decompress = false; // the object asked for compressed bodies, so it undoes the coding itself
    std::optional<BodyPipeline> m_pipeline; // of the final response
    Arrival m_arrival;

    QElapsedTimer m_sent;
    QString m_text;
    Response m_response;
    QString m_failure;
    std::unique_ptr<CurlDriver> m_driver;
    std::unique_ptr<Curl> m_curl;
};

// Creates the object a program asks for by its identifier, matched without regard to case. Only
// "Microsoft.xmlhttp" is known; any other identifier fails.
std::unique_ptr<HttpRequest> createObject(const QString& identifier);

} // namespace http
