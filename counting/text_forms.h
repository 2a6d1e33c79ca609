#pragma once

#include <cstdint>
#include <string>

// How counts and frequencies are written on screen, and through the screen in
// the report.

// Plain decimal digits, never grouped, whatever the locale: "2100000000".
std::string countText(std::int64_t count);

// The exact value of the 32-bit float rounded to 4 decimals, ties to the even
// digit, written with as few digits as it needs: "0.1235", "0.25", "1", "0".
// decimalPoint is the user's locale's separator (UTF-8). Never an exponent.
std::string frequencyText(float value, const std::string& decimalPoint);
