#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// The exit button and closing the window end the program at once: also from inside a handler that is
// waiting with the event loop running, while a synchronous Send waits for a server that never answers or
// an asynchronous one's request runs, and with an error message still on screen.
class TestExit : public QObject {
    Q_OBJECT

private slots:
    void ends_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("exit button") << u"exit"_s;
        QTest::newRow("window closed") << u"close"_s;
        QTest::newRow("exit button inside a wait") << u"exit-in-wait"_s;
        QTest::newRow("window closed inside a wait") << u"close-in-wait"_s;
        QTest::newRow("exit button while an asynchronous Send runs") << u"exit-in-send"_s;
        QTest::newRow("window closed while an asynchronous Send runs") << u"close-in-send"_s;
        QTest::newRow("window closed while a synchronous Send waits") << u"close-in-synchronous-send"_s;
        QTest::newRow("exit button while a synchronous Send waits") << u"exit-in-synchronous-send"_s;
        QTest::newRow("exit button with an error report open") << u"exit-report-open"_s;
        QTest::newRow("window closed with an error report open") << u"close-report-open"_s;
    }

    void ends()
    {
        QFETCH(QString, how);

        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        program.setProcessEnvironment(environment);
        program.start(QString::fromUtf8(EXITHELPER_PATH), { how });
        QVERIFY2(program.waitForFinished(30000), "the program did not end");
        const QByteArray said = program.readAllStandardOutput();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(said, QByteArray("shown\nended\n"));
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExit)
#include "tst_exit.moc"
