// Mouse and key input go through the window, as the user's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/frmmain.h"
#include "testserver.h"
#include "textview/textview.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

// Send and the header list, driven through the window against a server on 127.0.0.1.
class TestSend : public WindowTest {
    Q_OBJECT

private slots:
    void getRightAfterStartThenPost()
    {
        TestServer server(
            [](const TestServer::Request& request, int) { return TestServer::answer(200, request.method); });
        control<QLineEdit>("txtUrl")->setText(server.url().toString());
        send();
        QCOMPARE(result(), QStringLiteral("GET"));
        QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        send();
        send();
        QCOMPARE(result(), QStringLiteral("POST"));
        QTest::mouseClick(control("Option1(1)"), Qt::LeftButton);
        send();
        QCOMPARE(result(), QStringLiteral("GET"));
        QCOMPARE(server.received().size(), 4);
    }

    void sendsTheRequestAsDescribed()
    {
        TestServer server([](const TestServer::Request&, int) { return TestServer::answer(200, "done"); });
        control<QLineEdit>("txtUrl")->setText(u"  " % server.url(QStringLiteral("/path?a=1")).toString() % u"  ");
        control<QLineEdit>("Text1")->setText(QStringLiteral("  \tdata with ends\t  "));
        QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        addRow(QStringLiteral("X-First"), QStringLiteral("  spaced  "));
        addRow(QStringLiteral("X-Twice"), QStringLiteral("one"));
        addRow(QStringLiteral("X-Last"), QStringLiteral("3"));
        addRow(QStringLiteral("X-Twice"), QStringLiteral("two"));
        send();

        QCOMPARE(server.received().size(), 1);
        const TestServer::Request& sent = server.received()[0];
        QCOMPARE(sent.method, QByteArray("POST"));
        QCOMPARE(sent.target, QByteArray("/path?a=1"));
        QCOMPARE(sent.body, QByteArray("\tdata with ends\t")); // spaces trimmed, tabs kept
        QVERIFY2(sent.head.contains("X-First:   spaced  \r\n"), sent.head.constData());
        QCOMPARE(sent.header("X-Twice"), QByteArray("one, two"));
        const QList<QByteArray> names = sent.headerNames();
        QVERIFY(
            names.indexOf("X-First") < names.indexOf("X-Twice") && names.indexOf("X-Twice") < names.indexOf("X-Last"));
        QCOMPARE(result(), QStringLiteral("done"));
        QCOMPARE(status(), QStringLiteral("Ready"));
    }

    void statusFollowsTheRequest_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("body");

