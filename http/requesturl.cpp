#include "requesturl.h"

#include "urlstart.h"

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
                if (!((c >= u'0' && c <= u'9') || (c.toLower() >= u'a' && c.toLower() <= u'f') || c == u':'
                        || c == u'.'))
                    return {};
            }
            return host.toLatin1();
        }
        bool ascii = true;
        for (const QChar c : host) {
            if (c.unicode() <= 0x20 || c.unicode() == 0x7f || QStringView(u"/?#@[]\\%<>^|:").contains(c))
                return {};
            ascii = ascii && c.unicode() < 0x80;
        }
        return ascii ? host.toLatin1() : QUrl::toAce(host);
    }

} // namespace

QByteArray requestUrl(const QString& url)
{
    const std::optional<request::UrlStart> start = request::splitUrl(url);
    if (!start)
        return {};
    const QString scheme = start->scheme.toString().toLower();
    if ((scheme != u"http" && scheme != u"https") || start->host.isEmpty() || !isPort(start->port))
        return {};
    const QByteArray host = hostName(start->host.toString());
    if (host.isEmpty())
        return {};

    QStringView rest = start->rest;
    if (const qsizetype fragment = rest.indexOf(u'#'); fragment >= 0)
        rest.truncate(fragment);
    QByteArray out = scheme.toLatin1() + "://";
    if (start->userInfo)
        out += percentEncodedWhereNeeded(start->userInfo->toUtf8()) + '@';
    out += host;
    if (!start->port.isEmpty())
        out += ':' + start->port.toLatin1();
    return out + (rest.startsWith(u'/') ? "" : "/") + percentEncodedWhereNeeded(rest.toUtf8());
}

} // namespace http
