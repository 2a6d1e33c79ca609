#include "subset_statistics.h"

Subset subsetFromOptions(bool allCharacters, bool upperCase, bool printable)
{
    if (allCharacters)
        return Subset::AllCharacters;
    if (upperCase)
        return Subset::UpperCaseOnly;
    if (printable)
        return Subset::PrintableOnly;
    return Subset::None;
}

bool inSubset(Subset subset, std::int16_t charType)
{
    switch (subset) {
    case Subset::AllCharacters:
        return true;
    case Subset::UpperCaseOnly:
        return charType == UpperCase;
    case Subset::PrintableOnly:
        return charType == UpperCase || charType == OtherPrintable;
    case Subset::None:
        return false;
    }
    return false;
}

SubsetStatistics computeSubsetStatistics(FrequencyState& state, Subset subset)
{
    SubsetStatistics stats;
    for (int i = 0; i < 256; ++i) {
        if (state.charTypes[i] == UpperCase)
            stats.azChars += state.charCounts[i];
        else if (state.charTypes[i] == OtherPrintable)
            stats.printableChars += state.charCounts[i];
    }
    switch (subset) {
    case Subset::AllCharacters: stats.selectedChars = state.totalChars; break;
    case Subset::UpperCaseOnly: stats.selectedChars = stats.azChars; break;
    case Subset::PrintableOnly: stats.selectedChars = stats.azChars + stats.printableChars; break;
    case Subset::None: stats.selectedChars = 0; break;
    }
    for (int i = 0; i < 256; ++i) {
        if (!inSubset(subset, state.charTypes[i]))
            continue;
        if (stats.selectedChars > 0)
            state.charFreqs[i] = static_cast<float>(double(state.charCounts[i]) /
                                                    double(stats.selectedChars));
        if (state.charFreqs[i] > static_cast<float>(stats.maxFreq))
            stats.maxFreq = state.charFreqs[i];
    }
    return stats;
}

bool isFilled(const FrequencyState& state, Subset subset, int i)
{
    return inSubset(subset, state.charTypes[i]) && state.charFreqs[i] > 0.0f;
}

double barRise(const FrequencyState& state, const SubsetStatistics& stats, int i)
{
    return double(state.charFreqs[i]) / stats.maxFreq * 40.0;
}
