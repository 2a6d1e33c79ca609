#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class Form;
class Label;
class QAccessibleInterface;

// What screen readers see of a form besides its controls: things it paints
// that are no widgets of their own, shown among its labels, and what the
// program announces.
class ScreenReaders : public QObject {
    Q_OBJECT
public:
    explicit ScreenReaders(Form& form);
    ~ScreenReaders() override;

    // Shows screen readers what children gives right after the label
    // after, for things the window paints that are no controls of their
    // own. Asked afresh each time screen readers walk the form.
    void addChildrenAfter(const Label& after, std::function<std::vector<QAccessibleInterface*>()> children);
    // What comes after label, in the order given.
    std::vector<QAccessibleInterface*> childrenAfter(const Label& label) const;
    // Has screen readers speak message now, whatever has the focus.
    void announce(const QString& message);
    // The notification that announce shows, null before the first.
    QAccessibleInterface* announcement() const;

private:
    Form* form_;
    std::vector<std::pair<const Label*, std::function<std::vector<QAccessibleInterface*>()>>> added_;
    unsigned announcementId_ = 0;
};

// The screen readers' side of form, made on first asking.
ScreenReaders& screenReaders(Form& form);
