#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace http {

// An absolute URL's scheme and authority, as written: "HTTPS://me@[::1]:8080/a?b" gives "HTTPS", "me",
// "[::1]", "8080" and "/a?b". A URL without "@" has no user part; port and user part may be empty.
struct UrlStart {
    QStringView scheme;
    std::optional<QStringView> userInfo;
    QStringView host;
    QStringView port;
    QStringView rest; // the path, the query and the fragment
};
// None when the text does not start with a scheme and "//".
std::optional<UrlStart> splitUrl(QStringView url);

// The URL as it goes out, from the URL as the user typed it: an absolute http or https URL with a host.
// Nothing valid is changed: percent escapes are never decoded or encoded again, and a stray "%" stays
// as it is. Only what cannot stand in a request line is percent-encoded as UTF-8 (spaces, controls,
// anything beyond ASCII); a host beyond ASCII goes out in its ASCII (IDNA) form; the fragment, which
// is never sent, is left out. Empty when the text is not such a URL.
QByteArray requestUrl(const QString& url);

// The bytes with spaces, control characters and bytes beyond ASCII percent-encoded, the rest as they are.
QByteArray percentEncodedWhereNeeded(QByteArrayView bytes);

} // namespace http
