#include "errorreport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

// A failure is told in a box that leaves the window free to use, and goes once it is closed.
class TestErrorReport : public QObject {
    Q_OBJECT
private slots:
    void reportLeavesTheWindowFree()
    {
        platform::MessageBoxErrorReport().report(u"Something could not be done."_s);
        QMessageBox* box = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            box = box ? box : qobject_cast<QMessageBox*>(widget);
        QVERIFY(box && box->isVisible() && !box->isModal());
        QCOMPARE(box->text(), u"Something could not be done."_s);
        const QPointer<QMessageBox> shown(box);
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!shown);
    }
};

QTEST_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
