#include "datatable.h"
#include "failure.h"
#include "httprequest.h"
#include "requesturl.h"
#include "responsedecoder.h"
#include "testserver.h"

#include <QProcess>
#include <QTemporaryDir>
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
    QList<std::pair<QString, QString>> headers = {};
    QString body = {};
    int idleMs = 10000;
    QString authorities = {}; // a PEM file trusted instead of the system's
};

// Makes the request and waits for it the way the program does: until the state is 4.
Outcome run(const QUrl& url, const Call& call = {}, const QString& typedUrl = {})
{
    Outcome outcome;
    HttpRequest request;
    request.setIdleTimeout(std::chrono::milliseconds(call.idleMs));
    request.setCertificateAuthorities(call.authorities);
    QObject::connect(
        &request, &HttpRequest::progressed, &request, [&] { outcome.lastReported = request.readyState(); });
    QObject::connect(&request, &HttpRequest::finished, &request, [&] { ++outcome.finished; });
    try {
        request.open(call.method, typedUrl.isEmpty() ? url.toString() : typedUrl, true);
        for (const auto& [name, value] : call.headers)
            request.setRequestHeader(name, value);
        request.send(call.body);
        const bool done = QTest::qWaitFor([&] { return request.readyState() == HttpRequest::Done; }, 30000);
        outcome.text = request.responseText(); // throws for a failure
        outcome.complete = done;
    } catch (const foundation::Failure& failure) {
        outcome.failure = failure.message();
    }
    return outcome;
}

const auto hex = [](const char* bytes) { return QByteArray::fromHex(bytes); };

const QByteArray Gzipped
    = QByteArray::fromHex("1f8b08000000000002034bafca2cb052c838bc3227275fa1fcf0b6a29c14003154c79113000000");

}

Q_DECLARE_METATYPE(Steps)

