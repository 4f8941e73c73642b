#include "headerfield.h"

namespace http {

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
    return QAnyStringView::compare(a, b, Qt::CaseInsensitive) == 0;
}

} // namespace http
