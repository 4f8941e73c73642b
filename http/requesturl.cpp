#include "http/requesturl.h"

#include <QUrl>

namespace http {

QByteArray percentEncodedWhereNeeded(QByteArrayView bytes)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7f) {
            out += '%';
            out += Hex[b >> 4];
            out += Hex[b & 0xf];
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

    bool isPort(QStringView text)
    {
        if (text.size() > 5)
            return false;
        for (const QChar c : text) {
            if (c < u'0' || c > u'9')
                return false;
        }
        return text.isEmpty() || text.toInt() <= 65535;
    }

    // A host name as it goes out: ASCII as typed, anything else in its IDNA form; empty if it is none.
    QByteArray hostName(const QString& host)
    {
        if (host.startsWith(u'[')) { // an IPv6 address
            if (!host.endsWith(u']') || host.size() < 3)
                return {};
            for (const QChar c : QStringView(host).sliced(1, host.size() - 2)) {
                if (!(c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f') || c == u':' || c == u'.'))
                    return {};
            }
            return host.toLatin1();
        }
        bool ascii = true;
        for (const QChar c : host) {
            if (c.unicode() <= 0x20 || c.unicode() == 0x7f || QStringView(u"/?#@[]\\%<>^|").contains(c))
                return {};
            ascii = ascii && c.unicode() < 0x80;
        }
        return ascii ? host.toLatin1() : QUrl::toAce(host);
    }

} // namespace

QByteArray requestUrl(const QString& url)
{
    const qsizetype colon = url.indexOf(u':');
    if (colon <= 0)
        return {};
    const QString scheme = url.first(colon).toLower();
    if ((scheme != u"http" && scheme != u"https") || !QStringView(url).sliced(colon + 1).startsWith(u"//"))
        return {};

    const qsizetype authorityStart = colon + 3;
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < url.size() && !QStringView(u"/?#").contains(url[authorityEnd]))
        ++authorityEnd;
    const QString authority = url.sliced(authorityStart, authorityEnd - authorityStart);
    const qsizetype at = authority.lastIndexOf(u'@');
    const QString userInfo = at < 0 ? QString() : authority.first(at);
    QString hostAndPort = authority.sliced(at + 1);
    QString port;
    const qsizetype portColon = hostAndPort.lastIndexOf(u':');
    if (portColon >= 0 && portColon > hostAndPort.lastIndexOf(u']')) {
        port = hostAndPort.sliced(portColon + 1);
        hostAndPort.truncate(portColon);
    }
    if (hostAndPort.isEmpty() || !isPort(port))
        return {};
    const QByteArray host = hostName(hostAndPort);
    if (host.isEmpty())
        return {};

    const qsizetype fragment = url.indexOf(u'#', authorityEnd);
    QString rest = url.sliced(authorityEnd, (fragment < 0 ? url.size() : fragment) - authorityEnd);
    if (!rest.startsWith(u'/'))
        rest.prepend(u'/');

    QByteArray out = scheme.toLatin1() + "://";
    if (at >= 0)
        out += percentEncodedWhereNeeded(userInfo.toUtf8()) + '@';
    out += host;
    if (!port.isEmpty())
        out += ':' + port.toLatin1();
    return out + percentEncodedWhereNeeded(rest.toUtf8());
}

} // namespace http
