#pragma once

#include <QStringList>
#include <QStringView>

namespace codegen {

// The languages code can be generated in, by the names the user picks them by. The language list
// shows these and the generator compares against exactly these: change one, and both change.
inline constexpr QStringView VisualBasic6 = u"Visual Basic 6";
inline constexpr QStringView Javascript = u"Javascript";
inline constexpr QStringView Asp = u"ASP";

// In the order the language list offers them.
QStringList languageNames();

} // namespace codegen
