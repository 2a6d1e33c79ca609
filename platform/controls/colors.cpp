#include "colors.h"

#include <QGuiApplication>
#include <QPalette>

std::uint32_t systemColor(SystemColor which)
{
    const QPalette palette = QGuiApplication::palette();
    QColor color;
    switch (which) {
    case SystemColor::ButtonFace: color = palette.color(QPalette::Button); break;
    case SystemColor::ButtonText: color = palette.color(QPalette::ButtonText); break;
    case SystemColor::WindowBackground: color = palette.color(QPalette::Base); break;
    case SystemColor::WindowText: color = palette.color(QPalette::Text); break;
    }
    return bgrFromRgb(color.red(), color.green(), color.blue());
}
