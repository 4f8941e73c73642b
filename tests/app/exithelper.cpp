// Runs the window and ends it the way the first argument names, as a user would, and says what happened.
#include "errorreport.h"
#include "frmmain.h"
#include "linebox.h"
#include "recorders.h"
#include "testserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A program that has not ended after so long is reported as such.
void deadline(QObject* context, int ms, const char* said)
{
    QTimer::singleShot(ms, context, [said] {
        std::puts(said);
        std::exit(3);
    });
}

}

int main(int argc, char* argv[])
{
    std::setvbuf(stdout, nullptr, _IONBF, 0); // each line is read as soon as it is said
    QApplication application(argc, argv);
    const QString how = application.arguments().value(1);
    Recorders recorders;
    frmMain window(recorders.services);
    deadline(&application, 5000, "still running");

    // Ended by a real click or a close; either must take effect within a second.
    bool ended = false;
    auto endIt = [&] {
        ended = true;
        deadline(&application, 1000, "still running a second after");
        if (how.startsWith(u"exit"))
            QTest::mouseClick(window.findChild<QPushButton*>(u"Command6"_s), Qt::LeftButton);
        else
            window.close();
    };
    QTimer::singleShot(0, &window, [&] {
        std::puts("shown");
        if (how.endsWith(u"-report-open")) {
            platform::MessageBoxErrorReport().report(u"Something could not be done."_s);
            return endIt();
        }
        if (how.contains(u"-in-")) {
            // Send waits for a server that never answers; the program is ended meanwhile.
            static TestServer silent(TestServer::Script { {}, true });
            QObject::connect(&silent, &TestServer::requestRead, &window, endIt); // while Send waits
            window.findChild<LineBox*>(u"txtUrl"_s)->setText(silent.url().toString());
            window.findChild<QCheckBox*>(u"Check1"_s)->setChecked(how.endsWith(u"-in-send"));
            window.findChild<QPushButton*>(u"Command1"_s)->click();
            // A synchronous Send the program is ended in returns, and nothing after it goes on. An
            // asynchronous Send does not wait: its click returns at once.
            if (!ended && !how.endsWith(u"-in-send"))
                std::puts("resumed");
            return;
        }
        endIt();
    });
    window.show();
    const int code = application.exec();
    std::puts("ended");
    return code;
}
