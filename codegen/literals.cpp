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
    qsizetype plain = 0; // where the run of characters written as they are starts
    const auto escape = [&](qsizetype i, QStringView escaped) {
        out += value.sliced(plain, i - plain);
        out += escaped;
        plain = i + 1;
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c == u'\\')
            escape(i, u"\\\\");
        else if (c == u'"')
            escape(i, u"\\\"");
        else if (c == u'\r')
            escape(i, u"\\r");
        else if (c == u'\n')
            escape(i, u"\\n");
        else if (c == u'\t')
            escape(i, u"\\t");
        else if (isControl(c))
            escape(i, QString(u"\\x" % hex(c, 2)));
        else if (c == 0x2028 || c == 0x2029 || (QChar::isSurrogate(c) && !inPair(value, i)))
            escape(i, QString(u"\\u" % hex(c, 4))); // line and paragraph separators end a line; a lone half is no text
    }
    out += value.sliced(plain);
}

void appendBasicLiteral(QString& out, QStringView value)
{
    // Characters the literal cannot hold are joined in as constants: ... " & vbCr & vbLf & " ...
    bool joining = false; // outside the quotes, after a constant
    qsizetype plain = 0; // where the run of characters written as they are starts
    const auto quoted = [&](QStringView text) {
        if (std::exchange(joining, false))
            out += u" & \"";
        out += text;
    };
    // The run before the special character at i, which takes `length` code units.
    const auto runBefore = [&](qsizetype i, qsizetype length) {
        if (i > plain)
            quoted(value.sliced(plain, i - plain));
        plain = i + length;
    };
    const auto join = [&](QStringView constant) {
        out += joining ? u" & " : u"\" & ";
        out += constant;
        joining = true;
    };
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c != u'"' && !isControl(c) && (!QChar::isSurrogate(c) || inPair(value, i)))
            continue; // written as it is, with its run
        const bool crlf = c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n';
        runBefore(i, crlf ? 2 : 1);
        if (c == u'"') {
            quoted(u"\"\"");
        } else if (crlf) {
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
    if (plain < value.size())
        quoted(value.sliced(plain));
    if (joining)
        out += u" & \"";
}

} // namespace codegen
