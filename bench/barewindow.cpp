// The yardstick: an empty frameless Qt window of the program's size (with WITH_LABEL: and one label).
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(u"Reruzad"_s);
    window.setFixedSize(339, 494);
#ifdef WITH_LABEL
    QLabel label(u"Ready"_s, &window);
#endif
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return application.exec();
}
