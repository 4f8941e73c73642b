#include "httprequest.h"

#include "curlapi.h"
#include "curldriver.h"
#include "failure.h"
#include "headerfield.h"
#include "requesturl.h"
#include "urlstart.h"
#include "versionrecord.h"

#include <QEventLoop>

#include <algorithm>
#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace http {

using foundation::Failure;

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

    // The codings undone here; "identity" is none at all.
    bool isInflatable(const QByteArray& coding)
    {
        return coding == "gzip" || coding == "x-gzip" || coding == "deflate";
    }

    // The body of a redirect is read and dropped when it is this short, so that its connection can carry
    // the next request; a longer one, or one whose end is not known beforehand, is not waited for.
    constexpr qint64 ShortRedirectBody = 64 * 1024;

    QByteArray userAgent()
    {
        return "Reruzad/" + foundation::versionText().toLatin1();
    }

} // namespace

struct HttpRequest::Curl {
    const CurlApi& m_api;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    char error[CURL_ERROR_SIZE] {};

    explicit Curl(const CurlApi& api)
        : m_api(api)
        , easy(api.easy_init())
    {
        if (!easy)
            throw std::bad_alloc();
    }
    ~Curl()
    {
        m_api.slist_free_all(headers);
        m_api.easy_cleanup(easy);
    }
    void addHeader(const QByteArray& line)
    {
        curl_slist* longer = m_api.slist_append(headers, line.constData());
        if (!longer)
            throw std::bad_alloc();
        headers = longer;
    }
};

HttpRequest::HttpRequest(QObject* parent)
    : QObject(parent)
    , m_api(curlApi())
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this,
        [this] { fail(u"nothing arrived for %1 seconds."_s.arg(m_idleTimeout.count() / 1000.0)); });
}

HttpRequest::~HttpRequest()
{
    stop();
    m_driver.reset();
}

void HttpRequest::open(const QString& method, const QString& url, bool async)
{
    if (!isToken(method))
        throw Failure(u"Not an HTTP method: " % quoted(method) % u'.');
    const QByteArray wire = requestUrl(url);
    if (wire.isEmpty())
        throw Failure(u"Not an http or https URL: " % quoted(url) % u'.');
    stop(); // opened again while a request runs: that one is given up, with its idle time
    m_hop.method = method.toLatin1();
    m_hop.url = wire;
    m_typedUrl = url;
    m_async = async;
    m_hop.headers.clear();
    m_redirects = 0;
    m_text.clear();
    m_response = {};
    m_arrival = {};
    m_failure.clear();
    m_state = Unsent;
    setState(Opened);
}

void HttpRequest::setRequestHeader(const QString& name, const QString& value)
{
    if (m_state != Opened || m_curl)
        throw Failure(u"A request header can only be set after open and before send."_s);
    if (!isToken(name))
        throw Failure(
            u"The request to " % m_typedUrl % u" was not sent: " % quoted(name) % u" is not a valid header name.");
    if (request::sameName(name, u"Transfer-Encoding"))
        throw Failure(u"The request to " % m_typedUrl % u" was not sent: the header " % quoted(name)
            % u" cannot be set, as this program frames the body itself.");
    for (const QChar c : value) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            throw Failure(u"The request to " % m_typedUrl % u" was not sent: the value of the header " % quoted(name)
                % u" holds a line break or a NUL character, which a header cannot carry.");
    }
    if (const qsizetype given = request::indexOfField(m_hop.headers, name, &RequestHeader::first); given >= 0)
        m_hop.headers[given].second += ", " + value.toUtf8();
    else
        m_hop.headers.append({ name.toLatin1(), value.toUtf8() });
}

