// Mouse and key input go through the window, as the user's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "datatable.h"
#include "eventcounter.h"
#include "httprequest.h"
#include "linebox.h"
#include "pressarbiter.h"
#include "testserver.h"
#include "textview.h"
#include "waitprogress.h"
#include "windowtest.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// Send and the header list, driven through the window against a server on 127.0.0.1.
class TestSend : public WindowTest {
    Q_OBJECT

private slots:
    void sendsTheRequestAsDescribed()
    {
        TestServer server([](const TestServer::Request& request) { return TestServer::answer(200, request.method); });
        setUrl(server.url().toString());
        send(); // right after start: GET
        QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        send();
        control<LineBox>("txtUrl")->setText(u"  " % server.url(u"/path?a=1"_s).toString() % u"  ");
        control<LineBox>("Text1")->setText(u"  \tdata with ends\t  "_s);
        for (const auto& [name, value] :
            { std::pair { "X-First", "  spaced  " }, { "X-Twice", "one" }, { "X-Last", "3" }, { "X-Twice", "two" } })
            addRow(QString::fromUtf8(name), QString::fromUtf8(value));
        send();

        const QList<TestServer::Request>& received = server.received();
        QCOMPARE(received.size(), 3);
        QCOMPARE(received[0].method + received[1].method + received[2].method, "GETPOSTPOST");
        const TestServer::Request& sent = received[2];
        QCOMPARE(sent.target + '|' + sent.body, "/path?a=1|\tdata with ends\t"_ba); // spaces trimmed, tabs kept
        QVERIFY2(
            sent.head.contains("X-First:   spaced  \r\nX-Twice: one, two\r\nX-Last: 3\r\n"), sent.head.constData());
        QCOMPARE(status() % u'|' % result(), u"Ready|POST"_s);
    }

    void failureLeavesTheWindowAlone_data()
    {
        // said: a part of what the error report must say
        columns<QString, QString, bool>("url", "said", "synch");
        QTest::newRow("refused, waited for in send") << refusedUrl() << u"refused"_s << false;
        QTest::newRow("empty URL") << QString() << u"Not an http or https URL"_s << true;
    }

    void failureLeavesTheWindowAlone()
    {
        const auto [url, said, synch] = fetch<QString, QString, bool>("url", "said", "synch");
        control<TextView>("Text2")->setText(u"kept"_s);
        setUrl(url);
        control<QCheckBox>("Check1")->setChecked(synch);
        send();
        const QStringList& messages = m_recorders->errorReport->messages;
        QTRY_COMPARE(messages.size(), 1);
        QCOMPARE(status() % u'|' % result(), u"Ready|kept"_s); // as before the press
        QVERIFY2(messages[0].contains(said, Qt::CaseInsensitive) && messages[0].contains(url), qPrintable(messages[0]));
    }

    // "Synch" unchecked: the request object waits inside send, and input meanwhile is dropped, not replayed;
    // the window still paints.
    void synchronousSendDropsInput()
    {
        auto* url = control<LineBox>("txtUrl");
        EventCounter paints(control("StatusPanel1"), QEvent::Paint);
        bool painted = false;
        // Once the server has the request, the user clicks and types; then the answer is let go.
        TestServer server([&](const TestServer::Request&) {
            for (int press = 0; press < 5; ++press)
                QTest::mouseClick(control("Command1"), Qt::LeftButton);
            QTest::keyClicks(url, u"typed"_s);
            paints.count = 0;
            control("StatusPanel1")->repaint();
            painted = paints.count > 0;
            server.reply("/", TestServer::response(200, "once"));
            return TestServer::Script { {}, true };
        });
        setUrl(server.url().toString());
        send();
        QCOMPARE(status() % u'|' % result(), u"Ready|once"_s);
        QCOMPARE(url->text(), server.url().toString());
        QVERIFY(painted);
        // A press played back would go out before the next one, which must be the second request.
        send();
        QCOMPARE(server.received().size(), 2);
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
        QCOMPARE(control<LineBox>("txtHeader")->text() + control<LineBox>("txtHeaderValue")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), control("txtHeader"));

