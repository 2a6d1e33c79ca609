// The 256 rows of the frequency table and the 256 bars of the graph.
#include "frm_main.h"

#include "frequency_table_accessible.h"

#include <cmath>

void frmMain::createObjects()
{
    // Halves go to the even neighbour, as the default rounding mode does.
    state.barBaseY = static_cast<std::int16_t>(std::nearbyint(lnFreq(0).Y2()));

    // The rows come in five blocks of 52 side by side, with the code,
    // hex and character of each already shown. Screen readers are to see it
    // as a table from the first.
    installTableAccessibility();
    frequencyTable = new FrequencyTableWidget(*this, scale(), tableModel);
    describeForScreenReaders();
}

void frmMain::resetObjects()
{
    state.totalChars = 0;
    for (std::int16_t j = 0; j <= 255; ++j) {
        const BarHandle first = lnFreq(0);
        lnFreq(j).setX1(first.X1() + float(j * first.BorderWidth()));
        lnFreq(j).setX2(first.X2() + float(j * first.BorderWidth()));
        lnFreq(j).setY2(float(state.barBaseY));
        lblASCIICount(j).setCaption(QString());
        lblASCIIFreq(j).setCaption(QString());
        state.charCounts[j] = 0;
        state.charFreqs[j] = 0.0f;
    }
}