void HttpRequest::send(const QString& body)
{
    if (m_state != Opened || m_curl)
        throw Failure(u"A request can only be sent once, after open."_s);
    m_hop.body = body.toUtf8();
    // A length that is not the body's would leave bytes on the connection for the next request to take
    // as its own, or keep the server waiting for bytes that never come.
    const qsizetype length = m_hop.method == "HEAD" ? 0 : m_hop.body.size();
    if (const qsizetype given = request::indexOfField(m_hop.headers, "Content-Length", &RequestHeader::first);
        given >= 0) {
        // Given twice, its values were joined with a comma; a comma in one value is such a list too.
        const QByteArray said = m_hop.headers[given].second.trimmed();
        const QString notSent = u"The request to " % m_typedUrl % u" was not sent: its Content-Length header ";
        if (said.isEmpty())
            throw Failure(notSent % u"is empty.");
        if (said.contains(','))
            throw Failure(notSent % u"is given more than once (" % QString::fromUtf8(said) % u").");
        if (!std::all_of(said.cbegin(), said.cend(), [](char c) { return c >= '0' && c <= '9'; }))
            throw Failure(notSent % u"says " % QString::fromUtf8(said) % u", which is not a number of bytes.");
        bool number = false;
        if (said.toLongLong(&number) != length || !number)
            throw Failure(notSent % u"says " % QString::fromUtf8(said) % u" bytes, but its body has "
                % QString::number(length) % u'.');
    }
    if (!m_driver) {
        m_driver = std::make_unique<CurlDriver>(m_api);
        connect(m_driver.get(), &CurlDriver::finished, this, [this](CURL*, int result) { hopFinished(result); });
        connect(m_driver.get(), &CurlDriver::acted, this, &HttpRequest::acted);
    }
    m_sent.start();
    startHop();
    m_idle.start(m_idleTimeout);
    if (m_async)
        return;
    // QCoreApplication::exit ends this loop too, and makes it return at once if it comes first.
    QEventLoop wait;
    connect(this, &HttpRequest::finished, &wait, &QEventLoop::quit);
    if (m_state != Done)
        wait.exec();
}

QString HttpRequest::responseText() const
{
    if (m_state != Done)
        return QString(); // not complete yet: no text so far
    if (!m_failure.isEmpty())
        throw Failure(m_failure);
    return m_text;
}

const Response& HttpRequest::response() const
{
    if (m_state == Done && !m_failure.isEmpty())
        throw Failure(m_failure);
    return m_response;
}

// One request on the way to the response: the first, or one that a redirect asked for.
void HttpRequest::startHop()
{
    auto curl = std::make_unique<Curl>(m_api);
    CURL* easy = curl->easy;
    auto has
        = [this](const char* name) { return request::indexOfField(m_hop.headers, name, &RequestHeader::first) >= 0; };

    m_api.easy_setopt(easy, CURLOPT_URL, m_hop.url.constData());
    m_api.easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    m_api.easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L); // "/a/../b" goes out as typed
    m_api.easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    m_api.easy_setopt(easy, CURLOPT_ERRORBUFFER, curl->error);
    m_api.easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpRequest::onHeader);
    m_api.easy_setopt(easy, CURLOPT_HEADERDATA, this);
    m_api.easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpRequest::onBody);
    m_api.easy_setopt(easy, CURLOPT_WRITEDATA, this);
    m_api.easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024);
    m_api.easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!m_authorities.isEmpty()) {
        const QByteArray file = m_authorities.toLocal8Bit();
        m_api.easy_setopt(easy, CURLOPT_CAINFO, file.constData());
        m_api.easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    }
    if (!has("User-Agent")) {
        static const QByteArray agent = userAgent();
        m_api.easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    }
    // A request that is not GET or HEAD goes out on a new connection: libcurl sends a request again on its
    // own when a connection it reused dies, and no such request may be sent twice.
    if (m_hop.method != "GET" && m_hop.method != "HEAD")
        m_api.easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    // The body goes out once, with a length; a method of the user's own is sent as it is.
    if (m_hop.method == "HEAD") {
        m_api.easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (!m_hop.body.isEmpty() || m_hop.method == "POST") {
        m_api.easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(m_hop.body.size()));
        m_api.easy_setopt(easy, CURLOPT_POSTFIELDS, m_hop.body.constData());
        if (m_hop.method != "POST")
            m_api.easy_setopt(easy, CURLOPT_CUSTOMREQUEST, m_hop.method.constData());
    } else if (m_hop.method != "GET") {
        m_api.easy_setopt(easy, CURLOPT_CUSTOMREQUEST, m_hop.method.constData());
    }
    // Compressed bodies are undone here rather than by libcurl, which takes a damaged one for a short
    // one. A user's own Accept-Encoding gets the body as the server sends it.
    m_api.easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    m_decompress = !has("Accept-Encoding");
    if (m_decompress)
        curl->addHeader("Accept-Encoding: gzip, deflate");

    // libcurl takes "name:" with nothing but spaces after it for "leave this header out"; "name;" sends
    // it with an empty value, which is what a blank value means in HTTP.
    for (const auto& [name, value] : std::as_const(m_hop.headers))
        curl->addHeader(value.trimmed().isEmpty() ? QByteArray(name + ';') : QByteArray(name + ": " + value));
    if (!has("Expect"))
        curl->addHeader("Expect:"); // the body goes at once, without waiting for a 100 Continue
    if (!has("Content-Type"))
        curl->addHeader(m_hop.body.isEmpty() ? "Content-Type:"_ba : "Content-Type: text/plain;charset=UTF-8"_ba);
    m_api.easy_setopt(easy, CURLOPT_HTTPHEADER, curl->headers);

    m_head = {};
    m_phase = Phase::StatusLine;
    m_abortCause.clear();
    m_pipeline.reset();
    m_curl = std::move(curl);
    m_driver->add(easy);
}

