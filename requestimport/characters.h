#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

// Pieces that the readers of shell and PowerShell quoting share.
namespace requestimport {

// The value of a hexadecimal digit, or -1.
int hexValue(QChar c);

// The digits of base `base` at `at`, at most `most` of them; `at` moves past them. -1 when there is none.
long digits(QStringView text, qsizetype& at, int base, int most);

// A code point as one or two UTF-16 units; U+FFFD for one that is no character.
void appendCodePoint(QString& text, long codePoint);

// The character that a letter after an escape stands for, where both quotings agree: \a \b \e \f \n \r \t \v.
std::optional<QChar> controlEscape(QChar letter);

// Pairs of surrogates written one half at a time stay; a half with no other half becomes U+FFFD, as a
// UTF-8 encoder writes it.
void mendLoneSurrogates(QString& text);

} // namespace requestimport
