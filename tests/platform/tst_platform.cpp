// Mouse input goes through the window, as a real mouse does, so a mouse grab is honoured.
#define QTEST_QPA_MOUSE_HANDLING

#include "clipboard.h"
#include "datatable.h"
#include "display.h"
#include "errorreport.h"
#include "eventcounter.h"
#include "failure.h"
#include "savefile.h"
#include "urlopener.h"
#include "windowmover.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

// The desktop adapters. The test runs in a process of its own, so it may lower its own file size limit
// and set the variables that name a display.
class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    // Where there is no window manager to hand the move to (here: the offscreen platform), the window
    // follows the mouse itself until every button is up.
    void windowFollowsTheMouseUntilRelease_data()
    {
        const auto row = columns<Qt::MouseButton, QPoint, QList<QPoint>>("button", "press", "path");
        row("left, right and down", Qt::LeftButton, QPoint(10, 10), { { 15, 12 }, { 40, 30 }, { 70, 90 } });
        row("right, back up and left", Qt::RightButton, QPoint(100, 50), { { 90, 40 }, { 20, 5 } });
    }

    void windowFollowsTheMouseUntilRelease()
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
        EventCounter moves(&window, QEvent::MouseMove), releases(&window, QEvent::MouseButtonRelease),
            own(&window, QEvent::User);
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
        QCOMPARE(QList({ moves.count, releases.count, own.count }), QList({ 0, 0, 1 }));
        QCOMPARE(dropped, start + (mouse - pressGlobal));

        // Once the button is up the window stays where it was dropped.
        QTest::mouseMove(&window, window.mapFromGlobal(mouse + QPoint(25, 25)));
        QCOMPARE(window.pos(), dropped);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);

        // And it can be dragged again.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::mousePress(&window, button, {}, press);
        mover.startMove(&window, QPointF(window.mapToGlobal(press)));
        QTest::mouseMove(&window, press + QPoint(5, 5));
        QCOMPARE(window.pos(), dropped + QPoint(5, 5));
    }

    // A window that was never shown has nowhere to move: said, not ignored.
    void unshownWindowIsRefused()
    {
        QWidget unshown;
        QVERIFY_THROWS_EXCEPTION(foundation::Failure, platform::SystemWindowMover().startMove(&unshown, {}));
    }

    // Copy puts the text on the system clipboard as it is, where other programs paste from.
    void clipboardHoldsTheTextAsItIs()
    {
        const QString code = u"strURL = \"http://h.example/é?q=\"\"🍕\"\"\"\r\n"_s;
        platform::SystemClipboard().setText(code);
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), code);
    }

    // A link goes to whatever the desktop opens web pages with: here, a handler of the test's own.
    void linkGoesToTheDesktop()
    {
        QDesktopServices::setUrlHandler(u"http"_s, this, "opened");
        platform::DesktopUrlOpener().open(QUrl(u"http://h.example/page"_s));
        QDesktopServices::unsetUrlHandler(u"http"_s);
        QCOMPARE(m_opened, QUrl(u"http://h.example/page"_s));
    }

    // A failure is told in a box that leaves the window free to use, and goes once it is closed.
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

    // A file is written whole or not at all.
    void writeFailsWholly()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"saved"_s);
        const auto contents = [&path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)"_ba;
        };
        const QByteArray old = "as it was\0\xff"_ba;
        QCOMPARE(platform::writeWholeFile(path, old), QString());
        QCOMPARE(contents(), old);

        // Cut short by the size limit: the old file stays as it was, and nothing is left beside it.
#ifndef Q_OS_UNIX
        QSKIP("a file size limit that cuts a write short is POSIX's");
#else
        rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small { 100, limit.rlim_max };
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const QString failure = platform::writeWholeFile(path, QByteArray(200, 'x'));
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY2(failure.startsWith(u"only 100 of its 200 bytes could be written"), qPrintable(failure));
        QCOMPARE(contents(), old);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"saved"_s });
#endif
    }

    // The window is shown where a display is named or a Qt platform chosen, and only there.
    void displayAvailable_data()
    {
        const auto row = columns<QByteArray, QByteArray, QByteArray, bool>("display", "wayland", "platform", "shown");
        row("nothing named", "", "", "", false);
        row("an X display", ":0", "", "", true);
        row("a Wayland display", "", "wayland-0", "", true);
        row("a platform chosen", "", "", "offscreen", true);
    }

    void displayAvailable()
    {
        const auto [display, wayland, platform, shown]
            = fetch<QByteArray, QByteArray, QByteArray, bool>("display", "wayland", "platform", "shown");
#ifdef Q_OS_WIN
        QSKIP("Windows always has its display");
#endif
        qputenv("DISPLAY", display);
        qputenv("WAYLAND_DISPLAY", wayland);
        qputenv("QT_QPA_PLATFORM", platform);
        QCOMPARE(platform::displayAvailable(), shown);
    }

public slots:
    void opened(const QUrl& url)
    {
        m_opened = url;
    }

private:
    QUrl m_opened;
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
