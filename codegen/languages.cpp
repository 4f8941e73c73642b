#include "languages.h"

namespace codegen {

QStringList languageNames()
{
    return { VisualBasic6.toString(), Javascript.toString(), Asp.toString() };
}

std::optional<Language> languageNamed(QStringView name)
{
    if (name == VisualBasic6)
        return Language::VisualBasic6;
    if (name == Javascript)
        return Language::Javascript;
    if (name == Asp)
        return Language::Asp;
    return std::nullopt;
}

} // namespace codegen
