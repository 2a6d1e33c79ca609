#pragma once

#include <array>
#include <cstdint>

// The counting state of one main window: what the last calculation found.
// Arrays are indexed directly by byte value.
struct FrequencyState {
    // Rest position of every frequency bar's moving end, in the window's units.
    std::int16_t barBaseY = 0;
    // Bytes read by the last calculation; never above kSourceLimit, so every
    // count and every sum of counts fits a 32-bit signed integer.
    std::int32_t totalChars = 0;
    std::array<std::int32_t, 256> charCounts{};
    // Share of each byte value in the chosen subset, a fraction of 1.
    std::array<float, 256> charFreqs{};
    // Character class of each byte value, see CharClass.
    std::array<std::int16_t, 256> charTypes{};
};

enum CharClass : std::int16_t {
    NonPrinting = 1,    // 0-31 and 127
    Extended = 2,       // 128-255
    UpperCase = 3,      // A-Z
    OtherPrintable = 4, // 32-64 and 91-126
};

// Fills charTypes, range by range; every entry is written exactly once.
void classifyCharacters(FrequencyState& state);

// Zeroes the total, the counts and the frequencies; charTypes and barBaseY stay.
void clearCounts(FrequencyState& state);
