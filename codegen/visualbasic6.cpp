#include "codegen/literals.h"
#include "codegen/templates.h"

namespace codegen {

QString visualBasic6Template(const Request& request)
{
    LineBuilder code(writeBasicLiteral, expectedSize(request));
    code.line() << u"Dim objAJAX as object";
    code.line() << u"set objAJAX = CreateObject(" << Quoted { u"microsoft.xmlhttp" } << u")";
    code.line();
    basicRequestLines(code, request);
    code.line();
    code.line() << u"do";
    code.line() << u"doevents";
    code.line() << u"if objAJAX.readyState = 4 then";
    code.line() << u" strResponse = objAJAX.responseText";
    code.line() << u"exit do ";
    code.line() << u"end if";
    code.line() << u"loop";
    return std::move(code).text(false);
}

void basicRequestLines(LineBuilder& code, const Request& request)
{
    code.line() << u"objAJAX.open " << Quoted { request.strMethod } << u"," << Quoted { request.strURL } << u","
                << (request.blnSync ? u"True" : u"False");
    headerBlock(code, request, [](LineBuilder& line, const Header& header) {
        line << u"objAJAX.setRequestHeader " << Quoted { header.strHeaderTitle } << u","
             << Quoted { header.strHeaderValue };
    });
    code.line() << u"objAJAX.send " << Quoted { request.strData };
}

} // namespace codegen
