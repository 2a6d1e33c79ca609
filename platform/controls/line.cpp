#include "line.h"

#include "colors.h"

#include <QPainter>
#include <QPen>

Line::Line(QWidget& window, QPointF from, QPointF to, std::uint32_t bgr, int width)
    : QWidget(&window), from_(from), to_(to), color_(bgr), width_(width)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const double margin = width / 2.0 + 1.0;
    setGeometry(QRectF(from, to).normalized().adjusted(-margin, -margin, margin, margin).toAlignedRect());
}

// Drawn in the window's pixels, so that it falls on the same pixels
// whatever whole pixels the widget covers.
void Line::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.translate(-QPointF(pos()));
    QPen pen(colorFromBgr(color_));
    pen.setWidth(width_);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(from_, to_);
}
