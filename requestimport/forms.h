#pragma once

#include "requestimport.h"

#include <optional>

// The readers of the forms that read() chooses between: curl (bash or cmd, split into words first),
// PowerShell and HAR here; fetch and raw HTTP in requestimport.cpp. What every reader's result goes
// through afterwards (checked) is there too.
namespace requestimport {

// Result::Imported from curl's arguments, the program's name first.
Result readCurl(const QStringList& words);

// Whether the text starts as a PowerShell capture does: with $session or an Invoke-WebRequest.
bool startsPowerShell(QStringView text);
Result readPowerShell(QStringView text);

// None when the text is not a HAR document, JSON with log.entries: then it is plain text.
std::optional<Result> readHar(QStringView text);

// HTTP/2's pseudo-headers (":authority", ":method", ":path", ":scheme") describe the request line; none
// is a header a request here sends.
inline bool isPseudoHeader(QStringView name)
{
    return name.startsWith(u':');
}

} // namespace requestimport
