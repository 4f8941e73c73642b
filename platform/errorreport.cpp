#include "platform/errorreport.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

void MessageBoxErrorReport::report(const QString& message)
{
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Reruzad"), message, QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

} // namespace platform
