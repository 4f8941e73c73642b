#pragma once

#include <QTest>

#include <tuple>

// A data table's columns in one line, and the current row's values in one:
//     columns<QString, int>("text", "count");
//     const auto [text, count] = fetch<QString, int>("text", "count");
// As with QFETCH, a name or a type that does not match its column stops the test.
template <typename... Types, typename... Names> void columns(Names... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names));
    (QTest::addColumn<Types>(names), ...);
}

template <typename... Types, typename... Names> std::tuple<Types...> fetch(Names... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names));
    return { *static_cast<Types*>(QTest::qData(names, qMetaTypeId<Types>()))... };
}
