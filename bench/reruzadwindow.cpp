// The program's own start-up, as its main() does it, ended at the first paint.
#include "app/application.h"
#include "app/frmmain.h"
#include "firstpaint.h"
#include "platform/services.h"

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