class TestHttpRequest : public QObject {
    Q_OBJECT

private slots:
    void response_data()
    {
        // hang: keep the connection open, silent, after the steps
        // expected: the text; or, after a "!", a part of the failure's message
        const auto in = columns<Steps, QString, bool, int>("steps", "expected", "hang", "idleMs");
        const auto row = [&in](const char* name, const QByteArray& reply, const QString& expected) {
            in(name, { { 0, reply } }, expected, false, 10000);
        };
        auto response = &TestServer::response;
        const auto head = [](const QByteArray& more) -> QByteArray { return "HTTP/1.1 200 OK\r\n" + more + "\r\n"; };
        const QByteArray chunked = head("Transfer-Encoding: chunked\r\n");
        const QByteArray gzip("Content-Encoding: gzip\r\n"), deflate("Content-Encoding: deflate\r\n");
        const QByteArray zlibbed = qCompress("deflated"_ba).sliced(4);
        const QByteArray large = "0123456789abcdef"_ba.repeated(40000);
        const QByteArray latin1("Content-Type: text/plain; format=flowed; CHARSET=\"ISO-8859-1\"\r\n");

        // Framing: what makes a body whole, and what makes it doubtful.
        row("301 without Location shows its body", response(301, "moved, but where", {}), "moved, but where");
        row("body shorter than its length", head("Content-Length: 10\r\n") + "hello", "!");
        row("two different lengths", head("Content-Length: 5\r\nContent-Length: 9\r\n") + "hello", "!two different");
        row("delimited by closing", head("Connection: close\r\n") + "all of it", "all of it");
        row("103 before 200", "HTTP/1.1 103 Early Hints\r\nLink: <x>\r\n\r\n" + response(200, "final", {}), "final");

        // Time: nothing for the idle time-out fails; slow but steady does not.
        in("headers never come", {}, "!nothing arrived", true, 300);
        in("body stalls", { { 0, head("Content-Length: 10\r\n") + "hello" } }, "!nothing arrived", true, 300);
        // Each byte comes a twentieth of the time-out after the last, so that a slow machine cannot part them.
        Steps trickle { { 0, head("Content-Length: 40\r\n") } };
        for (int byte = 0; byte < 40; ++byte)
            trickle.append({ 25, "x"_ba });
        in("slow trickle, longer than the time-out in all", trickle, QString(40, u'x'), false, 500);

        // Charsets.
        row("charset in any case, quoted, among other parameters", response(200, "caf\xe9", latin1), "café");
        in("a cut character, then more",
            { { 0, head("Content-Length: 16\r\n") + "xyz\xe2\x82" }, { 100, "hello world" } },
            u"xyz\uFFFDhello world"_s, false, 10000);

        // Content codings: undone, and never a damaged body taken for a short one.
        const QString gzipText = u"gzip: héllo wörld"_s;
        const QByteArray twice = qCompress(Gzipped).sliced(4); // each coding is told by its first bytes
        row("gzip", response(200, Gzipped, gzip), gzipText);
        row("gzip of two members", response(200, Gzipped + Gzipped, gzip), gzipText + gzipText);
        row("deflate, many buffers", response(200, qCompress(large).sliced(4), deflate), QString::fromLatin1(large));
        in("deflate, first byte alone",
            { { 0, response(200, zlibbed, deflate).chopped(zlibbed.size() - 1) }, { 100, zlibbed.sliced(1) } },
            "deflated", false, 10000);
        row("raw deflate", response(200, zlibbed.sliced(2, zlibbed.size() - 6), deflate), "deflated");
        // A stored block of 0x8b bytes starts with the second byte of gzip's mark.
        row("raw deflate, stored", response(200, QByteArray::fromHex("018b0074ff") + large.first(139), deflate),
            QString::fromLatin1(large.first(139)));
        row("empty 204 marked gzip", "HTTP/1.1 204 No Content\r\n" + gzip + "\r\n", "");
        row("gzip cut short", response(200, Gzipped.first(30), gzip), "!ends before");
        row("broken gzip", response(200, Gzipped.first(20) + "garbage!garbage!", gzip), "!");
        row("gzip on two lines", response(200, twice, gzip + gzip), gzipText);
        row("gzip, then deflate", response(200, twice, "Content-Encoding: gzip ,deflate\r\n"), gzipText);
        row("identity and x-gzip", response(200, Gzipped, "Content-Encoding: identity, X-Gzip\r\n"), gzipText);
        row("six codings", response(200, "x", gzip.repeated(6)), "!6 codings");
        row("gzip transfer coding", head("Transfer-Encoding: gzip, chunked\r\n") + "27\r\n" + Gzipped + "\r\n0\r\n\r\n",
            gzipText);
        row("unknown transfer coding", head("Transfer-Encoding: foo\r\nConnection: close\r\n") + "raw", "!\"foo\"");
        row("chunked wins over a length",
            head("Content-Length: 300000000\r\nTransfer-Encoding: chunked\r\n") + "5\r\nhello\r\n0\r\n\r\n", "hello");

        // Header lines that are not what they look like.
        row("a status line among the headers",
            "HTTP/1.1 200 OK\r\n" + gzip + "HTTP/1.1 500 Oops: x\r\nContent-Length: 39\r\n\r\n" + Gzipped, gzipText);
        row("a status line in the trailer", chunked + "5\r\nhello\r\n0\r\nHTTP/1.1 500 Oops: x\r\n\r\n", "hello");
        row("Tran\u017ffer-Encoding is none", head("Tran\xc5\277fer-Encoding: gzip\r\n") + "hello", "hello");
        row("a folded line", response(200, "\xb1", "Content-Type: text/plain;\r\n\t charset=iso-8859-2\r\n"), "ą");
        row("a ; in a quoted parameter",
            response(200, "\xb1", "Content-Type: text/plain; a= \"x;charset=iso-8859-2;\\\"\"; charset=cp1252\r\n"),
            "±");
        row("a switch nobody asked for", "HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n", "!protocol");
        row("a 1 MB header line", head("X-Long: " + QByteArray(1 << 20, 'a') + "\r\n"), "!longer than");
        in("larger than 256 MB", { { 0, head("Content-Length: 300000000\r\n") + "abc" } }, "!256 MB", true, 10000);
    }

    void response()
    {
        const auto [steps, expected, hang, idleMs]
            = fetch<Steps, QString, bool, int>("steps", "expected", "hang", "idleMs");
        TestServer server(TestServer::Script { steps, hang });
        const Outcome outcome = run(server.url(u"/x"_s), { u"GET"_s, {}, {}, idleMs });
        const QString failed = u"The request to " % server.url(u"/x"_s).toString() % u" failed: ";
        if (expected.startsWith(u'!'))
            QVERIFY2(outcome.failure.startsWith(failed) && outcome.failure.contains(expected.sliced(1)),
                qPrintable(outcome.failure));
        else
            QCOMPARE(QString(outcome.failure % outcome.text), expected);
        QCOMPARE(outcome.lastReported, int(HttpRequest::Done));
        QCOMPARE(outcome.finished, 1);
    }

