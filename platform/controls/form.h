#pragma once

#include "units.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class AccessibleTable;
class AccessibleTableSource;
class Announcement;
class FocusStop;
class Label;
class QAccessibleInterface;
class LightweightControl;
class TableFocus;

// A fixed-size top-level window that works in a coordinate scale of its own.
// It owns its lightweight controls (labels, lines) as plain objects and
// paints them itself in paint order, so a table of a thousand labels costs
// no thousand widgets. Windowed controls are ordinary child widgets and
// therefore always lie in front of the lightweight ones.
class Form : public QWidget {
    Q_OBJECT
public:
    enum MousePointerKind : std::int16_t { Arrow = 1, Hourglass = 11 };

    Form(const FormScale& scale, int widthPixels, int heightPixels);
    ~Form() override;

    const FormScale& scale() const { return scale_; }

    // A new control, painted after every control added so far.
    template <class Control>
    Control& add()
    {
        auto control = std::make_unique<Control>(*this);
        Control& added = *control;
        controls_.push_back(std::move(control));
        accessibleChildrenChanged();
        return added;
    }
    // A hidden copy of original, painted right after `after`.
    template <class Control>
    Control& addCopy(const Control& original, const LightweightControl& after)
    {
        auto control = std::make_unique<Control>(original);
        control->setVisible(false);
        Control& added = *control;
        insertAfter(after, std::move(control));
        return added;
    }
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

    // What screen readers see of one of its lightweight controls: its own
    // interface, or its cell where it paints part of a table.
    QAccessibleInterface* accessibleFor(const LightweightControl& control) const;
    // Shows screen readers the labels of a table as one table, in place of
    // the labels one by one, and gives the table a focus stop with a current
    // cell. Table and stop live as long as the form; the stop's interface
    // is the table.
    TableFocus& addAccessibleTable(std::unique_ptr<AccessibleTableSource> source);
    // Gives a label with a click handler a place in the focus chain, where
    // the keyboard presses it. Place the stop with setTabOrder.
    FocusStop& addFocusStop(const Label& label);
    // Has screen readers speak message now, whatever has the focus.
    void announce(const QString& message);
    // The notification that announce shows, null before the first.
    QAccessibleInterface* announcement() const;
    // What screen readers walk after the child widgets, in paint order:
    // each control that is not decorative, and each table once, where its
    // first label is painted.
    const std::vector<QAccessibleInterface*>& accessibleControls() const;
    // Called when a control joins or leaves what screen readers walk.
    void accessibleChildrenChanged() { accessibleControls_.reset(); }
    // A rectangle in the form's logical pixels, on the screen.
    QRect screenRect(const QRectF& pixels) const;

    // Called by the lightweight controls when what they show changes.
    void repaintArea(const QRectF& pixels);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void insertAfter(const LightweightControl& after, std::unique_ptr<LightweightControl> control);
    // The topmost visible label under a point that reacts to the mouse.
    Label* clickableLabelAt(const QPointF& point) const;
    // Registers the interface of what a focus stop stands for in place of
    // any that Qt made for the stop itself.
    static unsigned registerForStop(QWidget& stop, QAccessibleInterface* painted);
    void updateCursor(const QPointF& point);

    FormScale scale_;
    std::vector<std::unique_ptr<LightweightControl>> controls_;
    std::uint32_t backColor_ = 0xE0E0E0;
    std::int16_t mousePointer_ = Arrow;
    Label* pressed_ = nullptr;
    // Registered accessible interfaces of the controls, made when first asked for.
    mutable std::unordered_map<const LightweightControl*, unsigned> accessibleIds_;
    std::vector<std::pair<AccessibleTable*, unsigned>> accessibleTables_;
    std::unordered_map<const LightweightControl*, FocusStop*> focusStops_;
    unsigned announcementId_ = 0;
    mutable std::optional<std::vector<QAccessibleInterface*>> accessibleControls_;
};
