#include "headerfield.h"

#include <QString>

namespace request {

namespace {

    template <typename View> std::optional<Field<View>> split(View line)
    {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return std::nullopt;
        qsizetype value = colon + 1;
        while (value < line.size() && (line[value] == ' ' || line[value] == '\t'))
            ++value;
        return Field<View> { line.first(colon), line.sliced(value) };
    }

    char16_t asciiLower(char16_t c)
    {
        return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
    }

} // namespace

std::optional<Field<QStringView>> splitField(QStringView line)
{
    return split(line);
}

std::optional<Field<QByteArrayView>> splitField(QByteArrayView line)
{
    return split(line);
}

bool sameName(QAnyStringView a, QAnyStringView b)
{
    // A name is a token, in ASCII: only its ASCII letters fold, as libcurl and servers fold them, so that
    // no other character stands in for one of them ("ſ" is no "s").
    const QString x = a.toString(), y = b.toString();
    if (x.size() != y.size())
        return false;
    for (qsizetype i = 0; i < x.size(); ++i) {
        if (asciiLower(x[i].unicode()) != asciiLower(y[i].unicode()))
            return false;
    }
    return true;
}

} // namespace request
