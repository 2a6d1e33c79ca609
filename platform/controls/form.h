#pragma once

#include "lightweight_control.h"
#include "units.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class Label;

// A fixed-size top-level window that works in a coordinate scale of its own.
// It owns its lightweight controls (labels, lines) as plain objects and
// paints them itself in paint order. Windowed controls are ordinary child widgets and
// therefore always lie in front of the lightweight ones.
class Form : public QWidget, public ControlHost {
    Q_OBJECT
public:
    enum MousePointerKind : std::int16_t { Arrow = 1, Hourglass = 11 };

    Form(const FormScale& scale, int widthPixels, int heightPixels);
    ~Form() override;

    const FormScale& scale() const override { return scale_; }
    QFont controlFont() const override { return font(); }

    // A new control, painted after every control added so far.
    template <class Control>
    Control& add()
    {
        auto control = std::make_unique<Control>(*this);
        Control& added = *control;
        controls_.push_back(std::move(control));
        emit controlsChanged();
        return added;
    }
    // Its lightweight controls in paint order, back to front.
    const std::vector<std::unique_ptr<LightweightControl>>& controls() const { return controls_; }

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

    // Called by the lightweight controls when what they show changes.
    void repaintArea(const QRectF& pixels) override;
    void decorativeChanged() override { emit controlsChanged(); }

signals:
    // A control joined the form, or became or stopped being decorative.
    void controlsChanged();
    // The form is going: its focus stops are gone, its controls still there.
    void destroying();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    // Watches the pointer entering windowed controls.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The topmost visible label under a point that reacts to the mouse, if
    // no windowed control lies in front of it there.
    Label* clickableLabelAt(const QPointF& point) const;
    void updateCursor(const QPointF& point);

    FormScale scale_;
    std::vector<std::unique_ptr<LightweightControl>> controls_;
    std::uint32_t backColor_ = 0xE0E0E0;
    std::int16_t mousePointer_ = Arrow;
    Label* pressed_ = nullptr;
};