        // Clearing takes every row.
        QTest::mouseClick(control("Command3"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    // The second panel after a Send: status, size and time, and the headers as its tooltip.
    void responseDetails_data()
    {
        // summary: what the panel shows before the time
        const auto row = columns<QByteArray, QString, QString>("answer", "summary", "tooltip");
        row("404", "HTTP/1.1 404 Not Found\r\nContent-Length: 1000\r\n\r\n" + QByteArray(1000, 'x'),
            "404 Not Found · 1.0 kB", u"HTTP/1.1 404 Not Found\nContent-Length: 1000"_s);
        row("301 to 200: the last response", "HTTP/1.1 301 Moved\r\nLocation: /next\r\nContent-Length: 0\r\n\r\n",
            "200 Fine · 2 B", u"HTTP/1.1 200 Fine\nContent-Length: 2"_s);
        row("unknown charset", "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=x-klingon\r\n\r\nok",
            "200 OK · 2 B",
            u"HTTP/1.1 200 OK\nContent-Type: text/plain; charset=x-klingon\n\nThe charset \"x-klingon\" is not one this program knows: the text was read as UTF-8."_s);
        row("no answer", "", "failed", QString());
    }

    void responseDetails()
    {
        const auto [answer, summary, tooltip] = fetch<QByteArray, QString, QString>("answer", "summary", "tooltip");
        TestServer server([&](const TestServer::Request& request) {
            if (request.target == "/next")
                return TestServer::Script { { { 0, "HTTP/1.1 200 Fine\r\nContent-Length: 2\r\n\r\nok" } } };
            return TestServer::Script { { { 0, answer } } };
        });
        setUrl(server.url().toString());
        send();
        const auto* panel = control<QLabel>("StatusPanel2");
        const QString time = summary == u"failed" ? QString() : u" · \\d+ ms"_s;
        const QRegularExpression shown(u'^' % QRegularExpression::escape(summary) % time % u'$');
        QVERIFY2(shown.match(panel->text()).hasMatch(), qPrintable(panel->text()));
        // A failure's tooltip is its message; a response's has its time line first.
        QCOMPARE(tooltip.isEmpty() ? panel->toolTip() : panel->toolTip().section(u"\n\n"_s, 1),
            tooltip.isEmpty() ? m_recorders->errorReport->messages.value(0) : tooltip);
    }

    // While Send waits, the second panel tells how long it has waited, then how much has come: a piece at a
    // time, released by the test. Its name, which a screen reader speaks, waits for the end.
    void progress_data()
    {
        // hop: a redirect's answer before the final one; older: an older press is answered meanwhile
        // shown: the panel once each piece is in; the last piece ends the response; "end" is its summary
        const auto row = columns<QByteArray, bool, QByteArrayList, QStringList>("hop", "older", "pieces", "shown");
        const QByteArray mb(1'000'000, 'x'), known = "HTTP/1.1 200 OK\r\nContent-Length: 2000000\r\n\r\n";
        const QStringList halves { "1.0 MB of 2.0 MB · 50 %", "1.5 MB of 2.0 MB · 75 %", "end" };
        row("length known", {}, false, { known + mb, mb.first(500'000), mb.first(500'000) }, halves);
        row("an older press answered meanwhile", {}, true, { known + mb, mb.first(500'000), mb.first(500'000) },
            halves);
        row("length unknown", {}, false, { "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + mb, mb.first(200'000) },
            { "1.0 MB", "end" });
        row("a redirect's body is not counted", TestServer::response(302, mb.first(100), "Location: /final\r\n"), false,
            { known, mb }, { "0 B of 2.0 MB · 0 %", "failed" });
        row("failed after some bytes", {}, false, { known + mb, {} }, { "1.0 MB of 2.0 MB · 50 %", "failed" });
    }

    void progress()
    {
        const auto [hop, older, pieces, shown]
            = fetch<QByteArray, bool, QByteArrayList, QStringList>("hop", "older", "pieces", "shown");
        const QByteArray target = hop.isEmpty() ? "/" : "/final";
        TestServer server([&](const TestServer::Request& request) {
            return request.target == "/" && !hop.isEmpty() ? TestServer::Script { { { 0, hop } } }
                                                           : TestServer::Script { {}, true };
        });
        control<QCheckBox>("Check1")->setChecked(true);
        if (older) {
            setUrl(server.url(u"/older"_s).toString());
            send();
        }
        setUrl(server.url().toString());
        send();
        const auto* panel = control<QLabel>("StatusPanel2");
        QTRY_VERIFY2(panel->text().startsWith(u"waiting · "), qPrintable(panel->text())); // nothing came yet
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control("StatusPanel2"));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const bool last = i + 1 == pieces.size();
            server.reply(target, pieces[i], last);
            if (shown[i] == u"end")
                QTRY_VERIFY2(panel->text().startsWith(u"200 OK · "), qPrintable(panel->text()));
            else
                QTRY_COMPARE(panel->text(), shown[i]);
            if (older && i == 0) { // the older press ends, and the panel stays with the newer
                server.reply("/older", TestServer::response(200, "older"));
                QTRY_COMPARE(m_window->findChildren<http::HttpRequest*>().size(), 1);
                QCOMPARE(panel->text(), shown[i]);
            }
            QCOMPARE(status(), last ? u"Ready"_s : u"Loading.."_s);
            QCOMPARE(reader->text(QAccessible::Name) == panel->text(), last);
            QCOMPARE(reader->text(QAccessible::Description), panel->toolTip()); // the tooltip says it too
            QCOMPARE(panel->toolTip() == panel->text(), !last);
        }
        QVERIFY(!m_window->findChild<WaitProgress*>()->findChild<QTimer*>()->isActive()); // ticks no more
        QCOMPARE(WaitProgress::text(std::chrono::seconds(1), {}), u"waiting · 1 s"_s); // from the first second
    }

    // Copy the headers, show JSON indented and back, save the body's bytes.
    void resultMenu()
    {
        QByteArray everyByte(256, '\0');
        for (int i = 0; i < 256; ++i)
            everyByte[i] = char(i);
        const QByteArray json = "{\"a\":[1,\"\\u0022\"],\"c\":{}}";
        TestServer server([&](const TestServer::Request& request) {
            return TestServer::answer(200, request.target == "/json" ? json : everyByte);
        });
        QCOMPARE(menuItems(), u"edit-copy select-all"_s); // no response yet
        setUrl(server.url(u"/files/bytes.bin"_s).toString());
        send();
        QCOMPARE(menuItems(), u"edit-copy select-all response-headers save-response"_s); // not JSON
        QTemporaryDir folder;
        const QString path = folder.filePath(u"saved"_s);
        m_recorders->saveDialog->answer = path;
        contextMenu(control<TextView>("Text2")->viewport(), "save-response"); // a right click opens that menu
        QCOMPARE(m_recorders->saveDialog->suggested, QStringList { u"bytes.bin"_s });
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), everyByte);

