#include "focus_stop.h"

#include "label.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// The mark lies just outside what it goes round, so that it covers none of
// the text.
constexpr double kMarkWidth = 2.0;

} // namespace

FocusStop::FocusStop(QWidget& form) : QWidget(&form), form_(&form)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
}

void FocusStop::cover(const QRectF& area)
{
    const QRectF marked = area.adjusted(-kMarkWidth, -kMarkWidth, kMarkWidth, kMarkWidth);
    setGeometry(marked.toAlignedRect() & form_->rect());
}

void FocusStop::updateMarkAround(const QRectF& area)
{
    const QRectF marked = area.adjusted(-kMarkWidth, -kMarkWidth, kMarkWidth, kMarkWidth);
    update(marked.translated(-QPointF(pos())).toAlignedRect());
}

void FocusStop::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kMarkWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const QRectF area = markedArea().translated(-QPointF(pos()));
    const double half = kMarkWidth / 2;
    painter.drawRect(area.adjusted(-half, -half, half, half));
}

void FocusStop::focusInEvent(QFocusEvent* event)
{
    updateMarkAround(markedArea());
    QWidget::focusInEvent(event);
}

void FocusStop::focusOutEvent(QFocusEvent* event)
{
    updateMarkAround(markedArea());
    QWidget::focusOutEvent(event);
}

LabelFocusStop::LabelFocusStop(QWidget& form, const Label& label) : FocusStop(form), label_(&label)
{
    cover(label.pixelBounds());
}

QRectF LabelFocusStop::markedArea() const
{
    return label_->pixelBounds();
}

void LabelFocusStop::keyPressEvent(QKeyEvent* event)
{
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                       event->key() == Qt::Key_Enter;
    if (!press || !label_->onClick() || event->modifiers() & ~Qt::KeypadModifier) {
        FocusStop::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        label_->onClick()();
    event->accept();
}
