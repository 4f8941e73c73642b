#pragma once

#include "codegen/generator.h"

// Requests the tests generate code from.
namespace samples {

// What the window describes right after start.
inline codegen::Request atStart()
{
    return { QStringLiteral("GET"), QStringLiteral("(insert url here)"), false, {}, QString() };
}

// The worked example: POST, asynchronous, two headers and data.
inline codegen::Request workedExample()
{
    return { QStringLiteral("POST"), QStringLiteral("/api/items"), true,
        { { QStringLiteral("Content-Type"), QStringLiteral("text/plain") },
            { QStringLiteral("Accept"), QStringLiteral("text/html") } },
        QStringLiteral("id=7&name=box") };
}

}
