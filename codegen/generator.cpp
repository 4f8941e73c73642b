#include "generator.h"

#include "templates.h"

namespace codegen {

qsizetype expectedSize(const Request& request)
{
    // The values, a little room for what their literals may add, and the template's own text.
    qsizetype size = 400 + request.strMethod.size() + request.strURL.size() + request.strData.size();
    for (const Header& header : request.headers)
        size += 40 + header.strHeaderTitle.size() + header.strHeaderValue.size();
    return size + size / 16;
}

QString generate(Language language, const Request& request)
{
    switch (language) {
    case Language::VisualBasic6:
        return visualBasic6Template(request);
    case Language::Javascript:
        return javascriptTemplate(request);
    case Language::Asp:
        return aspTemplate(request);
    }
    return {};
}

QString generateCode(const Request& request, QStringView languageName)
{
    const auto language = languageNamed(languageName);
    return language ? generate(*language, request) : QString();
}

} // namespace codegen
