#pragma once

#include "codegen/linebuilder.h"
#include "codegen/request.h"

namespace codegen {

// One function per language: the request written out as that language's template.
QString visualBasic6Template(const Request& request);
QString javascriptTemplate(const Request& request);
QString aspTemplate(const Request& request);

// What the builder should reserve for a request: its values and the template's own text.
qsizetype expectedSize(const Request& request);

// The lines between the open line and the send line, the same in every template: one empty line;
// then, when there are headers, a line for each, in order, and one more empty line.
template <typename HeaderLine> void headerBlock(LineBuilder& code, const Request& request, HeaderLine headerLine)
{
    code.line();
    if (request.headers.isEmpty())
        return;
    for (const Header& header : request.headers)
        headerLine(code.line(), header);
    code.line();
}

// The lines of the Visual Basic 6 and ASP templates from the open line to the send line.
void basicRequestLines(LineBuilder& code, const Request& request);

} // namespace codegen
