#include "platform/httprequest.h"

#include "platform/failure.h"
#include "platform/lifetime.h"
#include "platform/versionrecord.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace platform {

namespace {

    // tchar of RFC 9110: the characters a method or a header name may be made of.
    bool isToken(const QString& text)
    {
        if (text.isEmpty())
            return false;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
                || QStringView(u"!#$%&'*+-.^_`|~").contains(c);
            if (!ok)
                return false;
        }
        return true;
    }

    QString quoted(const QString& text)
    {
        return u'"' % text % u'"';
    }

    bool isRedirect(int status)
    {
        return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    }

    // The errors Qt derives from an HTTP status of 400 and above: the response itself arrived whole.
    bool isStatusError(QNetworkReply::NetworkError error)
    {
        return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
            || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    }

    QString userAgent()
    {
        const VersionRecord version = versionRecord();
        return QStringLiteral("Reruzad/%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
    }

} // namespace

HttpRequest::HttpRequest(QObject* parent)
    : QObject(parent)
{
    m_manager.setCookieJar(nullptr);
    m_manager.setAutoDeleteReplies(false);
}

HttpRequest::~HttpRequest()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply;
    }
}

void HttpRequest::open(const QString& method, const QString& url, bool async)
{
    if (!isToken(method))
        throw Failure(u"Not an HTTP method: " % quoted(method) % u'.');
    const QUrl parsed(url); // tolerant, as a browser is: a space in the path goes out as %20
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"http" && scheme != u"https") || parsed.host().isEmpty())
        throw Failure(u"Not an http or https URL: " % quoted(url) % u'.');
    m_method = method;
    m_url = parsed;
    m_async = async;
    m_headers.clear();
    setState(Opened);
}

void HttpRequest::setRequestHeader(const QString& name, const QString& value)
{
    if (m_state != Opened || m_reply)
        throw Failure(QStringLiteral("A request header can only be set after open and before send."));
    if (!isToken(name))
        throw Failure(u"The request to " % m_url.toDisplayString() % u" was not sent: " % quoted(name)
            % u" is not a valid header name.");
    for (const QChar c : value) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            throw Failure(u"The request to " % m_url.toDisplayString() % u" was not sent: the value of the header "
                % quoted(name) % u" holds a line break or a NUL character, which a header cannot carry.");
    }
    const QByteArray rawName = name.toLatin1();
    const QByteArray rawValue = value.toUtf8();
    for (auto& [existing, values] : m_headers) {
        if (existing.compare(rawName, Qt::CaseInsensitive) == 0) {
            values += ", " + rawValue;
            return;
        }
    }
    m_headers.append({ rawName, rawValue });
}

void HttpRequest::send(const QString& body)
{
    if (m_state != Opened || m_reply)
        throw Failure(QStringLiteral("A request can only be sent once, after open."));

    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(20);
    request.setTransferTimeout(int(m_idleTimeout.count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setRawHeader("User-Agent", userAgent().toLatin1());
    const QByteArray data = body.toUtf8();
    bool hasContentType = false;
    bool hasAcceptEncoding = false;
    for (const auto& [name, value] : std::as_const(m_headers)) {
        request.setRawHeader(name, value);
        hasContentType = hasContentType || name.compare("Content-Type", Qt::CaseInsensitive) == 0;
        hasAcceptEncoding = hasAcceptEncoding || name.compare("Accept-Encoding", Qt::CaseInsensitive) == 0;
    }
    if (!data.isEmpty() && !hasContentType)
        request.setRawHeader("Content-Type", "text/plain;charset=UTF-8");
    // Compressed bodies are undone here rather than by Qt, which takes a damaged one for a short one.
    // A user's own Accept-Encoding gets the body as the server sends it.
    m_decompress = !hasAcceptEncoding;
    if (m_decompress)
        request.setRawHeader("Accept-Encoding", "gzip, deflate");

    m_reply = data.isEmpty() ? m_manager.sendCustomRequest(request, m_method.toLatin1())
                             : m_manager.sendCustomRequest(request, m_method.toLatin1(), data);
    // Keep Qt's own read-ahead small, so that its buffers are reused rather than made anew for every
    // piece of a large body.
    m_reply->setReadBufferSize(256 * 1024);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpRequest::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpRequest::onFinished);
    if (m_async)
        return;
    // Synchronous: wait here, with the window painting but taking no input, until the response is in.
    QEventLoop wait;
    connect(this, &HttpRequest::progressed, &wait, [this, &wait] {
        if (m_state == Done)
            wait.quit();
    });
    if (m_state != Done && !programEnding())
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (m_state == Done && !m_failure.isEmpty())
        throw Failure(m_failure);
}

QString HttpRequest::responseText() const
{
    if (m_state != Done)
        return QString(); // not complete yet: no text so far
    if (!m_failure.isEmpty())
        throw Failure(m_failure);
    return m_text;
}

void HttpRequest::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit progressed();
}

