#include "codegen/generator.h"
#include "codegen/languages.h"
#include "codegen/literals.h"

#include <QTest>

using codegen::Header;
using codegen::Request;

namespace {

// The lines joined with CR LF.
QString lines(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

Request sampleRequest()
{
    return { QStringLiteral("POST"), QStringLiteral("/api/items"), true,
        { { QStringLiteral("Content-Type"), QStringLiteral("text/plain") },
            { QStringLiteral("Accept"), QStringLiteral("text/html") } },
        QStringLiteral("id=7&name=box") };
}

}

class TestGenerator : public QObject {
    Q_OBJECT

private slots:
    void workedExamples_data();
    void workedExamples();
    void headerBlock_data();
    void headerBlock();
    void flag_data();
    void flag();
    void otherLanguageNames_data();
    void otherLanguageNames();
    void literals_data();
    void literals();
    void everyValueIsWrittenAsALiteral_data();
    void everyValueIsWrittenAsALiteral();
};

void TestGenerator::workedExamples_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("code");

    QTest::newRow("Visual Basic 6") << sampleRequest() << QStringLiteral("Visual Basic 6")
                                    << lines({ "Dim objAJAX as object",
                                           R"(set objAJAX = CreateObject("microsoft.xmlhttp"))", "",
                                           R"(objAJAX.open "POST","/api/items",True)", "",
                                           R"(objAJAX.setRequestHeader "Content-Type","text/plain")",
                                           R"(objAJAX.setRequestHeader "Accept","text/html")", "",
                                           R"(objAJAX.send "id=7&name=box")", "", "do", "doevents",
                                           "if objAJAX.readyState = 4 then", " strResponse = objAJAX.responseText",
                                           "exit do ", "end if", "loop" });
    QTest::newRow("Javascript") << sampleRequest() << QStringLiteral("Javascript")
                                << lines({ "objAJAX = new XMLHttpRequest();", "",
                                       R"(objAJAX.open("POST","/api/items",true);)", "",
                                       R"(objAJAX.setRequestHeader("Content-Type", "text/plain");)",
                                       R"(objAJAX.setRequestHeader("Accept", "text/html");)", "",
                                       R"(objAJAX.send ("id=7&name=box");)",
                                       "objAJAX.onreadystatechange = function() {", "if(objAJAX.readyState == 4) {",
                                       " result = objAJAX.responseText; ", "}", "}" });
    QTest::newRow("ASP") << sampleRequest() << QStringLiteral("ASP")
                         << lines({ "Dim objAJAX", R"(set objAJAX = server.CreateObject("microsoft.xmlhttp"))", "",
                                R"(objAJAX.open "POST","/api/items",True)", "",
                                R"(objAJAX.setRequestHeader "Content-Type","text/plain")",
                                R"(objAJAX.setRequestHeader "Accept","text/html")", "",
                                R"(objAJAX.send "id=7&name=box")", "if objAJAX.readyState = 4 then",
                                " strResponse = objAJAX.responseText", "", "end if", "", "" });
    QTest::newRow("Javascript, GET, nothing filled in")
        << Request { QStringLiteral("GET"), QStringLiteral("(insert url here)"), false, {}, QString() }
        << QStringLiteral("Javascript")
        << lines({ "objAJAX = new XMLHttpRequest();", "", R"js(objAJAX.open("GET","(insert url here)",false);)js", "",
               R"(objAJAX.send ("");)", "objAJAX.onreadystatechange = function() {", "if(objAJAX.readyState == 4) {",
               " result = objAJAX.responseText; ", "}", "}" });
}

void TestGenerator::workedExamples()
{
    QFETCH(Request, request);
    QFETCH(QString, language);
    QFETCH(QString, code);
    QCOMPARE(codegen::generateCode(request, language), code);
}

