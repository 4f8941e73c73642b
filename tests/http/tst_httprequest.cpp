#include "datatable.h"
#include "failure.h"
#include "httprequest.h"
#include "requesturl.h"
#include "testserver.h"

#include <QTest>

using namespace Qt::StringLiterals;

using http::HttpRequest;
using Steps = QList<TestServer::Step>;

namespace {

struct Outcome {
    bool complete = false; // the response text could be read
    QString text;
    QString failure;
    int lastReported = -1; // the ready state the last progress signal left
    int finished = 0; // how often it said it had ended
};

struct Call {
    QString method = u"GET"_s;
    QList<std::pair<QString, QString>> headers;
    QString body;
    int idleMs = 10000;
    QString authorities; // a PEM file trusted instead of the system's
};

// Makes the request and waits for it the way the program does: until the state is 4.
Outcome run(const QUrl& url, const Call& call = {}, const QString& typedUrl = {})
{
    Outcome outcome;
    HttpRequest request;
    request.setIdleTimeout(std::chrono::milliseconds(call.idleMs));
    if (!call.authorities.isEmpty())
        request.setCertificateAuthorities(call.authorities);
    QObject::connect(
        &request, &HttpRequest::progressed, &request, [&] { outcome.lastReported = request.readyState(); });
    QObject::connect(&request, &HttpRequest::finished, &request, [&] { ++outcome.finished; });
    try {
        request.open(call.method, typedUrl.isEmpty() ? url.toString() : typedUrl, true);
        for (const auto& [name, value] : call.headers)
            request.setRequestHeader(name, value);
        request.send(call.body);
        if (!QTest::qWaitFor([&] { return request.readyState() == HttpRequest::Done; }, 30000)) {
            outcome.failure = u"(still waiting after 30 s)"_s;
            return outcome;
        }
        outcome.text = request.responseText();
        outcome.complete = true;
    } catch (const foundation::Failure& failure) {
        outcome.failure = failure.message();
    }
    return outcome;
}

QByteArray head(const QByteArray& fields)
{
    return "HTTP/1.1 200 OK\r\n" + fields + "\r\n";
}

QByteArray chunk(const QByteArray& data)
{
    return QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
}

const QByteArray Gzipped("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x4b\xaf\xca\x2c\xb0\x52\xc8\x38\xbc\x32\x27\x27\x5f"
                         "\xa1\xfc\xf0\xb6\xa2\x9c\x14\x00\x31\x54\xc7\x91\x13\x00\x00\x00",
    39);
const QByteArray GzippedTwice(
    "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x93\xef\xe6\x60\x00\x01\x26\x66\xef\xf5\xa7\x74\x36\x04\x9d\xb0"
    "\xd8\x63\xa4\xae\x1e\xbf\xf0\xcf\x87\x6d\x8b\xe6\x88\x30\x18\x86\x1c\x9f\x28\x0c\x94\x06\x00\x76\x69\x70"
    "\x34\x27\x00\x00\x00",
    57);

}

Q_DECLARE_METATYPE(Steps)

