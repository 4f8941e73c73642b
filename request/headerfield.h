#pragma once

#include <QAnyStringView>
#include <QByteArrayView>
#include <QStringView>

#include <functional>
#include <iterator>
#include <optional>

namespace request {

// A header line, "Name: value", split at its first colon: the name as written, and the value after the
// spaces and tabs that follow the colon, up to the end of the line. None without a colon or a name.
template <typename View> struct Field {
    View name;
    View value;
};
std::optional<Field<QStringView>> splitField(QStringView line);
std::optional<Field<QByteArrayView>> splitField(QByteArrayView line);

// Whether two header names name the same header: the case of ASCII letters does not count.
bool sameName(QAnyStringView a, QAnyStringView b);

// The index of the first of the headers, from `from` on, with this name; -1 when there is none. `nameOf`
// gives a header's name: a member pointer, or a function of the header.
template <typename Headers, typename NameOf>
qsizetype indexOfField(const Headers& headers, QAnyStringView name, NameOf nameOf, qsizetype from = 0)
{
    for (qsizetype i = from; i < qsizetype(std::size(headers)); ++i) {
        if (sameName(std::invoke(nameOf, headers[i]), name))
            return i;
    }
    return -1;
}

} // namespace request
