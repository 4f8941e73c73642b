#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace jsonformat {

// Deeper nesting than this is not formatted: its indentation alone would run to gigabytes.
constexpr int MaxDepth = 1000;
// Nor is JSON whose indented text would be longer than this many characters (512 MB): a 10 MB body
// nested a few hundred levels deep could indent to gigabytes all the same.
constexpr qsizetype MaxLength = qsizetype(256) * 1024 * 1024;

// Whether the text is one JSON value (RFC 8259), surrounding white space allowed. One pass, no
// document built, nothing allocated beyond a small stack; nesting deeper than MaxDepth counts as no.
bool isJson(QStringView text);

// The value indented by two spaces a level, one member or element a line, "key": value, empty
// containers as {} and []. Every token is copied exactly as it stands: escapes such as \/ and
// \u0022, and numbers of any length, are never rewritten. Nothing when the text is not JSON, or when
// its indented text would be longer than MaxLength.
std::optional<QString> format(QStringView text);

} // namespace jsonformat
