#include "errorreport.h"

#include <QApplication>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace platform {

void MessageBoxErrorReport::report(const QString& message)
{
    auto* box
        = new QMessageBox(QMessageBox::Warning, u"Reruzad"_s, message, QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

} // namespace platform