class TestHttpRequest : public QObject {
    Q_OBJECT

private slots:
    void response_data()
    {
        // hang: keep the connection open, silent, after the steps
        // expected: the text; or, for a failure, a part of its message
        columns<Steps, bool, int, bool, QString>("steps", "hang", "idleMs", "complete", "expected");

        auto ok = [](const char* name, const QByteArray& reply, const QString& text) {
            QTest::newRow(name) << Steps { { 0, reply } } << false << 10000 << true << text;
        };
        auto fails = [](const char* name, const QByteArray& reply, const QString& said = {}) {
            QTest::newRow(name) << Steps { { 0, reply } } << false << 10000 << false << said;
        };
        auto in = [](const char* name, const Steps& steps, const QString& text) {
            QTest::newRow(name) << steps << false << 10000 << true << text;
        };
        auto response = &TestServer::response;
        const QByteArray chunked = head("Transfer-Encoding: chunked\r\n");
        const QByteArray gzip("Content-Encoding: gzip\r\n"), deflate("Content-Encoding: deflate\r\n");
        const QByteArray zlibbed = qCompress(QByteArray("deflated")).sliced(4);
        const QByteArray large = QByteArray("0123456789abcdef").repeated(40000);
        const QByteArray latin1("Content-Type: text/plain; format=flowed; CHARSET=\"ISO-8859-1\"\r\n");

        // Framing: what makes a body whole, and what makes it doubtful.
        ok("length-delimited", response(200, "hello", {}), "hello");
        ok("empty body", response(200, "", {}), "");
        ok("404 is a response too", response(404, "not here", {}), "not here");
        ok("301 without Location shows its body", response(301, "moved, but where", {}), "moved, but where");
        fails("body shorter than its length", head("Content-Length: 10\r\n") + "hello");
        ok("chunked", chunked + "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", "hello world");
        fails("chunked, cut off", chunked + "5\r\nhello\r\n");
        fails("chunk size zz", chunked + "zz\r\nhello\r\n0\r\n\r\n");
        fails("chunk size 2^64-1", chunked + "ffffffffffffffff\r\nhello\r\n0\r\n\r\n");
        fails("two different lengths", head("Content-Length: 5\r\nContent-Length: 9\r\n") + "hello", "two different");
        ok("delimited by closing", head("Connection: close\r\n") + "all of it", "all of it");
        in("102 before 200", { { 0, "HTTP/1.1 102 Processing\r\n\r\n" }, { 50, response(200, "final", {}) } }, "final");
        ok("103 before 200", "HTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n" + response(200, "final", {}),
            "final");

        // Garbage.
        fails("empty reply", {});
        fails("not HTTP", "hello there\r\n\r\n");

        // Time: nothing for the idle time-out fails; slow but steady does not.
        QTest::newRow("headers never come") << Steps {} << true << 300 << false << "nothing arrived";
        QTest::newRow("body stalls") << Steps { { 0, head("Content-Length: 10\r\n") + "hello" } } << true << 300
                                     << false << "nothing arrived";
        Steps trickle { { 0, head("Content-Length: 10\r\n") } };
        for (char digit = '0'; digit <= '9'; ++digit)
            trickle.append({ 100, QByteArray(1, digit) });
        QTest::newRow("slow trickle, longer than the time-out in all")
            << trickle << false << 400 << true << "0123456789";

        // Charsets.
        ok("charset in any case, quoted, among other parameters", response(200, "caf\xe9", latin1), "café");
        ok("no charset: UTF-8", response(200, "caf\xc3\xa9", {}), "café");
        ok("unknown charset: UTF-8", response(200, "caf\xc3\xa9", "Content-Type: text/plain; charset=x-no\r\n"),
            "café");
        in("a cut character, then more",
            { { 0, head("Content-Length: 16\r\n") + "xyz\xe2\x82" }, { 100, "hello world" } },
            u"xyz\uFFFDhello world"_s);

        // Content codings: undone, and never a damaged body taken for a short one.
        ok("gzip", response(200, Gzipped, gzip), "gzip: héllo wörld");
        ok("gzip of two members", response(200, Gzipped + Gzipped, gzip), "gzip: héllo wörldgzip: héllo wörld");
        ok("deflate, many times a buffer", response(200, qCompress(large).sliced(4), deflate),
            QString::fromLatin1(large));
        in("deflate, first byte alone",
            { { 0, response(200, zlibbed, deflate).chopped(zlibbed.size() - 1) }, { 100, zlibbed.sliced(1) } },
            "deflated");
        ok("raw deflate", response(200, zlibbed.sliced(2, zlibbed.size() - 6), deflate), "deflated");
        ok("empty 204 marked gzip", "HTTP/1.1 204 No Content\r\n" + gzip + "\r\n", "");
        fails("gzip cut short", response(200, Gzipped.first(30), gzip), "ends before");
        fails("broken gzip", response(200, Gzipped.first(20) + "garbage!garbage!", gzip));
        const QString gzipText = u"gzip: héllo wörld"_s;
        ok("gzip, gzip", response(200, GzippedTwice, "Content-Encoding: gzip, gzip\r\n"), gzipText);
        ok("gzip on two lines", response(200, GzippedTwice, gzip + gzip), gzipText);
        ok("gzip, then deflate", response(200, qCompress(Gzipped).sliced(4), "Content-Encoding: gzip ,deflate\r\n"),
            gzipText);
        ok("identity and x-gzip", response(200, Gzipped, "Content-Encoding: identity, X-Gzip\r\n"), gzipText);
        fails(
            "six codings", response(200, "x", "Content-Encoding: gzip, gzip, gzip, gzip, gzip, gzip\r\n"), "6 codings");
        ok("gzip transfer coding", head("Transfer-Encoding: gzip, chunked\r\n") + chunk(Gzipped) + "0\r\n\r\n",
            gzipText);
        fails("unknown transfer coding", head("Transfer-Encoding: foo\r\nConnection: close\r\n") + "raw", "\"foo\"");
        ok("chunked wins over a length",
            head("Content-Length: 300000000\r\nTransfer-Encoding: chunked\r\n") + "5\r\nhello\r\n0\r\n\r\n", "hello");

        // Header lines that are not what they look like.
        ok("a status line among the headers",
            "HTTP/1.1 200 OK\r\n" + gzip + "HTTP/1.1 500 Oops: x\r\nContent-Length: 39\r\n\r\n" + Gzipped, gzipText);
        ok("a status line in the trailer", chunked + "5\r\nhello\r\n0\r\nHTTP/1.1 500 Oops: x\r\n\r\n", "hello");
        ok("a folded line", response(200, "\xb1", "Content-Type: text/plain;\r\n\t charset=iso-8859-2\r\n"), "ą");
        ok("a ; in a quoted parameter",
            response(200, "\xb1", "Content-Type: text/plain; a=\"x;charset=iso-8859-2;\\\"\"; charset=cp1252\r\n"),
            "±");
        fails("a switch nobody asked for", "HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n", "protocol");
        fails("a 1 MB header line", head("X-Long: " + QByteArray(1 << 20, 'a') + "\r\n"), "longer than");
        QTest::newRow("larger than 256 MB")
            << Steps { { 0, head("Content-Length: 300000000\r\n") + "abc" } } << true << 10000 << false << "256 MB";
    }