QString HttpRequest::describe(const QString& cause) const
{
    return u"The request to " % m_url.toDisplayString() % u" failed: " % cause;
}

void HttpRequest::fail(const QString& cause)
{
    if (m_failure.isEmpty())
        m_failure = describe(cause);
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_text.clear();
    setState(Done);
}

void HttpRequest::onMetaDataChanged()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && isRedirect(status.toInt()) && m_reply->hasRawHeader("Location"))
        return; // a hop on the way, not the final response
    bool known = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > MaxResponseBytes) {
        fail(
            QStringLiteral("the response is larger than 256 MB (%1 bytes), more than this program reads.").arg(length));
        return;
    }
    m_decoder.emplace(m_reply->rawHeader("Content-Type"));
    if (known)
        m_decoder->reserve(length);
    const QByteArray coding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    m_inflater.reset();
    if (m_decompress && (coding == "gzip" || coding == "x-gzip" || coding == "deflate"))
        m_inflater = std::make_unique<Inflater>();
    m_received = 0;
    setState(HeadersReceived);
}

void HttpRequest::onReadyRead()
{
    if (!m_decoder) // a body without headers before it cannot happen, but is not worth a crash
        onMetaDataChanged();
    if (m_state == Done)
        return;
    // Read in pieces through one buffer, rather than a new array for every piece.
    char buffer[256 * 1024];
    for (qint64 got; m_state != Done && (got = m_reply->read(buffer, sizeof buffer)) > 0;)
        takeBody(QByteArrayView(buffer, got));
    if (m_state == Done)
        return;
    if (m_state == Loading)
        emit progressed();
    else
        setState(Loading);
}

// Counts, uncompresses and decodes a piece of the body. The size limit counts what the body
// uncompresses to, so that a small compressed body cannot fill the memory either.
void HttpRequest::takeBody(QByteArrayView bytes)
{
    QByteArray plain;
    if (m_inflater && !m_inflater->feed(bytes, plain)) {
        fail(QStringLiteral("its compressed body is damaged."));
        return;
    }
    const QByteArrayView body = m_inflater ? QByteArrayView(plain) : bytes;
    m_received += body.size();
    if (m_received > MaxResponseBytes) {
        fail(QStringLiteral("the response is larger than 256 MB, more than this program reads."));
        return;
    }
    m_decoder->feed(body);
}

void HttpRequest::onFinished()
{
    if (m_state == Done)
        return;
    QNetworkReply* reply = m_reply;
    const auto error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool complete
        = error == QNetworkReply::NoError || (isStatusError(error) && status.isValid() && status.toInt() >= 400);
    if (!complete) {
        QString cause;
        switch (error) {
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            cause = QStringLiteral("nothing arrived for %1 seconds.").arg(m_idleTimeout.count() / 1000.0);
            break;
        case QNetworkReply::TooManyRedirectsError:
            cause = QStringLiteral("it was redirected more than 20 times.");
            break;
        case QNetworkReply::InsecureRedirectError:
            cause = QStringLiteral("it was redirected from https to http, which would give its data away.");
            break;
        default:
            cause = reply->errorString() + u'.';
        }
        fail(cause);
        return;
    }
    if (!m_decoder)
        m_decoder.emplace(reply->rawHeader("Content-Type"));
    takeBody(reply->readAll());
    if (m_state == Done)
        return;
    if (m_inflater && !m_inflater->finished()) {
        fail(QStringLiteral("its compressed body ends before the compressed data does."));
        return;
    }
    m_text = m_decoder->finish();
    m_decoder.reset();
    reply->disconnect(this);
    reply->deleteLater();
    setState(Done);
}

std::unique_ptr<HttpRequest> createObject(const QString& identifier)
{
    if (identifier.compare(u"Microsoft.xmlhttp", Qt::CaseInsensitive) == 0)
        return std::make_unique<HttpRequest>();
    throw Failure(u"There is no object called " % quoted(identifier) % u" to create.");
}

} // namespace platform
