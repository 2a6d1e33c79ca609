#pragma once

#include <QRadioButton>

// An option button that a click anywhere in its rectangle selects, as the
// user sees the whole designed width as the button; a plain radio button
// takes clicks only on its circle and caption.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& pos) const override;
};
