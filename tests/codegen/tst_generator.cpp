#include "datatable.h"
#include "generator.h"
#include "languages.h"
#include "literals.h"
#include "samplerequests.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

using codegen::Header;
using codegen::Request;

namespace {

// The lines joined with CR LF.
QString lines(const QStringList& lines)
{
    return lines.join(u"\r\n"_s);
}

// The value of a Basic string expression as the literal writer makes them: "…" with "" for a quote, and
// vbCrLf, vbCr, vbLf, vbTab, Chr(n) and ChrW(n), joined by " & ".
QString basicValue(QStringView expression)
{
    QString value;
    for (qsizetype at = 0; at < expression.size();) {
        if (expression[at] == u'"') {
            // To the closing quote; "" inside is one quote.
            for (++at; at < expression.size() && (expression[at] != u'"' || expression.sliced(at).startsWith(u"\"\""));
                 ++at)
                value += expression[expression[at] == u'"' ? at++ : at];
            ++at;
        } else {
            const qsizetype end = expression.indexOf(u" & ", at);
            const QStringView name = expression.sliced(at, (end < 0 ? expression.size() : end) - at);
            const QHash<QStringView, QString> constants { { u"vbCrLf", u"\r\n"_s }, { u"vbCr", u"\r"_s },
                { u"vbLf", u"\n"_s }, { u"vbTab", u"\t"_s } };
            value += constants.contains(name) ? constants[name]
                                              : QString(QChar(name.sliced(name.indexOf(u'(') + 1).chopped(1).toInt()));
            at += name.size();
        }
        if (expression.sliced(at).startsWith(u" & "))
            at += 3;
    }
    return value;
}

}

class TestGenerator : public QObject {
    Q_OBJECT

private slots:
    // Tables full of raw string literals are defined below the class: moc cannot read them inside it.
    void workedExamples_data();
    void workedExamples()
    {
        const auto [request, language, code] = fetch<Request, QString, QString>("request", "language", "code");
        QCOMPARE(codegen::generateCode(request, language), code);
    }

    void longLinesFitTheVisualBasicEditor()
    {
        // Long values are built up in variables over lines that fit; the values come out whole.
        const QString cookie = u"sid=\"é😀\"; a\r\nb\x01; "_s.repeated(400);
        const Request request { u"POST"_s, u"http://h.example/?q="_s + QString(3000, u'q'), false,
            { { u"Cookie"_s, cookie }, { u"X-Short"_s, u"1"_s } },
            QString(896, u'a') + u"😀" + QString(2000, QChar(1)) }; // the first cut would part the emoji
        const QString code = codegen::generateCode(request, u"Visual Basic 6");
        QHash<QString, QString> built;
        static const QRegularExpression assignment(u"^(str\\w+) = (?:\\1 & )?(.*)$"_s);
        for (const QString& line : code.split(u"\r\n"_s)) {
            QVERIFY2(line.size() <= 1023 && line.isValidUtf16(), qPrintable(line.left(80)));
            if (const QRegularExpressionMatch match = assignment.match(line); match.hasMatch())
                built[match.captured(1)] += basicValue(match.captured(2));
        }
        QCOMPARE(built.value(u"strURL"_s), request.strURL);
        QCOMPARE(built.value(u"strHeaderValue1"_s), cookie);
        QCOMPARE(built.value(u"strData"_s), request.strData);
        QVERIFY(code.contains(u"\r\nDim strHeaderValue1 as String\r\nstrHeaderValue1 = \"sid=\"\""_s));
        QVERIFY(code.contains(u"\r\nobjAJAX.setRequestHeader \"Cookie\",strHeaderValue1\r\n"
                              "objAJAX.setRequestHeader \"X-Short\",\"1\"\r\n"_s));
        QCOMPARE(built.size(), 3);
    }

    void literals_data();
    void literals()
    {
        const auto [value, javascript, basic] = fetch<QString, QString, QString>("value", "javascript", "basic");

        QString written;
        codegen::appendJavascriptLiteral(written, value);
        QCOMPARE(written, javascript);
        written.clear();
        codegen::appendBasicLiteral(written, value);
        QCOMPARE(written, basic);
    }

