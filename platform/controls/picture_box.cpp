#include "picture_box.h"

#include <QAccessibleWidget>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

class PictureBoxAccessible : public QAccessibleWidget {
public:
    explicit PictureBoxAccessible(PictureBox* box) : QAccessibleWidget(box, QAccessible::Graphic) {}

    QAccessible::Role role() const override
    {
        return clickable() ? QAccessible::Link : QAccessible::Graphic;
    }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (clickable())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && clickable())
            box()->onClick()();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    PictureBox* box() const { return static_cast<PictureBox*>(widget()); }
    bool clickable() const { return bool(box()->onClick()); }
};

QAccessibleInterface* pictureBoxFactory(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<PictureBox*>(object))
        return new PictureBoxAccessible(box);
    return nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget* parent, const QString& picturePath, QSize pictureSize)
    : QLabel(parent)
{
    static const bool accessible = (QAccessible::installFactory(pictureBoxFactory), true);
    (void)accessible;
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