        setUrl(server.url(u"/json"_s).toString());
        send();
        menuItems("response-headers");
        QCOMPARE(m_recorders->clipboard->texts.value(0),
            u"HTTP/1.1 200 Status\r\nConnection: close\r\nContent-Length: %1"_s.arg(json.size()));
        menuItems("format-json");
        QCOMPARE(result(), u"{\n  \"a\": [\n    1,\n    \"\\u0022\"\n  ],\n  \"c\": {}\n}"_s);
        menuItems("format-json");
        QCOMPARE(result(), QString::fromUtf8(json));
        menuItems("format-json");
        QVERIFY(result().startsWith(u"{\n  \"a\": ["));

        // A save that fails says so.
        const QString nowhere = folder.filePath(u"missing/saved"_s);
        m_recorders->saveDialog->answer = nowhere;
        menuItems("save-response");
        QCOMPARE(m_recorders->errorReport->messages.size(), 1);
        QVERIFY(m_recorders->errorReport->messages[0].startsWith(u"The response was not saved to " % nowhere));
    }

    void pasteImportsARequest()
    {
        TestServer server(TestServer::answer(200, "sent"));
        auto* url = control<LineBox>("txtUrl");
        addRow(u"Kept"_s, u"until the import"_s);
        control<LineBox>("Text1")->setText(u"old data"_s);
        const auto paste = [](QWidget* box, const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        };
        paste(url, u"curl "_s % server.url(u"/p?q=1"_s).toString() % u" \\\n  -H 'A: 1' -H 'B;' --data-raw 'x=é'"_s);
        QCOMPARE(url->text(), server.url(u"/p?q=1"_s).toString());
        QCOMPARE(row(0) % u',' % row(1) % u',' % control<LineBox>("Text1")->text(), u"A|1,B|,x=é"_s);
        QCOMPARE(control<QTreeWidget>("lvHeaders")->topLevelItemCount(), 3); // and curl's own form type
        QVERIFY(control<QRadioButton>("Option1(0)")->isChecked());
        const QString said = u"Imported a curl command: POST, 3 headers, 4 bytes of data"_s;
        QCOMPARE(control<QLabel>("StatusPanel2")->toolTip(), said);
        QCOMPARE(QAccessible::queryAccessibleInterface(control("StatusPanel2"))->text(QAccessible::Name), said);
        // Nothing was sent: the first request the server reads is the one Send makes now.
        send();
        QTRY_COMPARE(result(), u"sent"_s);
        QCOMPARE(server.received().size(), 1);

        // Undo in the URL box's menu puts every field back, the method too.
        contextMenu(url, "edit-undo");
        QCOMPARE(url->text() % control<LineBox>("Text1")->text() % row(0), u"old dataKept|until the import"_s);
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
        QGuiApplication::clipboard()->setText(u"curl -F a=@f http://h.example/"_s);
        contextMenu(url, "edit-paste");
        QCOMPARE(url->text(), u"http://h.example/"_s);
        QVERIFY(control<QLabel>("StatusPanel2")->toolTip().contains(u"-F"));
        url->clear();
        paste(url, u"http://h.example/ x"_s);
        QCOMPARE(url->text(), u"http://h.example/ x"_s);
        paste(control("txtHeader"), u"GET / HTTP/1.1 \r\nX-One: 1\r\nX-Two:  two \r\nX-3:\r\n\r\nbody"_s);
        QCOMPARE(row(0) % u',' % row(1) % u',' % row(2), u"X-One|1,X-Two|two ,X-3|"_s);
        paste(control("txtHeader"), u"A: 1\nnot a header"_s); // pasted as it is
        QVERIFY(control<LineBox>("txtHeader")->text().endsWith(u"not a header"));
        // Header rows pasted after an import are a change of the page: Ctrl+Z no longer undoes the import.
        paste(url, u"curl http://j.example/"_s);
        paste(control("txtHeader"), u"X-Four: 4"_s);
        QTest::keyClick(url, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(url->text(), u"http://j.example/"_s);

        // Once the method is chosen after an import, too, Ctrl+Z is the URL box's own.
        paste(url, u"curl -X POST http://i.example/"_s);
        QTest::mouseClick(control("Option1(1)"), Qt::LeftButton);
        QTest::keyClick(url, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(url->text(), u"http://i.example/"_s);
    }

    // Presses of Send that start and end in any order, and what the window shows after the last event.
    void pressesInAnyOrder_data()
    {
        // events: +N press N starts; N? a state 0 seen while it waits; N=x it ends with x; N! it fails
        // screen: panel 1 | result box | panel 2
        const auto row = columns<QString, QString>("events", "screen");
        row("one press", "+1 1=a", "Ready|a|a");
        row("one press fails", "+1 1!", "Ready||failed:e1");
        row("the newer answered first", "+1 +2 2=b 1=a", "Ready|b|b");
        row("the newer fails after the older's answer", "+1 +2 1=a 2!", "Ready|a|failed:e2");
        row("the newer fails before the older's answer", "+1 +2 2! 1=a", "Ready|a|a");
        row("three: the middle answers, the oldest late, the newest fails", "+1 +2 +3 2=b 1=a 3!", "Ready|b|failed:e3");
        row("state 0 while waiting", "+1 1?", "Unintialized||");
        row("state 0 of an older press", "+1 +2 1?", "Loading..||");
    }

    void pressesInAnyOrder()
    {
        const auto [events, expected] = fetch<QString, QString>("events", "screen");
        PressArbiter<QString> arbiter(u"Ready"_s);
        QString status = u"Ready"_s, text, detail;
        for (const QString& event : events.split(u' ')) {
            const bool start = event.startsWith(u'+');
            const quint64 press = event.mid(start ? 1 : 0, 1).toULongLong();
            const PressArbiter<QString>::Screen screen = start ? arbiter.started(press)
                : event.endsWith(u'?')                         ? arbiter.uninitialized(press)
                : event.endsWith(u'!')                         ? arbiter.failed(press, u'e' + QString::number(press))
                                                               : arbiter.succeeded(press, event.sliced(2));
            status = screen.status;
            if (screen.result)
                text = detail = *screen.result;
            if (screen.failure)
                detail = u"failed:"_s + *screen.failure;
        }
        QCOMPARE(status % u'|' % text % u'|' % detail, expected);
    }

private:
    // An http URL on 127.0.0.1 where nothing listens.
    static QString refusedUrl()
    {
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        return u"http://127.0.0.1:%1/refused"_s.arg(closed.serverPort());
    }
    QString status() const { return control<QLabel>("StatusPanel1")->text(); }
    QString result() const { return control<TextView>("Text2")->text(); }
    QString row(int index) const
    {
        const QTreeWidgetItem* item = control<QTreeWidget>("lvHeaders")->topLevelItem(index);
        return item->text(0) % u'|' % item->text(1);
    }
    void setUrl(const QString& url) { control<LineBox>("txtUrl")->setText(url); }
    void addRow(const QString& name, const QString& value)
    {
        QTest::keyClicks(control("txtHeader"), name);
        QTest::keyClicks(control("txtHeaderValue"), value);
        QTest::mouseClick(control("Command2"), Qt::LeftButton);
    }
    // The names of the result menu's actions; the one named is triggered.
    QString menuItems(const char* trigger = nullptr) const
    {
        const std::unique_ptr<QMenu> menu(m_window->createResultMenu());
        QStringList names;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                names.append(action->objectName());
            if (trigger && action->objectName() == QLatin1StringView(trigger))
                action->trigger();
        }
        return names.join(u' ');
    }
    // Opens the control's context menu, as a right click does, and triggers the action named.
    static void contextMenu(QWidget* widget, const char* action)
    {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(widget, &click);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QApplication::activePopupWidget()->findChild<QAction*>(QLatin1StringView(action))->trigger();
        QApplication::activePopupWidget()->close();
    }
    // With "Synch" unchecked, the click's handler returns once its request has ended; checked, at once.
    void send() { QTest::mouseClick(control("Command1"), Qt::LeftButton); }
};

QTEST_MAIN(TestSend)
#include "tst_send.moc"