    // POST after 302 or 303 becomes GET, after 307 stays POST with its body; credentials go on only to the
    // same origin; the 21st redirect in a row is one too many.
    void redirects()
    {
        TestServer other(TestServer::answer(200, "other"));
        const QHash<QByteArray, TestServer::Script> scripts {
            { "/302", TestServer::answer(302, "moved", "Location: /to\r\n") },
            { "/307", TestServer::answer(307, "moved", "Location: /to\r\n") },
            { "/303", TestServer::answer(303, "moved", "Location: /to\r\n") },
            { "/away", TestServer::answer(302, "", "Location: " + other.url(u"/end"_s).toEncoded() + "\r\n") },
            { "/again", TestServer::answer(302, "", "Location: /again\r\n") },
            // Kept alive; the redirected request is read and the connection closed without an answer.
            { "/kept", { { { 0, "HTTP/1.1 307 Again\r\nLocation: /drop\r\nContent-Length: 0\r\n\r\n" } }, true } },
            { "/drop", {} },
            // Ten bytes of a thousand, and the connection closed.
            { "/cut", { { { 0, "HTTP/1.1 302 Go\r\nLocation: /to\r\nContent-Length: 1000\r\n\r\n0123456789" } } } },
            { "/endless",
                { { { 0, "HTTP/1.1 302 Go\r\nLocation: /to\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nx\r\n" } },
                    true } },
        };
        TestServer server([&scripts](const TestServer::Request& request) {
            return scripts.value(request.target, TestServer::answer(200, "arrived"));
        });
        const Call call { u"POST"_s,
            { { "Authorization", "Basic c2VjcmV0" }, { "Cookie", "s=1" }, { "X-Other", "kept" },
                { "Content-Length", "8" } },
            u"a=1&b=é"_s };
        for (const char* path : { "/302", "/307", "/away", "/303" })
            QCOMPARE(run(server.url(QString::fromLatin1(path)), call).text, path[1] == 'a' ? u"other"_s : u"arrived"_s);
        const QList<TestServer::Request>& got = server.received();
        QCOMPARE(got[1].method + ' ' + got[1].body + '|' + got[3].method + ' ' + got[3].body + '|' + got[6].method,
            "GET |POST a=1&b=é|GET"_ba);
        QCOMPARE(got[1].header("Content-Length") + '|' + got[3].header("Content-Length"), "|8"_ba);
        QCOMPARE(got[3].header("Authorization") + got[3].header("Cookie"), "Basic c2VjcmV0s=1"_ba);
        const TestServer::Request& away = other.received().value(0);
        QCOMPARE(away.header("Authorization") + away.header("Cookie") + away.header("X-Other"), "kept"_ba);

        const Outcome loop = run(server.url(u"/again"_s));
        QVERIFY2(loop.failure.contains(u"redirected more than 20 times"), qPrintable(loop.failure));
        QCOMPARE(server.received().size(), 7 + 21);

        // A body is never sent twice, and a redirect's body is not read to its end before it is followed.
        QVERIFY(!run(server.url(u"/kept"_s), call).complete);
        QCOMPARE(std::count_if(got.cbegin(), got.cend(), [](const auto& r) { return r.target == "/drop"; }), 1);
        QCOMPARE(run(server.url(u"/endless"_s)).text, u"arrived"_s);
        QCOMPARE(run(server.url(u"/cut"_s)).text, u"arrived"_s);
    }

