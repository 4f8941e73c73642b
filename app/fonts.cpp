#include "app/fonts.h"

namespace fonts {

namespace {
    QFont font(const QStringList& families, qreal pointSize, QFont::StyleHint hint)
    {
        QFont font;
        font.setFamilies(families);
        font.setStyleHint(hint);
        font.setPointSizeF(pointSize);
        font.setWeight(QFont::Normal);
        return font;
    }
}

QFont msSansSerif(qreal pointSize)
{
    return font({ QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") },
        pointSize, QFont::SansSerif);
}

QFont tahoma(qreal pointSize)
{
    return font({ QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans") },
        pointSize, QFont::SansSerif);
}

QFont palatinoLinotype(qreal pointSize)
{
    return font({ QStringLiteral("Palatino Linotype"), QStringLiteral("Palatino"), QStringLiteral("P052"),
                    QStringLiteral("TeX Gyre Pagella"), QStringLiteral("DejaVu Serif") },
        pointSize, QFont::Serif);
}

} // namespace fonts