        QTest::newRow("200") << 200 << QByteArray("line one\r\nline two\n");
        QTest::newRow("empty body") << 200 << QByteArray();
        QTest::newRow("404 still shows its body") << 404 << QByteArray("no such page");
    }

    void statusFollowsTheRequest()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, body);

        QString statusWhileWaiting, resultWhileWaiting;
        TestServer server([&](const TestServer::Request&, int) {
            statusWhileWaiting = status();
            resultWhileWaiting = result();
            return TestServer::Script { { { 100, TestServer::response(code, body) } }, false };
        });
        control<TextView>("Text2")->setText(QStringLiteral("the previous response"));
        control<QLineEdit>("txtUrl")->setText(server.url().toString());
        control<QCheckBox>("Check1")->setChecked(true);
        send();
        QCOMPARE(statusWhileWaiting, QStringLiteral("Loading.."));
        QCOMPARE(resultWhileWaiting, QStringLiteral("the previous response"));
        QCOMPARE(result(), QString::fromUtf8(body)); // line breaks as received
        QCOMPARE(status(), QStringLiteral("Ready"));
        QVERIFY(m_recorders->errorReport->messages.isEmpty());
    }

    void failureLeavesTheWindowAlone_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("said"); // a part of what the error report must say

        QTest::newRow("refused") << u"http://127.0.0.1:%1/refused"_s << QString() << u"refused"_s;
        QTest::newRow("empty URL") << QString() << QString() << u"Not an http or https URL"_s;
        QTest::newRow("bad header name") << u"http://127.0.0.1:%1/"_s << u"Bad Name"_s << u"not a valid header name"_s;
    }

    void failureLeavesTheWindowAlone()
    {
        QFETCH(QString, url);
        QFETCH(QString, header);
        QFETCH(QString, said);

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString address = url.contains(u"%1") ? url.arg(closed.serverPort()) : url;
        closed.close();
        control<TextView>("Text2")->setText(QStringLiteral("kept"));
        control<QLineEdit>("txtUrl")->setText(address);
        if (!header.isEmpty())
            addRow(header, QStringLiteral("v"));
        control<QCheckBox>("Check1")->setChecked(true);
        send();
        QCOMPARE(result(), QStringLiteral("kept"));
        QCOMPARE(status(), QStringLiteral("Ready")); // as before the press
        QCOMPARE(m_recorders->errorReport->messages.size(), 1);
        const QString message = m_recorders->errorReport->messages[0];
        QVERIFY2(message.contains(said, Qt::CaseInsensitive), qPrintable(message));
        QVERIFY2(address.isEmpty() || message.contains(address), qPrintable(message));
    }

    void latestPressWins()
    {
        // The first press waits for a late answer; the second is pressed meanwhile and answered at once.
        TestServer server([](const TestServer::Request& request, int) {
            if (request.target == "/first")
                return TestServer::Script { { { 400, TestServer::response(200, "first") } }, false };
            return TestServer::answer(200, "second");
        });
        control<QCheckBox>("Check1")->setChecked(true);
        control<QLineEdit>("txtUrl")->setText(server.url(QStringLiteral("/first")).toString());
        QString shownAfterSecond;
        QTimer::singleShot(100, m_window.get(), [&] {
            control<QLineEdit>("txtUrl")->setText(server.url(QStringLiteral("/second")).toString());
            QTest::mouseClick(control("Command1"), Qt::LeftButton);
            shownAfterSecond = result();
        });
        send();
        QCOMPARE(server.received().size(), 2);
        QCOMPARE(shownAfterSecond, QStringLiteral("second"));
        QCOMPARE(result(), QStringLiteral("second")); // the first, answered later, does not overwrite it
        QCOMPARE(status(), QStringLiteral("Ready"));
    }

    void failedPressGivesWayToTheOneBefore()
    {
        // The first press waits for a late answer; the second fails meanwhile. The status goes back to the
        // first press's, and the first press's answer is shown when it comes.
        TestServer server([](const TestServer::Request&, int) {
            return TestServer::Script { { { 400, TestServer::response(200, "first") } }, false };
        });
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
        closed.close();
        control<QCheckBox>("Check1")->setChecked(true);
        control<QLineEdit>("txtUrl")->setText(server.url().toString());
        QString statusAfterFailure;
        QTimer::singleShot(100, m_window.get(), [&] {
            control<QLineEdit>("txtUrl")->setText(refused);
            QTest::mouseClick(control("Command1"), Qt::LeftButton);
            statusAfterFailure = status();
        });
        send();
        QCOMPARE(m_recorders->errorReport->messages.size(), 1);
        QCOMPARE(statusAfterFailure, QStringLiteral("Loading.."));
        QCOMPARE(result(), QStringLiteral("first"));
        QCOMPARE(status(), QStringLiteral("Ready"));
    }

    void synchronousSend()
    {
        // "Synch" unchecked: the request object waits inside send itself.
        TestServer server([](const TestServer::Request&, int) {
            return TestServer::Script { { { 100, TestServer::response(200, "waited for") } }, false };
        });
        control<QLineEdit>("txtUrl")->setText(server.url().toString());
        QVERIFY(!control<QCheckBox>("Check1")->isChecked());
        send();
        QCOMPARE(result(), QStringLiteral("waited for"));
        QCOMPARE(status(), QStringLiteral("Ready"));
    }

    void inputDuringASynchronousSendIsDropped()
    {
        TestServer server([](const TestServer::Request&, int) {
            return TestServer::Script { { { 400, TestServer::response(200, "once") } }, false };
        });
        auto* url = control<QLineEdit>("txtUrl");
        url->setText(server.url().toString());
        QTimer::singleShot(100, m_window.get(), [&] {
            for (int press = 0; press < 5; ++press)
                QTest::mouseClick(control("Command1"), Qt::LeftButton);
            QTest::keyClicks(url, QStringLiteral("typed"));
        });
        send();
        QTest::qWait(600); // nothing played back afterwards either
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(url->text(), server.url().toString());
        QCOMPARE(result(), QStringLiteral("once"));
    }

    void longTextsGoOutWhole()
    {
        // Pasted as a user would; neither box cuts anything off.
        TestServer server([](const TestServer::Request&, int) { return TestServer::answer(200, "ok"); });
        const QString path = u'/' % QString(70000 - server.url().toString().size(), u'p');
        const QString data = QString(100000, u'd');
        auto paste = [](QWidget* box, const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        };
        const QString url = server.url().toString().chopped(1) + path;
        paste(control("txtUrl"), url);
        paste(control("Text1"), data);
        QCOMPARE(control<QLineEdit>("txtUrl")->text().size(), 70000);
        QTest::mouseClick(control("Option1(0)"), Qt::LeftButton);
        send();
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(server.received()[0].target, path.toLatin1());
        QCOMPARE(server.received()[0].body, data.toLatin1());
    }

    void enterInTheValueBoxAddsARow()
    {
        QTest::keyClicks(control("txtHeader"), QStringLiteral(" Name "));
        QTest::keyClicks(control("txtHeaderValue"), QStringLiteral(" value "));
        QTest::keyClick(control("txtHeaderValue"), Qt::Key_Return);
        auto* list = control<QTreeWidget>("lvHeaders");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral(" Name "));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral(" value "));
        QVERIFY(control<QLineEdit>("txtHeader")->text().isEmpty());
        QVERIFY(control<QLineEdit>("txtHeaderValue")->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), control("txtHeader"));
    }

    void enterInTheNameBoxAddsNothing()
    {
        QTest::keyClicks(control("txtHeader"), QStringLiteral("Name"));
        QTest::keyClick(control("txtHeader"), Qt::Key_Return);
        QCOMPARE(control<QTreeWidget>("lvHeaders")->topLevelItemCount(), 0);
        QCOMPARE(control<QLineEdit>("txtHeader")->text(), QStringLiteral("Name"));
    }

    void emptyRowsAndClearing()
    {
        auto* list = control<QTreeWidget>("lvHeaders");
        QTest::mouseClick(control("Command3"), Qt::LeftButton); // clearing an empty list does nothing
        QCOMPARE(list->topLevelItemCount(), 0);
        QTest::mouseClick(control("Command2"), Qt::LeftButton);
        addRow(QStringLiteral("A"), QStringLiteral("1"));
        addRow(QStringLiteral("A"), QStringLiteral("1"));
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(0), QString());
        QCOMPARE(list->topLevelItem(0)->text(1), QString());
        QTest::mouseClick(control("Command3"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 0);

        // After clearing, a request goes out with no header of the user's.
        TestServer server([](const TestServer::Request&, int) { return TestServer::answer(200, "ok"); });
        control<QLineEdit>("txtUrl")->setText(server.url().toString());
        send();
        QCOMPARE(server.received().size(), 1);
        QVERIFY(server.received()[0].header("A").isEmpty());
    }

private:
    QString status() const { return control<QLabel>("StatusPanel1")->text(); }
    QString result() const { return control<TextView>("Text2")->text(); }
    void addRow(const QString& name, const QString& value)
    {
        QTest::keyClicks(control("txtHeader"), name);
        QTest::keyClicks(control("txtHeaderValue"), value);
        QTest::mouseClick(control("Command2"), Qt::LeftButton);
    }

    // Presses Send and waits until this press has ended.
    void send()
    {
        // The click's handler returns once its request has ended: the test goes on after it.
        QTest::mouseClick(control("Command1"), Qt::LeftButton);
    }
};

QTEST_MAIN(TestSend)
#include "tst_send.moc"
