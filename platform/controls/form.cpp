#include "form.h"

#include "colors.h"
#include "focus_stop.h"
#include "label.h"
#include "lightweight_control.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

Form::Form(const FormScale& scale, int widthPixels, int heightPixels)
    : QWidget(nullptr,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                  Qt::MSWindowsFixedSizeDialogHint),
      scale_(scale)
{
    setFixedSize(widthPixels, heightPixels);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Form::~Form()
{
    // A stop that loses the focus repaints round what it marks, which must
    // still be there.
    qDeleteAll(findChildren<FocusStop*>(Qt::FindDirectChildrenOnly));
    emit destroying();
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
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void Form::repaintArea(const QRectF& pixels)
{
    update(pixels.toAlignedRect());
}

void Form::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRectF dirty = event->rect();
    painter.fillRect(dirty, colorFromBgr(backColor_));
    for (const auto& control : controls_)
        if (control->Visible() && control->pixelBounds().intersects(dirty))
            control->paint(painter);
}

Label* Form::clickableLabelAt(const QPointF& point) const
{
    if (childAt(point.toPoint()))
        return nullptr;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        auto* label = dynamic_cast<Label*>(it->get());
        if (label && label->Visible() && label->pixelBounds().contains(point))
            return label->onClick() || label->mouseIcon() ? label : nullptr;
    }
    return nullptr;
}

void Form::updateCursor(const QPointF& point)
{
    if (mousePointer_ == Hourglass) {
        setCursor(Qt::WaitCursor);
        return;
    }
    const Label* label = clickableLabelAt(point);
    if (label && label->mouseIcon())
        setCursor(*label->mouseIcon());
    else
        unsetCursor();
}

void Form::mouseMoveEvent(QMouseEvent* event)
{
    updateCursor(event->position());
}

void Form::leaveEvent(QEvent*)
{
    if (mousePointer_ != Hourglass)
        unsetCursor();
}

void Form::childEvent(QChildEvent* event)
{
    QWidget::childEvent(event);
    if (!event->child()->isWidgetType())
        return;
    if (event->added())
        event->child()->installEventFilter(this);
    else if (event->removed())
        event->child()->removeEventFilter(this);
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    // The form hears of no move that takes the pointer straight from a link
    // onto a windowed control, which would go on showing the link's pointer
    // as its own: the control's Enter says so instead.
    auto* enter = event->type() == QEvent::Enter ? dynamic_cast<QEnterEvent*>(event) : nullptr;
    auto* control = qobject_cast<QWidget*>(watched);
    if (enter && control && isAncestorOf(control))
        updateCursor(control->mapTo(this, enter->position()));
    return QWidget::eventFilter(watched, event);
}

void Form::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? clickableLabelAt(event->position()) : nullptr;
}

void Form::mouseReleaseEvent(QMouseEvent* event)
{
    Label* pressed = std::exchange(pressed_, nullptr);
    if (pressed && event->button() == Qt::LeftButton &&
        clickableLabelAt(event->position()) == pressed && pressed->onClick())
        pressed->onClick()();
}
