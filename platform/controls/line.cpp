#include "line.h"

#include "colors.h"

#include <QPainter>
#include <QPen>

Line::Line(ControlHost& form) : LightweightControl(form) {}

void Line::setX1(float x) { modify([&] { x1_ = x; }); }
void Line::setY1(float y) { modify([&] { y1_ = y; }); }
void Line::setX2(float x) { modify([&] { x2_ = x; }); }
void Line::setY2(float y) { modify([&] { y2_ = y; }); }
void Line::setBorderWidth(std::int16_t width) { modify([&] { borderWidth_ = width; }); }

void Line::setBorderColor(std::uint32_t bgr)
{
    borderColor_ = bgr;
    changed();
}

QRectF Line::pixelBounds() const
{
    const FormScale& scale = form().scale();
    const QPointF from(scale.pixelsFromUnitsX(x1_), scale.pixelsFromUnitsY(y1_));
    const QPointF to(scale.pixelsFromUnitsX(x2_), scale.pixelsFromUnitsY(y2_));
    const double margin = borderWidth_ / 2.0 + 1.0;
    return QRectF(from, to).normalized().adjusted(-margin, -margin, margin, margin);
}

void Line::paint(QPainter& painter) const
{
    const FormScale& scale = form().scale();
    QPen pen(colorFromBgr(borderColor_));
    pen.setWidth(borderWidth_);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(scale.pixelsFromUnitsX(x1_), scale.pixelsFromUnitsY(y1_)),
                     QPointF(scale.pixelsFromUnitsX(x2_), scale.pixelsFromUnitsY(y2_)));
}

QString Line::accessibleText() const
{
    return name();
}
