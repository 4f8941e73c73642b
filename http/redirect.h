#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace http {

// Whether a response with this status points elsewhere with its Location.
bool isRedirect(int status);

// What one hop sends: its method, URL (as requestUrl writes it), request headers and body.
struct Hop {
    QByteArray method;
    QByteArray url;
    QList<std::pair<QByteArray, QByteArray>> headers; // name and value, as they go out
    QByteArray body;
};

// The redirect rule, as browsers follow redirects: the hop that a response with this status makes of
// `hop` by pointing to `next`, after `followed` redirects before it. A POST redirected by 301 or 302, and
// anything but GET or HEAD redirected by 303, becomes a GET without a body or the headers that describe
// one; credentials go on only to the same origin. Empty, or why the redirect is not followed: to no http
// or https URL, from https down to http, or one too many.
QString follow(Hop& hop, int status, const QByteArray& next, int followed);

inline constexpr int MaxRedirects = 20;

} // namespace http
