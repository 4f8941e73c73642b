#include "fonts.h"

#include <QFontDatabase>

using namespace Qt::StringLiterals;

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
                names.append(family.section(u" ["_s, 0, 0)); // "P052 [urw]": less the foundry
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
    static const QStringList families { u"MS Sans Serif"_s, u"Microsoft Sans Serif"_s, u"Liberation Sans"_s,
        u"DejaVu Sans"_s };
    return font(families, pointSize, QFont::SansSerif);
}

QFont tahoma(qreal pointSize)
{
    static const QStringList families { u"Tahoma"_s, u"DejaVu Sans"_s, u"Liberation Sans"_s };
    return font(families, pointSize, QFont::SansSerif);
}

QFont palatinoLinotype(qreal pointSize)
{
    static const QStringList families { u"Palatino Linotype"_s, u"Palatino"_s, u"P052"_s, u"TeX Gyre Pagella"_s,
        u"DejaVu Serif"_s };
    return font(families, pointSize, QFont::Serif);
}

} // namespace fonts
