#include "characters.h"

namespace requestimport {

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

long digits(QStringView text, qsizetype& at, int base, int most)
{
    long value = -1;
    for (int n = 0; n < most && at < text.size(); ++n, ++at) {
        const int digit = hexValue(text[at]);
        if (digit < 0 || digit >= base)
            break;
        value = (value < 0 ? 0 : value) * base + digit;
    }
    return value;
}

void appendCodePoint(QString& text, long codePoint)
{
    if (codePoint < 0 || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
        text += QChar::ReplacementCharacter;
    else
        text += QStringView(QChar::fromUcs4(char32_t(codePoint)));
}

std::optional<QChar> controlEscape(QChar letter)
{
    static constexpr QStringView Letters = u"abefnrtv";
    static constexpr char16_t Controls[] = { 7, 8, 27, 12, 10, 13, 9, 11 };
    const qsizetype at = Letters.indexOf(letter);
    return at < 0 ? std::nullopt : std::optional(QChar(Controls[at]));
}

void mendLoneSurrogates(QString& text)
{
    const QString& read = text; // looked at without a copy; written only where it needs mending
    // One pass without a branch, which the compiler makes wide, finds whether there is any surrogate at all.
    bool any = false;
    for (const QChar c : read)
        any |= (c.unicode() & 0xf800) == 0xd800;
    for (qsizetype i = 0; any && i < read.size(); ++i) {
        if (!read[i].isSurrogate())
            continue;
        if (read[i].isHighSurrogate() && i + 1 < read.size() && read[i + 1].isLowSurrogate())
            ++i;
        else
            text[i] = QChar::ReplacementCharacter;
    }
}

} // namespace requestimport
