#pragma once

#include <QString>

class QWidget;

// The program's title: the caption of every message box it shows.
inline const QString kApplicationTitle = QStringLiteral("Mirvane");

// Modal message boxes with a fixed text, no icon, the first button the
// default and kApplicationTitle in the title bar. Windows are handed one, so
// tests can answer in place of a user.
class MessageBox {
public:
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBox() = default;
    // Shows text over owner and waits for the user's answer.
    virtual Answer MsgBox(QWidget* owner, const QString& text, Buttons buttons) = 0;
};

// The real boxes, on QMessageBox.
class QtMessageBox : public MessageBox {
public:
    Answer MsgBox(QWidget* owner, const QString& text, Buttons buttons) override;
};
