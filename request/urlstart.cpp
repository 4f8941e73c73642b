#include "urlstart.h"

namespace request {

std::optional<UrlStart> splitUrl(QStringView url)
{
    const qsizetype colon = url.indexOf(u':');
    if (colon <= 0 || !url.sliced(colon + 1).startsWith(u"//"))
        return std::nullopt;
    UrlStart start;
    start.scheme = url.first(colon);
    const qsizetype authorityStart = colon + 3;
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < url.size() && !QStringView(u"/?#").contains(url[authorityEnd]))
        ++authorityEnd;
    QStringView hostAndPort = url.sliced(authorityStart, authorityEnd - authorityStart);
    if (const qsizetype at = hostAndPort.lastIndexOf(u'@'); at >= 0) {
        start.userInfo = hostAndPort.first(at);
        hostAndPort = hostAndPort.sliced(at + 1);
    }
    const qsizetype portColon = hostAndPort.lastIndexOf(u':');
    if (portColon >= 0 && portColon > hostAndPort.lastIndexOf(u']')) {
        start.port = hostAndPort.sliced(portColon + 1);
        hostAndPort.truncate(portColon);
    }
    start.host = hostAndPort;
    start.rest = url.sliced(authorityEnd);
    return start;
}

} // namespace request
