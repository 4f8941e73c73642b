#include "datatable.h"
#include "display.h"

#include <QTest>

// The window is shown where a display is named or a Qt platform chosen, and only there.
class TestDisplay : public QObject {
    Q_OBJECT
private slots:
    void available_data()
    {
        const auto row = columns<QByteArray, QByteArray, QByteArray, bool>("display", "wayland", "platform", "shown");
        row("nothing named", "", "", "", false);
        row("an X display", ":0", "", "", true);
        row("a Wayland display", "", "wayland-0", "", true);
        row("a platform chosen", "", "", "offscreen", true);
    }

    void available()
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
};

QTEST_GUILESS_MAIN(TestDisplay)
#include "tst_display.moc"
