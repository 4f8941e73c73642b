#pragma once

#include "request.h"

// Requests the tests generate code from.
namespace samples {

using namespace Qt::StringLiterals;

// What the window describes right after start.
inline request::Request atStart()
{
    return { u"GET"_s, u"(insert url here)"_s, false, {}, QString() };
}

// The worked example: POST, asynchronous, two headers and data.
inline request::Request workedExample()
{
    return { u"POST"_s, u"/api/items"_s, true,
        { { u"Content-Type"_s, u"text/plain"_s }, { u"Accept"_s, u"text/html"_s } }, u"id=7&name=box"_s };
}

}