    void everyValueIsWrittenAsALiteral_data();
    void everyValueIsWrittenAsALiteral()
    {
        const auto [language, expected] = fetch<QString, QString>("language", "expected");

        // Method, URL, header name and value, and data each get the same literal.
        const QString hard = u"a\"b\nc"_s;
        const Request request { hard, hard, false, { { hard, hard } }, hard };
        const QString code = codegen::generateCode(request, language);
        QCOMPARE(code.count(expected), 5);
        QVERIFY(!code.contains(hard));
    }
};

void TestGenerator::workedExamples_data()
{
    columns<Request, QString, QString>("request", "language", "code");

    QTest::newRow("Visual Basic 6") << samples::workedExample() << u"Visual Basic 6"_s
                                    << lines({ "Dim objAJAX as object",
                                           R"(set objAJAX = CreateObject("microsoft.xmlhttp"))", "",
                                           R"(objAJAX.open "POST","/api/items",True)", "",
                                           R"(objAJAX.setRequestHeader "Content-Type","text/plain")",
                                           R"(objAJAX.setRequestHeader "Accept","text/html")", "",
                                           R"(objAJAX.send "id=7&name=box")", "", "do", "doevents",
                                           "if objAJAX.readyState = 4 then", " strResponse = objAJAX.responseText",
                                           "exit do ", "end if", "loop" });
    QTest::newRow("Javascript") << samples::workedExample() << u"Javascript"_s
                                << lines({ "objAJAX = new XMLHttpRequest();", "",
                                       R"(objAJAX.open("POST","/api/items",true);)", "",
                                       R"(objAJAX.setRequestHeader("Content-Type", "text/plain");)",
                                       R"(objAJAX.setRequestHeader("Accept", "text/html");)", "",
                                       R"(objAJAX.send ("id=7&name=box");)",
                                       "objAJAX.onreadystatechange = function() {", "if(objAJAX.readyState == 4) {",
                                       " result = objAJAX.responseText; ", "}", "}" });
    QTest::newRow("ASP") << samples::workedExample() << u"ASP"_s
                         << lines({ "Dim objAJAX", R"(set objAJAX = server.CreateObject("microsoft.xmlhttp"))", "",
                                R"(objAJAX.open "POST","/api/items",True)", "",
                                R"(objAJAX.setRequestHeader "Content-Type","text/plain")",
                                R"(objAJAX.setRequestHeader "Accept","text/html")", "",
                                R"(objAJAX.send "id=7&name=box")", "if objAJAX.readyState = 4 then",
                                " strResponse = objAJAX.responseText", "", "end if", "", "" });
    // Only the three names, exactly as they are written, give code.
    for (const char* name : { "", "visual basic 6", "Visual Basic 6 ", "JavaScript", "asp", "VBScript" })
        QTest::newRow(name) << samples::workedExample() << QString::fromUtf8(name) << QString();
    const Request getOneHeader { u"GET"_s, u"u"_s, false, { { u"h"_s, u"v"_s } }, u"d"_s };
    QTest::newRow("Visual Basic 6, GET, one header, False")
        << getOneHeader << u"Visual Basic 6"_s
        << lines({ "Dim objAJAX as object", R"(set objAJAX = CreateObject("microsoft.xmlhttp"))", "",
               R"(objAJAX.open "GET","u",False)", "", R"(objAJAX.setRequestHeader "h","v")", "", R"(objAJAX.send "d")",
               "", "do", "doevents", "if objAJAX.readyState = 4 then", " strResponse = objAJAX.responseText",
               "exit do ", "end if", "loop" });
    QTest::newRow("ASP, GET, no headers, False")
        << Request { u"GET"_s, u"u"_s, false, {}, u"d"_s } << u"ASP"_s
        << lines({ "Dim objAJAX", R"(set objAJAX = server.CreateObject("microsoft.xmlhttp"))", "",
               R"(objAJAX.open "GET","u",False)", "", R"(objAJAX.send "d")", "if objAJAX.readyState = 4 then",
               " strResponse = objAJAX.responseText", "", "end if", "", "" });
    QTest::newRow("Javascript, GET, nothing filled in")
        << samples::atStart() << u"Javascript"_s
        << lines({ "objAJAX = new XMLHttpRequest();", "", R"js(objAJAX.open("GET","(insert url here)",false);)js", "",
               R"(objAJAX.send ("");)", "objAJAX.onreadystatechange = function() {", "if(objAJAX.readyState == 4) {",
               " result = objAJAX.responseText; ", "}", "}" });
}

