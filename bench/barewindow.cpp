// The yardstick: an empty frameless Qt window of the program's size.
#include "firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Reruzad"));
    window.setFixedSize(339, 494);
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return application.exec();
}
