#include "clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

// Copy puts the text on the system clipboard as it is, where other programs paste from.
class TestClipboard : public QObject {
    Q_OBJECT
private slots:
    void holdsTheTextAsItIs()
    {
        const QString code = u"strURL = \"http://h.example/é?q=\"\"🍕\"\"\"\r\n"_s;
        platform::SystemClipboard().setText(code);
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), code);
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
