#include "literals.h"

#include <utility>

namespace codegen {

namespace {

    bool isControl(char16_t c)
    {
        return c < 0x20 || (c >= 0x7f && c <= 0x9f);
    }

    // Half of a well-formed surrogate pair: a high one followed by a low one, and that low one.
    bool inPair(QStringView text, qsizetype i)
    {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c))
            return i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode());
        return QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
    }

    QString hex(unsigned value, int digits)
    {
        return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
    }

} // namespace

void appendJavascriptLiteral(QString& out, QStringView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        switch (c) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'"':
            out += u"\\\"";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            if (isControl(c))
                out += u"\\x" % hex(c, 2);
            else if (c == 0x2028 || c == 0x2029 || (QChar::isSurrogate(c) && !inPair(value, i)))
                out += u"\\u" % hex(c, 4); // line and paragraph separators end a line; a lone half is no text
            else
                out += QChar(c);
        }
    }
}

void appendBasicLiteral(QString& out, QStringView value)
{
    // Characters the literal cannot hold are joined in as constants: ... " & vbCr & vbLf & " ...
    bool joining = false;
    const auto join = [&](QStringView constant) {
        out += joining ? u" & " : u"\" & ";
        out += constant;
        joining = true;
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        const bool held = !isControl(c) && (!QChar::isSurrogate(c) || inPair(value, i));
        if (held || c == u'"') {
            if (std::exchange(joining, false))
                out += u" & \"";
            out += c == u'"' ? QStringView(u"\"\"") : value.sliced(i, 1);
        } else if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') {
            join(u"vbCrLf");
            ++i;
        } else if (c == u'\r') {
            join(u"vbCr");
        } else if (c == u'\n') {
            join(u"vbLf");
        } else if (c == u'\t') {
            join(u"vbTab");
        } else {
            // Chr() goes through the ANSI code page above 127; ChrW() takes the character itself.
            join(QString((c < 0x80 ? u"Chr(" : u"ChrW(") % QString::number(c) % u')'));
        }
    }
    if (joining)
        out += u" & \"";
}

} // namespace codegen