    void response()
    {
        const auto [steps, hang, idleMs, complete, expected]
            = fetch<Steps, bool, int, bool, QString>("steps", "hang", "idleMs", "complete", "expected");

        TestServer server(TestServer::Script { steps, hang });
        Call call;
        call.idleMs = idleMs;
        const Outcome outcome = run(server.url(u"/x"_s), call);
        QVERIFY2(outcome.complete == complete, qPrintable(outcome.failure.isEmpty() ? outcome.text : outcome.failure));
        if (complete) {
            QCOMPARE(outcome.text, expected);
        } else {
            QVERIFY2(outcome.failure.contains(expected), qPrintable(outcome.failure));
            QVERIFY2(outcome.failure.contains(server.url(u"/x"_s).toString()), qPrintable(outcome.failure));
        }
        QCOMPARE(outcome.lastReported, int(HttpRequest::Done));
        QCOMPARE(outcome.finished, 1);
    }

    // POST after 302 becomes GET, after 307 stays POST with its body; credentials go on only to the
    // same origin; the 21st redirect in a row is one too many.
    void redirects()
    {
        TestServer other(TestServer::answer(200, "other"));
        TestServer server([&](const TestServer::Request& request) {
            if (request.target == "/302" || request.target == "/307")
                return TestServer::answer(request.target.sliced(1).toInt(), "moved", "Location: /to\r\n");
            if (request.target == "/away")
                return TestServer::answer(302, "", "Location: " + other.url(u"/end"_s).toEncoded() + "\r\n");
            if (request.target == "/again")
                return TestServer::answer(302, "", "Location: /again\r\n");
            // Kept alive; the redirected request is read and the connection closed without an answer.
            if (request.target == "/kept")
                return TestServer::Script {
                    { { 0, "HTTP/1.1 307 Again\r\nLocation: /drop\r\nContent-Length: 0\r\n\r\n" } }, true
                };
            if (request.target == "/drop")
                return TestServer::Script {};
            if (request.target == "/endless")
                return TestServer::Script {
                    { { 0, "HTTP/1.1 302 Go\r\nLocation: /to\r\nTransfer-Encoding: chunked\r\n\r\n" + chunk("x") } },
                    true
                };
            return TestServer::answer(200, "arrived");
        });
        Call call;
        call.method = u"POST"_s;
        call.body = u"a=1&b=é"_s;
        call.headers = { { "Authorization", "Basic c2VjcmV0" }, { "Cookie", "s=1" }, { "X-Other", "kept" },
            { "Content-Length", "8" } };
        for (const char* path : { "/302", "/307", "/away" })
            QCOMPARE(run(server.url(QString::fromLatin1(path)), call).text, path[1] == 'a' ? u"other"_s : u"arrived"_s);
        const QList<TestServer::Request>& got = server.received();
        QCOMPARE(got[1].method + ' ' + got[1].body + '|' + got[3].method + ' ' + got[3].body, "GET |POST a=1&b=é"_ba);
        QCOMPARE(got[1].header("Content-Length") + '|' + got[3].header("Content-Length"), "|8"_ba);
        QCOMPARE(got[3].header("Authorization") + got[3].header("Cookie"), "Basic c2VjcmV0s=1"_ba);
        const TestServer::Request& away = other.received().value(0);
        QCOMPARE(away.header("Authorization") + away.header("Cookie") + away.header("X-Other"), "kept"_ba);

        const Outcome loop = run(server.url(u"/again"_s));
        QVERIFY2(loop.failure.contains(u"redirected more than 20 times"), qPrintable(loop.failure));
        QCOMPARE(server.received().size(), 5 + 21);

        // A body is never sent twice, and a redirect's body is not read to its end before it is followed.
        QVERIFY(!run(server.url(u"/kept"_s), call).complete);
        const auto drops = std::count_if(got.cbegin(), got.cend(), [](const auto& r) { return r.target == "/drop"; });
        QCOMPARE(drops, 1);
        QCOMPARE(run(server.url(u"/endless"_s)).text, u"arrived"_s);
    }

