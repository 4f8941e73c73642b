#include "literals.h"
#include "templates.h"

namespace codegen {

QString aspTemplate(const request::Request& request)
{
    LineBuilder code(appendBasicLiteral, expectedSize(request));
    code.line() << u"Dim objAJAX";
    code.line() << u"set objAJAX = server.CreateObject(" << Quoted { u"microsoft.xmlhttp" } << u")";
    code.line();
    basicRequestLines(code, request);
    code.line() << u"if objAJAX.readyState = 4 then";
    code.line() << u" strResponse = objAJAX.responseText";
    code.line();
    code.line() << u"end if";
    code.line();
    return std::move(code).text(true);
}

} // namespace codegen
