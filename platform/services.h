#pragma once

#include "clipboard.h"
#include "errorreport.h"
#include "savefile.h"
#include "urlopener.h"
#include "windowmover.h"

#include <memory>

namespace platform {

// The desktop services the window calls. Tests put recorders in their place.
struct Services {
    std::unique_ptr<UrlOpener> urlOpener;
    std::unique_ptr<WindowMover> windowMover;
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<ErrorReport> errorReport;
    std::unique_ptr<SaveDialog> saveDialog;
};

// The real services of this desktop.
Services systemServices();

} // namespace platform