std::size_t HttpRequest::onHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    const QByteArrayView line(data, qsizetype(size * count));
    return static_cast<HttpRequest*>(self)->headerLine(line) ? size * count : 0;
}

std::size_t HttpRequest::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    const QByteArrayView bytes(data, qsizetype(size * count));
    return static_cast<HttpRequest*>(self)->bodyBytes(bytes) ? size * count : 0;
}

// Every line of every response head comes here: interim ones, hops, the final one, and trailers. Only
// the first line of a head is its status line; trailers are headers, never a status.
bool HttpRequest::headerLine(QByteArrayView line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (m_phase == Phase::Final || m_phase == Phase::Hop)
        return true; // trailers after the body
    if (m_phase == Phase::StatusLine) {
        m_phase = Phase::Headers;
        m_head.start(line);
        return true;
    }
    if (line.isEmpty())
        return headersEnded();
    m_head.add(line);
    return true;
}

// A Location against the URL it came from, as libcurl resolves it; empty when it is no URL.
QByteArray HttpRequest::resolved(const QByteArray& location) const
{
    const std::unique_ptr<CURLU, void (*)(CURLU*)> url(m_api.url(), m_api.url_cleanup);
    char* absolute = nullptr;
    if (!url || m_api.url_set(url.get(), CURLUPART_URL, m_hop.url.constData(), CURLU_PATH_AS_IS) != CURLUE_OK
        || m_api.url_set(url.get(), CURLUPART_URL, location.constData(), CURLU_ALLOW_SPACE | CURLU_PATH_AS_IS)
            != CURLUE_OK
        || m_api.url_get(url.get(), CURLUPART_URL, &absolute, 0) != CURLUE_OK)
        return {};
    const QByteArray result(absolute);
    m_api.free(absolute);
    return result;
}

