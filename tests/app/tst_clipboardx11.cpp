// Runs on a real X server (the test starts it with xvfb-run): what Copy puts on the clipboard must be
// what another program pastes.
#define QTEST_QPA_MOUSE_HANDLING

#include "datatable.h"
#include "frmmain.h"
#include "generator.h"
#include "samplerequests.h"
#include "services.h"
#include "tabcontrol.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

class TestClipboardX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        m_xclip = QStandardPaths::findExecutable(u"xclip"_s);
        QVERIFY2(
            !m_xclip.isEmpty(), "xclip is needed to read the clipboard from another program (apt-get install xclip)");
    }

    void anotherProgramPastesTheCode_data()
    {
        columns<QString, QString>("language", "url");
        QTest::newRow("Visual Basic 6") << u"Visual Basic 6"_s << u"http://h.example/é?q=\"🍕\""_s;
        QTest::newRow("nothing picked: an empty box") << QString() << QString();
    }

    void anotherProgramPastesTheCode()
    {
        const auto [language, url] = fetch<QString, QString>("language", "url");

        platform::Services services = platform::systemServices();
        frmMain window(services);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QLineEdit*>(u"txtUrl"_s)->setText(url);
        window.findChild<TabControl*>(u"SSTab1"_s)->setCurrentIndex(1);
        window.findChild<QComboBox*>(u"cboCode"_s)->setCurrentText(language); // none picked for no language
        QTest::mouseClick(window.findChild<QPushButton*>(u"Command5"_s), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QPushButton*>(u"Command4"_s), Qt::LeftButton);

        // xclip asks this program for the text, so the event loop must run while it does.
        QProcess xclip;
        xclip.start(m_xclip, { u"-o"_s, u"-selection"_s, u"clipboard"_s });
        QTRY_VERIFY_WITH_TIMEOUT(xclip.state() == QProcess::NotRunning, 20000);
        const QString expected
            = codegen::generateCode({ "GET", url.isEmpty() ? samples::atStart().url : url, false, {}, "" }, language);
        QCOMPARE(QString::fromUtf8(xclip.readAllStandardOutput()), expected);
    }

private:
    QString m_xclip;
};

QTEST_MAIN(TestClipboardX11)
#include "tst_clipboardx11.moc"
