#include "literals.h"
#include "templates.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace codegen {

namespace {

    // The Visual Basic 6 editor loads no line longer than this.
    constexpr qsizetype LongestLine = 1023;
    // How much of a value's literal one line that builds it up holds.
    constexpr qsizetype PieceSize = 900;

    // The length of the value written as a literal, quotes included; any length past the longest line
    // counts as too long.
    qsizetype literalSize(QStringView value)
    {
        if (value.size() > LongestLine)
            return value.size();
        QString literal;
        appendBasicLiteral(literal, value);
        return literal.size() + 2;
    }

    struct Operand {
        QStringView value;
        QString* variable; // set to `name` when the value is to be built up in a variable
        QString name;
    };

    // Moves the values of one call line into variables, longest first, until the line fits.
    void fit(qsizetype fixedSize, QList<Operand> operands)
    {
        // No character's literal is longer than " & ChrW(65535) & ", 19 characters.
        qsizetype longest = fixedSize;
        for (const Operand& operand : operands)
            longest += 19 * operand.value.size() + 2;
        if (longest <= LongestLine)
            return;
        QList<std::pair<qsizetype, const Operand*>> sizes;
        qsizetype size = fixedSize;
        for (const Operand& operand : operands) {
            sizes.append({ literalSize(operand.value), &operand });
            size += sizes.last().first;
        }
        std::stable_sort(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& [literal, operand] : sizes) {
            if (size <= LongestLine)
                break;
            *operand->variable = operand->name;
            size -= literal - operand->name.size();
        }
    }

    // A value as the call reads it: its literal, or the variable it has been built up in.
    struct BasicOperand {
        QStringView value;
        const QString& variable;
    };

    LineBuilder& operator<<(LineBuilder& code, const BasicOperand& operand)
    {
        if (operand.variable.isEmpty())
            return code << Quoted { operand.value };
        return code << operand.variable;
    }

    // The lines that build a value up in its variable, each short enough for the editor. The value's
    // literal is written once and cut into pieces: a cut inside a quoted run closes the quotes and the
    // next piece opens them again; a cut elsewhere falls on a " & " between two parts.
    void buildUp(LineBuilder& code, QStringView value, const QString& variable)
    {
        if (variable.isEmpty())
            return;
        code.line() << u"Dim " << variable << u" as String";
        QString literal;
        literal.reserve(literalRoom(value) + value.size() / 16 + 16);
        literal += u'"';
        appendBasicLiteral(literal, value);
        literal += u'"';
        bool reopen = false; // the piece goes on with a quoted run the last one cut
        for (qsizetype at = 0; at < literal.size();) {
            const qsizetype end = std::min(literal.size(), at + PieceSize - 2);
            bool quoted = reopen != (QStringView(literal).sliced(at, end - at).count(u'"') % 2 == 1);
            qsizetype cut = end;
            while (cut < literal.size() && cut > at + 1) {
                const bool pairCut = literal[cut - 1].isHighSurrogate() && literal[cut].isLowSurrogate();
                if ((quoted && !pairCut) || (!quoted && QStringView(literal).sliced(cut).startsWith(u" & ")))
                    break;
                --cut;
                quoted ^= literal[cut] == u'"';
            }
            code.line() << variable << u" = ";
            if (at > 0)
                code << variable << u" & ";
            code << (reopen ? u"\"" : u"") << QStringView(literal).sliced(at, cut - at);
            reopen = quoted && cut < literal.size();
            if (reopen)
                code << u"\"";
            at = reopen || cut == literal.size() ? cut : cut + 3;
        }
    }

} // namespace

QString visualBasic6Template(const request::Request& request)
{
    // Where a call line would be too long for the editor, its long values are built up in variables
    // over lines that fit; output whose lines all fit is the plain template.
    BasicVariables variables;
    variables.headerTitles.resize(request.headers.size());
    variables.headerValues.resize(request.headers.size());
    // "objAJAX.open " method "," URL "," False; "objAJAX.setRequestHeader " title "," value; "objAJAX.send " data.
    fit(13 + literalSize(request.method) + 1 + 1 + 5, { { request.url, &variables.url, u"strURL"_s } });
    for (qsizetype i = 0; i < request.headers.size(); ++i) {
        const QString number = QString::number(i + 1);
        fit(25 + 1,
            { { request.headers[i].name, &variables.headerTitles[i], u"strHeaderTitle" + number },
                { request.headers[i].value, &variables.headerValues[i], u"strHeaderValue" + number } });
    }
    fit(13, { { request.body, &variables.data, u"strData"_s } });

    LineBuilder code(appendBasicLiteral, expectedSize(request));
    code.line() << u"Dim objAJAX as object";
    code.line() << u"set objAJAX = CreateObject(" << Quoted { u"microsoft.xmlhttp" } << u")";
    code.line();
    basicRequestLines(code, request, variables);
    code.line();
    code.line() << u"do";
    code.line() << u"doevents";
    code.line() << u"if objAJAX.readyState = 4 then";
    code.line() << u" strResponse = objAJAX.responseText";
    code.line() << u"exit do ";
    code.line() << u"end if";
    code.line() << u"loop";
    return std::move(code).text(false);
}

void basicRequestLines(LineBuilder& code, const request::Request& request, const BasicVariables& variables)
{
    buildUp(code, request.url, variables.url);
    code.line() << u"objAJAX.open " << Quoted { request.method } << u"," << BasicOperand { request.url, variables.url }
                << u"," << (request.async ? u"True" : u"False");
    headerBlock(code, request, [&](LineBuilder& code, const request::Header& header, qsizetype i) {
        const QString title = variables.headerTitles.value(i), value = variables.headerValues.value(i);
        buildUp(code, header.name, title);
        buildUp(code, header.value, value);
        code.line() << u"objAJAX.setRequestHeader " << BasicOperand { header.name, title } << u","
                    << BasicOperand { header.value, value };
    });
    buildUp(code, request.body, variables.data);
    code.line() << u"objAJAX.send " << BasicOperand { request.body, variables.data };
}

} // namespace codegen
