#pragma once

#include <QColor>
#include <cstdint>

// Colours as the windows store them: &HBBGGRR, blue in the high byte.
inline QColor colorFromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline std::uint32_t bgrFromRgb(int red, int green, int blue)
{
    return std::uint32_t(red) | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16);
}

// The colour of the web addresses on both windows, RGB 192, 0, 192.
inline constexpr std::uint32_t kLinkColor = 0xC000C0;

// The system colours, from the application's palette.
enum class SystemColor { ButtonFace, ButtonText, WindowBackground, WindowText };
std::uint32_t systemColor(SystemColor which);