    // Opened again, the object forgets the request it had under way, its idle time included.
    void openAgain()
    {
        TestServer silent(TestServer::Script { {}, true }), server(TestServer::answer(200, "second"));
        HttpRequest request;
        request.setIdleTimeout(std::chrono::milliseconds(0));
        request.open(u"GET"_s, silent.url().toString(), true);
        request.send({});
        request.open(u"GET"_s, server.url().toString(), true);
        bool passed = false; // a zero timer started after the idle one fires after it
        QTimer::singleShot(0, &request, [&passed] { passed = true; });
        QTRY_VERIFY(passed);
        QCOMPARE(request.readyState(), int(HttpRequest::Opened));
        request.setIdleTimeout(std::chrono::milliseconds(10000));
        request.send({});
        QTRY_COMPARE(request.readyState(), int(HttpRequest::Done));
        QCOMPARE(request.responseText(), u"second"_s);
    }

    void tls()
    {
        TestServer secure(
            [](const TestServer::Request& request) {
                if (request.target == "/down")
                    return TestServer::answer(302, "", "Location: http://127.0.0.1:9/\r\n");
                return TestServer::answer(200, "secret");
            },
            true);

        // A certificate nobody vouches for is a failure, never ignored. Trusted, it works; and a redirect
        // from https down to http is refused.
        Call trusting;
        trusting.authorities = TestServer::certificateFile();
        const QString untrusted = run(secure.url()).failure, down = run(secure.url(u"/down"_s), trusting).failure;
        QVERIFY2(untrusted.contains(u"certificate", Qt::CaseInsensitive), qPrintable(untrusted));
        QVERIFY2(down.contains(u"https to http"), qPrintable(down));
        QCOMPARE(run(secure.url(), trusting).text, u"secret"_s);
    }

