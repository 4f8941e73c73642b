#include "platform/lifetime.h"

#include <QCoreApplication>

namespace platform {

namespace {
    bool s_ending = false;
}

void endProgram()
{
    s_ending = true;
    // Leaves every running event loop, nested ones included, and makes any new one return at once.
    QCoreApplication::exit(0);
}

bool programEnding()
{
    return s_ending;
}

} // namespace platform
