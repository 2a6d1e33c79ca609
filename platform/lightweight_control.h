#pragma once

#include <QRectF>
#include <QString>

class Form;
class QPainter;

// A control that has no window of its own: its form paints it, in the form's
// paint order, behind every windowed control.
class LightweightControl {
public:
    explicit LightweightControl(Form& form) : form_(&form) {}
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

protected:
    LightweightControl(const LightweightControl&) = default;
    Form& form() const { return *form_; }
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
    Form* form_;
    bool visible_ = true;
    QString name_;
};
