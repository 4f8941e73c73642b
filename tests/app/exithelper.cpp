// Runs the window and ends it the way the first argument names, as a user would, and says what happened.
#include "app/frmmain.h"
#include "platform/errorreport.h"
#include "platform/lifetime.h"
#include "recorders.h"
#include "testserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

void say(const char* line)
{
    std::puts(line);
    std::fflush(stdout);
}

}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QString how = application.arguments().value(1);
    Recorders recorders;
    frmMain window(recorders.services);
    auto* exitButton = window.findChild<QPushButton*>(QStringLiteral("Command6"));

    // A program that has not ended by now is reported as such.
    QTimer::singleShot(5000, &application, [] {
        say("still running");
        std::exit(3);
    });

    // Ended by a real click or a close; either must take effect within a second.
    auto endIt = [&] {
        QTimer::singleShot(1000, &application, [] {
            say("still running a second after");
            std::exit(3);
        });
        if (how.startsWith(QLatin1String("exit")))
            QTest::mouseClick(exitButton, Qt::LeftButton);
        else
            window.close();
    };

    QTimer::singleShot(0, &window, [&] {
        say("shown");
        if (how.endsWith(QLatin1String("-report-open"))) {
            platform::MessageBoxErrorReport().report(QStringLiteral("Something could not be done."));
            endIt();
        } else if (how.endsWith(QLatin1String("-in-send")) || how.endsWith(QLatin1String("-in-synchronous-send"))) {
            // Send waits for a server that never answers; the program is ended meanwhile.
            static TestServer silent([](const TestServer::Request&, int) { return TestServer::Script { {}, true }; });
            window.findChild<QLineEdit*>(QStringLiteral("txtUrl"))->setText(silent.url().toString());
            window.findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(how.endsWith(QLatin1String("-in-send")));
            QTimer::singleShot(200, &window, endIt);
            window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            if (platform::programEnding())
                return;
            say("resumed");
        } else if (how.endsWith(QLatin1String("-in-wait"))) {
            // A handler waiting with the event loop running, as a request that is being sent does.
            QEventLoop wait;
            QTimer::singleShot(10, &window, endIt);
            wait.exec();
            if (platform::programEnding())
                return;
            say("resumed");
        } else {
            endIt();
        }
    });

    window.show();
    const int code = application.exec();
    say("ended");
    return code;
}
