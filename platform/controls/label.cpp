#include "label.h"

#include "colors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The focus mark lies just outside the label, so that it covers none of
// the text.
constexpr double kMarkWidth = 2.0;

} // namespace

Label::Label(QWidget& window, const QRectF& bounds)
    : QWidget(&window),
      bounds_(bounds),
      backColor_(systemColor(SystemColor::ButtonFace)),
      foreColor_(systemColor(SystemColor::ButtonText))
{
    setFocusPolicy(Qt::NoFocus);
    place();
}

void Label::place()
{
    const double margin = mouseIcon_ ? kMarkWidth : 0.0;
    const QRectF covered = bounds_.adjusted(-margin, -margin, margin, margin);
    setGeometry(covered.toAlignedRect() & parentWidget()->rect());
}

void Label::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    update();
}

void Label::setBackColor(std::uint32_t bgr)
{
    backColor_ = bgr;
    update();
}

void Label::setForeColor(std::uint32_t bgr)
{
    foreColor_ = bgr;
    update();
}

void Label::setOpaque(bool opaque)
{
    opaque_ = opaque;
    update();
}

void Label::setAlignment(Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void Label::makeLink(const QCursor& pointer)
{
    mouseIcon_ = pointer;
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    parentWidget()->installEventFilter(this);
    place();
}

QString Label::accessibleText() const
{
    if (caption_.isEmpty())
        return name_;
    if (namedByCaption_ || name_.isEmpty())
        return caption_;
    return name_ + QStringLiteral(": ") + caption_;
}

void relateLabel(Label& caption, Label& control)
{
    caption.labelFor_ = &control;
    control.labelledBy_ = &caption;
}

// Painted in the window's pixels, where the label was designed, so that it
// looks the same whatever whole pixels the widget covers.
void Label::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.translate(-QPointF(pos()));
    paintCaption(painter);
    if (hasFocus())
        paintFocusMark(painter);
}

void Label::paintCaption(QPainter& painter) const
{
    if (opaque_)
        painter.fillRect(bounds_, colorFromBgr(backColor_));
    if (caption_.isEmpty())
        return;
    int flags = Qt::AlignTop | Qt::TextWordWrap;
    switch (alignment_) {
    case Alignment::Left: flags |= Qt::AlignLeft; break;
    case Alignment::Right: flags |= Qt::AlignRight; break;
    case Alignment::Center: flags |= Qt::AlignHCenter; break;
    }
    painter.save();
    painter.setClipRect(bounds_, Qt::IntersectClip);
    painter.setFont(font());
    painter.setPen(colorFromBgr(foreColor_));
    painter.drawText(bounds_, flags, caption_);
    painter.restore();
}

void Label::paintFocusMark(QPainter& painter) const
{
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kMarkWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const double half = kMarkWidth / 2;
    painter.drawRect(bounds_.adjusted(-half, -half, half, half));
}

bool Label::onLink(const QPointF& point) const
{
    return onClick_ && bounds_.contains(point + QPointF(pos()));
}

// The pointer is the link's over the label itself, not over the focus mark
// round it, and never while the window shows the hourglass.
void Label::showPointer()
{
    const bool busy = parentWidget()->cursor().shape() == Qt::WaitCursor;
    if (mouseIcon_ && pointerOnLink_ && !busy)
        setCursor(*mouseIcon_);
    else
        unsetCursor();
}

void Label::mouseMoveEvent(QMouseEvent* event)
{
    pointerOnLink_ = bounds_.contains(event->position() + QPointF(pos()));
    showPointer();
    QWidget::mouseMoveEvent(event);
}

void Label::leaveEvent(QEvent* event)
{
    pointerOnLink_ = false;
    showPointer();
    QWidget::leaveEvent(event);
}

bool Label::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::CursorChange)
        showPointer();
    return QWidget::eventFilter(watched, event);
}

void Label::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton && onLink(event->position());
    if (!pressed_)
        event->ignore();
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked = std::exchange(pressed_, false) && event->button() == Qt::LeftButton &&
                         onLink(event->position());
    if (clicked)
        onClick_();
    else
        event->ignore();
}

// A key held down presses the link once.
void Label::keyPressEvent(QKeyEvent* event)
{
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                       event->key() == Qt::Key_Enter;
    if (!press || !onClick_ || event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        onClick_();
}
