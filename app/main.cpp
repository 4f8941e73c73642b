#include "application.h"
#include "display.h"
#include "frmmain.h"
#include "services.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (!platform::displayAvailable()) {
        std::fputs("reruzad: there is no display to show the window on (DISPLAY is not set); "
                   "to run it without one, use: xvfb-run -a reruzad\n",
            stderr);
        return 1;
    }
    QApplication application(argc, argv);
    setUpApplication(application);
    platform::Services services = platform::systemServices();
    frmMain window(services);
    window.show();
    return application.exec();
}
