// The literal writers of the generator. A Basic literal and a Javascript literal, each read back by a
// reader written here from its language's rules, are exactly the value; no line of Visual Basic 6 code is
// longer than the 1023 characters its editor takes.
#include "literals.h"
#include "fuzzcheck.h"
#include "generator.h"

#include <QString>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

std::optional<QString> readBasic(QStringView code)
{
    QString value;
    qsizetype i = 0;
    const auto take = [&](QStringView word) { return code.sliced(i).startsWith(word) && (i += word.size(), true); };
    for (;;) {
        if (take(u"\"")) {
            for (;;) {
                if (i >= code.size() || code[i] == u'\r' || code[i] == u'\n')
                    return std::nullopt; // a literal ends on its line
                if (take(u"\"\""))
                    value += u'"';
                else if (take(u"\""))
                    break;
                else
                    value += code[i++];
            }
        } else if (take(u"vbCrLf")) {
            value += u"\r\n";
        } else if (take(u"vbCr")) {
            value += u'\r';
        } else if (take(u"vbLf")) {
            value += u'\n';
        } else if (take(u"vbTab")) {
            value += u'\t';
        } else if (const bool wide = take(u"ChrW("); wide || take(u"Chr(")) {
            const qsizetype close = code.indexOf(u')', i);
            bool number = false;
            const int c = close < 0 ? -1 : code.sliced(i, close - i).toInt(&number);
            if (!number || c < 0 || c > (wide ? 0xffff : 0x7f))
                return std::nullopt;
            value += QChar(char16_t(c));
            i = close + 1;
        } else {
            return std::nullopt;
        }
        if (i == code.size())
            return value;
        if (!take(u" & "))
            return std::nullopt;
    }
}

std::optional<QString> readJavascript(QStringView code)
{
    if (!code.startsWith(u'"') || !code.endsWith(u'"') || code.size() < 2)
        return std::nullopt;
    code = code.sliced(1, code.size() - 2);
    QString value;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"' || c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029))
            return std::nullopt; // each ends the literal, or the line
        if (c != u'\\') {
            value += c;
            continue;
        }
        if (++i >= code.size())
            return std::nullopt;
        const char16_t e = code[i].unicode();
        const int digits = e == u'x' ? 2 : e == u'u' ? 4 : 0;
        if (digits) {
            bool hex = false;
            const uint unit = code.sliced(i + 1).first(qMin<qsizetype>(digits, code.size() - i - 1)).toUInt(&hex, 16);
            if (!hex || i + digits >= code.size())
                return std::nullopt;
            value += QChar(char16_t(unit));
            i += digits;
        } else {
            const QStringView from = u"\\\"rnt", to = u"\\\"\r\n\t";
            const qsizetype at = from.indexOf(QChar(e));
            if (at < 0)
                return std::nullopt;
            value += to[at];
        }
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Any UTF-16, lone halves of surrogate pairs included.
    const QString value(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    QString basic, javascript;
    codegen::appendBasicLiteral(basic, value);
    codegen::appendJavascriptLiteral(javascript, value);
    FUZZ_CHECK(readBasic(QString(u'"' % basic % u'"')) == value);
    FUZZ_CHECK(readJavascript(QString(u'"' % javascript % u'"')) == value);

    const request::Request request { u"POST"_s, u"http://h.example/"_s + value, false, { { u"X-A"_s, value } }, value };
    const QString code = codegen::generateCode(request, u"Visual Basic 6");
    for (const QStringView line : QStringView(code).split(u"\r\n"))
        FUZZ_CHECK(line.size() <= 1023);
    return 0;
}
