#include "http/responsedecoder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

using http::ResponseDecoder;

namespace {

QByteArray hex(const char* bytes)
{
    return QByteArray::fromHex(bytes);
}

QString decodeInPieces(const QByteArray& contentType, const QByteArray& body, const QList<qsizetype>& cuts)
{
    ResponseDecoder decoder(contentType);
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        decoder.feed(QByteArrayView(body).sliced(from, cut - from));
        from = cut;
    }
    decoder.feed(QByteArrayView(body).sliced(from));
    return decoder.finish();
}

QString decodeByteByByte(const QByteArray& contentType, const QByteArray& body)
{
    QList<qsizetype> cuts;
    for (qsizetype i = 1; i < body.size(); ++i)
        cuts.append(i);
    return decodeInPieces(contentType, body, cuts);
}

}

class TestResponseDecoder : public QObject {
    Q_OBJECT

private slots:
    // One U+FFFD for each maximal invalid subpart, whole or byte by byte.
    void invalidBytes_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        const QByteArray utf8, utf16le("text/plain; charset=utf-16le"), w1252("text/plain; charset=windows-1252");
        QTest::newRow("cut 3-byte sequence, then ASCII") << utf8 << hex("e2 82 41") << u"\uFFFDA"_qs;
        QTest::newRow("cut 4-byte sequence at the end") << utf8 << hex("61 f0 9f 98") << u"a\uFFFD"_qs;
        QTest::newRow("overlong lead E0 80") << utf8 << hex("e0 80 80") << u"\uFFFD\uFFFD\uFFFD"_qs;
        QTest::newRow("surrogate ED A0 80") << utf8 << hex("ed a0 80") << u"\uFFFD\uFFFD\uFFFD"_qs;
        QTest::newRow("above U+10FFFF") << utf8 << hex("f4 90 80 80") << u"\uFFFD\uFFFD\uFFFD\uFFFD"_qs;
        QTest::newRow("C0 80") << utf8 << hex("c0 80") << u"\uFFFD\uFFFD"_qs;
        QTest::newRow("lone continuation bytes") << utf8 << hex("80 bf 7a") << u"\uFFFD\uFFFDz"_qs;
        QTest::newRow("emoji") << utf8 << hex("f0 9f 98 80 21") << u"\U0001F600!"_qs;
        QTest::newRow("first and last beyond U+FFFF")
            << utf8 << hex("f0 90 80 80 f4 8f bf bf") << u"\U00010000\U0010FFFF"_qs;
        QTest::newRow("ASCII run, then é")
            << utf8 << QByteArray(40, 'a') + hex("c3 a9") << QString(QString(40, u'a') + u"é");
        QTest::newRow("UTF-16: lone trail surrogate") << utf16le << hex("00 dc 61 00") << u"\uFFFDa"_qs;
        QTest::newRow("UTF-16: lead then no trail") << utf16le << hex("3d d8 61 00") << u"\uFFFDa"_qs;
        QTest::newRow("UTF-16 is little-endian")
            << "text/plain; charset=utf-16"_ba << hex("3d d8 00 de") << u"\U0001F600"_qs;
        QTest::newRow("UTF-16: odd byte at the end") << utf16le << hex("61 00 62") << u"a\uFFFD"_qs;
        QTest::newRow("UTF-16: lead surrogate, odd byte at the end") << utf16le << hex("3d d8 62") << u"\uFFFD"_qs;
        QTest::newRow("UTF-16BE mark wins over the header") << utf8 << hex("fe ff 00 68") << u"h"_qs;
        QTest::newRow("windows-1252 C1 holes") << w1252 << hex("81 8d 80") << u"\u0081\u008d\u20ac"_qs;
    }

    void invalidBytes()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        QCOMPARE(decodeInPieces(contentType, body, {}), text);
        QCOMPARE(decodeByteByByte(contentType, body), text);
    }

    void anySplitDecodesAsTheWhole_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::newRow("UTF-8") << QByteArray("text/plain");
        QTest::newRow("UTF-16LE") << QByteArray("text/plain; charset=utf-16le");
        QTest::newRow("UTF-16BE") << QByteArray("text/plain; charset=utf-16be");
        QTest::newRow("windows-1252") << QByteArray("text/plain; charset=windows-1252");
    }

    // Random bodies, rich in the bytes that start, continue and break characters, cut at random places.
    void anySplitDecodesAsTheWhole()
    {
        QFETCH(QByteArray, contentType);
        static constexpr unsigned char Alphabet[] = { 'a', 0x00, 0x3d, 0x7f, 0x80, 0x82, 0x9f, 0xa0, 0xbf, 0xc0, 0xc2,
            0xc3, 0xd8, 0xdc, 0xdf, 0xe0, 0xe2, 0xed, 0xef, 0xf0, 0xf4, 0xf5, 0xfe, 0xff };
        QRandomGenerator random(20261207);
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 20000 && clock.elapsed() < 10000; ++round) {
            QByteArray body(random.bounded(1, 64), Qt::Uninitialized);
            const bool mostlyAscii = round % 2; // long ASCII runs take a faster path
            for (char& byte : body)
                byte = mostlyAscii && random.bounded(8) ? 'a' : char(Alphabet[random.bounded(int(sizeof Alphabet))]);
            QList<qsizetype> cuts;
            for (int cut = random.bounded(1, 6); cut > 0; --cut)
                cuts.append(random.bounded(body.size() + 1));
            std::sort(cuts.begin(), cuts.end());
            const QString whole = decodeInPieces(contentType, body, {});
            const QString pieces = decodeInPieces(contentType, body, cuts);
            if (pieces != whole)
                QFAIL(qPrintable(u"body "_qs % QString::fromLatin1(body.toHex(' ')) % u" cut at "_qs
                    % QString::number(cuts.size()) % u" places decodes differently"_qs));
        }
    }
};

QTEST_GUILESS_MAIN(TestResponseDecoder)
#include "tst_responsedecoder.moc"
