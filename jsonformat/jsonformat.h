#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace jsonformat {

// Deeper nesting than this is not formatted: its indentation alone would run to gigabytes.
constexpr int MaxDepth = 1000;

// Whether the text is one JSON value (RFC 8259), surrounding white space allowed. One pass, no
// document built, nothing allocated beyond a small stack; nesting deeper than MaxDepth counts as no.
bool isJson(QStringView text);

// The value indented by two spaces a level, one member or element a line, "key": value, empty
// containers as {} and []. Every token is copied exactly as it stands: escapes such as \/ and
// \u0022, and numbers of any length, are never rewritten. Nothing when the text is not JSON.
std::optional<QString> format(QStringView text);

} // namespace jsonformat
