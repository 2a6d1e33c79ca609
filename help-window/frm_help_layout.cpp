// The help window as designed: every control at its place, in twips.
#include "frm_help.h"

#include "colors.h"
#include "design.h"
#include "fonts.h"
#include "help_texts.h"
#include "picture_box.h"
#include "pointing_hand.h"
#include "line.h"
#include "web_addresses.h"

#include <QIcon>
#include <QPlainTextEdit>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
Label& titleStyle(Label& label)
{
    label.setFont(verdana(12, true));
    label.setAlignment(Label::Alignment::Right);
    label.setOpaque(false);
    return label;
}

Label& heading(Form& form, int left, int top, int width, int height, const QString& caption)
{
    Label& label = designLabel(form, left, top, width, height, caption);
    label.setFont(verdana(9.75, true));
    label.setAlignment(Label::Alignment::Right);
    label.setBackColor(kWhite);
    label.setName(QStringLiteral("Heading"));
    return label;
}

// A box the user can select in and scroll through but not change. Lines
// wider than the box wrap at its edge.
QPlainTextEdit* textBox(Form& form, int left, int top, int width, int height,
                        const QString& text, const QString& name)
{
    auto* box = designWidget<QPlainTextEdit>(form, left, top, width, height, verdana(8.25), name);
    box->setPlainText(text);
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFocusPolicy(Qt::StrongFocus);
    box->setTabChangesFocus(true);
    box->setUndoRedoEnabled(false);
    box->setContextMenuPolicy(Qt::NoContextMenu);
    box->setFrameShape(QFrame::NoFrame);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->document()->setDocumentMargin(1);
    QPalette colors = box->palette();
    colors.setColor(QPalette::Base, colorFromBgr(kWhite));
    box->setPalette(colors);
    return box;
}

PictureBox* pictureBox(Form& form, int left, int top, int width, int height,
                       const QString& picture, QSize pictureSize, const QString& name)
{
    auto* box = new PictureBox(&form, picture, pictureSize);
    form.placeTwips(*box, left, top, width, height);
    box->setAccessibleName(name);
    return box;
}

} // namespace

void frmHelp::designLayout()
{
    setWindowTitle(QStringLiteral("Tallivor Help"));
    setWindowIcon(QIcon(QStringLiteral(":/envelope.png")));
    setBackColor(kWhite);
    designTitle();
    designSections();
    sendPaintedBehind(*this);
    setFocusOrder();
}

void frmHelp::designTitle()
{
    Label1 = &titleStyle(designLabel(*this, 120, 120, 4695, 495, QStringLiteral("Tallivor v1.5")));
    Label1->setName(QStringLiteral("Title"));

    Label2 = &titleStyle(designLabel(*this, 2400, 480, 2415, 495, QLatin1String(kMakerHost)));
    designWebAddress(*Label2, QStringLiteral("Maker's home page"));

    const auto pixels = [this](double x, double y) {
        return QPointF(scale().pixelsFromUnitsX(x), scale().pixelsFromUnitsY(y));
    };
    Line1 = new Line(*this, pixels(2520, 740), pixels(4800, 740), kLinkColor, 2);
}

void frmHelp::designSections()
{
    Label3 = &heading(*this, 3360, 1080, 1455, 255, QStringLiteral("Registration"));

    AmazonLink = pictureBox(*this, 120, 1320, 1935, 1455, QStringLiteral(":/store-badge.png"),
                            QSize(120, 90), QStringLiteral("Online store"));
    AmazonLink->setBackground(colorFromBgr(kWhite));
    AmazonLink->setCursor(pointingHandCursor());
    AmazonLink->setAccessibleDescription(QStringLiteral("Opens the online store's page"));

    Text2 = textBox(*this, 2040, 1320, 2895, 1695, distributionText(),
                    QStringLiteral("Registration"));

    Label5 = &heading(*this, 1680, 3120, 3135, 255, QStringLiteral("Instructions"));
    Text3 = textBox(*this, 120, 3360, 4815, 1695, instructionsText(), QStringLiteral("Instructions"));

    Label4 = &heading(*this, 1680, 5040, 3135, 255, QStringLiteral("Warranty and Liability"));
    Text1 = textBox(*this, 0, 5280, 4935, 855, warrantyText(),
                    QStringLiteral("Warranty and Liability"));

    // Taller than the window, which cuts it off.
    Picture1 = pictureBox(*this, 5040, 0, 2055, 7095, QStringLiteral(":/decoration.png"),
                          QSize(139, 474), QStringLiteral("Decoration"));
    Picture1->setBackground(colorFromBgr(systemColor(SystemColor::WindowBackground)));
}

// The web address was not designed to take the focus: the keyboard reaches
// it after the designed order.
void frmHelp::setFocusOrder()
{
    setFocusChain({Text1, Text2, Text3, Picture1, AmazonLink, Label2});
    Text1->setFocus();
}
