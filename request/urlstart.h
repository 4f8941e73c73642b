#pragma once

#include <QStringView>

#include <optional>

namespace request {

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

} // namespace request
