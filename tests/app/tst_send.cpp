// Mouse and key input go through the window, as the user's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "testserver.h"
#include "textview/textview.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// An http URL on 127.0.0.1 where nothing listens.
QString refusedUrl()
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    return u"http://127.0.0.1:%1/refused"_s.arg(closed.serverPort());
}

}

// Send and the header list, driven through the window against a server on 127.0.0.1.
class TestSend : public WindowTest {
    Q_OBJECT

private slots:
    void sendsTheRequestAsDescribed()
    {
        TestServer server(
            [](const TestServer::Request& request, int) { return TestServer::answer(200, request.method); });
        setUrl(server.url().toString());
        send(); // right after start: GET
        QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        send();
        control<QLineEdit>("txtUrl")->setText(u"  " % server.url(u"/path?a=1"_s).toString() % u"  ");
        control<QLineEdit>("Text1")->setText(u"  \tdata with ends\t  "_s);
        for (const auto& [name, value] :
            { std::pair { "X-First", "  spaced  " }, { "X-Twice", "one" }, { "X-Last", "3" }, { "X-Twice", "two" } })
            addRow(QString::fromUtf8(name), QString::fromUtf8(value));
        send();
        QTest::mouseClick(control("Option1(1)"), Qt::LeftButton);
        send();

        const QList<TestServer::Request>& received = server.received();
        QCOMPARE(received.size(), 4);
        QCOMPARE(received[0].method + received[1].method + received[2].method + received[3].method, "GETPOSTPOSTGET");
        const TestServer::Request& sent = received[2];
        QCOMPARE(sent.target, QByteArray("/path?a=1"));
        QCOMPARE(sent.body, QByteArray("\tdata with ends\t")); // spaces trimmed, tabs kept
        QVERIFY2(
            sent.head.contains("X-First:   spaced  \r\nX-Twice: one, two\r\nX-Last: 3\r\n"), sent.head.constData());
        QCOMPARE(result(), u"GET"_s);
        QCOMPARE(status(), u"Ready"_s);
    }

