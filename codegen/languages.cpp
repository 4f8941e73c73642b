#include "codegen/languages.h"

namespace codegen {

QStringList languageNames()
{
    return { VisualBasic6.toString(), Javascript.toString(), Asp.toString() };
}

} // namespace codegen
