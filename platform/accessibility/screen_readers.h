#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class FocusStop;
class Form;
class Label;
class LightweightControl;
class QAccessibleInterface;

// What screen readers see of a form besides its child widgets: the
// interfaces of its lightweight controls, the focus stops that
// stand for painted things, and what the program announces. It keeps each
// interface registered until the form goes, and follows the form's controls
// as they join or turn decorative.
class ScreenReaders : public QObject {
    Q_OBJECT
public:
    explicit ScreenReaders(Form& form);
    ~ScreenReaders() override;

    // What screen readers see of one of the form's lightweight controls.
    QAccessibleInterface* accessibleFor(const LightweightControl& control);
    // Gives a label with a click handler a place in the focus chain, where
    // the keyboard presses it. Place the stop with setTabOrder.
    FocusStop& addFocusStop(const Label& label);
    // Shows screen readers what children gives among the controls, right
    // after the control after, for things the window paints that are no
    // controls of their own. Asked afresh after childrenChanged.
    void addChildrenAfter(const LightweightControl& after,
                          std::function<std::vector<QAccessibleInterface*>()> children);
    // What the functions given to addChildrenAfter return has changed.
    void childrenChanged() { accessibleControls_.reset(); }
    // Has screen readers speak message now, whatever has the focus.
    void announce(const QString& message);
    // The notification that announce shows, null before the first.
    QAccessibleInterface* announcement() const;
    // What screen readers walk after the child widgets, in paint order:
    // each control that is not decorative.
    const std::vector<QAccessibleInterface*>& accessibleControls();

private:
    Form* form_;
    // Registered interfaces of the controls, made when first asked for.
    std::unordered_map<const LightweightControl*, unsigned> accessibleIds_;
    std::unordered_map<const LightweightControl*, FocusStop*> focusStops_;
    std::vector<std::pair<const LightweightControl*, std::function<std::vector<QAccessibleInterface*>()>>>
        addedChildren_;
    unsigned announcementId_ = 0;
    std::optional<std::vector<QAccessibleInterface*>> accessibleControls_;
};

// The screen readers' side of form, made on first asking.
ScreenReaders& screenReaders(Form& form);
