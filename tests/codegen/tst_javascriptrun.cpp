#include "samplerequests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using codegen::Request;

namespace {

const char Prelude[] = R"js(
const calls = [];
class XMLHttpRequest {
    open(method, url, async) { calls.push(["open", method, url, async]); }
    setRequestHeader(name, value) { calls.push(["setRequestHeader", name, value]); }
    send(body) { calls.push(["send", body]); }
}
)js";

// The response handler must run too: it reads the response once the state is 4.
const char Epilogue[] = R"js(
objAJAX.readyState = 4;
objAJAX.responseText = "the response";
objAJAX.onreadystatechange();
calls.push(["result", result]);
process.stdout.write(JSON.stringify(calls));
)js";

}

// The generated Javascript is run by Node.js with a stand-in for XMLHttpRequest that writes down every
// call; what it wrote down must be the request the code was generated from, value for value.
class TestJavascriptRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_node = QStandardPaths::findExecutable(u"node"_s);
        if (m_node.isEmpty())
            QSKIP("node is not installed here, so the generated Javascript cannot be run (Debian: apt-get install "
                  "nodejs)");
        QVERIFY(m_dir.isValid());
    }

    void makesTheDescribedRequest_data()
    {
        QTest::addColumn<Request>("request");

        auto everywhere = [](const QString& text, bool flag) {
            return Request { text, text, flag, { { text, text }, { u"X-Second"_s, text } }, text };
        };
        QTest::newRow("worked example") << samples::workedExample();
        QTest::newRow("no headers, nothing filled in") << samples::atStart();
        QTest::newRow("double quotes") << everywhere(uR"(say "hi" "")"_s, true);
        QTest::newRow("backslashes") << everywhere(uR"(C:\temp\ \" \\)"_s, false);
        QTest::newRow("line breaks") << everywhere(u"a\rb\nc\r\nd\n\r"_s, true);
        QTest::newRow("tabs and controls") << everywhere(QString(u"\t\0\x01\x1b\x7f\x85 end"_qs), false);
        QTest::newRow("line and paragraph separators") << everywhere(QString(u"a\u2028b\u2029c"_qs), true);
        QTest::newRow("accents and emoji") << everywhere(u"é à ü 🍕 日本"_s, false);
        QTest::newRow("code injection") << everywhere(uR"x("); process.exit(3); (")x"_s, true);
        QTest::newRow("comment and template tricks") << everywhere(u"*/ // ${x} ` '"_s, false);
        QTest::newRow("a 5,000-character cookie")
            << Request { u"GET"_qs, u"http://h/"_qs, true, { { u"Cookie"_qs, u"k=\"v\"; "_qs.repeated(625) } }, {} };
        QTest::newRow("a long line") << everywhere(QString(100000, u'x') + u'"' + QString(1000, u'\n'), true);
    }

    void makesTheDescribedRequest()
    {
        QFETCH(Request, request);

        const QString code = codegen::generateCode(request, u"Javascript");
        QFile script(m_dir.filePath(u"request.js"_s));
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(Prelude + code.toUtf8() + Epilogue);
        script.close();

        QProcess node;
        node.start(m_node, { script.fileName() });
        QVERIFY(node.waitForFinished(60000));
        QVERIFY2(
            node.exitStatus() == QProcess::NormalExit && node.exitCode() == 0, node.readAllStandardError().constData());

        QJsonArray expected;
        expected.append(QJsonArray({ u"open"_s, request.strMethod, request.strURL, request.blnSync }));
        for (const codegen::Header& header : request.headers)
            expected.append(QJsonArray({ u"setRequestHeader"_s, header.strHeaderTitle, header.strHeaderValue }));
        expected.append(QJsonArray({ u"send"_s, request.strData }));
        expected.append(QJsonArray({ u"result"_s, u"the response"_s }));

        QJsonParseError error;
        const QJsonDocument recorded = QJsonDocument::fromJson(node.readAllStandardOutput(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QCOMPARE(recorded.array(), expected);
    }

private:
    QString m_node;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestJavascriptRun)
#include "tst_javascriptrun.moc"
