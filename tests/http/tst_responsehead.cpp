#include "datatable.h"
#include "responsehead.h"

#include <QTest>

class TestResponseHead : public QObject {
    Q_OBJECT

private slots:
    void reading_data()
    {
        // head: its lines joined by LF, the status line first; lines: the header lines kept, joined by '|'
        const auto row = columns<QByteArray, int, QByteArray, QByteArray>("head", "status", "reason", "lines");
        row("status line", "HTTP/1.1 404 Not  Found ", 404, "Not  Found", "");
        row("HTTP/2, no reason", "HTTP/2 599", 599, "", "");
        row("blanks around the code", "HTTP/1.1 \t 200 \t OK", 200, "OK", "");
        row("four digits are no code", "HTTP/1.1 2000 OK", 0, "OK", "");
        row("a sign is no digit", "HTTP/1.1 +200 OK", 0, "OK", "");
        row("no code", "HTTP/1.1", 0, "", "");
        row("folded lines", "HTTP/1.1 200 OK\nA: 1 \n  2\n\t3", 200, "OK", "A: 1  2 3");
        row("a fold keeps what follows its blanks", "HTTP/1.1 200 OK\nA: 1\n \r 2", 200, "OK", "A: 1 \r 2");
        row("a blank first line stays a line", "HTTP/1.1 200 OK\n x: 1\ny: 2", 200, "OK", " x: 1|y: 2");
    }

    void reading()
    {
        const auto [head, status, reason, lines]
            = fetch<QByteArray, int, QByteArray, QByteArray>("head", "status", "reason", "lines");
        const QList<QByteArray> given = head.split('\n');
        http::ResponseHead read;
        read.start(given.front());
        for (const QByteArray& line : given.sliced(1))
            read.add(line);
        QCOMPARE(read.status(), status);
        QCOMPARE(read.reason(), reason);
        QCOMPARE(read.lines().join('|'), lines);
    }

    void lists()
    {
        http::ResponseHead head;
        head.start("HTTP/1.1 200 OK");
        head.add("Content-Encoding: Gzip, ,br ");
        head.add("content-encoding:deflate");
        head.add("Content-Encodings: x");
        QCOMPARE(head.list("CONTENT-ENCODING"), QList<QByteArray>({ "gzip", "br", "deflate" }));
        QCOMPARE(head.value("Content-Encoding"), "deflate");
    }
};

QTEST_GUILESS_MAIN(TestResponseHead)
#include "tst_responsehead.moc"
