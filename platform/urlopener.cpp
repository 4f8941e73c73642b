#include "urlopener.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void DesktopUrlOpener::open(const QUrl& url)
{
    // No browser, no handler for the scheme: nothing happens and nothing is said.
    QDesktopServices::openUrl(url);
}

} // namespace platform
