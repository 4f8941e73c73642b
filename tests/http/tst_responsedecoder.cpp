#include "datatable.h"
#include "responsedecoder.h"

#include <QTest>

using namespace Qt::StringLiterals;

using http::ResponseDecoder;

namespace {

const auto hex = [](const char* bytes) { return QByteArray::fromHex(bytes); };

}

class TestResponseDecoder : public QObject {
    Q_OBJECT

private slots:
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
        row("F1 starts a 4-byte sequence", "", hex("f1 80 80 80"), u"\U00040000"_s, "UTF-8");
        row("first and last beyond U+FFFF", "", hex("f0 90 80 80 f4 8f bf bf"), u"\U00010000\U0010FFFF"_s, "UTF-8");
        row("ASCII run, then é", "", QByteArray(40, 'a') + hex("c3 a9"), QString(40, u'a') + u"é", "UTF-8");
        row("UTF-16: lone trail surrogate", "utf-16le", hex("00 dc 61 00"), u"\uFFFDa"_s, "UTF-16LE");
        row("UTF-16: lead then no trail", "utf-16le", hex("3d d8 61 00"), u"\uFFFDa"_s, "UTF-16LE");
        row("UTF-16 is little-endian", "utf-16", hex("3d d8 00 de"), u"\U0001F600"_s, "UTF-16LE");
        row("UTF-16: odd byte at the end", "utf-16le", hex("61 00 62"), u"a\uFFFD"_s, "UTF-16LE");
        row("UTF-16: lead surrogate, odd byte at the end", "utf-16le", hex("3d d8 62"), u"\uFFFD"_s, "UTF-16LE");
        row("UTF-16BE mark wins over the header", "utf-8", hex("fe ff 00 68"), u"h"_s, "UTF-16BE");
        row("windows-1252 C1 holes", "windows-1252", hex("81 8d 80"), u"\u0081\u008d\u20ac"_s, "windows-1252");
        row("Shift_JIS", "shift_jis", hex("93 fa 96 7b 8c ea 83 65 83 4c 83 58 83 67"), u"日本語テキスト"_s,
            "Shift_JIS");
        row("x-sjis is Shift_JIS", "X-SJIS", hex("93 fa 96 7b"), u"日本"_s, "Shift_JIS");
        row("EUC-JP", "euc-jp", hex("c6 fc cb dc b8 ec"), u"日本語"_s, "EUC-JP");
        row("ISO-2022-JP", "iso-2022-jp", hex("1b 24 42 46 7c 4b 5c 38 6c 1b 28 42 61"), u"日本語a"_s, "ISO-2022-JP");
        row("gb18030, four bytes too", "gb18030", hex("d6 d0 ce c4 95 32 82 36"), u"中文\U00020000"_s, "gb18030");
        row("gb2312 is GBK", "gb2312", hex("d6 d0 ce c4"), u"中文"_s, "GBK");
        row("Big5", "big5", hex("a4 a4 a4 e5"), u"中文"_s, "Big5");
        row("EUC-KR", "euc-kr", hex("c7 d1 b1 b9 be ee"), u"한국어"_s, "EUC-KR");
        row("windows-1251", "windows-1251", hex("cf f0 e8 e2 e5 f2"), u"Привет"_s, "windows-1251");
        row("ISO-8859-2", "iso-8859-2", hex("5a 61 bf f3 b3 e6"), u"Zażółć"_s, "ISO-8859-2");
        row("KOI8-U", "koi8-u", hex("bd c1 ce cf cb"), u"Ґанок"_s, "KOI8-U");
        row("ISO-8859-16", "iso-8859-16", hex("aa fe a4"), u"Șț€"_s, "ISO-8859-16");
        row("latin1 is windows-1252", "latin1", hex("80 e9"), u"€é"_s, "windows-1252");
        row("ascii is windows-1252", "ascii", hex("93 41 94"), u"“A”"_s, "windows-1252");
        row("x-user-defined", "x-user-defined", hex("41 80 ff"), u"A\uF780\uF7FF"_s, "x-user-defined");
        row("replacement: one U+FFFD for the body", "iso-2022-kr", hex("41 42 43"), u"\uFFFD"_s, "replacement");
        row("unknown charset: UTF-8", "x-klingon", hex("c3 a9"), u"é"_s, "UTF-8");
        row("the lowest lead of two bytes", "", hex("c2 a9 c2 80"), u"©\u0080"_s, "UTF-8");
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
        ResponseDecoder decoder(contentType);
        decoder.feed(body);
        QCOMPARE(decoder.finish(), text);
        QCOMPARE(decoder.encodingName(), encoding);
        QCOMPARE(decoder.unknownCharset(), encoding == "UTF-8" ? charset : QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestResponseDecoder)
#include "tst_responsedecoder.moc"
