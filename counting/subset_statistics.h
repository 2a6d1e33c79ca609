#pragma once

#include "frequency_state.h"

#include <cstdint>

// The data subsets, in the order of the window's option buttons.
enum class Subset {
    AllCharacters,
    UpperCaseOnly,
    PrintableOnly,
    None, // no option selected: the subset holds nothing
};

// The first selected option decides; none selected gives Subset::None.
Subset subsetFromOptions(bool allCharacters, bool upperCase, bool printable);

bool inSubset(Subset subset, std::int16_t charType);

struct SubsetStatistics {
    std::int32_t azChars = 0;        // bytes of class UpperCase
    std::int32_t printableChars = 0; // bytes of class OtherPrintable
    std::int32_t selectedChars = 0;  // bytes in the subset: every frequency's denominator
    double maxFreq = 0;              // largest frequency in the subset; 0 while none
};

// Works out the subset's totals and writes charFreqs for every byte value of
// the subset; values outside it keep the 0 of the last reset. Frequencies are
// computed only when selectedChars > 0, so nothing is ever divided by zero.
SubsetStatistics computeSubsetStatistics(FrequencyState& state, Subset subset);

// Whether the count and frequency cells of byte value i are to be filled:
// i is in the subset and its frequency is above 0.
bool isFilled(const FrequencyState& state, Subset subset, int i);

// How far the bar of byte value i rises, in the window's vertical units: 40
// for the most frequent value. Only meaningful when selectedChars > 0.
double barRise(const FrequencyState& state, const SubsetStatistics& stats, int i);
