#include "app/application.h"

#include "platform/versionrecord.h"

#include <QApplication>
#include <QIcon>

void setUpApplication(QApplication& application)
{
    const platform::VersionRecord version = platform::versionRecord();
    application.setApplicationName(QStringLiteral("Reruzad"));
    application.setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision));
    application.setDesktopFileName(QStringLiteral("reruzad"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/reruzad-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/reruzad-32.png"), QSize(32, 32));
    application.setWindowIcon(icon);
}

bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
