#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;
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

// The real boxes, on QMessageBox. Their buttons show text alone, and a run
// of text without blanks too wide for half the screen (a long path) is
// shortened in its middle, so that the box fits the screen and both ends of
// the path stay readable.
class QtMessageBox : public MessageBox {
public:
    ~QtMessageBox() override;
    Answer MsgBox(QWidget* owner, const QString& text, Buttons buttons) override;
    // Gives box the text, buttons and look that MsgBox shows.
    static void prepare(QMessageBox& box, const QString& text, Buttons buttons);

private:
    // One box for each set of buttons, shown again with each new text: the
    // style caches pictures of every new button it paints, and new boxes
    // would grow that cache by about 19 KB a box.
    QPointer<QMessageBox> okBox_;
    QPointer<QMessageBox> questionBox_;
};
