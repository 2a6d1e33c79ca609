#pragma once

#include "lightweight_control.h"

#include <cstdint>

// A straight line between two points in the form's units, BorderWidth
// logical pixels thick.
class Line : public LightweightControl {
public:
    explicit Line(ControlHost& form);

    float X1() const { return x1_; }
    float Y1() const { return y1_; }
    float X2() const { return x2_; }
    float Y2() const { return y2_; }
    void setX1(float x);
    void setY1(float y);
    void setX2(float x);
    void setY2(float y);
    std::uint32_t BorderColor() const { return borderColor_; }
    void setBorderColor(std::uint32_t bgr);
    std::int16_t BorderWidth() const { return borderWidth_; }
    void setBorderWidth(std::int16_t width);

    QRectF pixelBounds() const override;
    void paint(QPainter& painter) const override;
    QString accessibleText() const override;

private:
    float x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    std::uint32_t borderColor_ = 0;
    std::int16_t borderWidth_ = 1;
};