    void requestUrl_data()
    {
        // sent: what goes out; empty when refused
        columns<QString, QByteArray>("typed", "sent");
        QTest::newRow("escapes kept, a stray % too")
            << "http://h/a%20b/%zz?x=%41" << QByteArray("http://h/a%20b/%zz?x=%41");
        QTest::newRow("space and beyond ASCII encoded")
            << "http://h/put it?q=ä" << QByteArray("http://h/put%20it?q=%C3%A4");
        QTest::newRow("fragment left out") << "http://h/p?q=1#top" << QByteArray("http://h/p?q=1");
        QTest::newRow("printable ASCII kept")
            << "http://h/x{y}|z^`\"<'>?k=[v]" << QByteArray("http://h/x{y}|z^`\"<'>?k=[v]");
        QTest::newRow("no path") << "http://h" << QByteArray("http://h/");
        QTest::newRow("IDN host") << "http://bücher.example/" << QByteArray("http://xn--bcher-kva.example/");
        QTest::newRow("scheme in capitals, host as typed")
            << "HTTPS://H.example:65535/x" << QByteArray("https://H.example:65535/x");
        QTest::newRow("query without a path") << "http://h.example?q=1" << QByteArray("http://h.example/?q=1");
        QTest::newRow("IPv6 host and port") << "http://[fe80::1F]:8080/" << QByteArray("http://[fe80::1F]:8080/");
        QTest::newRow("not an IPv6 address") << "http://[::1g]/" << QByteArray();
        QTest::newRow("C1 control in the host") << u"http://a\u0080b.example/"_s << QByteArray();
        QTest::newRow("user and password") << "http://me:pw@h.example/" << QByteArray("http://me:pw@h.example/");
        QTest::newRow("port too large") << "http://h.example:65536/" << QByteArray();
        QTest::newRow("space in the host") << "http://h example/" << QByteArray();
        QTest::newRow("angle bracket in the host") << "http://a<b.example/" << QByteArray();
        QTest::newRow("one slash") << "http:/h.example/" << QByteArray();
    }

    void requestUrl()
    {
        const auto [typed, sent] = fetch<QString, QByteArray>("typed", "sent");
        QCOMPARE(http::requestUrl(typed), sent);
    }

    void inputChecks_data()
    {
        columns<QString, QString, QString, QString, QString>("method", "url", "headerName", "headerValue", "message");
        auto row = [](const char* name, const QString& method, const QString& url, const QString& header,
                       const QString& value,
                       const QString& message) { QTest::newRow(name) << method << url << header << value << message; };
        const QString ok = u"http://127.0.0.1:%1/"_s, method = u"Not an HTTP method"_s,
                      url = u"Not an http or https URL"_s;
        const QString name = u"is not a valid header name"_s;

        row("line break in the method", u"GET\r\nX: 1"_s, ok, u"A"_s, u"1"_s, method);
        row("empty method", {}, ok, u"A"_s, u"1"_s, method);
        row("ftp scheme", u"GET"_s, u"ftp://127.0.0.1/"_s, u"A"_s, u"1"_s, url);
        row("no host", u"GET"_s, u"http://"_s, u"A"_s, u"1"_s, url);
        row("relative", u"GET"_s, u"/path"_s, u"A"_s, u"1"_s, url);
        row("colon in a header name", u"GET"_s, ok, u"X:Y"_s, u"1"_s, name);
        row("empty header name", u"GET"_s, ok, {}, {}, name);
        row("lone CR in a header value", u"GET"_s, ok, u"A"_s, u"1\rB"_s, u"line break"_s);
        row("LF in a header value", u"GET"_s, ok, u"A"_s, u"1\nB"_s, u"line break"_s);
        row("NUL in a header value", u"GET"_s, ok, u"A"_s, u"1\0"_s, u"NUL"_s);
        row("a length the body does not have", u"POST"_s, ok, u"content-length"_s, u"2"_s,
            u"says 2 bytes, but its body has 0"_s);
        row("a transfer coding", u"POST"_s, ok, u"Transfer-Encoding"_s, u"chunked"_s, u"frames the body itself"_s);
    }

