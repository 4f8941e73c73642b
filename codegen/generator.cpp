#include "generator.h"

#include "templates.h"

namespace codegen {

qsizetype expectedSize(const request::Request& request)
{
    // The values with their quotes written twice, the template's own text, and a little room for what
    // else their literals and the lines that build long ones up may add.
    qsizetype size = 400 + literalRoom(request.method) + literalRoom(request.url) + literalRoom(request.body);
    for (const request::Header& header : request.headers)
        size += 40 + literalRoom(header.name) + literalRoom(header.value);
    return size + size / 16;
}

QString generate(Language language, const request::Request& request)
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

QString generateCode(const request::Request& request, QStringView languageName)
{
    const auto language = languageNamed(languageName);
    return language ? generate(*language, request) : QString();
}

} // namespace codegen
