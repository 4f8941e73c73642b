#include "app/fonts.h"

#include <QFontDatabase>

namespace fonts {

namespace {
    // The first of the families that this desktop has, so that no time goes into looking for the
    // missing ones each time a font is used; the last family when none is there. The installed
    // families are listed once: asking for a missing one by name has fontconfig work through all its
    // alias rules, which took a third of the start-up.
    QString installedFamily(const QStringList& families)
    {
        static const QStringList installed = [] {
            QStringList names;
            for (const QString& family : QFontDatabase::families())
                names.append(family.section(QStringLiteral(" ["), 0, 0)); // "P052 [urw]": less the foundry
            return names;
        }();
        for (const QString& family : families) {
            if (installed.contains(family, Qt::CaseInsensitive))
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
