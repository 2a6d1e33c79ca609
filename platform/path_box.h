#pragma once

#include <QLineEdit>

// A one-line path box that takes a file dropped from a file manager: its
// local path replaces the text, as if it had been chosen in the file dialog.
class PathBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
