#include "application.h"

#include "versionrecord.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

void setUpApplication(QApplication& application)
{
    application.setApplicationName(u"Reruzad"_s);
    application.setApplicationVersion(foundation::versionText());
    application.setDesktopFileName(u"reruzad"_s);
    QIcon icon;
    icon.addFile(u":/icons/reruzad-16.png"_s, QSize(16, 16));
    icon.addFile(u":/icons/reruzad-32.png"_s, QSize(32, 32));
    application.setWindowIcon(icon);
}
