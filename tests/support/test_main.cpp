// Runs widget tests in-process on the offscreen platform, with the same
// style, palette and fonts as the program.
#include "accessibility_factory.h"
#include "fonts.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

// Qt and fontconfig keep their caches until the process ends; the leak
// checker would report them after every test program.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    installFontSubstitutions();
    installAccessibility();
    return RUN_ALL_TESTS();
}
