#include "frequency_state.h"

namespace {

void assignClass(FrequencyState& state, int first, int last, CharClass cls)
{
    for (int i = first; i <= last; ++i)
        state.charTypes[i] = cls;
}

} // namespace

void classifyCharacters(FrequencyState& state)
{
    assignClass(state, 0, 31, NonPrinting);
    assignClass(state, 32, 64, OtherPrintable);
    assignClass(state, 65, 90, UpperCase);
    assignClass(state, 91, 126, OtherPrintable);
    assignClass(state, 127, 127, NonPrinting);
    assignClass(state, 128, 255, Extended);
}

void clearCounts(FrequencyState& state)
{
    state.totalChars = 0;
    state.charCounts.fill(0);
    state.charFreqs.fill(0.0f);
}
