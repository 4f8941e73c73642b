#include <QProcess>
#include <QTest>

// The exit button and closing the window end the program at once: also from inside a handler that is
// waiting with the event loop running, while Send waits for a server that never answers, and with an
// error message still on screen.
class TestExit : public QObject {
    Q_OBJECT

private slots:
    void ends_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("exit button") << QStringLiteral("exit");
        QTest::newRow("window closed") << QStringLiteral("close");
        QTest::newRow("exit button inside a wait") << QStringLiteral("exit-in-wait");
        QTest::newRow("window closed inside a wait") << QStringLiteral("close-in-wait");
        QTest::newRow("exit button while Send waits") << QStringLiteral("exit-in-send");
        QTest::newRow("window closed while Send waits") << QStringLiteral("close-in-send");
        QTest::newRow("window closed while a synchronous Send waits") << QStringLiteral("close-in-synchronous-send");
        QTest::newRow("exit button while a synchronous Send waits") << QStringLiteral("exit-in-synchronous-send");
        QTest::newRow("exit button with an error report open") << QStringLiteral("exit-report-open");
        QTest::newRow("window closed with an error report open") << QStringLiteral("close-report-open");
    }

    void ends()
    {
        QFETCH(QString, how);

        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(EXITHELPER_PATH), { how });
        QVERIFY2(program.waitForFinished(30000), "the program did not end");
        const QByteArray said = program.readAllStandardOutput();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(said, QByteArray("shown\nended\n"));
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExit)
#include "tst_exit.moc"
