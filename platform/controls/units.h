#pragma once

// Window layouts are designed in twips, 1/1440 inch; at 96 dpi a logical
// pixel is 15 twips.
inline constexpr double kTwipsPerPixel = 15.0;

// A window's coordinate system: how many twips one of its units spans across
// and down. The two factors differ in general, so every conversion names its
// direction.
struct FormScale {
    double twipsPerUnitX = 1.0;
    double twipsPerUnitY = 1.0;

    float unitsFromTwipsX(double twips) const { return float(twips / twipsPerUnitX); }
    float unitsFromTwipsY(double twips) const { return float(twips / twipsPerUnitY); }
    double pixelsFromUnitsX(double units) const { return units * twipsPerUnitX / kTwipsPerPixel; }
    double pixelsFromUnitsY(double units) const { return units * twipsPerUnitY / kTwipsPerPixel; }
};

// The scale of a window that works in twips.
inline constexpr FormScale kTwipScale{1.0, 1.0};
