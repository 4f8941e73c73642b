#include "redirect.h"

#include "headerfield.h"
#include "urlstart.h"

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace http {

namespace {

    // Scheme, host and port, without case: where credentials given for one address may go.
    QString originOf(const QByteArray& url)
    {
        const QString text = QString::fromLatin1(url);
        const std::optional<request::UrlStart> start = request::splitUrl(text);
        return start ? (start->scheme % u"://" % start->host % u':' % start->port).toLower() : QString();
    }

    // Request headers a body brings with it: gone when a redirect drops the body.
    constexpr const char* BodyHeaders[]
        = { "Content-Type", "Content-Encoding", "Content-Language", "Content-Location", "Content-Length" };
    // Request headers that carry credentials: never sent on to another address.
    constexpr const char* CredentialHeaders[] = { "Authorization", "Cookie" };

} // namespace

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString follow(Hop& hop, int status, const QByteArray& next, int followed)
{
    // Both are as requestUrl writes them: http or https, in small letters.
    if (next.isEmpty())
        return u"it was redirected to an address that is not an http or https URL."_s;
    if (hop.url.startsWith("https:") && next.startsWith("http:"))
        return u"it was redirected from https to http, which would give its data away."_s;
    if (followed >= MaxRedirects)
        return u"it was redirected more than %1 times."_s.arg(MaxRedirects);
    auto drop = [&hop](const auto& names) {
        hop.headers.removeIf([&names](const auto& header) {
            return std::any_of(std::begin(names), std::end(names),
                [&header](const char* name) { return request::sameName(header.first, name); });
        });
    };
    if (((status == 301 || status == 302) && hop.method == "POST")
        || (status == 303 && hop.method != "GET" && hop.method != "HEAD")) {
        hop.method = "GET";
        hop.body.clear();
        drop(BodyHeaders);
    }
    if (originOf(next) != originOf(hop.url))
        drop(CredentialHeaders);
    hop.url = next;
    return {};
}

} // namespace http
