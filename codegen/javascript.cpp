#include "literals.h"
#include "templates.h"

namespace codegen {

QString javascriptTemplate(const request::Request& request)
{
    LineBuilder code(appendJavascriptLiteral, expectedSize(request));
    code.line() << u"objAJAX = new XMLHttpRequest();";
    code.line();
    code.line() << u"objAJAX.open(" << Quoted { request.method } << u"," << Quoted { request.url } << u","
                << (request.async ? u"true" : u"false") << u");";
    headerBlock(code, request, [](LineBuilder& code, const request::Header& header, qsizetype) {
        code.line() << u"objAJAX.setRequestHeader(" << Quoted { header.name } << u", " << Quoted { header.value }
                    << u");";
    });
    code.line() << u"objAJAX.send (" << Quoted { request.body } << u");";
    code.line() << u"objAJAX.onreadystatechange = function() {";
    code.line() << u"if(objAJAX.readyState == 4) {";
    code.line() << u" result = objAJAX.responseText; ";
    code.line() << u"}";
    code.line() << u"}";
    return std::move(code).text(false);
}

} // namespace codegen