void TestGenerator::headerBlock_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("headers");
    QTest::addColumn<QStringList>("between"); // the lines between the open line and the send line

    const QStringList basic { R"(objAJAX.setRequestHeader "h1","v1")", R"(objAJAX.setRequestHeader "h2","v2")",
        R"(objAJAX.setRequestHeader "h3","v3")" };
    const QStringList javascript { R"(objAJAX.setRequestHeader("h1", "v1");)",
        R"(objAJAX.setRequestHeader("h2", "v2");)", R"(objAJAX.setRequestHeader("h3", "v3");)" };
    for (const QString& language : codegen::languageNames()) {
        const QStringList& headerLines = language == codegen::Javascript ? javascript : basic;
        QTest::addRow("%s, no headers", qPrintable(language)) << language << 0 << QStringList { "" };
        QTest::addRow("%s, one header", qPrintable(language))
            << language << 1 << QStringList { "", headerLines[0], "" };
        QTest::addRow("%s, three headers", qPrintable(language))
            << language << 3 << QStringList { "" } + headerLines + QStringList { "" };
    }
}

void TestGenerator::headerBlock()
{
    QFETCH(QString, language);
    QFETCH(int, headers);
    QFETCH(QStringList, between);

    Request request { QStringLiteral("GET"), QStringLiteral("u"), false, {}, QStringLiteral("d") };
    for (int i = 1; i <= headers; ++i)
        request.headers.append({ u"h" % QString::number(i), u"v" % QString::number(i) });
    const QStringList code = codegen::generateCode(request, language).split(QStringLiteral("\r\n"));
    const auto open
        = std::find_if(code.begin(), code.end(), [](const QString& l) { return l.startsWith(u"objAJAX.open"); });
    const auto send
        = std::find_if(code.begin(), code.end(), [](const QString& l) { return l.startsWith(u"objAJAX.send"); });
    QVERIFY(open != code.end() && send != code.end() && open < send);
    QCOMPARE(QStringList(open + 1, send), between);
}

void TestGenerator::flag_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QString>("openLine");

    QTest::newRow("Visual Basic 6, True") << "Visual Basic 6" << true << R"(objAJAX.open "GET","u",True)";
    QTest::newRow("Visual Basic 6, False") << "Visual Basic 6" << false << R"(objAJAX.open "GET","u",False)";
    QTest::newRow("Javascript, true") << "Javascript" << true << R"(objAJAX.open("GET","u",true);)";
    QTest::newRow("Javascript, false") << "Javascript" << false << R"(objAJAX.open("GET","u",false);)";
    QTest::newRow("ASP, True") << "ASP" << true << R"(objAJAX.open "GET","u",True)";
    QTest::newRow("ASP, False") << "ASP" << false << R"(objAJAX.open "GET","u",False)";
}

void TestGenerator::flag()
{
    QFETCH(QString, language);
    QFETCH(bool, flag);
    QFETCH(QString, openLine);
    const Request request { QStringLiteral("GET"), QStringLiteral("u"), flag, {}, {} };
    QVERIFY(codegen::generateCode(request, language).split(QStringLiteral("\r\n")).contains(openLine));
}

void TestGenerator::otherLanguageNames_data()
{
    QTest::addColumn<QString>("language");
    for (const char* name : { "", "visual basic 6", "VISUAL BASIC 6", "Visual Basic 6 ", " Visual Basic 6",
             "javascript", "JavaScript", "Javascript ", "asp", "ASP ", "Visual Basic", "VBScript", "C#" })
        QTest::newRow(name) << QString::fromUtf8(name);
}

void TestGenerator::otherLanguageNames()
{
    QFETCH(QString, language);
    QCOMPARE(codegen::generateCode(sampleRequest(), language), QString());
}

