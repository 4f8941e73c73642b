#pragma once

#include <QByteArray>
#include <QString>

namespace http {

// The URL as it goes out, from the URL as the user typed it: an absolute http or https URL with a host.
// Nothing valid is changed: percent escapes are never decoded or encoded again, and a stray "%" stays
// as it is. Only what cannot stand in a request line is percent-encoded as UTF-8 (spaces, controls,
// anything beyond ASCII); a host beyond ASCII goes out in its ASCII (IDNA) form; the fragment, which
// is never sent, is left out. Empty when the text is not such a URL.
QByteArray requestUrl(const QString& url);

// The bytes with spaces, control characters and bytes beyond ASCII percent-encoded, the rest as they are.
QByteArray percentEncodedWhereNeeded(QByteArrayView bytes);

} // namespace http
