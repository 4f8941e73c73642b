#include "app/versionline.h"

QString versionLine(const platform::VersionRecord& version)
{
    return u"Version: " % QString::number(version.major) % u'.' % QString::number(version.minor) % u'.'
        % QString::number(version.revision);
}
