#include "literals.h"
#include "templates.h"

namespace codegen {

QString javascriptTemplate(const Request& request)
{
    LineBuilder code(appendJavascriptLiteral, expectedSize(request));
    code.line() << u"objAJAX = new XMLHttpRequest();";
    code.line();
    code.line() << u"objAJAX.open(" << Quoted { request.strMethod } << u"," << Quoted { request.strURL } << u","
                << (request.blnSync ? u"true" : u"false") << u");";
    headerBlock(code, request, [](LineBuilder& code, const Header& header, qsizetype) {
        code.line() << u"objAJAX.setRequestHeader(" << Quoted { header.strHeaderTitle } << u", "
                    << Quoted { header.strHeaderValue } << u");";
    });
    code.line() << u"objAJAX.send (" << Quoted { request.strData } << u");";
    code.line() << u"objAJAX.onreadystatechange = function() {";
    code.line() << u"if(objAJAX.readyState == 4) {";
    code.line() << u" result = objAJAX.responseText; ";
    code.line() << u"}";
    code.line() << u"}";
    return std::move(code).text(false);
}

} // namespace codegen
