#include "form.h"

#include "colors.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

Form::Form(const FormScale& scale, int widthPixels, int heightPixels)
    : QWidget(nullptr,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                  Qt::MSWindowsFixedSizeDialogHint),
      scale_(scale)
{
    setFixedSize(widthPixels, heightPixels);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect Form::screenRect(const QRectF& pixels) const
{
    const QRect local = pixels.toAlignedRect();
    return QRect(mapToGlobal(local.topLeft()), local.size());
}

namespace {

int pixelsFromTwips(int twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

} // namespace

void Form::placeTwips(QWidget& child, int left, int top, int width, int height)
{
    child.setGeometry(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width),
                      pixelsFromTwips(height));
}

void Form::placeOnScreenTwips(int left, int top)
{
    // move() would place the frame and push the client area down by the
    // title bar's height; geometry is the client area's.
    setGeometry(QRect(QPoint(pixelsFromTwips(left), pixelsFromTwips(top)), size()));
}

void Form::setBackColor(std::uint32_t bgr)
{
    backColor_ = bgr;
    update();
}

void Form::setMousePointer(std::int16_t pointer)
{
    mousePointer_ = pointer;
    if (pointer == Hourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void Form::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), colorFromBgr(backColor_));
}
