#pragma once

#include <QString>
#include <QStringView>

namespace codegen {

// Each writer appends what goes between the two double quotes of a string literal in its language
// family, so that the literal holds exactly `value` and the code around it still parses. Text without
// special characters is written as it is.

// Javascript: backslash escapes.
void appendJavascriptLiteral(QString& out, QStringView value);

// Visual Basic 6 and VBScript (ASP): a literal has no escapes, so quotes are doubled and every other
// special character is joined in from outside the quotes: "a" & vbCrLf & "b".
void appendBasicLiteral(QString& out, QStringView value);

} // namespace codegen
