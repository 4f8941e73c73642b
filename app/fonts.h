#pragma once

#include <QFont>
#include <QStringList>

// The window's fonts, asked for by their names first and then by look-alikes a Linux desktop has.
namespace fonts {

QFont msSansSerif(qreal pointSize);
QFont tahoma(qreal pointSize);
QFont palatinoLinotype(qreal pointSize);

} // namespace fonts