    void inputChecks()
    {
        const auto [method, url, headerName, headerValue, message] = fetch<QString, QString, QString, QString, QString>(
            "method", "url", "headerName", "headerValue", "message");

        TestServer server(TestServer::answer(200, "sent"));
        Call call;
        call.method = method;
        call.headers = { { headerName, headerValue } };
        const Outcome outcome = run(QUrl(url.contains(u"%1") ? url.arg(server.port()) : url), call);
        QVERIFY(!outcome.complete);
        QVERIFY2(outcome.failure.startsWith(message) || outcome.failure.contains(message), qPrintable(outcome.failure));
        QVERIFY(server.received().isEmpty()); // a request that went out was waited for by run()
    }

    void whatIsSent()
    {
        TestServer server(TestServer::answer(200, "ok"));
        Call call;
        call.method = u"PUT"_s;
        call.headers = { { "X-First", " spaced " }, { "X-Repeated", "a" }, { "X-Second", "2" }, { "x-repeated", "b" },
            { "X-Empty", "" }, { "X-Blank", "  " }, { "Content-Length", "13" } };
        call.body = u"héllo wörld"_s;
        QVERIFY(run({}, call, u"http://127.0.0.1:%1/a/../b/./%zz/put it?q=1"_s.arg(server.port())).complete);

        const TestServer::Request& sent = server.received().value(0);
        QCOMPARE(sent.method, QByteArray("PUT"));
        QCOMPARE(sent.target, QByteArray("/a/../b/./%zz/put%20it?q=1")); // as typed: dot segments, stray %
        QCOMPARE(sent.body, u"héllo wörld"_s.toUtf8());
        // Values as given, repeated names joined, in the order given.
        QVERIFY2(
            sent.head.contains("\r\nX-First:  spaced \r\nX-Repeated: a, b\r\nX-Second: 2\r\nX-Empty:\r\nX-Blank:\r\n"),
            sent.head.constData());
        QCOMPARE(sent.head.count("ength: 13\r\n"), 1); // a length that is the body's goes out once
        QCOMPARE(sent.header("User-Agent"), QByteArray("Reruzad/1.0.0"));
        QCOMPARE(sent.header("Content-Type"), QByteArray("text/plain;charset=UTF-8"));
        QVERIFY(sent.header("Cookie").isEmpty());

        // The user's own User-Agent and Content-Type replace the object's; a large body goes out at once,
        // with no "Expect: 100-continue" to wait on.
        call.headers = { { "User-Agent", "mine/2" }, { "Content-Type", "application/json" } };
        call.body = u'"' % QString(2'000'000, u'x') % u'"';
        QVERIFY(run(server.url(), call).complete);
        const TestServer::Request& own = server.received().value(1);
        QCOMPARE(own.header("User-Agent") + ' ' + own.header("Content-Type"), QByteArray("mine/2 application/json"));
        QVERIFY2(!own.head.contains("Expect"), own.head.constData());
    }
};

QTEST_GUILESS_MAIN(TestHttpRequest)
#include "tst_httprequest.moc"