    // Where libcurl does not load, no request object is made, and the failure says why. The test runs
    // itself again with a file that is no library first in the search path.
    void libcurlMissing()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows loads libcurl from the program's own folder only, never from a search path");
#endif
        if (qEnvironmentVariableIsSet("RERUZAD_BOGUS_LIBCURL")) {
            QString failure;
            try {
                HttpRequest request;
            } catch (const foundation::Failure& failed) {
                failure = failed.message();
            }
            QVERIFY2(failure.startsWith(u"The HTTP library could not be loaded: "), qPrintable(failure));
            return;
        }
        QTemporaryDir folder;
        QVERIFY(QFile(folder.filePath(u"libcurl.so.4"_s)).open(QIODevice::WriteOnly));
        QProcess again;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LD_LIBRARY_PATH"_s, folder.path());
        environment.insert(u"RERUZAD_BOGUS_LIBCURL"_s, u"1"_s);
        again.setProcessEnvironment(environment);
        again.start(QCoreApplication::applicationFilePath(), { u"libcurlMissing"_s });
        QVERIFY(again.waitForFinished(60000));
        QVERIFY2(again.exitCode() == 0, again.readAllStandardOutput().constData());
    }

    void tls()
    {
#ifdef Q_OS_WIN
        QSKIP("Schannel in libcurl 7.88 matches a certificate by host name only, never by an IP address like "
              "the test server's, and under Wine it tells an untrusted certificate as a failed handshake");
#endif
        const auto answer = [](const TestServer::Request& request) {
            return TestServer::answer(request.target == "/down" ? 302 : 200, "secret", "Location: http://h/\r\n");
        };
        TestServer secure(answer, true);

        // A certificate nobody vouches for is a failure, never ignored. Trusted, it works; and a redirect
        // from https down to http is refused.
        const Call trusting { u"GET"_s, {}, {}, 10000, TestServer::certificateFile() };
        const QString untrusted = run(secure.url()).failure, down = run(secure.url(u"/down"_s), trusting).failure;
        QVERIFY2(untrusted.contains(u"certificate", Qt::CaseInsensitive), qPrintable(untrusted));
        QVERIFY2(down.contains(u"https to http"), qPrintable(down));
        QCOMPARE(run(secure.url(), trusting).text, u"secret"_s);
    }

    void requestUrl_data()
    {
        // sent: what goes out; empty when refused
        const auto row = columns<QString, QByteArray>("typed", "sent");
        row("space and beyond ASCII encoded", "http://h/put it?q=ä", "http://h/put%20it?q=%C3%A4");
        row("fragment left out", "http://h/p?q=1#top", "http://h/p?q=1");
        row("printable ASCII, escapes, stray %", "http://h/{}|^`\"<'>%zz?[v]%41", "http://h/{}|^`\"<'>%zz?[v]%41");
        row("no path", "http://h", "http://h/");
        row("IDN host", "http://bücher.example/", "http://xn--bcher-kva.example/");
        row("scheme in capitals, host as typed", "HTTPS://H.example:65535/x", "https://H.example:65535/x");
        row("IPv6 host and port", "http://[fe80::a1F]:8080/", "http://[fe80::a1F]:8080/");
        row("not an IPv6 address", "http://[::1g]/", {});
        row("a digit beyond ASCII in an IPv6 address", u"http://[::\u0665]/"_s, {});
        row("user and password", "http://me:pw@h.example/", "http://me:pw@h.example/");
        row("port too large", "http://h.example:65536/", {});
        row("a port with a letter", "http://h.example:8a/", {});
        row("space in the host", "http://h example/", {});
        row("a colon in the host", "https://u:https://h/", {});
    }

    void requestUrl()
    {
        const auto [typed, sent] = fetch<QString, QByteArray>("typed", "sent");
        QCOMPARE(http::requestUrl(typed), sent);
    }

    void inputChecks_data()
    {
        const auto row = columns<QString, QString, QString, QString, QString>(
            "method", "url", "headerName", "headerValue", "message");
        const QString ok = u"http://127.0.0.1:%1/"_s;
        row("ftp scheme", u"GET"_s, u"ftp://127.0.0.1/"_s, u"A"_s, u"1"_s, u"Not an http or https URL"_s);
        row("colon in a header name", u"GET"_s, ok, u"X:Y"_s, u"1"_s, u"is not a valid header name"_s);
        row("lone CR in a header value", u"GET"_s, ok, u"A"_s, u"1\rB"_s, u"line break"_s);
        row("LF in a header value", u"GET"_s, ok, u"A"_s, u"1\nB"_s, u"line break"_s);
        row("NUL in a header value", u"GET"_s, ok, u"A"_s, u"1\0"_s, u"NUL"_s);
        row("a length the body does not have", u"POST"_s, ok, u"content-length"_s, u"2"_s,
            u"says 2 bytes, but its body has 0"_s);
        row("a length with a sign", u"POST"_s, ok, u"Content-Length"_s, u"+0"_s, u"says +0, which is not a number"_s);
        row("an empty length", u"POST"_s, ok, u"Content-Length"_s, u" "_s, u"Content-Length header is empty."_s);
        row("a length given twice", u"POST"_s, ok, u"Content-Length"_s, u"0, 0"_s, u"is given more than once (0, 0)"_s);
        row("a transfer coding", u"POST"_s, ok, u"Transfer-Encoding"_s, u"chunked"_s, u"frames the body itself"_s);
    }

    void inputChecks()
    {
        const auto [method, url, headerName, headerValue, message] = fetch<QString, QString, QString, QString, QString>(
            "method", "url", "headerName", "headerValue", "message");

        TestServer server(TestServer::answer(200, "sent"));
        const Outcome outcome = run(
            QUrl(url.contains(u"%1") ? url.arg(server.port()) : url), { method, { { headerName, headerValue } } });
        QVERIFY2(!outcome.complete && outcome.failure.contains(message), qPrintable(outcome.failure));
        QVERIFY(server.received().isEmpty()); // a request that went out was waited for by run()
    }

    void whatIsSent()
    {
        TestServer server(TestServer::answer(200, "ok"));
        Call call { u"PUT"_s,
            { { "X-First", " spaced " }, { "X-Repeated", "a" }, { "X-Second", "2" }, { "x-repeated", "b" },
                { "X-Empty", "" }, { "X-Blank", "  " }, { "Content-Length", "13" } },
            u"héllo wörld"_s };
        QVERIFY(run({}, call, u"http://127.0.0.1:%1/a/../b/./%zz/put it?q=1"_s.arg(server.port())).complete);

        // The target as typed: dot segments, stray %. Values as given, repeated names joined, in the order given.
        const TestServer::Request& sent = server.received().value(0);
        QCOMPARE(sent.method + ' ' + sent.target + ' ' + sent.body, "PUT /a/../b/./%zz/put%20it?q=1 héllo wörld"_ba);
        QVERIFY2(
            sent.head.contains("\r\nX-First:  spaced \r\nX-Repeated: a, b\r\nX-Second: 2\r\nX-Empty:\r\nX-Blank:\r\n"),
            sent.head.constData());
        QCOMPARE(sent.head.count("ength: 13\r\n"), 1); // a length that is the body's goes out once
        QCOMPARE(
            sent.header("User-Agent") + ' ' + sent.header("Content-Type"), "Reruzad/1.0.0 text/plain;charset=UTF-8"_ba);

        // The user's own User-Agent and Content-Type replace the object's; a large body goes out at once,
        // with no "Expect: 100-continue" to wait on.
        call.headers = { { "User-Agent", "mine/2" }, { "Content-Type", "application/json" } };
        call.body = u'"' % QString(2'000'000, u'x') % u'"';
        QVERIFY(run(server.url(), call).complete);
        const TestServer::Request& own = server.received().value(1);
        QCOMPARE(own.header("User-Agent") + ' ' + own.header("Content-Type"), "mine/2 application/json"_ba);
        QVERIFY2(!own.head.contains("Expect"), own.head.constData());
    }

    // Each family of charsets with a text written in it (the fuzz target cuts it into pieces); one U+FFFD
    // for each maximal invalid subpart. No charset: UTF-8.
    void charsets_data()
    {
        const auto row = columns<QByteArray, QByteArray, QString, QByteArray>("charset", "body", "text", "encoding");
        row("cut 3-byte sequence, then ASCII", "", hex("e2 82 41"), u"\uFFFDA"_s, "UTF-8");
        row("cut 4-byte sequence at the end", "", hex("61 f0 9f 98"), u"a\uFFFD"_s, "UTF-8");
        row("overlong lead E0 80", "", hex("e0 80 80"), u"\uFFFD\uFFFD\uFFFD"_s, "UTF-8");
        row("surrogate ED A0 80", "", hex("ed a0 80"), u"\uFFFD\uFFFD\uFFFD"_s, "UTF-8");
        row("above U+10FFFF", "", hex("f4 90 80 80"), u"\uFFFD\uFFFD\uFFFD\uFFFD"_s, "UTF-8");
        row("C0 80", "", hex("c0 80"), u"\uFFFD\uFFFD"_s, "UTF-8");
        row("lone continuation bytes", "", hex("80 bf 7a"), u"\uFFFD\uFFFDz"_s, "UTF-8");
        row("ASCII run, then é", "", QByteArray(40, 'a') + hex("c3 a9"), QString(40, u'a') + u"é", "UTF-8");
        row("UTF-16: lone trail surrogate", "utf-16le", hex("00 dc 61 00"), u"\uFFFDa"_s, "UTF-16LE");
        row("UTF-16 is little-endian", "utf-16", hex("3d d8 00 de"), u"\U0001F600"_s, "UTF-16LE");
        row("UTF-16: odd byte at the end", "utf-16le", hex("61 00 62"), u"a\uFFFD"_s, "UTF-16LE");
        row("UTF-16BE mark wins over the header", "utf-8", hex("fe ff 00 68"), u"h"_s, "UTF-16BE");
        row("windows-1252 C1 holes", "windows-1252", hex("81 8d 80"), u"\u0081\u008d\u20ac"_s, "windows-1252");
        row("x-sjis is Shift_JIS", "X-SJIS", hex("93 fa 96 7b"), u"日本"_s, "Shift_JIS");
        row("gb18030, four bytes too", "gb18030", hex("d6 d0 ce c4 95 32 82 36"), u"中文\U00020000"_s, "gb18030");
        row("gb2312 is GBK", "gb2312", hex("d6 d0 ce c4"), u"中文"_s, "GBK");
        row("ISO-8859-16", "iso-8859-16", hex("aa fe a4"), u"Șț€"_s, "ISO-8859-16");
        row("latin1 is windows-1252", "latin1", hex("80 e9"), u"€é"_s, "windows-1252");
        row("ascii is windows-1252", "ascii", hex("93 41 94"), u"“A”"_s, "windows-1252");
        row("x-user-defined", "x-user-defined", hex("41 80 ff"), u"A\uF780\uF7FF"_s, "x-user-defined");
        row("replacement: one U+FFFD for the body", "iso-2022-kr", hex("41 42 43"), u"\uFFFD"_s, "replacement");
        row("unknown charset: UTF-8", "x-klingon", hex("c3 a9"), u"é"_s, "UTF-8");
        row("a vertical tab is no whitespace", "latin1\x0b", hex("c3 a9"), u"é"_s, "UTF-8");
        row("form feeds around a label are", "\x0clatin1\x0c", hex("80 e9"), u"€é"_s, "windows-1252");
        row("a byte no character starts is U+FFFD", "shift_jis", hex("41 ff 42"), u"A\uFFFDB"_s, "Shift_JIS");
        row("an unmapped EUC-JP byte is U+FFFD", "euc-jp", hex("41 ff 42"), u"A\uFFFDB"_s, "EUC-JP");
        row("control characters are themselves", "shift_jis", hex("1a 1c 7f"), u"\u001A\u001C\u007F"_s, "Shift_JIS");
        row("IBM866", "866", hex("1a 1c 7f 80 ff"), u"\u001A\u001C\u007FА\u00A0"_s, "IBM866");
        row("a character cut off at the end", "shift_jis", hex("41 93"), u"A\uFFFD"_s, "Shift_JIS");
        row("a cut-off gb18030 character", "gb18030", hex("41 95"), u"A\uFFFD"_s, "gb18030");
        row("three bytes of four: one U+FFFD", "gb18030", hex("61 62 63 64 65 66 67 68 81 30 81"), u"abcdefgh\uFFFD"_s,
            "gb18030");
        row("two bytes of three: one U+FFFD", "euc-jp", hex("41 8f a1"), u"A\uFFFD"_s, "EUC-JP");
        row("cut after 20 kB with no byte below 0x30", "gb18030", hex("a1a1").repeated(10000) + hex("81 30 81"),
            QString(10000, u'\u3000') + u'\uFFFD', "gb18030");
    }

    void charsets()
    {
        const auto [charset, body, text, encoding]
            = fetch<QByteArray, QByteArray, QString, QByteArray>("charset", "body", "text", "encoding");
        const QByteArray contentType = "text/html; charset=" + charset;
        http::ResponseDecoder decoder(contentType);
        decoder.feed(body);
        QCOMPARE(decoder.finish(), text);
        QCOMPARE(decoder.encodingName(), encoding);
        QCOMPARE(decoder.unknownCharset(), encoding == "UTF-8" ? charset : QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestHttpRequest)
#include "tst_httprequest.moc"
