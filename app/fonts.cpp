#include "app/fonts.h"

#include <QFontDatabase>

namespace fonts {

namespace {
    // The first of the families that this desktop has, so that no time goes into looking for the
    // missing ones each time a font is used; the last family when none is there.
    QString installedFamily(const QStringList& families)
    {
        for (const QString& family : families) {
            if (QFontDatabase::hasFamily(family))
                return family;
        }
        return families.last();
    }

    QFont font(const QStringList& families, qreal pointSize, QFont::StyleHint hint)
    {
        QFont font(installedFamily(families));
        font.setStyleHint(hint);
        font.setPointSizeF(pointSize);
        font.setWeight(QFont::Normal);
        return font;
    }
}

QFont msSansSerif(qreal pointSize)
{
    static const QStringList families { QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
        QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") };
    return font(families, pointSize, QFont::SansSerif);
}

QFont tahoma(qreal pointSize)
{
    static const QStringList families { QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
        QStringLiteral("Liberation Sans") };
    return font(families, pointSize, QFont::SansSerif);
}

QFont palatinoLinotype(qreal pointSize)
{
    static const QStringList families { QStringLiteral("Palatino Linotype"), QStringLiteral("Palatino"),
        QStringLiteral("P052"), QStringLiteral("TeX Gyre Pagella"), QStringLiteral("DejaVu Serif") };
    return font(families, pointSize, QFont::Serif);
}

} // namespace fonts
