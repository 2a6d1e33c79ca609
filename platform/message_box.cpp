#include "message_box.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

namespace {

QString shortenLongWords(const QString& text, const QFontMetrics& metrics, int width)
{
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QString fitted;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch& match : word.globalMatch(text)) {
        fitted += text.mid(copied, match.capturedStart() - copied);
        fitted += metrics.elidedText(match.captured(), Qt::ElideMiddle, width);
        copied = match.capturedEnd();
    }
    return fitted + text.mid(copied);
}

// The style would give OK, Yes and No pictures of their own.
QPushButton* addTextButton(QMessageBox& box, QMessageBox::StandardButton which)
{
    QPushButton* button = box.addButton(which);
    button->setIcon({});
    return button;
}

void setFittedText(QMessageBox& box, const QString& text)
{
    box.setText(shortenLongWords(text, box.fontMetrics(), box.screen()->availableGeometry().width() / 2));
}

} // namespace

void QtMessageBox::prepare(QMessageBox& box, const QString& text, Buttons buttons)
{
    box.setWindowTitle(kApplicationTitle);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    setFittedText(box, text);
    QPushButton* first = addTextButton(box, buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    if (buttons == Buttons::YesNo)
        addTextButton(box, QMessageBox::No);
    box.setDefaultButton(first);
}

QtMessageBox::~QtMessageBox()
{
    delete okBox_.data();
    delete questionBox_.data();
}

MessageBox::Answer QtMessageBox::MsgBox(QWidget* owner, const QString& text, Buttons buttons)
{
    QPointer<QMessageBox>& box = buttons == Buttons::Ok ? okBox_ : questionBox_;
    if (box && box->parentWidget() == owner) {
        setFittedText(*box, text);
    } else {
        delete box.data();
        box = new QMessageBox(owner); // deleted with its owner, if not before
        prepare(*box, text, buttons);
    }
    // The box remembers the button that had the focus last time, and a
    // focused button is the default: it opens on its first button again.
    auto* first = static_cast<QPushButton*>(
        box->button(buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes));
    box->setDefaultButton(first);
    first->setFocus();
    // It keeps the button pressed last time too: only a press now counts,
    // and a question closed without one is answered No.
    QMessageBox::StandardButton pressed = QMessageBox::NoButton;
    const QMetaObject::Connection recording =
        QObject::connect(box, &QMessageBox::buttonClicked, box,
                         [&pressed, &box](QAbstractButton* button) { pressed = box->standardButton(button); });
    box->exec();
    QObject::disconnect(recording);
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
