#include "services.h"

namespace platform {

Services systemServices()
{
    Services services;
    services.urlOpener = std::make_unique<DesktopUrlOpener>();
    services.windowMover = std::make_unique<SystemWindowMover>();
    services.clipboard = std::make_unique<SystemClipboard>();
    services.errorReport = std::make_unique<MessageBoxErrorReport>();
    services.saveDialog = std::make_unique<SystemSaveDialog>();
    return services;
}

} // namespace platform
