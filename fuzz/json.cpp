// The JSON check and the formatter. isJson agrees with a strict reading of RFC 8259: each token as
// the RFC writes it, checked here, and the tokens' nesting, checked by Qt's own parser; for JSON,
// format gives the same tokens again; nesting beyond the limit is refused, never overflowing the stack.
#include "fuzzcheck.h"
#include "jsonformat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct Tokens {
    bool valid = true; // every token is one the RFC allows
    QString joined; // the tokens without the white space between them
    QString outline; // each string as "" and each number as 0, for Qt's parser, which reads both more loosely
    int depth = 0; // the deepest nesting, counted as the formatter counts it: each open container
};

Tokens tokens(const QString& text)
{
    // A token between white space: 2, a sign or a literal; 3, a string; else a number.
    static const QRegularExpression token(
        uR"([ \t\n\r]*(([{}[\]:,]|true|false|null)|)"
        uR"(("(?:[^"\\\x00-\x1f]|\\["\\/bfnrt]|\\u[0-9A-Fa-f]{4})*")|)"
        uR"(-?(?:0|[1-9][0-9]*)(?:\.[0-9]+)?(?:[eE][+-]?[0-9]+)?(?![0-9.eE+-]))[ \t\n\r]*)"_s);
    Tokens read;
    int open = 0;
    for (qsizetype at = 0; at < text.size() && read.valid;) {
        const QRegularExpressionMatch match
            = token.match(text, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        read.valid = match.hasMatch();
        const QString word = match.captured(1);
        read.joined += word;
        read.outline += match.hasCaptured(2) ? word : match.hasCaptured(3) ? u"\"\""_s : u"0"_s;
        open += word == u"{" || word == u"[" ? 1 : word == u"}" || word == u"]" ? -1 : 0;
        read.depth = std::max(read.depth, open);
        at = match.capturedEnd();
    }
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool json = jsonformat::isJson(text);
    // Inside an array of its own, any one value may stand alone.
    const Tokens read = tokens(text);
    QJsonParseError error;
    const QJsonDocument nesting = QJsonDocument::fromJson('[' + read.outline.toLatin1() + ']', &error);
    FUZZ_CHECK(json
        == (read.valid && error.error == QJsonParseError::NoError && nesting.array().size() == 1
            && read.depth <= jsonformat::MaxDepth));
    const std::optional<QString> formatted = jsonformat::format(text);
    FUZZ_CHECK(formatted.has_value() == json);
    if (formatted) {
        FUZZ_CHECK(jsonformat::isJson(*formatted));
        FUZZ_CHECK(tokens(*formatted).joined == read.joined);
    }
    return 0;
}
