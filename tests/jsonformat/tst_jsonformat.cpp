#include "datatable.h"
#include "jsonformat.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestJsonFormat : public QObject {
    Q_OBJECT

private slots:
    void formatsJsonAndRefusesTheRest_data();
    void formatsJsonAndRefusesTheRest()
    {
        // formatted: the indented text; null when not JSON
        const auto [text, formatted] = fetch<QString, QString>("text", "formatted");
        QCOMPARE(jsonformat::isJson(text), !formatted.isNull());
        QCOMPARE(jsonformat::format(text).value_or(u"(refused)"_s), formatted.isNull() ? u"(refused)"_s : formatted);
    }

    // Containers are held on a stack of their own: as deep as the limit is formatted, ten thousand deep is
    // refused, not a crash.
    void nestingDeeperThanMaxDepthIsRefused()
    {
        for (const int depth : { jsonformat::MaxDepth, 10000 }) {
            const QString text = QString(depth, u'[') % QString(depth, u']');
            QCOMPARE(jsonformat::format(text).has_value(), depth == jsonformat::MaxDepth);
        }
        // Deep enough to indent 140,000 numbers past MaxLength: refused before anything is allocated.
        const QString wide = QString(999, u'[') % QStringList(140000, u"1"_s).join(u',') % QString(999, u']');
        QVERIFY(jsonformat::isJson(wide) && !jsonformat::format(wide));
    }
};

// moc reads no raw strings, so the rows are out here.
void TestJsonFormat::formatsJsonAndRefusesTheRest_data()
{
    const auto row = columns<QString, QString>("text", "formatted");
    row("nested, empty containers, white space dropped",
        u" \t\r\n{ \"a\" : [ 1 , { \"b\" : null } , { } , [ ] ] , \"c\" : false }\n"_s,
        u"{\n  \"a\": [\n    1,\n    {\n      \"b\": null\n    },\n    {},\n    []\n  ],\n  \"c\": false\n}"_s);
    row("escapes kept", uR"( "a\/b\u0022\\\"\uAf09\b\f\n\r\té😀 " )"_s, uR"("a\/b\u0022\\\"\uAf09\b\f\n\r\té😀 ")"_s);
    row("big integer kept", uR"(123456789012345678901234567890)"_s, uR"(123456789012345678901234567890)"_s);
    row("exponent kept", u"\t1.0e+400\n"_s, uR"(1.0e+400)"_s);
    // What is refused is checked against RFC 8259 by the fuzz target; one of each place here.
    row("trailing comma in an object", uR"({"a":1,})"_s, QString());
    row("raw control character in a string", u"\"a\x1f\""_s, QString());
    row("leading zero", uR"(01)"_s, QString());
    row("not a hex digit in a unicode escape", uR"("\u1G34")"_s, QString());
}

QTEST_APPLESS_MAIN(TestJsonFormat)
#include "tst_jsonformat.moc"
