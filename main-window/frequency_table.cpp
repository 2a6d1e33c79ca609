// The 256 rows of the frequency table and the 256 bars of the graph.
#include "frm_main.h"

#include "character_captions.h"
#include "text_forms.h"

#include <cmath>

namespace {

constexpr std::uint32_t kLightBlock = 0xDDDDDD;
constexpr std::uint32_t kDarkBlock = 0xCCCCCC;
constexpr int kBlocks = 5;
constexpr int kRowsPerBlock = 52;

} // namespace

void frmMain::createObjects()
{
    std::int16_t nextCode = 0;
    const float rowTop = lblASCII(0).Top();
    std::uint32_t blockColor = kDarkBlock;
    const float blockPitch = lblASCIIChar(0).Width() + lblASCIIHex(0).Width() +
                             lblASCIICount(0).Width() + lblASCIIFreq(0).Width() +
                             lblASCII(0).Width();
    // Halves go to the even neighbour, as the default rounding mode does.
    state.barBaseY = static_cast<std::int16_t>(std::nearbyint(lnFreq(0).Y2()));

    for (std::int16_t j = 0; j <= 255; ++j) {
        if (j > 0)
            lnFreq.Load(*this, j);
        lnFreq(j).setVisible(true);
    }

    for (int block = 0; block < kBlocks; ++block) {
        blockColor = blockColor == kDarkBlock ? kLightBlock : kDarkBlock;
        for (int row = 0; row < kRowsPerBlock && nextCode <= 255; ++row) {
            const std::int16_t i = nextCode;
            if (i > 0)
                for (auto* column : {&lblASCIIChar, &lblASCIIHex, &lblASCII, &lblASCIICount, &lblASCIIFreq})
                    column->Load(*this, i);
            const std::pair<ControlArray<Label>*, QString> columns[] = {
                {&lblASCII, QString::number(i)},
                {&lblASCIIChar, characterOfCode(i)},
                {&lblASCIIHex, QString::fromStdString(hexText(i))},
                {&lblASCIICount, QString()},
                {&lblASCIIFreq, QString()},
            };
            for (const auto& [column, caption] : columns) {
                Label& label = (*column)(i);
                if (row == 0)
                    label.setTop(rowTop);
                label.setLeft(label.Left() + float(block) * blockPitch);
                label.setTop(label.Top() + float(row) * label.Height());
                label.setCaption(caption);
                label.setBackColor(blockColor);
                label.setVisible(true);
            }
            ++nextCode;
        }
    }
    describeForScreenReaders();
}

void frmMain::resetObjects()
{
    state.totalChars = 0;
    for (std::int16_t j = 0; j <= 255; ++j) {
        const Line& first = lnFreq(0);
        lnFreq(j).setX1(first.X1() + float(j * first.BorderWidth()));
        lnFreq(j).setX2(first.X2() + float(j * first.BorderWidth()));
        lnFreq(j).setY2(float(state.barBaseY));
        lblASCIICount(j).setCaption(QString());
        lblASCIIFreq(j).setCaption(QString());
        state.charCounts[j] = 0;
        state.charFreqs[j] = 0.0f;
    }
}