bool HttpRequest::headersEnded()
{
    if (m_head.status() == 101) {
        m_abortCause = u"the server switched the connection to another protocol (101 Switching "
                       u"Protocols), which this program does not speak."_s;
        return false;
    }
    if (m_head.status() < 200) {
        m_phase = Phase::StatusLine; // an interim response: the real one follows, with a head of its own
        return true;
    }
    const bool bodiless = m_hop.method == "HEAD" || m_head.status() == 204 || m_head.status() == 304;

    // libcurl takes chunked framing off; other transfer codings are undone here. With a transfer coding,
    // a Content-Length says nothing about the body.
    const QList<QByteArray> framing = m_head.list("Transfer-Encoding");
    QList<QByteArray> transfer = framing;
    if (!bodiless && !framing.isEmpty() && m_head.statusLine().startsWith("HTTP/1.0")) {
        m_abortCause = u"it is an HTTP/1.0 response with a Transfer-Encoding, which that version does "
                       u"not have, so where its body ends is not known."_s;
        return false;
    }
    const bool chunked = !transfer.isEmpty() && transfer.last() == "chunked";
    if (chunked)
        transfer.removeLast();
    transfer.removeAll("identity");
    // Two different lengths leave the body's end unknown: the response cannot be trusted.
    qint64 length = -1;
    QString conflict;
    for (const QByteArray& element : m_head.list("Content-Length")) {
        bool ok = false;
        const qint64 value = element.toLongLong(&ok);
        if (ok && length >= 0 && value != length)
            conflict = u"it gave two different lengths for its body, %1 and %2 bytes."_s.arg(length).arg(value);
        if (ok)
            length = value;
    }
    if (!framing.isEmpty()) {
        length = -1;
        conflict.clear();
    }

    const QByteArray location = isRedirect(m_head.status()) ? m_head.value("Location") : QByteArray();
    if (!location.isEmpty()) {
        m_phase = Phase::Hop; // its body is not kept
        // Bytes of a Location that are no UTF-8 go on as they are, percent-encoded.
        QByteArray next = resolved(location);
        if (!QByteArrayView(next).isValidUtf8())
            next = percentEncodedWhereNeeded(next);
        m_next = requestUrl(QString::fromUtf8(next));
        // A short body is read, so that the connection can serve the next hop; a longer one is not waited for.
        return bodiless || (!chunked && conflict.isEmpty() && length >= 0 && length <= ShortRedirectBody);
    }
    if (!conflict.isEmpty()) {
        m_abortCause = conflict;
        return false;
    }
    if (!bodiless && length > MaxResponseBytes) {
        m_abortCause = tooLarge(u" (%1 bytes)"_s.arg(length));
        return false;
    }
    // libcurl 8.1 and later take chunked framing off only when it is the one transfer coding.
    const bool dechunked = m_api.version < 0x080100 || framing.size() <= 1;
    if (!bodiless && (!dechunked || !std::all_of(transfer.cbegin(), transfer.cend(), isInflatable))) {
        m_abortCause = u"its Transfer-Encoding \"" % QString::fromLatin1(framing.join(", "))
            % u"\" is not one this program can undo.";
        return false;
    }
    // The codings in the order they were applied: the content codings, then the transfer codings. The
    // content codings stay when one of them is not undone here, or when the request asked for them itself.
    QList<QByteArray> content = m_head.list("Content-Encoding");
    content.removeAll("identity");
    m_response.contentCoding.clear();
    if (!bodiless && !content.isEmpty()
        && (!m_decompress || !std::all_of(content.cbegin(), content.cend(), isInflatable))) {
        m_response.contentCoding = content.join(", ");
        content.clear();
    }
    const qsizetype codings = bodiless ? 0 : content.size() + transfer.size();
    if (codings > MaxCodings) {
        m_abortCause
            = u"its body is in %1 codings, one over another, more than the %2 this program undoes."_s.arg(codings).arg(
                MaxCodings);
        return false;
    }
    m_phase = Phase::Final;
    m_arrival = { true, 0, bodiless ? 0 : length };
    m_pipeline.emplace(codings, m_head.value("Content-Type"), m_response.body, bodiless ? 0 : length);
    m_state = HeadersReceived;
    m_pending = true;
    return true;
}

bool HttpRequest::bodyBytes(QByteArrayView bytes)
{
    if (m_phase != Phase::Final)
        return true; // the body of a hop, or of an interim response: not kept
    m_arrival.received += bytes.size();
    switch (m_pipeline->feed(bytes)) {
    case BodyPipeline::Fed::Failed:
        m_abortCause = m_pipeline->failure();
        return false;
    case BodyPipeline::Fed::Kept:
        m_state = Loading;
        m_pending = true;
        return true;
    case BodyPipeline::Fed::Held:
        return true;
    }
    return true;
}

void HttpRequest::acted(bool socketReady)
{
    if (socketReady && m_state != Done)
        m_idle.start(m_idleTimeout);
    if (std::exchange(m_pending, false))
        emit progressed();
}

QString HttpRequest::causeOf(int result) const
{
    if (!m_abortCause.isEmpty())
        return m_abortCause;
    const auto code = CURLcode(result);
    const QString detail = QString::fromLocal8Bit(m_curl->error[0] ? m_curl->error : m_api.easy_strerror(code));
    // libcurl takes a header line longer than it reads for a lack of memory; from 8.6 on it says
    // CURLE_TOO_LARGE, which its older headers do not name.
    if ((code == CURLE_OUT_OF_MEMORY || int(code) == 100) && m_phase != Phase::Final && m_phase != Phase::Hop)
        return u"one of its header lines is longer than 100 kB, the most this program reads."_s;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return u"its host was not found (" % detail % u").";
    case CURLE_COULDNT_CONNECT:
        return u"the connection was refused or could not be made (" % detail % u").";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return u"the server's certificate could not be verified (" % detail % u").";
    default:
        return detail % u'.';
    }
}