void TestGenerator::literals_data()
{
    columns<QString, QString, QString>("value", "javascript", "basic");
    auto row = [](const char* name, const QString& value, const QString& javascript, const QString& basic) {
        QTest::newRow(name) << value << javascript << basic;
    };

    row("plain", u"id=7&name=box"_s, u"id=7&name=box"_s, u"id=7&name=box"_s);
    row("empty", {}, {}, {});
    row("double quote", u"say \"hi\""_s, uR"(say \"hi\")"_s, uR"(say ""hi"")"_s);
    row("backslash", uR"(C:\temp\)"_s, uR"(C:\\temp\\)"_s, uR"(C:\temp\)"_s);
    row("CR", u"a\rb"_s, uR"(a\rb)"_s, uR"(a" & vbCr & "b)"_s);
    row("LF", u"a\nb"_s, uR"(a\nb)"_s, uR"(a" & vbLf & "b)"_s);
    row("CR LF", u"a\r\nb"_s, uR"(a\r\nb)"_s, uR"(a" & vbCrLf & "b)"_s);
    row("only a line break", u"\r\n"_s, uR"(\r\n)"_s, uR"(" & vbCrLf & ")"_s);
    row("LF CR is two breaks", u"\n\r"_s, uR"(\n\r)"_s, uR"(" & vbLf & vbCr & ")"_s);
    row("breaks in a row", u"a\r\n\r\nb"_s, uR"(a\r\n\r\nb)"_s, uR"(a" & vbCrLf & vbCrLf & "b)"_s);
    row("TAB", u"\tx\t"_s, uR"(\tx\t)"_s, uR"(" & vbTab & "x" & vbTab & ")"_s);
    row("NUL", u"a\0b"_s, uR"(a\x00b)"_s, uR"(a" & Chr(0) & "b)"_s);
    row("escape and DEL", u"\x1b\x7f"_s, uR"(\x1B\x7F)"_s, uR"(" & Chr(27) & Chr(127) & ")"_s);
    row("first and last C1 control", u"\x80\x9f"_s, uR"(\x80\x9F)"_s, uR"(" & ChrW(128) & ChrW(159) & ")"_s);
    row("quote after a break", u"\n\""_s, uR"(\n\")"_s, uR"(" & vbLf & """)"_s);
    row("line separator", u"a\u2028b\u2029"_s, uR"(a\u2028b\u2029)"_s, u"a\u2028b\u2029"_s);
    row("accented and emoji", u"é à ü 🍕!"_s, u"é à ü 🍕!"_s, u"é à ü 🍕!"_s);
    row("lone lead surrogate", u"a"_s + QChar(0xd800) + u"b"_s, uR"(a\uD800b)"_s, uR"(a" & ChrW(55296) & "b)"_s);
    row("trail before lead", u"a"_s + QChar(0xdc00) + QChar(0xd800), uR"(a\uDC00\uD800)"_s,
        uR"(a" & ChrW(56320) & ChrW(55296) & ")"_s);
    const QString x(5000, u'x'), y(5000, u'y');
    row("long line", x + u'"' + y, x + uR"(\")"_s + y, x + uR"("")"_s + y);
}

void TestGenerator::everyValueIsWrittenAsALiteral_data()
{
    columns<QString, QString>("language", "expected");
    QTest::newRow("Visual Basic 6") << u"Visual Basic 6"_s << uR"("a""b" & vbLf & "c")"_s;
    QTest::newRow("Javascript") << u"Javascript"_s << uR"("a\"b\nc")"_s;
    QTest::newRow("ASP") << u"ASP"_s << uR"("a""b" & vbLf & "c")"_s;
}

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
