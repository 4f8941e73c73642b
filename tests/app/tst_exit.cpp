#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// The exit button and closing the window end the program at once: also while a synchronous Send waits,
// with the event loop running, for a server that never answers or an asynchronous one's request runs,
// and with an error message still on screen.
class TestExit : public QObject {
    Q_OBJECT

private slots:
    void ends_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("window closed while an asynchronous Send runs") << u"close-in-send"_s;
        QTest::newRow("exit button while a synchronous Send waits") << u"exit-in-synchronous-send"_s;
        QTest::newRow("exit button with an error report open") << u"exit-report-open"_s;
    }

    void ends()
    {
        QFETCH(QString, how);

        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the program started inherits it
        program.start(QString::fromUtf8(EXITHELPER_PATH), { how }, QIODevice::ReadOnly | QIODevice::Text);
        QVERIFY2(program.waitForFinished(30000), "the program did not end");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.readAllStandardOutput(), "shown\nended\n"_ba);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExit)
#include "tst_exit.moc"
