#pragma once

#include <QLineEdit>

// A one-line path box that also takes a file dropped from a file manager:
// the file's local path replaces the text, as if it had been chosen in the
// file dialog. Other drops (text, web addresses) behave as in any line edit.
// Reaching it by the keyboard selects nothing: screen readers read its text
// once, not again as a selection and a third time as it is unselected.
class PathBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