void TestGenerator::literals_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("javascript");
    QTest::addColumn<QString>("basic");

    const QString longLine = QString(5000, u'x') + u'"' + QString(5000, u'y');
    QTest::newRow("plain") << "id=7&name=box"
                           << "id=7&name=box"
                           << "id=7&name=box";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("double quote") << R"(say "hi")"
                                  << R"(say \"hi\")"
                                  << R"(say ""hi"")";
    QTest::newRow("backslash") << R"(C:\temp\)"
                               << R"(C:\\temp\\)"
                               << R"(C:\temp\)";
    QTest::newRow("CR") << "a\rb"
                        << R"(a\rb)"
                        << R"(a" & vbCr & "b)";
    QTest::newRow("LF") << "a\nb"
                        << R"(a\nb)"
                        << R"(a" & vbLf & "b)";
    QTest::newRow("CR LF") << "a\r\nb"
                           << R"(a\r\nb)"
                           << R"(a" & vbCrLf & "b)";
    QTest::newRow("only a line break") << "\r\n"
                                       << R"(\r\n)"
                                       << R"(" & vbCrLf & ")";
    QTest::newRow("LF CR is two breaks") << "\n\r"
                                         << R"(\n\r)"
                                         << R"(" & vbLf & vbCr & ")";
    QTest::newRow("breaks in a row") << "a\r\n\r\nb"
                                     << R"(a\r\n\r\nb)"
                                     << R"(a" & vbCrLf & vbCrLf & "b)";
    QTest::newRow("TAB") << "\tx\t"
                         << R"(\tx\t)"
                         << R"(" & vbTab & "x" & vbTab & ")";
    QTest::newRow("NUL") << QString(u"a\0b"_qs) << R"(a\x00b)"
                         << R"(a" & Chr(0) & "b)";
    QTest::newRow("escape and DEL") << QString(u"\x1b\x7f"_qs) << R"(\x1B\x7F)"
                                    << R"(" & Chr(27) & Chr(127) & ")";
    QTest::newRow("C1 control") << QString(u"\x85"_qs) << R"(\x85)"
                                << R"(" & ChrW(133) & ")";
    QTest::newRow("quote after a break") << "\n\""
                                         << R"(\n\")"
                                         << R"(" & vbLf & """)";
    QTest::newRow("line separator") << QString(u"a\u2028b\u2029"_qs) << R"(a\u2028b\u2029)"
                                    << QString(u"a\u2028b\u2029"_qs);
    QTest::newRow("accented") << "é à ü"
                              << "é à ü"
                              << "é à ü";
    QTest::newRow("emoji") << "pizza 🍕!"
                           << "pizza 🍕!"
                           << "pizza 🍕!";
    QTest::newRow("lone surrogate") << QString(u"a"_qs + QChar(0xd800) + u"b"_qs) << R"(a\uD800b)"
                                    << R"(a" & ChrW(55296) & "b)";
    QTest::newRow("long line") << longLine << QString(5000, u'x') + R"(\")" + QString(5000, u'y')
                               << QString(5000, u'x') + R"("")" + QString(5000, u'y');
}

void TestGenerator::literals()
{
    QFETCH(QString, value);
    QFETCH(QString, javascript);
    QFETCH(QString, basic);

    QString written;
    codegen::appendJavascriptLiteral(written, value);
    QCOMPARE(written, javascript);
    written.clear();
    codegen::appendBasicLiteral(written, value);
    QCOMPARE(written, basic);
}

void TestGenerator::everyValueIsWrittenAsALiteral_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("expected");

    const QString text = QStringLiteral("a\"b\nc");
    QTest::newRow("Visual Basic 6") << "Visual Basic 6"
                                    << R"("a""b" & vbLf & "c")";
    QTest::newRow("Javascript") << "Javascript"
                                << R"("a\"b\nc")";
    QTest::newRow("ASP") << "ASP"
                         << R"("a""b" & vbLf & "c")";
}

void TestGenerator::everyValueIsWrittenAsALiteral()
{
    QFETCH(QString, language);
    QFETCH(QString, expected);

    // Method, URL, header name and value, and data each get the same literal.
    const QString hard = QStringLiteral("a\"b\nc");
    const Request request { hard, hard, false, { { hard, hard } }, hard };
    const QString code = codegen::generateCode(request, language);
    QCOMPARE(code.count(expected), 5);
    QVERIFY(!code.contains(hard));
}

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
