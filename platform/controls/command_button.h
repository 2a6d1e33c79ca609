#pragma once

#include <QPushButton>

// A command button that Return and Enter press when it has the focus, as
// Space does, without making it a default button of its window. A key held
// down presses it once.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
