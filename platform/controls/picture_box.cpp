#include "picture_box.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>

PictureBox::PictureBox(QWidget* parent, const QString& picturePath, QSize pictureSize)
    : QLabel(parent)
{
    // QIcon finds the @2x file beside the picture, so the box stays crisp on
    // a dense screen.
    setPixmap(QIcon(picturePath).pixmap(pictureSize, devicePixelRatioF()));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
    setFrameShape(QFrame::NoFrame);
    setMargin(0);
    setIndent(0);
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
}

void PictureBox::setBackground(const QColor& color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, color);
    setPalette(colors);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    pressed_ = onClick_ && event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool released = std::exchange(pressed_, false) && event->button() == Qt::LeftButton &&
                          rect().contains(event->position().toPoint());
    QLabel::mouseReleaseEvent(event);
    if (released && onClick_)
        onClick_();
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                       event->key() == Qt::Key_Enter;
    if (!press || !onClick_) {
        QLabel::keyPressEvent(event);
        return;
    }
    // Holding the key down opens the page once.
    if (!event->isAutoRepeat())
        onClick_();
}
