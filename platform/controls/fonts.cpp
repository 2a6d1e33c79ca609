#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <future>
#include <system_error>

namespace {

// Waited for before the font database is first asked, so that fontconfig
// reads its configuration once; a program that ends sooner waits for it in
// the future's destructor.
std::future<void> configurationRead;

} // namespace

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

void readFontConfigurationAhead()
{
    if (configurationRead.valid())
        return;
    try {
        configurationRead = std::async(std::launch::async, [] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to be had: the font database reads it when first asked.
    }
}

void installFontSubstitutions()
{
    if (configurationRead.valid())
        configurationRead.get();
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
