#pragma once

#include <QString>
#include <QUrl>

// The About tab's links, fixed when the program is built.
namespace aboutlinks {

// The maker's web address as the About tab shows it: a bare host name.
QString makerAddress();

QUrl makerHomePage();
QUrl packageHomePage();
QUrl webServicesPage();
QUrl websiteDesignPage();

} // namespace aboutlinks
