#include "clipboard.h"

#include "failure.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace platform {

void SystemClipboard::setText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw foundation::Failure(u"The clipboard is not available."_s);
    clipboard->setText(text, QClipboard::Clipboard);
}

} // namespace platform
