#include "platform/clipboard.h"

#include "platform/failure.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

void SystemClipboard::setText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw Failure(QStringLiteral("The clipboard is not available."));
    clipboard->setText(text, QClipboard::Clipboard);
}

} // namespace platform
