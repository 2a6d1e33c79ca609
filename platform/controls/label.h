#pragma once

#include "lightweight_control.h"

#include <QCursor>
#include <QFont>
#include <cstdint>
#include <functional>
#include <optional>

// A label: plain text (no mnemonics, no markup) that wraps at its width,
// over its BackColor when opaque. Positions are in the form's units and read
// back exactly as written.
class Label : public LightweightControl {
public:
    enum class Alignment { Left, Right, Center };

    explicit Label(ControlHost& form);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void setLeft(float left);
    void setTop(float top);
    void setWidth(float width);
    void setHeight(float height);
    std::uint32_t BackColor() const { return backColor_; }
    std::uint32_t ForeColor() const { return foreColor_; }
    void setBackColor(std::uint32_t bgr);
    void setForeColor(std::uint32_t bgr);
    bool Opaque() const { return opaque_; }
    void setOpaque(bool opaque);
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment);
    QFont Font() const { return font_; }
    void setFont(const QFont& font);

    // A label with a click handler reacts to the mouse; others let it through.
    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    const std::function<void()>& onClick() const { return onClick_; }
    void setMouseIcon(const QCursor& cursor) { mouseIcon_ = cursor; }
    const std::optional<QCursor>& mouseIcon() const { return mouseIcon_; }

    QRectF pixelBounds() const override;
    void paint(QPainter& painter) const override;
    QString accessibleText() const override;

    // The text as painted: control codes become visible pictures of
    // themselves rather than nothing or a line break.
    static QString visibleText(const QString& caption);

private:
    QString caption_;
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::uint32_t backColor_;
    std::uint32_t foreColor_;
    bool opaque_ = true;
    Alignment alignment_ = Alignment::Left;
    QFont font_;
    std::function<void()> onClick_;
    std::optional<QCursor> mouseIcon_;
};
