#pragma once

#include <QStringList>
#include <QStringView>

#include <optional>

namespace codegen {

// The languages code can be generated in, by the names the user picks them by. The language list
// shows these and the generator compares against exactly these: change one, and both change.
inline constexpr QStringView VisualBasic6 = u"Visual Basic 6";
inline constexpr QStringView Javascript = u"Javascript";
inline constexpr QStringView Asp = u"ASP";

enum class Language { VisualBasic6, Javascript, Asp };

// In the order the language list offers them.
QStringList languageNames();

// The language with exactly that name: case, spaces and length all count.
std::optional<Language> languageNamed(QStringView name);

} // namespace codegen
