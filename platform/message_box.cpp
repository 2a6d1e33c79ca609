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

} // namespace

void QtMessageBox::prepare(QMessageBox& box, const QString& text, Buttons buttons)
{
    box.setWindowTitle(kApplicationTitle);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setText(shortenLongWords(text, box.fontMetrics(), box.screen()->availableGeometry().width() / 2));
    QPushButton* first = addTextButton(box, buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    if (buttons == Buttons::YesNo)
        addTextButton(box, QMessageBox::No);
    box.setDefaultButton(first);
}

MessageBox::Answer QtMessageBox::MsgBox(QWidget* owner, const QString& text, Buttons buttons)
{
    QMessageBox box(owner);
    prepare(box, text, buttons);
    box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return box.standardButton(box.clickedButton()) == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
