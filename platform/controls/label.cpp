#include "label.h"

#include "colors.h"

#include <QPainter>

Label::Label(ControlHost& form)
    : LightweightControl(form),
      backColor_(systemColor(SystemColor::ButtonFace)),
      foreColor_(systemColor(SystemColor::ButtonText)),
      font_(form.controlFont())
{
}

void Label::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    changed();
}

void Label::setLeft(float left) { modify([&] { left_ = left; }); }
void Label::setTop(float top) { modify([&] { top_ = top; }); }
void Label::setWidth(float width) { modify([&] { width_ = width; }); }
void Label::setHeight(float height) { modify([&] { height_ = height; }); }

void Label::setBackColor(std::uint32_t bgr)
{
    backColor_ = bgr;
    changed();
}

void Label::setForeColor(std::uint32_t bgr)
{
    foreColor_ = bgr;
    changed();
}

void Label::setOpaque(bool opaque)
{
    opaque_ = opaque;
    changed();
}

void Label::setAlignment(Alignment alignment)
{
    alignment_ = alignment;
    changed();
}

void Label::setFont(const QFont& font)
{
    font_ = font;
    changed();
}

QRectF Label::pixelBounds() const
{
    const FormScale& scale = form().scale();
    return QRectF(scale.pixelsFromUnitsX(left_), scale.pixelsFromUnitsY(top_),
                  scale.pixelsFromUnitsX(width_), scale.pixelsFromUnitsY(height_));
}

void Label::paint(QPainter& painter) const
{
    const QRectF bounds = pixelBounds();
    if (opaque_)
        painter.fillRect(bounds, colorFromBgr(backColor_));
    if (caption_.isEmpty())
        return;
    int flags = Qt::AlignTop | Qt::TextWordWrap;
    switch (alignment_) {
    case Alignment::Left: flags |= Qt::AlignLeft; break;
    case Alignment::Right: flags |= Qt::AlignRight; break;
    case Alignment::Center: flags |= Qt::AlignHCenter; break;
    }
    painter.save();
    painter.setClipRect(bounds, Qt::IntersectClip);
    painter.setFont(font_);
    painter.setPen(colorFromBgr(foreColor_));
    painter.drawText(bounds, flags, visibleText(caption_));
    painter.restore();
}

QString Label::accessibleText() const
{
    const QString shown = visibleText(caption_);
    if (shown.isEmpty())
        return name();
    if (accessible().namedByCaption || name().isEmpty())
        return shown;
    return name() + QStringLiteral(": ") + shown;
}

QString Label::visibleText(const QString& caption)
{
    QString text = caption;
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(0x2400 + code)); // the Unicode control pictures
        else if (code == 0x7F)
            c = QChar(char16_t(0x2421));
        else if (code >= 0x80 && code < 0xA0)
            c = QChar(char16_t(0xFFFD)); // no character of its own
    }
    return text;
}
