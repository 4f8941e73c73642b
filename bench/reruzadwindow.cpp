// The program's own start-up, as its main() does it, ended at the first paint.
#include "application.h"
#include "firstpaint.h"
#include "frmmain.h"
#include "services.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    setUpApplication(application);
    platform::Services services = platform::systemServices();
    frmMain window(services);
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return application.exec();
}
