// Mouse input goes through the window, as a real mouse does, so a mouse grab is honoured.
#define QTEST_QPA_MOUSE_HANDLING

#include "datatable.h"
#include "failure.h"
#include "windowmover.h"

#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// Where there is no window manager to hand the move to (here: the offscreen platform), the window
// follows the mouse itself until every button is up.
class TestWindowMover : public QObject {
    Q_OBJECT

private slots:
    void followsTheMouseUntilRelease_data()
    {
        const auto row = columns<Qt::MouseButton, QPoint, QList<QPoint>>("button", "press", "path");
        row("left, right and down", Qt::LeftButton, QPoint(10, 10), { { 15, 12 }, { 40, 30 }, { 70, 90 } });
        row("right, back up and left", Qt::RightButton, QPoint(100, 50), { { 90, 40 }, { 20, 5 } });
    }

    // A window that was never shown has nowhere to move: said, not ignored.
    void unshownWindowIsRefused()
    {
        QWidget unshown;
        QVERIFY_THROWS_EXCEPTION(foundation::Failure, platform::SystemWindowMover().startMove(&unshown, {}));
    }

    void followsTheMouseUntilRelease()
    {
        const auto [button, press, path] = fetch<Qt::MouseButton, QPoint, QList<QPoint>>("button", "press", "path");

        QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
        window.setFixedSize(200, 150);
        QWidget content(&window); // a window has children; the mover must not take one for its own
        window.move(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint start = window.pos(), pressGlobal = window.mapToGlobal(press);

        platform::SystemWindowMover mover;
        QTest::mousePress(&window, button, {}, press);
        mover.startMove(&window, QPointF(pressGlobal));
        // Which mouse events, and events of our own, reach the window: the mover takes every mouse event
        // until the drop, and no other event.
        struct Seen : QObject {
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (dynamic_cast<QMouseEvent*>(event) || event->type() == QEvent::User)
                    types.append(event->type());
                return false;
            }
            QList<QEvent::Type> types;
        } seen;
        window.installEventFilter(&seen);
        QEvent other(QEvent::User);
        QCoreApplication::sendEvent(&window, &other);

        // Each position is where the mouse is on the screen; the window keeps the offset of the press.
        QPoint mouse = pressGlobal;
        for (const QPoint& step : path) {
            mouse = pressGlobal + (step - press);
            QTest::mouseMove(&window, window.mapFromGlobal(mouse));
            QCOMPARE(window.pos(), start + (mouse - pressGlobal));
        }
        QTest::mouseRelease(&window, button, {}, window.mapFromGlobal(mouse));
        const QPoint dropped = window.pos();
        QCOMPARE(seen.types, QList<QEvent::Type> { QEvent::User });
        QCOMPARE(dropped, start + (mouse - pressGlobal));

        // Once the button is up the window stays where it was dropped.
        QTest::mouseMove(&window, window.mapFromGlobal(mouse + QPoint(25, 25)));
        QCOMPARE(window.pos(), dropped);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
    }
};

QTEST_MAIN(TestWindowMover)
#include "tst_windowmover.moc"
