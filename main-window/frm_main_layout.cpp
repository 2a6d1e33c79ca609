// The main window as designed: every control at its place, in twips.
#include "frm_main.h"

#include "colors.h"
#include "command_button.h"
#include "design.h"
#include "fonts.h"
#include "option_button.h"
#include "option_group.h"
#include "path_box.h"
#include "save_messages.h"
#include "web_addresses.h"

#include <QButtonGroup>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

namespace {

constexpr std::uint32_t kStripGrey = 0xC0C0C0; // RGB 192, 192, 192
QFont sansSerif(double points)
{
    return designFont(QStringLiteral("Microsoft Sans Serif"), points);
}

Label& transparent(Label& label)
{
    label.setOpaque(false);
    return label;
}

// A label that shows a number reads the number; name stands in while it
// shows none.
void showsNumber(Label& label, const QString& name)
{
    label.setName(name);
    label.setNamedByCaption(true);
}

QPushButton* commandButton(Form& form, int left, int top, int width, int height,
                           const QString& caption, const QFont& font)
{
    auto* button = designWidget<CommandButton>(form, left, top, width, height, font, caption);
    button->setText(caption);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

void frmMain::designLayout()
{
    setWindowTitle(QStringLiteral("Tallivor"));
    setWindowIcon(QIcon(QStringLiteral(":/envelope.png")));
    setBackColor(bgrFromRgb(224, 224, 224));
    designStrip();
    designGraph();
    designPathBoxes();
    sendPaintedBehind(*this);
    setFocusOrder();
}

void frmMain::designStrip()
{
    lblToolbarBackground = &designLabel(*this, 10800, 0, 2175, 10215);
    lblToolbarBackground->setBackColor(kStripGrey);
    lblToolbarBackground->setDecorative(true);

    pictureDish = designWidget<QLabel>(*this, 10800, 0, 2175, 1695, font(), QStringLiteral("Tallivor"));
    pictureDish->setPixmap(QIcon(QStringLiteral(":/dish.png")).pixmap(150, 113));
    pictureDish->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pictureDish->setAutoFillBackground(true);
    pictureDish->setBackgroundRole(QPalette::Base);
    pictureDish->setFocusPolicy(Qt::TabFocus);

    lblTallivor = &transparent(designLabel(*this, 10920, 1800, 1935, 1215, QStringLiteral("Tallivor")));
    lblTallivor->setFont(verdana(15.75));

    btnCalcFrequency = commandButton(*this, 10920, 3360, 1935, 1935,
                                     QStringLiteral("Calculate Frequencies"), verdana(8.25));

    const QString subsets[] = {QStringLiteral("All Characters"), QStringLiteral("A-Z"),
                               QStringLiteral("Printable Only")};
    auto* group = new QButtonGroup(this);
    auto* box = new OptionGroup(this, QStringLiteral("Characters counted"));
    placeTwips(*box, 10920, 5640, 1935, 6120 + 255 - 5640);
    for (std::int16_t i = 0; i < 3; ++i) {
        auto* option = designWidget<OptionButton>(*this, 10920, 5640 + 240 * i, 1935, 255,
                                                  verdana(8.25), subsets[i]);
        const QPoint inForm = option->pos();
        option->setParent(box);
        option->move(inForm - box->pos());
        option->setText(subsets[i]);
        option->setAutoFillBackground(true);
        option->setBackgroundRole(QPalette::Button);
        group->addButton(option, i);
        optSubset.add(i, *option);
    }
    optSubset(0).setChecked(true);

    Label3 = &designLabel(*this, 10920, 6360, 1935, 255);
    Label3->setDecorative(true);
    lblTotal = &designLabel(*this, 10920, 6600, 1215, 255, QStringLiteral("Total Chars:  "));
    lblTotal->setFont(verdana(8.25));
    lblTotalChars = &designLabel(*this, 12120, 6600, 735, 255, QStringLiteral("0"));
    lblTotalChars->setFont(sansSerif(6.75));
    showsNumber(*lblTotalChars, QStringLiteral("Total Chars"));
    relateLabel(*lblTotal, *lblTotalChars);
    lblSelected = &designLabel(*this, 10920, 6840, 1215, 255, QStringLiteral("Selected:  "));
    lblSelected->setFont(verdana(8.25));
    lblSelectedChars = &designLabel(*this, 12120, 6840, 735, 255, QStringLiteral("0"));
    lblSelectedChars->setFont(sansSerif(6.75));
    showsNumber(*lblSelectedChars, QStringLiteral("Selected"));
    relateLabel(*lblSelected, *lblSelectedChars);

    btnSaveFrequencies = commandButton(*this, 10920, 7320, 1935, 855,
                                       QStringLiteral("Save Frequencies"), verdana(8.25));
    btnHelp = commandButton(*this, 10920, 8400, 1935, 975, QStringLiteral("Help"), verdana(8.25, true));

    lblQuorvex = &transparent(designLabel(*this, 10920, 9600, 2295, 375, QLatin1String(kMakerHost)));
    lblQuorvex->setFont(verdana(9.75, true, true));
    designWebAddress(*lblQuorvex, QStringLiteral("Maker's home page"));
}

void frmMain::designGraph()
{
    lblMaxFreq = &transparent(designLabel(*this, 120, 0, 495, 255));
    lblMaxFreq->setFont(sansSerif(6.75));
    lblMaxFreq->setAlignment(Label::Alignment::Center);
    lblMaxFreq->setForeColor(systemColor(SystemColor::WindowText));
    showsNumber(*lblMaxFreq, QStringLiteral("Largest frequency"));
    // No caption names it on the screen: the bars under it do.
    lblMaxFreq->setAccessibleDescription(QStringLiteral("Largest frequency"));
    // The bars stand in front of the graph's area, behind the legend, which
    // hides their feet: the graph ends where the legend begins.
    const auto pixels = [this](int left, int top, int width, int height) {
        return QRectF(scale().pixelsFromUnitsX(scale().unitsFromTwipsX(left)),
                      scale().pixelsFromUnitsY(scale().unitsFromTwipsY(top)),
                      scale().pixelsFromUnitsX(scale().unitsFromTwipsX(width)),
                      scale().pixelsFromUnitsY(scale().unitsFromTwipsY(height)));
    };
    const int legendTop = int(std::lround(pixels(600, 600, 0, 0).top()));
    frequencyGraph = new FrequencyGraphWidget(*this, scale(), tableModel, scale().unitsFromTwipsX(720),
                                              scale().unitsFromTwipsY(720), scale().unitsFromTwipsY(600),
                                              legendTop, pixels(600, 120, 9615, 495));
    frequencyGraph->setAccessibleName(QStringLiteral("Frequency graph"));

    struct Legend {
        std::int16_t index;
        int left, top, width;
        const char* caption;
        bool windowText, transparent;
    };
    const Legend legend[] = {
        {1, 2040, 600, 495, "", false, false},     {2, 2520, 600, 375, "0-9", false, false},
        {3, 2880, 600, 375, "", false, false},     {4, 3120, 600, 1095, "A-Z", false, false},
        {0, 3960, 600, 375, "", false, false},     {6, 4320, 600, 1095, "a-z", true, false},
        {9, 5160, 600, 495, "", false, false},
        {8, 5520, 600, 4815, "Extended Character Set", false, false},
        {10, 600, 840, 255, "0", true, true},      {11, 10080, 840, 255, "255", true, true},
    };
    Label& nonPrinting = designLabel(*this, 600, 600, 1575, 255, QStringLiteral("Non-Printing Chars"));
    lblGraphMenu.add(0, nonPrinting);
    for (const Legend& item : legend) {
        Label& label = designLabel(*this, item.left, item.top, item.width, 255, QString::fromLatin1(item.caption));
        Label1.add(item.index, label);
        if (item.windowText)
            label.setForeColor(systemColor(SystemColor::WindowText));
        label.setOpaque(!item.transparent);
    }
    for (Label* label : {&nonPrinting, &Label1(1), &Label1(2), &Label1(3), &Label1(4), &Label1(0),
                         &Label1(6), &Label1(9), &Label1(8), &Label1(10), &Label1(11)}) {
        label->setFont(sansSerif(6.75));
        label->setAlignment(Label::Alignment::Center);
        if (label->Opaque())
            label->setBackColor(kStripGrey);
        label->setName(QStringLiteral("Legend"));
        label->setDecorative(label->Caption().isEmpty());
    }
}

void frmMain::designPathBoxes()
{
    const auto pathBox = [this](int top, const QString& text, const QString& name) {
        auto* box = designWidget<PathBox>(*this, 1080, top, 6615, 285, verdana(8.25), name);
        box->setText(text);
        box->setCursorPosition(0);
        return box;
    };
    lblSourceFile = &transparent(designLabel(*this, 360, 9360, 615, 255, QStringLiteral("Source")));
    lblSourceFile->setFont(verdana(8.25));
    lblSourceFile->setAlignment(Label::Alignment::Right);
    txtSourceFile = pathBox(9360, QStringLiteral("Select a source file..."), QStringLiteral("Source"));
    btnSelectSource = commandButton(*this, 7680, 9360, 1215, 285, QStringLiteral("Select "), verdana(8.25));
    btnSelectSource->setAccessibleName(QStringLiteral("Select source file"));

    lblDestinationFile = &transparent(designLabel(*this, 0, 9720, 975, 255, QStringLiteral("Destination")));
    lblDestinationFile->setFont(verdana(8.25));
    lblDestinationFile->setAlignment(Label::Alignment::Right);
    txtDestinationFile =
        pathBox(9720, kDestinationPrompt, QStringLiteral("Destination"));
    btnSelectDestination =
        commandButton(*this, 7680, 9720, 1215, 285, QStringLiteral("Select "), verdana(8.25));
    btnSelectDestination->setAccessibleName(QStringLiteral("Select destination file"));
}

void frmMain::setFocusOrder()
{
    setFocusChain({btnCalcFrequency, btnSelectSource, btnHelp, btnSaveFrequencies, pictureDish,
                   txtSourceFile, txtDestinationFile, btnSelectDestination, &optSubset(0),
                   &optSubset(1), &optSubset(2)});
    btnCalcFrequency->setFocus();
}
