#include "message_box.h"

#include <QMessageBox>
#include <QPushButton>

MessageBox::Answer QtMessageBox::MsgBox(QWidget* owner, const QString& text, Buttons buttons)
{
    QMessageBox box(owner);
    box.setWindowTitle(kApplicationTitle);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (buttons == Buttons::Ok) {
        box.setDefaultButton(box.addButton(QMessageBox::Ok));
        box.exec();
        return Answer::Ok;
    }
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    box.addButton(QMessageBox::No);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}
