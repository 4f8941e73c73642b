#include "platform/lifetime.h"

#include <QCoreApplication>

namespace platform {

void endProgram()
{
    QCoreApplication::exit(0);
}

} // namespace platform
