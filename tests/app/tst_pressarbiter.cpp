#include "datatable.h"
#include "pressarbiter.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Presses of Send that start and end in any order, and what the window shows after the last event.
class TestPressArbiter : public QObject {
    Q_OBJECT

private slots:
    void screens_data()
    {
        // events: +N press N starts; N? a state 0 seen while it waits; N=x it ends with x; N! it fails
        // screen: panel 1 | result box | panel 2
        const auto row = columns<QString, QString>("events", "screen");
        row("one press", "+1 1=a", "Ready|a|a");
        row("one press fails", "+1 1!", "Ready||failed:e1");
        row("the newer answered first", "+1 +2 2=b 1=a", "Ready|b|b");
        row("the newer fails after the older's answer", "+1 +2 1=a 2!", "Ready|a|failed:e2");
        row("the newer fails before the older's answer", "+1 +2 2! 1=a", "Ready|a|a");
        row("the older fails, the newer answers", "+1 +2 1! 2=b", "Ready|b|b");
        row("both fail, the older first", "+1 +2 1! 2!", "Ready||failed:e2");
        row("both fail, the newer first", "+1 +2 2! 1!", "Ready||failed:e1");
        row("three: the middle answers, the oldest late, the newest fails", "+1 +2 +3 2=b 1=a 3!", "Ready|b|failed:e3");
        row("three: the oldest answers, the others fail", "+1 +2 +3 1=a 3! 2!", "Ready|a|failed:e2");
        row("state 0 while waiting", "+1 1?", "Unintialized||");
        row("state 0 of an older press", "+1 +2 1?", "Loading..||");
    }

    void screens()
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
};

QTEST_GUILESS_MAIN(TestPressArbiter)
#include "tst_pressarbiter.moc"