void HttpRequest::hopFinished(int result)
{
    if (!m_curl || m_state == Done)
        return;
    // A hop's body, cut or stopped, decides nothing: its Location is followed.
    if (result != CURLE_OK && m_phase != Phase::Hop) {
        fail(causeOf(result));
        return;
    }
    if (m_phase == Phase::Hop) {
        if (const QString refused = follow(m_hop, m_head.status(), m_next, m_redirects++); !refused.isEmpty()) {
            fail(refused);
            return;
        }
        m_driver->remove(m_curl->easy);
        m_curl.reset();
        startHop();
        return;
    }
    if (m_phase != Phase::Final) {
        fail(u"the server sent no response."_s);
        return;
    }
    if (!m_pipeline->complete()) {
        fail(u"its compressed body ends before the compressed data does."_s);
        return;
    }
    m_text = m_pipeline->finish();
    m_response.url = m_hop.url;
    m_response.statusLine = m_head.statusLine();
    m_response.headers = m_head.lines();
    m_response.elapsed = std::chrono::nanoseconds(m_sent.nsecsElapsed());
    m_response.unknownCharset = m_pipeline->unknownCharset();
    measure();
    stop();
    setState(Done);
}

// How the final request went, from libcurl's clock: it gives the moments each phase ended, counted from
// the start.
void HttpRequest::measure()
{
    CURL* easy = m_curl->easy;
    const auto at = [&](CURLINFO moment) {
        curl_off_t microseconds = 0;
        m_api.easy_getinfo(easy, moment, &microseconds);
        return microseconds;
    };
    const auto span
        = [](curl_off_t from, curl_off_t to) { return std::chrono::microseconds(std::max(to - from, curl_off_t(0))); };
    const curl_off_t found = at(CURLINFO_NAMELOOKUP_TIME_T), connected = at(CURLINFO_CONNECT_TIME_T),
                     secured = at(CURLINFO_APPCONNECT_TIME_T), sent = at(CURLINFO_PRETRANSFER_TIME_T),
                     first = at(CURLINFO_STARTTRANSFER_TIME_T), last = at(CURLINFO_TOTAL_TIME_T);
    m_response.timing = { span(0, found), span(found, connected),
        secured > 0 ? span(connected, secured) : std::chrono::microseconds(0), span(sent, first), span(first, last) };
    long version = 0, port = 0;
    char* address = nullptr;
    m_api.easy_getinfo(easy, CURLINFO_HTTP_VERSION, &version);
    m_api.easy_getinfo(easy, CURLINFO_PRIMARY_IP, &address);
    m_api.easy_getinfo(easy, CURLINFO_PRIMARY_PORT, &port);
    static constexpr std::pair<long, const char*> Versions[] = { { CURL_HTTP_VERSION_1_0, "HTTP/1.0" },
        { CURL_HTTP_VERSION_1_1, "HTTP/1.1" }, { CURL_HTTP_VERSION_2_0, "HTTP/2" }, { CURL_HTTP_VERSION_3, "HTTP/3" } };
    for (const auto& [number, name] : Versions) {
        if (number == version)
            m_response.httpVersion = name;
    }
    m_response.remoteAddress = address;
    m_response.remotePort = int(port);
    m_response.redirects = m_redirects;
}

// Ends the transfer under way, if any, and all it had running.
void HttpRequest::stop()
{
    if (m_curl)
        m_driver->remove(m_curl->easy);
    m_curl.reset();
    m_idle.stop();
    m_pending = false;
    m_pipeline.reset();
}

void HttpRequest::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit progressed();
    if (state == Done)
        emit finished();
}

QString HttpRequest::describe(const QString& cause) const
{
    return u"The request to " % m_typedUrl % u" failed: " % cause;
}

void HttpRequest::fail(const QString& cause)
{
    if (m_state == Done)
        return;
    if (m_failure.isEmpty())
        m_failure = describe(cause);
    stop();
    m_text.clear();
    m_response = {};
    setState(Done);
}

std::unique_ptr<HttpRequest> createObject(const QString& identifier)
{
    if (identifier.compare(u"Microsoft.xmlhttp", Qt::CaseInsensitive) == 0)
        return std::make_unique<HttpRequest>();
    throw Failure(u"There is no object called " % quoted(identifier) % u" to create.");
}

} // namespace http