    void failureLeavesTheWindowAlone_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("said"); // a part of what the error report must say
        QTest::newRow("refused") << refusedUrl() << QString() << u"refused"_s;
        QTest::newRow("empty URL") << QString() << QString() << u"Not an http or https URL"_s;
        QTest::newRow("bad header name") << refusedUrl() << u"Bad Name"_s << u"not a valid header name"_s;
    }

    void failureLeavesTheWindowAlone()
    {
        QFETCH(QString, url);
        QFETCH(QString, header);
        QFETCH(QString, said);
        control<TextView>("Text2")->setText(u"kept"_s);
        setUrl(url);
        if (!header.isEmpty())
            addRow(header, u"v"_s);
        control<QCheckBox>("Check1")->setChecked(true);
        send();
        QCOMPARE(result(), u"kept"_s);
        QCOMPARE(status(), u"Ready"_s); // as before the press
        const QStringList& messages = m_recorders->errorReport->messages;
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(said, Qt::CaseInsensitive) && messages[0].contains(url), qPrintable(messages[0]));
    }

    void latestPressWins_data()
    {
        QTest::addColumn<bool>("secondFails");
        QTest::newRow("the second is answered at once") << false;
        QTest::newRow("the second fails: the first takes over again") << true;
    }

    // The first press waits for a late answer; a second is pressed meanwhile.
    void latestPressWins()
    {
        QFETCH(bool, secondFails);
        TestServer server([](const TestServer::Request& request, int) {
            if (request.target == "/first")
                return TestServer::Script { { { 400, TestServer::response(200, "first") } }, false };
            return TestServer::answer(200, "second");
        });
        control<QCheckBox>("Check1")->setChecked(true);
        setUrl(server.url(u"/first"_s).toString());
        QString shownAfterSecond;
        QTimer::singleShot(100, m_window.get(), [&] {
            setUrl(secondFails ? refusedUrl() : server.url(u"/second"_s).toString());
            QTest::mouseClick(control("Command1"), Qt::LeftButton);
            shownAfterSecond = status() % u' ' % result();
        });
        send();
        QCOMPARE(m_recorders->errorReport->messages.size(), secondFails ? 1 : 0);
        QCOMPARE(shownAfterSecond, secondFails ? u"Loading.. "_s : u"Ready second"_s);
        QCOMPARE(result(), secondFails ? u"first"_s : u"second"_s); // a late first answer never overwrites
        QCOMPARE(status(), u"Ready"_s);
    }

    // "Synch" unchecked: the request object waits inside send, and input meanwhile is dropped, not replayed.
    void synchronousSendDropsInput()
    {
        TestServer server([](const TestServer::Request&, int) {
            return TestServer::Script { { { 400, TestServer::response(200, "once") } }, false };
        });
        auto* url = control<QLineEdit>("txtUrl");
        setUrl(server.url().toString());
        QTimer::singleShot(100, m_window.get(), [&] {
            for (int press = 0; press < 5; ++press)
                QTest::mouseClick(control("Command1"), Qt::LeftButton);
            QTest::keyClicks(url, u"typed"_s);
        });
        send();
        QCOMPARE(result(), u"once"_s);
        QCOMPARE(status(), u"Ready"_s);
        QTest::qWait(600);
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(url->text(), server.url().toString());
    }

    void headerRows()
    {
        // Enter in the value box adds the row as typed and starts the next; in the name box it adds nothing.
        auto* list = control<QTreeWidget>("lvHeaders");
        QTest::keyClicks(control("txtHeader"), u" Name "_s);
        QTest::keyClick(control("txtHeader"), Qt::Key_Return);
        QCOMPARE(list->topLevelItemCount(), 0);
        QTest::keyClicks(control("txtHeaderValue"), u" value "_s);
        QTest::keyClick(control("txtHeaderValue"), Qt::Key_Return);
        QCOMPARE(row(0), u" Name | value "_s);
        QVERIFY(control<QLineEdit>("txtHeader")->text().isEmpty()
            && control<QLineEdit>("txtHeaderValue")->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), control("txtHeader"));

        // Empty rows and repeats are rows too; clearing takes every one, and nothing of them is sent.
        QTest::mouseClick(control("Command2"), Qt::LeftButton);
        addRow(u"A"_s, u"1"_s);
        addRow(u"A"_s, u"1"_s);
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(row(1) + row(3), u"|A|1"_s);
        QTest::mouseClick(control("Command3"), Qt::LeftButton);
        QTest::mouseClick(control("Command3"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 0);
        TestServer server([](const TestServer::Request&, int) { return TestServer::answer(200, "ok"); });
        setUrl(server.url().toString());
        send();
        QVERIFY(server.received().value(0).header("A").isEmpty());
        QVERIFY(!server.received().value(0).head.contains("Name"));
    }

    void pasteImportsARequest()
    {
        TestServer server([](const TestServer::Request&, int) { return TestServer::answer(200, "sent"); });
        auto* url = control<QLineEdit>("txtUrl");
        addRow(u"Kept"_s, u"until the import"_s);
        control<QLineEdit>("Text1")->setText(u"old data"_s);
        const auto paste = [](QWidget* box, const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        };
        paste(url, u"curl "_s % server.url(u"/p?q=1"_s).toString() % u" -H 'A: 1' -H 'B;' --data-raw 'x=é'"_s);
        QCOMPARE(url->text(), server.url(u"/p?q=1"_s).toString());
        QCOMPARE(row(0) % u',' % row(1) % u',' % control<QLineEdit>("Text1")->text(), u"A|1,B|,x=é"_s);
        QCOMPARE(control<QTreeWidget>("lvHeaders")->topLevelItemCount(), 3); // and curl's own form type
        QVERIFY(control<QRadioButton>("Option1(0)")->isChecked());
        QCOMPARE(
            control<QLabel>("StatusPanel2")->toolTip(), u"Imported a curl command: POST, 3 headers, 4 bytes of data"_s);
        QTest::qWait(100);
        QVERIFY(server.received().isEmpty());

        // Ctrl+Z puts every field back, the method too.
        QTest::keyClick(url, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(url->text() % control<QLineEdit>("Text1")->text() % row(0), u"old dataKept|until the import"_s);
        QVERIFY(control<QRadioButton>("Option1(1)")->isChecked());
        // Once the URL is edited after an import, Ctrl+Z is the box's own again.
        paste(url, u"curl http://h.example/"_s);
        QTest::keyClick(url, Qt::Key_X);
        QTest::keyClick(url, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(url->text(), u"http://h.example/"_s);

        // A method the window cannot send is said, and GET stays.
        paste(url, u"curl -X PUT http://h.example/"_s);
        QVERIFY(control<QRadioButton>("Option1(1)")->isChecked());
        QVERIFY(control<QLabel>("StatusPanel2")->toolTip().contains(u"PUT cannot be set here, the method stays GET"));
        QTest::keyClick(url, Qt::Key_Z, Qt::ControlModifier);

        // Refused: nothing changes. Plain text pastes as text. Header lines into the name box are rows.
        QGuiApplication::clipboard()->setText(u"curl -F a=@f http://h.example/"_s); // from the context menu
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(5, 5), url->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(url, &menuEvent);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QApplication::activePopupWidget()->findChild<QAction*>(u"edit-paste"_s)->trigger();
        QApplication::activePopupWidget()->close();
        QCOMPARE(url->text(), u"http://h.example/"_s);
        QVERIFY(control<QLabel>("StatusPanel2")->toolTip().contains(u"-F"));
        url->clear();
        paste(url, u"http://h.example/ x"_s);
        QCOMPARE(url->text(), u"http://h.example/ x"_s);
        paste(control("txtHeader"), u"GET / HTTP/1.1\r\nX-One: 1\r\nX-Two:  two \r\n\r\nbody"_s);
        QCOMPARE(row(0) % u',' % row(1), u"X-One|1,X-Two|two "_s);
    }

private:
    QString status() const { return control<QLabel>("StatusPanel1")->text(); }
    QString result() const { return control<TextView>("Text2")->text(); }
    QString row(int index) const
    {
        const QTreeWidgetItem* item = control<QTreeWidget>("lvHeaders")->topLevelItem(index);
        return item->text(0) % u'|' % item->text(1);
    }
    void setUrl(const QString& url) { control<QLineEdit>("txtUrl")->setText(url); }
    void addRow(const QString& name, const QString& value)
    {
        QTest::keyClicks(control("txtHeader"), name);
        QTest::keyClicks(control("txtHeaderValue"), value);
        QTest::mouseClick(control("Command2"), Qt::LeftButton);
    }
    // The click's handler returns once its request has ended: the test goes on after it.
    void send() { QTest::mouseClick(control("Command1"), Qt::LeftButton); }
};

QTEST_MAIN(TestSend)
#include "tst_send.moc"
