#pragma once

#include "linebuilder.h"
#include "request.h"

namespace codegen {

// One function per language: the request written out as that language's template.
QString visualBasic6Template(const request::Request& request);
QString javascriptTemplate(const request::Request& request);
QString aspTemplate(const request::Request& request);

// What the builder should reserve for a request: its values and the template's own text.
qsizetype expectedSize(const request::Request& request);
// The room a value takes as a literal, its quotes around it: each double quote in it is written twice.
// Other characters a literal writes out longer are rare, and the reserves above leave room for them.
inline qsizetype literalRoom(QStringView value)
{
    return value.size() + value.count(u'"') + 2;
}

// The lines between the open line and the send line, the same in every template: one empty line;
// then, when there are headers, the lines of each (`headerLines` starts them), in order, and one more
// empty line.
template <typename HeaderLines>
void headerBlock(LineBuilder& code, const request::Request& request, HeaderLines headerLines)
{
    code.line();
    if (request.headers.isEmpty())
        return;
    for (qsizetype i = 0; i < request.headers.size(); ++i)
        headerLines(code, request.headers[i], i);
    code.line();
}

// Values that the Basic templates build up in a variable first, by the variable's name; an empty name
// for a value written as a literal in its call.
struct BasicVariables {
    QString url;
    QList<QString> headerTitles;
    QList<QString> headerValues;
    QString data;
};

// The lines of the Visual Basic 6 and ASP templates from the open line to the send line.
void basicRequestLines(LineBuilder& code, const request::Request& request, const BasicVariables& variables = {});

} // namespace codegen
