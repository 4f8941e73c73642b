#include "responsedetails.h"

#include <QStringDecoder>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace responsedetails {

namespace {

    // Header bytes are ASCII as a rule; other bytes are read as UTF-8 where they are that, and one
    // character a byte where not, so that none is lost.
    QString headerText(const QByteArray& line)
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(line);
        return utf8.hasError() ? QString::fromLatin1(line) : text;
    }

    QString lines(const http::Response& response, QStringView separator)
    {
        QString text = headerText(response.statusLine);
        for (const QByteArray& header : response.headers)
            text += separator % headerText(header);
        return text;
    }

} // namespace

QString byteSize(qint64 bytes)
{
    if (bytes < 1000)
        return QString::number(bytes) % u" B";
    constexpr const char16_t* Units[] = { u" kB", u" MB", u" GB" };
    double value = double(bytes) / 1000;
    int unit = 0;
    while (value >= 999.95 && unit < 2) {
        value /= 1000;
        ++unit;
    }
    return QString::number(value, 'f', 1) % QStringView(Units[unit]);
}

QString dataSize(qint64 bytes)
{
    if (bytes == 0)
        return u"no data"_s;
    if (bytes == 1)
        return u"1 byte of data"_s;
    return (bytes < 1000 ? QString::number(bytes) % u" bytes" : byteSize(bytes)) % u" of data";
}

QString duration(std::chrono::nanoseconds elapsed)
{
    const double milliseconds = std::chrono::duration<double, std::milli>(elapsed).count();
    if (milliseconds < 999.5)
        return QString::number(qRound(milliseconds)) % u" ms";
    return QString::number(milliseconds / 1000, 'f', 2) % u" s";
}

QString summary(const http::Response& response)
{
    QString status = QString::number(response.status());
    if (const QByteArray reason = response.reason(); !reason.isEmpty())
        status += u' ' % headerText(reason);
    return status % u" · " % byteSize(response.body.size()) % u" · " % duration(response.elapsed);
}

QString headerBlock(const http::Response& response)
{
    return lines(response, u"\r\n");
}

QString timeLine(const http::Response& response)
{
    // Below a millisecond, a tenth of one still tells something.
    const auto phase = [](std::chrono::microseconds length) {
        return length.count() < 1000 ? QString::number(double(length.count()) / 1000, 'f', 1) % u" ms"
                                     : duration(length);
    };
    const http::Timing& t = response.timing;
    QString text = u"DNS " % phase(t.nameLookup) % u" · connect " % phase(t.connect);
    if (response.url.startsWith("https:"))
        text += u" · TLS " % phase(t.tls);
    text += u" · waiting " % phase(t.waiting) % u" · download " % phase(t.download);
    const QString address = QString::fromLatin1(response.remoteAddress);
    text += u'\n' % QString::fromLatin1(response.httpVersion) % u" · "
        % (address.contains(u':') ? u'[' % address % u']' : address) % u':' % QString::number(response.remotePort);
    if (response.redirects > 0)
        text += u'\n' % QString::number(response.redirects) % (response.redirects == 1 ? u" redirect" : u" redirects")
            % u" followed · " % duration(response.elapsed) % u" in all";
    return text;
}

QString tooltip(const http::Response& response)
{
    QString text = timeLine(response) % u"\n\n" % lines(response, u"\n");
    if (!response.unknownCharset.isEmpty())
        text += u"\n\nThe charset \"" % QString::fromLatin1(response.unknownCharset)
            % u"\" is not one this program knows: the text was read as UTF-8.";
    if (!response.contentCoding.isEmpty())
        text += u"\n\nThe body is shown as it came, still in the content coding"
            % QStringView(response.contentCoding.contains(',') ? u"s \"" : u" \"")
            % QString::fromLatin1(response.contentCoding) % u"\".";
    return text;
}

QString suggestedFileName(const http::Response& response)
{
    const QString name = QUrl::fromEncoded(response.url).fileName();
    return name.isEmpty() ? u"response"_s : name;
}

} // namespace responsedetails
