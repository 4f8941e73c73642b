#include "datatable.h"
#include "generator.h"
#include "languages.h"
#include "literals.h"
#include "samplerequests.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

using request::Header;
using request::Request;

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
        QHash<QString, QStringList> built; // the pieces of each variable's value
        static const QRegularExpression assignment(u"^(str\\w+) = (?:\\1 & )?(.*)$"_s);
        for (const QString& line : code.split(u"\r\n"_s)) {
            QVERIFY2(line.size() <= 1023 && line.isValidUtf16(), qPrintable(line.left(80)));
            if (const QRegularExpressionMatch match = assignment.match(line); match.hasMatch())
                built[match.captured(1)].append(match.captured(2));
        }
        // Joined as Basic joins them, and a quoted run cut in two made one again, they are the value's literal.
        const auto check = [&built](const QString& variable, const QString& value) {
            QString literal = u"\""_s;
            codegen::appendBasicLiteral(literal, value);
            QCOMPARE(built.value(variable).join(u" & "_s).remove(u"\" & \""_s), literal + u"\""_s);
        };
        check(u"strURL"_s, request.url);
        check(u"strHeaderValue1"_s, cookie);
        check(u"strData"_s, request.body);
        QVERIFY(code.contains(u"\r\nDim strHeaderValue1 as String\r\nstrHeaderValue1 = \"sid=\"\""_s));
        QVERIFY(code.contains(u"\r\nobjAJAX.setRequestHeader \"Cookie\",strHeaderValue1\r\n"
                              "objAJAX.setRequestHeader \"X-Short\",\"1\"\r\n"_s));
        QCOMPARE(built.size(), 3);
    }

    void literals_data();
    void literals()
    {
        const auto [value, javascript, basic] = fetch<QString, QString, QString>("value", "javascript", "basic");
        QString writtenJavascript, writtenBasic;
        codegen::appendJavascriptLiteral(writtenJavascript, value);
        codegen::appendBasicLiteral(writtenBasic, value);
        QCOMPARE(writtenJavascript, javascript);
        QCOMPARE(writtenBasic, basic);

        // In the code, method, URL, header name and value, and data each are written as that literal.
        const Request request { value, value, false, { { value, value } }, value };
        for (const QString& language : codegen::languageNames()) {
            const QString literal = u'"' % (language == u"Javascript" ? javascript : basic) % u'"';
            QCOMPARE(codegen::generateCode(request, language).count(literal), 5);
        }
    }
};

void TestGenerator::workedExamples_data()
{
    const auto row = columns<Request, QString, QString>("request", "language", "code");
    const auto lines = [](const QStringList& list) { return list.join(u"\r\n"_s); };
    row("Visual Basic 6", samples::workedExample(), u"Visual Basic 6"_s,
        lines({ "Dim objAJAX as object", R"(set objAJAX = CreateObject("microsoft.xmlhttp"))", "",
            R"(objAJAX.open "POST","/api/items",True)", "", R"(objAJAX.setRequestHeader "Content-Type","text/plain")",
            R"(objAJAX.setRequestHeader "Accept","text/html")", "", R"(objAJAX.send "id=7&name=box")", "", "do",
            "doevents", "if objAJAX.readyState = 4 then", " strResponse = objAJAX.responseText", "exit do ", "end if",
            "loop" }));
    row("Javascript", samples::workedExample(), u"Javascript"_s,
        lines({ "objAJAX = new XMLHttpRequest();", "", R"(objAJAX.open("POST","/api/items",true);)", "",
            R"(objAJAX.setRequestHeader("Content-Type", "text/plain");)",
            R"(objAJAX.setRequestHeader("Accept", "text/html");)", "", R"(objAJAX.send ("id=7&name=box");)",
            "objAJAX.onreadystatechange = function() {", "if(objAJAX.readyState == 4) {",
            " result = objAJAX.responseText; ", "}", "}" }));
    row("ASP", samples::workedExample(), u"ASP"_s,
        lines({ "Dim objAJAX", R"(set objAJAX = server.CreateObject("microsoft.xmlhttp"))", "",
            R"(objAJAX.open "POST","/api/items",True)", "", R"(objAJAX.setRequestHeader "Content-Type","text/plain")",
            R"(objAJAX.setRequestHeader "Accept","text/html")", "", R"(objAJAX.send "id=7&name=box")",
            "if objAJAX.readyState = 4 then", " strResponse = objAJAX.responseText", "", "end if", "", "" }));
    // Only the three names, exactly as they are written, give code.
    for (const char* name : { "", "visual basic 6", "Visual Basic 6 ", "JavaScript", "asp", "VBScript" })
        row(name, samples::workedExample(), QString::fromUtf8(name), QString());
    row("ASP, GET, no headers, False", { u"GET"_s, u"u"_s, false, {}, u"d"_s }, u"ASP"_s,
        lines({ "Dim objAJAX", R"(set objAJAX = server.CreateObject("microsoft.xmlhttp"))", "",
            R"(objAJAX.open "GET","u",False)", "", R"(objAJAX.send "d")", "if objAJAX.readyState = 4 then",
            " strResponse = objAJAX.responseText", "", "end if", "", "" }));
}

void TestGenerator::literals_data()
{
    const auto row = columns<QString, QString, QString>("value", "javascript", "basic");
    row("plain", u"id=7&name=box"_s, u"id=7&name=box"_s, u"id=7&name=box"_s);
    row("double quote", u"say \"hi\""_s, uR"(say \"hi\")"_s, uR"(say ""hi"")"_s);
    row("backslash", uR"(C:\temp\)"_s, uR"(C:\\temp\\)"_s, uR"(C:\temp\)"_s);
    row("CR LF", u"a\r\nb"_s, uR"(a\r\nb)"_s, uR"(a" & vbCrLf & "b)"_s);
    row("LF CR is two breaks", u"\n\r"_s, uR"(\n\r)"_s, uR"(" & vbLf & vbCr & ")"_s);
    row("TAB", u"\tx\t"_s, uR"(\tx\t)"_s, uR"(" & vbTab & "x" & vbTab & ")"_s);
    row("NUL", u"a\0b"_s, uR"(a\x00b)"_s, uR"(a" & Chr(0) & "b)"_s);
    row("escape and DEL", u"\x1b\x7f"_s, uR"(\x1B\x7F)"_s, uR"(" & Chr(27) & Chr(127) & ")"_s);
    row("first and last C1 control", u"\x80\x9f"_s, uR"(\x80\x9F)"_s, uR"(" & ChrW(128) & ChrW(159) & ")"_s);
    row("quote after a break", u"\n\""_s, uR"(\n\")"_s, uR"(" & vbLf & """)"_s);
    row("line separator", u"a\u2028b\u2029"_s, uR"(a\u2028b\u2029)"_s, u"a\u2028b\u2029"_s);
    row("accented and emoji", u"é à ü 🍕!"_s, u"é à ü 🍕!"_s, u"é à ü 🍕!"_s);
    row("trail before lead", u"a"_s + QChar(0xdc00) + QChar(0xd800), uR"(a\uDC00\uD800)"_s,
        uR"(a" & ChrW(56320) & ChrW(55296) & ")"_s);
}

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
