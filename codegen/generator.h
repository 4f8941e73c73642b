#pragma once

#include "languages.h"
#include "request.h"

#include <QString>

namespace codegen {

// Source text that makes the request in the language. Lines end with CR LF; the "ASP" text also ends
// with one, the others do not.
QString generate(Language language, const request::Request& request);

// The same by the language's name; any name other than the three gives the empty text.
QString generateCode(const request::Request& request, QStringView languageName);

} // namespace codegen
