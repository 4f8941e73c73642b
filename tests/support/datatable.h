#pragma once

#include <QTest>

#include <tuple>

// A data table's columns in one line, and the current row's values in one:
//     const auto row = columns<QString, int>("text", "count");
//     row("a row", u"text"_s, 2);
//     const auto [text, count] = fetch<QString, int>("text", "count");
// columns gives what adds a row, its values taken as the columns' types. As with QFETCH, a name or a type
// that does not match its column stops the test.
template <typename... Types, typename... Names> auto columns(Names... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names));
    (QTest::addColumn<Types>(names), ...);
    return [](const char* name, const Types&... values) { (QTest::newRow(name) << ... << values); };
}

template <typename... Types, typename... Names> std::tuple<Types...> fetch(Names... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names));
    return { *static_cast<Types*>(QTest::qData(names, qMetaTypeId<Types>()))... };
}
