#pragma once

#include "units.h"

#include <QAccessible>
#include <QFont>
#include <QRectF>
#include <QString>
#include <optional>

class Label;
class LightweightControl;
class QPainter;

// What screen readers are told of a lightweight control besides its text.
struct AccessibleTraits {
    // The role it plays, where its kind's own (static text for a label, a
    // graphic for a line) does not say it.
    std::optional<QAccessible::Role> role;
    QString description;
    // A label named by what it shows, as a number is, with its own name
    // standing in while it shows nothing.
    bool namedByCaption = false;
    // The caption that names this control, or the control this caption names.
    const LightweightControl* labelledBy = nullptr;
    const LightweightControl* labelFor = nullptr;
};

// What a lightweight control needs of the window that paints it.
class ControlHost {
public:
    // The window's coordinate scale.
    virtual const FormScale& scale() const = 0;
    // The font a new label starts with.
    virtual QFont controlFont() const = 0;
    // Repaints an area, in the window's logical pixels.
    virtual void repaintArea(const QRectF& pixels) = 0;
    // A control became or stopped being decorative.
    virtual void decorativeChanged() = 0;

protected:
    ~ControlHost() = default;
};

// A control that has no window of its own: its form paints it, in the form's
// paint order, behind every windowed control.
class LightweightControl {
public:
    explicit LightweightControl(ControlHost& form) : form_(&form) {}
    virtual ~LightweightControl() = default;

    bool Visible() const { return visible_; }
    void setVisible(bool visible);

    // Where it paints, in logical pixels of the form.
    virtual QRectF pixelBounds() const = 0;
    virtual void paint(QPainter& painter) const = 0;
    // What a screen reader says of it.
    virtual QString accessibleText() const = 0;

    // Each control's own name, as the window calls it, for screen readers.
    QString name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    AccessibleTraits& accessible() { return accessible_; }
    const AccessibleTraits& accessible() const { return accessible_; }
    // Decorative controls are left out of what screen readers walk.
    bool decorative() const { return decorative_; }
    void setDecorative(bool decorative);

protected:
    ControlHost& form() const { return *form_; }
    // Asks the form to repaint what this control covers now.
    void changed() const;
    // Applies a change that may move the control: repaints where it was and
    // where it is.
    template <class Change>
    void modify(Change change)
    {
        changed();
        change();
        changed();
    }

private:
    ControlHost* form_;
    bool visible_ = true;
    bool decorative_ = false;
    QString name_;
    AccessibleTraits accessible_;
};

// Makes caption the label of control for screen readers, both ways.
void relateLabel(LightweightControl& caption, LightweightControl& control);
