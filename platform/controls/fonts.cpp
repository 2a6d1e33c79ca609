#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <cmath>

QFont designFont(const QString& family, double points, bool bold, bool underline)
{
    QFont font(family);
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setUnderline(underline);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont verdana(double points, bool bold, bool underline)
{
    return designFont(QStringLiteral("Verdana"), points, bold, underline);
}

void installFontSubstitutions()
{
    const struct {
        const char* family;
        QStringList substitutes;
    } substitutions[] = {
        {"Verdana", {"DejaVu Sans", "Bitstream Vera Sans"}},
        {"Microsoft Sans Serif", {"Liberation Sans", "Arial", "DejaVu Sans"}},
    };
    const QStringList installed = QFontDatabase::families();
    for (const auto& [family, substitutes] : substitutions)
        if (!installed.contains(family))
            QFont::insertSubstitutions(family, substitutes);
}
