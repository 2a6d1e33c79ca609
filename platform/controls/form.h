#pragma once

#include "units.h"

#include <QWidget>
#include <cstdint>

// A fixed-size top-level window that works in a coordinate scale of its own
// and is laid out in twips. Its labels and lines are child widgets like its
// other controls, made in the order they are painted and kept behind every
// other control (see design.h).
class Form : public QWidget {
    Q_OBJECT
public:
    enum MousePointerKind : std::int16_t { Arrow = 1, Hourglass = 11 };

    Form(const FormScale& scale, int widthPixels, int heightPixels);

    const FormScale& scale() const { return scale_; }

    // Puts a child widget at a rectangle designed in twips.
    void placeTwips(QWidget& child, int left, int top, int width, int height);
    // Puts the client area's top-left corner, not the frame's, at a point
    // designed in twips from the screen's top-left corner.
    void placeOnScreenTwips(int left, int top);

    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t bgr);
    std::int16_t MousePointer() const { return mousePointer_; }
    void setMousePointer(std::int16_t pointer);

    // A rectangle in the form's logical pixels, on the screen.
    QRect screenRect(const QRectF& pixels) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FormScale scale_;
    std::uint32_t backColor_ = 0xE0E0E0;
    std::int16_t mousePointer_ = Arrow;
};
